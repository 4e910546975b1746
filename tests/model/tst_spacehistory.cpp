#include "FakeServices.h"
#include "ModelTesting.h"
#include "SpaceHistory.h"
#include "SpaceHistoryModel.h"
#include "StoredSettings.h"
#include "TestHome.h"

#include <QSignalSpy>

namespace fs = std::filesystem;
using Engine::SpaceTree;

Q_DECLARE_METATYPE(std::vector<SpaceHistoryModel::Point>)

namespace {

constexpr qint64 day = 86400;
constexpr qint64 gb = 1'000'000'000;

std::unique_ptr<SpaceTree> walked(const fs::path &root)
{
    auto tree = std::make_unique<SpaceTree>(root);
    if (!tree->walk({}))
        qFatal("cannot walk %s", root.c_str());
    return tree;
}

// A log line as `Engine::log` writes it, at a chosen time.
QByteArray logLine(qint64 time, const QByteArray &message)
{
    return QDateTime::fromSecsSinceEpoch(time, Qt::UTC).toString(Qt::ISODate).toUtf8() + ' '
           + message + '\n';
}

QList<qint64> timesOf(const QVariantList &list)
{
    QList<qint64> times;
    for (const QVariant &item : list)
        times << qint64(item.toMap().value("time").toDouble());
    return times;
}

} // namespace

// The home's space over time, read from a real history of real walks of the test's home and
// from a real activity log, both in the temporary home.
class SpaceHistoryModelTest : public QObject {
    Q_OBJECT

    FakeServices fakes;
    qint64 now = 0;

    // Reads again and waits for the read to be handed back.
    static void reloaded(SpaceHistoryModel &model)
    {
        QSignalSpy read(&model, &SpaceHistoryModel::pointsChanged);
        model.reload();
        QTRY_VERIFY_WITH_TIMEOUT(read.count() > 0, 20000);
    }
    static std::vector<Engine::HistoryWalk> walksHeld()
    {
        return Engine::SpaceHistory().walks(TestHome::home());
    }

private slots:
    void init()
    {
        storeSettings({{"language", "en"}});
        fs::remove_all(Engine::historyPath().parent_path());
        clearLog();
        fakes.confirmation->asked.clear();
        fakes.confirmation->answer = false;
        now = QDateTime::currentSecsSinceEpoch();
    }

