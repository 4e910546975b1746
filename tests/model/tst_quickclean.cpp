#include "CacheTarget.h"
#include "FakeServices.h"
#include "ModelTesting.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeSize.h"

#include <QProcess>
#include <QSignalSpy>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

fs::path cache(const char *name)
{
    return userCacheDir().native() + name;
}

} // namespace

class QuickCleanTest : public QObject {
    Q_OBJECT

    fs::path chromeCache;
    fs::path npmCache;
    fs::path pipCache;
    fs::path keep;

private slots:
    void init()
    {
        chromeCache = cache("google-chrome");
        npmCache = TestHome::home() / ".npm/_cacache";
        pipCache = cache("pip");
        keep = TestHome::home() / "Documents/thesis.tex";
        makeFile(chromeCache / "Cache/data_1", 40000);
        makeFile(npmCache / "content-v2/sha512/ab", 30000);
        makeFile(pipCache / "http/x", 20000);
        makeFile(keep, 1000);
        makeFile(TestHome::home() / ".npm/_logs/debug.log", 100);
        clearLog();
        storeSettings({{"language", "en"}});
    }

    void cleanup()
    {
        QVERIFY(fs::exists(keep));
        QVERIFY(fs::exists(TestHome::home() / ".npm/_logs/debug.log"));
        for (const fs::path &path : {chromeCache, npmCache, pipCache})
            fs::remove_all(path);
        storeSettings({});
    }

    void freesExactlyWhatItMeasuredAndLogsInIndonesian()
    {
        const qint64 expected =
            Engine::size(chromeCache) + Engine::size(npmCache) + Engine::size(pipCache);
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        QSignalSpy scans(&model, &Model::scanningChanged);

        model.cleanQuick();
        QVERIFY(model.busy());
        QVERIFY(model.result().isNull());
        AMPA_WAIT_IDLE(model);

        QCOMPARE(model.result(), fmt(expected) + " freed.");
        QVERIFY(model.statuses().isEmpty());
        for (const fs::path &path : {chromeCache, npmCache, pipCache})
            QVERIFY2(!fs::exists(path), path.c_str());
        QCOMPARE(logMessages(), QStringList{"cepat: dibebaskan " + fmt(expected)});
        QVERIFY(scans.count() >= 2); // the final refresh ran a new scan
        QCOMPARE(model.sizes().value("chrome"), 0);
        QVERIFY(model.visibleQuick().isEmpty());
    }

    void runningBlockerSkipsItsTarget()
    {
        FakeServices fakes;
        fakes.running->running = {"Zoom Workplace", "Google Chrome", "Zoom"};
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        Settings::instance().setLanguage("id");
        model.cleanQuick();
        AMPA_WAIT_IDLE(model);

        QVERIFY(fs::exists(chromeCache / "Cache/data_1"));
        QVERIFY(!fs::exists(npmCache));
        QCOMPARE(model.statuses().value("chrome").kind, Model::StatusKind::skipped);
        QCOMPARE(model.statuses().value("chrome").app, "Google Chrome");
        // The first blocker in the target's own order, whatever runs first.
        QCOMPARE(model.statuses().value("zoom").app, "Zoom");
        // Texts are made when shown, in the language of that moment.
        QCOMPARE(model.statuses().value("zoom").text(), "Dilewati, Zoom sedang terbuka");
        QVERIFY(model.result().endsWith(" dibebaskan."));
        QCOMPARE(model.resultKind(), Model::ResultKind::done);
        // A skipped target stays visible with its status.
        QCOMPARE(model.visibleQuick().first().id, "chrome");
    }

