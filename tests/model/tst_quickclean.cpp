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

// The first scan, then the quick clean, each to its end.
void scanThenClean(Model &model)
{
    model.start();
    AMPA_WAIT_IDLE(model);
    model.cleanQuick();
    AMPA_WAIT_IDLE(model);
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
        QList<double> progress;
        connect(&model, &Model::cleanProgressChanged, this,
                [&] { progress << model.cleanProgress(); });

        model.cleanQuick();
        QVERIFY(model.busy());
        QVERIFY(model.result().isNull());
        AMPA_WAIT_IDLE(model);

        // Target by target from 0 to all done, then none running.
        QCOMPARE(progress.size(), quickTargets().size() + 2);
        QCOMPARE(progress.first(), 0.0);
        QVERIFY(std::is_sorted(progress.begin(), progress.end() - 1));
        QCOMPARE(progress.at(progress.size() - 2), 1.0);
        QCOMPARE(progress.last(), -1.0);

        QCOMPARE(model.result(), "Quick clean: " + fmt(expected) + " freed.");
        QCOMPARE(model.resultKind(), Model::ResultKind::done);
        QVERIFY(model.statuses().isEmpty());
        for (const fs::path &path : {chromeCache, npmCache, pipCache})
            QVERIFY2(!fs::exists(path), path.c_str());
        QCOMPARE(logMessages(), QStringList{"cepat: dibebaskan " + fmt(expected)});
        QVERIFY(scans.count() >= 2); // the final refresh ran a new scan
        QCOMPARE(model.sizes().value("chrome"), 0);
        QVERIFY(model.visibleQuick().isEmpty());
    }

    // The first blocker in the target's own order counts, whatever runs first; a skipped target
    // stays whole and visible with its status.
    void runningBlockerSkipsItsTarget()
    {
        FakeServices fakes;
        fakes.running->running = {"Zoom Workplace", "Google Chrome", "Zoom"};
        Model model(fakes.services());
        QCOMPARE(model.blocked({}), std::nullopt);
        QCOMPARE(model.blocked({"Notes"}), std::nullopt);
        QCOMPARE(model.blocked({"Zoom", "Google Chrome"}), std::optional<QString>("Zoom"));
        QCOMPARE(model.blocked({"zoom"}), std::nullopt);
        Settings::instance().setLanguage("id");
        scanThenClean(model);

        QVERIFY(fs::exists(chromeCache / "Cache/data_1"));
        QVERIFY(!fs::exists(npmCache));
        QCOMPARE(model.statuses().value("chrome").kind, Model::StatusKind::skipped);
        QCOMPARE(model.statuses().value("chrome").app, "Google Chrome");
        QCOMPARE(model.statuses().value("zoom").app, "Zoom");
        QCOMPARE(model.statuses().value("zoom").text(), "Dilewati, Zoom sedang terbuka");
        QVERIFY(model.result().endsWith(" dibebaskan."));
        QCOMPARE(model.resultKind(), Model::ResultKind::done);
        QCOMPARE(model.visibleQuick().first().id, "chrome");
    }

    // Nothing freed: the result says whether an open application is why; the log has its line.
    void nothingFreed_data()
    {
        QTest::addColumn<bool>("blocked");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("skipped") << true << "en"
                                 << "Quick clean: Nothing cleaned yet. 3 cache skipped because its "
                                    "app is open.";
        QTest::newRow("nothing there") << false << "id"
                                       << "Pembersihan cepat: Tidak ada yang perlu dibersihkan.";
    }
    void nothingFreed()
    {
        QFETCH(bool, blocked);
        QFETCH(QString, language);
        QFETCH(QString, expected);
        for (const fs::path &path : {npmCache, pipCache})
            fs::remove_all(path);
        if (!blocked)
            fs::remove_all(chromeCache);
        FakeServices fakes;
        if (blocked)
            fakes.running->running = {"Arc", "Comet", "Google Chrome"};
        Model model(fakes.services());
        Settings::instance().setLanguage(language);
        scanThenClean(model);
        QCOMPARE(model.result(), expected);
        QCOMPARE(model.resultKind(),
                 blocked ? Model::ResultKind::skipped : Model::ResultKind::done);
        QCOMPARE(model.statuses().size(), blocked ? 3 : 0);
        for (const Model::TargetStatus &status : model.statuses())
            QCOMPARE(status.kind, Model::StatusKind::skipped);
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
        // The file that stays keeps its folder, and the folder's own blocks, with it.
        const qint64 expected = Engine::size(chromeCache) + Engine::size(npmCache)
                                + Engine::contentSize(pipCache) - Engine::size(stubborn);
        FakeServices fakes;
        Model model(fakes.services());
        scanThenClean(model);
        QProcess::execute("chattr", {"-i", QString::fromStdString(stubborn.native())});
        QCOMPARE(model.resultKind(), Model::ResultKind::partlyFailed);
        if (somethingGoes) {
            // Said in words, not by the warning mark alone.
            QCOMPARE(model.result(), "Quick clean: " + fmt(expected)
                                         + " freed; 1 cache could not be removed completely.");
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
};

AMPA_TEST_MAIN(QuickCleanTest)
#include "tst_quickclean.moc"