    // Walks of the home at chosen times, oldest first as a person walks; one walk of another
    // folder and one whose free space was not known. The span keeps the last 30 or 90 days.
    void readsTheHomesWalksOfTheSpan()
    {
        makeFile(TestHome::home() / "Videos/holiday.mp4", 300'000);
        makeFile(TestHome::home() / "Documents/notes.txt", 9'000);
        const auto home = walked(TestHome::home());
        const auto videos = walked(TestHome::home() / "Videos");
        {
            Engine::SpaceHistory history;
            QVERIFY(history.usable());
            const qint64 times[] = {now - 100 * day, now - 60 * day, now - 20 * day, now - 10 * day,
                                    now - 2 * day};
            qint64 used = 100 * gb;
            for (qint64 time : times) {
                QVERIFY(history.record(*home, time, 500 * gb - used, 500 * gb));
                used += 10 * gb;
            }
            QVERIFY(history.record(*videos, now - 5 * day, 1 * gb, 500 * gb));
            QVERIFY(history.record(*home, now - 3600, -1, -1));
        }

        SpaceHistoryModel model(fakes.confirmation);
        QCOMPARE(model.days(), 30);
        reloaded(model);
        QVERIFY(model.loaded());
        QCOMPARE(model.walkCount(), 6);
        QCOMPARE(timesOf(model.points()),
                 (QList<qint64>{now - 20 * day, now - 10 * day, now - 2 * day}));
        const QVariantMap first = model.points().front().toMap();
        QCOMPARE(first.value("used").toDouble(), double(120 * gb));
        QCOMPARE(first.value("free").toDouble(), double(380 * gb));
        QCOMPARE(first.value("total").toDouble(), double(500 * gb));
        QCOMPARE(model.summary(), "Used space rose from " + fmt(120 * gb) + " to " + fmt(140 * gb)
                                      + " over the last 30 days; " + fmt(360 * gb)
                                      + " free now. No cleans.");

        QSignalSpy read(&model, &SpaceHistoryModel::pointsChanged);
        model.setDays(90);
        QTRY_VERIFY_WITH_TIMEOUT(read.count() > 0, 20000);
        QCOMPARE(timesOf(model.points()),
                 (QList<qint64>{now - 60 * day, now - 20 * day, now - 10 * day, now - 2 * day}));
        model.setDays(0); // no span at all: ignored
        QCOMPARE(model.days(), 90);
    }

    // The cleans of the span from the log, the oldest first, each entry without its time; what
    // is no clean, or older than the span, is left out.
    void marksTheCleansOfTheSpan()
    {
        fs::create_directories(Engine::logPath().parent_path());
        TreeBuilder::write(Engine::logPath(),
                           logLine(now - 40 * day, "cepat: dibebaskan 1.2 GB")
                               + logLine(now - 9 * day, "lanjutan: playwright: 201 MB freed.")
                               + logLine(now - 8 * day, "lanjutan: kembalikan dari trash x")
                               + logLine(now - 7 * day, "ruang: trash /home/user/old.iso")
                               + logLine(now - 6 * day, "ruang: keep /home/user/src"));
        SpaceHistoryModel model(fakes.confirmation);
        reloaded(model);
        QCOMPARE(timesOf(model.cleans()), (QList<qint64>{now - 9 * day, now - 7 * day}));
        QCOMPARE(model.cleans().front().toMap().value("entry").toString(),
                 "lanjutan: playwright: 201 MB freed.");
        // No history at all: nothing to plot, and reading made none.
        QCOMPARE(model.walkCount(), 0);
        QVERIFY(model.points().isEmpty());
        QVERIFY(!fs::exists(fs::symlink_status(Engine::historyPath())));

        QSignalSpy read(&model, &SpaceHistoryModel::pointsChanged);
        model.setDays(90);
        QTRY_VERIFY_WITH_TIMEOUT(read.count() > 0, 20000);
        QCOMPARE(timesOf(model.cleans()),
                 (QList<qint64>{now - 40 * day, now - 9 * day, now - 7 * day}));
    }

    void summarySaysWhatTheLineDoes_data()
    {
        using Point = SpaceHistoryModel::Point;
        QTest::addColumn<QString>("language");
        QTest::addColumn<std::vector<Point>>("points");
        QTest::addColumn<int>("cleans");
        QTest::addColumn<QString>("expected");
        const Point full{1, 400 * gb, 100 * gb, 500 * gb};
        const Point cleaned{2, 300 * gb, 200 * gb, 500 * gb};
        QTest::newRow("fell") << "en" << std::vector{full, cleaned} << 3
                              << "Used space fell from " + fmt(400 * gb) + " to " + fmt(300 * gb)
                                     + " over the last 30 days; " + fmt(200 * gb)
                                     + " free now. 3 cleans.";
        QTest::newRow("stayed") << "en" << std::vector{full, full} << 1
                                << "Used space stayed at " + fmt(400 * gb)
                                       + " over the last 30 days; " + fmt(100 * gb)
                                       + " free now. 1 clean.";
        QTest::newRow("one walk") << "en" << std::vector{cleaned} << 0
                                  << "One walk in the last 30 days: " + fmt(300 * gb) + " used, "
                                         + fmt(200 * gb) + " free. No cleans.";
        QTest::newRow("Indonesian")
            << "id" << std::vector{cleaned, full} << 2
            << "Ruang terpakai naik dari " + fmt(300 * gb) + " menjadi " + fmt(400 * gb)
                   + " dalam 30 hari terakhir; kini " + fmt(100 * gb) + " kosong. 2 pembersihan.";
        QTest::newRow("nothing") << "en" << std::vector<Point>{} << 2 << QString();
    }
    void summarySaysWhatTheLineDoes()
    {
        QFETCH(QString, language);
        QFETCH(std::vector<SpaceHistoryModel::Point>, points);
        QFETCH(int, cleans);
        QFETCH(QString, expected);
        Settings::instance().setLanguage(language);
        QCOMPARE(SpaceHistoryModel::summaryOf(points, cleans, 30), expected);
    }

    // Clearing asks first: declined, every walk stays; confirmed, none does, and it says so.
    void clearsOnlyAfterTheConfirmation()
    {
        makeFile(TestHome::home() / "Documents/notes.txt", 9'000);
        {
            Engine::SpaceHistory history;
            const auto home = walked(TestHome::home());
            QVERIFY(history.record(*home, now - 2 * day, 40 * gb, 100 * gb));
            QVERIFY(history.record(*home, now - day, 30 * gb, 100 * gb));
        }
        SpaceHistoryModel model(fakes.confirmation);
        reloaded(model);
        QCOMPARE(model.points().size(), 2);

        model.clear();
        QCOMPARE(fakes.confirmation->asked.size(), 1);
        QVERIFY(fakes.confirmation->asked.front().startsWith("Clear the space history? | "));
        QVERIFY(!model.clearing());
        QCOMPARE(walksHeld().size(), 2u);
        QCOMPARE(model.clearState(), QString());

        fakes.confirmation->answer = true;
        QSignalSpy read(&model, &SpaceHistoryModel::pointsChanged);
        model.clear();
        QVERIFY(model.clearing());
        QTRY_COMPARE_WITH_TIMEOUT(model.clearState(), "done", 20000);
        QVERIFY(!model.clearing());
        QVERIFY(walksHeld().empty());
        QTRY_VERIFY_WITH_TIMEOUT(read.count() > 0, 20000);
        QVERIFY(model.points().isEmpty());
        QCOMPARE(model.walkCount(), 0);
    }

    // Turned off, it says so and reads again; what the history holds still shows.
    void followsTheSetting()
    {
        SpaceHistoryModel model(fakes.confirmation);
        reloaded(model);
        QVERIFY(model.recording());
        QCOMPARE(model.walkCount(), 0);
        {
            Engine::SpaceHistory history;
            QVERIFY(history.record(*walked(TestHome::home()), now - day, 30 * gb, 100 * gb));
        }
        QSignalSpy recording(&model, &SpaceHistoryModel::recordingChanged);
        QSignalSpy read(&model, &SpaceHistoryModel::pointsChanged);
        Settings::instance().setSpaceHistory(false);
        QCOMPARE(recording.count(), 1);
        QVERIFY(!model.recording());
        QTRY_VERIFY_WITH_TIMEOUT(read.count() > 0, 20000);
        QCOMPARE(model.walkCount(), 1);
    }

    // A history that is no database: set aside by opening it, said once until put away, and
    // not said again when the fresh history is read.
    void saysOnceWhatBecameOfABrokenHistory()
    {
        fs::create_directories(Engine::historyPath().parent_path());
        TreeBuilder::write(Engine::historyPath(),
                           QByteArray("not a database at all\n").repeated(100));
        SpaceHistoryModel model(fakes.confirmation);
        QSignalSpy said(&model, &SpaceHistoryModel::problemChanged);
        reloaded(model);
        QCOMPARE(said.count(), 1);
        QVERIFY2(
            model.problem().startsWith("What lay in the space history's place was no history."),
            qPrintable(model.problem()));
        QCOMPARE(model.walkCount(), 0);
        Settings::instance().setLanguage("id");
        QVERIFY2(model.problem().startsWith("Yang ada di tempat riwayat ruang bukan riwayat."),
                 qPrintable(model.problem()));

        model.dismissProblem();
        QCOMPARE(model.problem(), QString());
        reloaded(model);
        QCOMPARE(model.problem(), QString());
        QCOMPARE(said.count(), 3); // said in Indonesian, then put away
    }
};

AMPA_TEST_MAIN(SpaceHistoryModelTest)
#include "tst_spacehistory.moc"