    void nothingFreedTexts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("blocked");
        QTest::addColumn<QString>("expected");
        QTest::newRow("skipped en")
            << "en" << true << "Nothing cleaned yet. 3 cache skipped because its app is open.";
        QTest::newRow("skipped id") << "id" << true
                                    << "Belum ada yang dibersihkan. 3 cache dilewati karena "
                                       "aplikasinya terbuka.";
        QTest::newRow("nothing en") << "en" << false << "Nothing to clean.";
        QTest::newRow("nothing id") << "id" << false << "Tidak ada yang perlu dibersihkan.";
    }
    void nothingFreedTexts()
    {
        QFETCH(QString, language);
        QFETCH(bool, blocked);
        QFETCH(QString, expected);
        for (const fs::path &path : {npmCache, pipCache})
            fs::remove_all(path);
        if (!blocked)
            fs::remove_all(chromeCache);
        FakeServices fakes;
        if (blocked)
            fakes.running->running = {"Arc", "Comet", "Google Chrome"};
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        Settings::instance().setLanguage(language);
        model.cleanQuick();
        AMPA_WAIT_IDLE(model);
        QCOMPARE(model.result(), expected);
        QCOMPARE(model.statuses().size(), blocked ? 3 : 0);
        QCOMPARE(logMessages(), QStringList{"cepat: dibebaskan 0 MB"});
    }

    // One immutable file in a cache: what went is reported and logged, not "nothing cleaned",
    // and the cache's status says what stayed; when nothing could go, the result says why.
    void partialFailureReportsWhatWent_data()
    {
        QTest::addColumn<bool>("otherCaches");
        QTest::addColumn<bool>("somethingGoes");
        QTest::newRow("other caches go too") << true << true;
        QTest::newRow("most of the one cache goes") << false << true;
        QTest::newRow("nothing goes") << false << false;
    }

    void partialFailureReportsWhatWent()
    {
        QFETCH(bool, otherCaches);
        QFETCH(bool, somethingGoes);
        if (geteuid() != 0)
            QSKIP("only root can make a file that no removal takes (an immutable one)");
        fs::remove_all(pipCache);
        if (!otherCaches) {
            fs::remove_all(chromeCache);
            fs::remove_all(npmCache);
        }
        if (somethingGoes)
            makeFile(pipCache / "http/big", 300000);
        const fs::path stubborn = pipCache / "stubborn";
        makeFile(stubborn, 10);
        if (QProcess::execute("chattr", {"+i", QString::fromStdString(stubborn.native())}) != 0)
            QSKIP("no immutable flag on this file system");
        const qint64 expected = Engine::size(chromeCache) + Engine::size(npmCache)
                                + Engine::size(pipCache) - Engine::size(stubborn);
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        model.cleanQuick();
        AMPA_WAIT_IDLE(model);
        QProcess::execute("chattr", {"-i", QString::fromStdString(stubborn.native())});
        QCOMPARE(model.resultKind(), Model::ResultKind::partlyFailed);
        if (somethingGoes) {
            QCOMPARE(model.result(), fmt(expected) + " freed.");
            QCOMPARE(logMessages(), QStringList{"cepat: dibebaskan " + fmt(expected)});
        } else {
            QVERIFY2(model.result().contains("stubborn"), qPrintable(model.result()));
        }
        const Model::TargetStatus pip = model.statuses().value("pip");
        QCOMPARE(pip.kind, Model::StatusKind::partlyFailed);
        QVERIFY(pip.failure && pip.failure->kind == Engine::Failure::Kind::notAllowed);
        QCOMPARE(pip.failure->path.filename(), stubborn.filename());
        QCOMPARE(model.visibleQuick().size(), 1);
        QVERIFY(fs::exists(stubborn));
        QVERIFY(!fs::exists(npmCache));
    }

    // Quitting during a clean stops it at the entry in hand, and what went is logged before the
    // model is gone: the work is joined, not left to finish on its own.
    void quittingDuringACleanLogsWhatWent()
    {
        for (int folder = 0; folder < 20; ++folder) {
            for (int i = 0; i < 2500; ++i)
                makeFile(pipCache / ("d" + std::to_string(folder)) / ("f" + std::to_string(i)), 0);
        }
        const fs::path first = pipCache / "http/x";
        {
            FakeServices fakes;
            Model model(fakes.services());
            model.cleanQuick();
            QTRY_VERIFY_WITH_TIMEOUT(!fs::exists(first), 20000);
        }
        QCOMPARE(logMessages().size(), 1);
        QVERIFY(logMessages().first().startsWith("cepat: dibebaskan "));
        QVERIFY2(fs::exists(pipCache) && !fs::is_empty(pipCache),
                 "the clean ended before quitting");
        QVERIFY(fs::exists(keep));
    }

    void blockedBy()
    {
        FakeServices fakes;
        fakes.running->running = {"Claude", "Slack"};
        Model model(fakes.services());
        model.start();
        QCOMPARE(model.blocked({}), std::nullopt);
        QCOMPARE(model.blocked({"Notes"}), std::nullopt);
        QCOMPARE(model.blocked({"Slack", "Claude"}), std::optional<QString>("Slack"));
        QCOMPARE(model.blocked({"claude"}), std::nullopt);
        AMPA_WAIT_IDLE(model);
    }
};

AMPA_TEST_MAIN(QuickCleanTest)
#include "tst_quickclean.moc"
