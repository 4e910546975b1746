// The space history from the terminal: what `ampa-cli space` records, the growth `--since` gives
// against what du sees, and the scheduled clean's walk of the home once a day.

#include "ActivityLog.h"
#include "ProgramRun.h"
#include "SpaceHistory.h"
#include "SpaceTree.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

namespace fs = std::filesystem;
using namespace TreeBuilder;

namespace {

const QString cli = QStringLiteral(AMPA_CLI_PATH);
constexpr qint64 day = 24 * 60 * 60;

QString arg(const fs::path &path)
{
    return QString::fromStdString(path.native());
}

// `du -x -B1 --max-depth=N`: each folder's size by path.
std::map<QString, qint64> du(const fs::path &root, int depth)
{
    const Run run =
        runProgram("du", {"-x", "-B1", QStringLiteral("--max-depth=%1").arg(depth), arg(root)});
    std::map<QString, qint64> sizes;
    for (const QByteArray &line : run.out.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            sizes[QString::fromUtf8(line.mid(tab + 1))] = line.left(tab).toLongLong();
    }
    return sizes;
}

QJsonObject json(const Run &run)
{
    const QJsonDocument document = QJsonDocument::fromJson(run.out);
    if (!document.isObject())
        qFatal("not a JSON object (%d): %s %s", run.code, run.out.constData(), run.err.constData());
    return document.object();
}

// The walks the history holds of `root`, newest first; none when there is no history file.
std::vector<Engine::HistoryWalk> walksOf(const fs::path &root)
{
    if (!fs::exists(Engine::historyPath()))
        return {};
    return Engine::SpaceHistory().walks(Engine::spaceRoot(root).folder);
}

// Walks `root` here and records it as ended at `time`; its root's size.
qint64 recordAt(const fs::path &root, qint64 time)
{
    Engine::SpaceTree tree(Engine::spaceRoot(root).folder);
    if (!tree.walk({}, {}))
        qFatal("could not walk %s", root.c_str());
    Engine::SpaceHistory history;
    if (!history.record(tree, time, -1, -1))
        qFatal("could not record a walk of %s", root.c_str());
    return tree.entry(Engine::SpaceTree::rootIndex).size;
}

// The scheduled clean, as the timer's service starts it.
Run scheduledClean()
{
    qputenv("AMPA_SCHEDULED", "1");
    const Run run = runProgram(cli, {"clean", "--yes"});
    qunsetenv("AMPA_SCHEDULED");
    return run;
}

} // namespace

class CliHistoryTest : public QObject {
    Q_OBJECT

    int caseNumber = 0;

private slots:
    // Each case starts with no history and no log, in English, recording on.
    void init()
    {
        const fs::path state = TestHome::root() / ("state-" + std::to_string(++caseNumber));
        qputenv("XDG_STATE_HOME", state.c_str());
        storeSettings({{"language", "en"}});
    }

    // Between two walks files are added and removed, a folder moves and one is new, another
    // goes: each folder listed grew by what du sees change, the order by growth is by it, and
    // the walk compared with is the one before.
    void growthIsWhatDuSees()
    {
        const fs::path root = TestHome::root() / "grew";
        file(root / "a/old.bin", 100000);
        file(root / "b/keep.bin", 800000);
        file(root / "b/drop.bin", 600000);
        file(root / "c/own.bin", 20000);
        file(root / "c/sub/moving.bin", 50000);
        file(root / "gone/x.bin", 30000);
        const auto before = du(root, 2);
        const Run first = runProgram(cli, {"space", "--json", "--depth", "2", arg(root)});
        QCOMPARE(first.code, 0);
        QVERIFY2(first.err.isEmpty(), first.err.constData());
        QCOMPARE(walksOf(root).size(), 1u);

        file(root / "a/added.bin", 200000);
        fs::remove(root / "b/drop.bin");
        fs::rename(root / "c/sub", root / "a/sub");
        file(root / "new/fresh.bin", 300000);
        fs::remove_all(root / "gone");
        const auto after = du(root, 2);
        const Run second = runProgram(cli, {"space", "--json", "--depth", "2", "--since", "last",
                                            "--sort", "grown", arg(root)});
        QCOMPARE(second.code, 0);
        const QJsonObject result = json(second);

        const auto walks = walksOf(root);
        QCOMPARE(walks.size(), 2u);
        QCOMPARE(qint64(result["since"]["time"].toDouble()), walks[1].time);
        const QJsonArray folders = result["folders"].toArray();
        QCOMPARE(folders.size(), qsizetype(after.size()));
        QStringList byGrowth;
        qint64 previous = std::numeric_limits<qint64>::max();
        for (const QJsonValue &folder : folders) {
            const QString path = folder["path"].toString();
            QVERIFY2(after.contains(path), qPrintable(path));
            QVERIFY2(folder.toObject().contains("grown"), qPrintable(path));
            const qint64 then = before.contains(path) ? before.at(path) : 0;
            QCOMPARE(qint64(folder["grown"].toDouble()), after.at(path) - then);
            if (folder["depth"].toInt() == 1) {
                QVERIFY(qint64(folder["grown"].toDouble()) <= previous);
                previous = qint64(folder["grown"].toDouble());
                byGrowth << QString::fromStdString(
                    fs::path(path.toStdString()).filename().native());
            }
        }
        // Largest first would be b, a, new, c.
        QCOMPARE(byGrowth, QStringList({"new", "a", "c", "b"}));

        // In text: the day it is since, and a column of growth.
        file(root / "new/more.bin", 100000);
        const Run text = runProgram(cli, {"space", "--since", "last", arg(root)});
        QCOMPARE(text.code, 0);
        const QList<QByteArray> lines = text.out.split('\n');
        QVERIFY2(lines.value(0).startsWith("Growth since "), text.out.constData());
        QVERIFY2(lines.value(1).contains(" Grown "), text.out.constData());
        const auto newLine = std::find_if(lines.begin(), lines.end(), [](const QByteArray &line) {
            return line.endsWith("  new");
        });
        QVERIFY2(newLine != lines.end() && newLine->contains(" +10"), text.out.constData());
    }

    // DAYS picks the walk nearest that many days ago; growth may be read with recording off,
    // and then nothing is added.
    void sinceDaysPicksTheNearestWalk()
    {
        const fs::path root = TestHome::root() / "days";
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        file(root / "a/one.bin", 100000);
        const qint64 tenDays = recordAt(root, now - 10 * day);
        file(root / "a/two.bin", 200000);
        const qint64 fiveDays = recordAt(root, now - 5 * day);
        file(root / "b/three.bin", 400000);
        const qint64 oneDay = recordAt(root, now - day);
        file(root / "b/four.bin", 800000);
        const qint64 size = du(root, 0).begin()->second;
        storeSettings({{"language", "en"}, {"spaceHistory", false}});

        const std::map<QString, std::pair<qint64, qint64>> expected{
            {"5", {now - 5 * day, fiveDays}}, {"4", {now - 5 * day, fiveDays}},
            {"8", {now - 10 * day, tenDays}}, {"400", {now - 10 * day, tenDays}},
            {"2", {now - day, oneDay}},       {"last", {now - day, oneDay}},
            {"0", {now - day, oneDay}},
        };
        for (const auto &[since, walk] : expected) {
            const QJsonObject result =
                json(runProgram(cli, {"space", "--json", "--since", since, arg(root)}));
            QCOMPARE(qint64(result["since"]["time"].toDouble()), walk.first);
            const QJsonObject top = result["folders"][0].toObject();
            QCOMPARE(top["path"].toString(), arg(root));
            QCOMPARE(qint64(top["grown"].toDouble()), size - walk.second);
        }
        QCOMPARE(walksOf(root).size(), 3u);
    }

    // Without an earlier walk the listing comes without growth, and says why; with recording off
    // no history is begun at all.
    void noEarlierWalk_data()
    {
        QTest::addColumn<bool>("recording");
        QTest::newRow("recording") << true;
        QTest::newRow("off") << false;
    }
    void noEarlierWalk()
    {
        QFETCH(bool, recording);
        storeSettings({{"language", "en"}, {"spaceHistory", recording}});
        const fs::path root = TestHome::root() / "first";
        file(root / "a/one.bin", 100000);
        for (const char *since : {"last", "7"}) {
            const Run run = runProgram(cli, {"space", "--json", "--since", since, arg(root)});
            QCOMPARE(run.code, 0);
            QVERIFY2(run.err.contains("holds no earlier walk of " + root.native()),
                     run.err.constData());
            const QJsonObject result = json(run);
            QVERIFY(result.contains("since") && result["since"].isNull());
            QVERIFY(!result["folders"].toArray().isEmpty());
            for (const QJsonValue &folder : result["folders"].toArray())
                QVERIFY(!folder.toObject().contains("grown"));
            // The walk just recorded is the one the next compares with, when recording.
            const Run text = runProgram(cli, {"space", "--since", since, arg(root)});
            if (recording)
                QVERIFY(text.out.startsWith("Growth since "));
            else
                QVERIFY(!text.out.contains("Grown"));
            QCOMPARE(fs::exists(Engine::historyPath()), recording);
            fs::remove(Engine::historyPath());
        }
        QCOMPARE(runProgram(cli, {"space", arg(root)}).code, 0);
        QCOMPARE(fs::exists(Engine::historyPath()), recording);
        QCOMPARE(walksOf(root).size(), recording ? 1u : 0u);
    }

    // A history that cannot be used: said once on standard error, kept aside as it was, and the
    // walk is listed and recorded in a fresh one.
    void unusableHistoryIsSetAside_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("not a database")
            << "junk" << QByteArray("What lay in the space history's place was no history.");
        QTest::newRow("damaged") << "damaged" << QByteArray("The space history was damaged.");
        QTest::newRow("newer") << "newer"
                               << QByteArray("The space history was written by a newer Ampa.");
    }
    void unusableHistoryIsSetAside()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, said);
        const fs::path root = TestHome::root() / ("set-aside-" + std::to_string(caseNumber));
        file(root / "a/one.bin", 100000);
        if (kind == "junk") {
            write(Engine::historyPath(), "this was never a database\n");
        } else {
            QCOMPARE(runProgram(cli, {"space", arg(root)}).code, 0);
            QVERIFY(!fs::exists(Engine::historyPath().native() + "-wal"));
            QByteArray bytes = read(Engine::historyPath());
            QVERIFY(bytes.size() > 8192);
            if (kind == "damaged")
                bytes.replace(4096, 4096, QByteArray(4096, '\x55'));
            else
                bytes.replace(60, 4, QByteArray("\0\0\0\x63", 4)); // user_version 99
            write(Engine::historyPath(), bytes);
        }
        const QByteArray found = read(Engine::historyPath());
        const Run run = runProgram(cli, {"space", "--json", "--since", "last", arg(root)});
        QCOMPARE(run.code, 0);
        QVERIFY(!json(run)["folders"].toArray().isEmpty());
        // Said once, then that there is no earlier walk (the engine's own warning aside).
        QByteArrayList lines;
        for (const QByteArray &line : run.err.split('\n')) {
            if (line.startsWith("ampa-cli: "))
                lines << line;
        }
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith("ampa-cli: " + said), run.err.constData());
        QVERIFY2(lines[1].contains("holds no earlier walk"), run.err.constData());
        std::vector<fs::path> kept;
        for (const auto &entry : fs::directory_iterator(Engine::historyPath().parent_path())) {
            if (entry.path() != Engine::historyPath() && read(entry.path()) == found)
                kept.push_back(entry.path());
        }
        QCOMPARE(kept.size(), 1u);
        QVERIFY2(lines[0].contains(QByteArray::fromStdString(kept[0].filename().native())),
                 run.err.constData());
        QCOMPARE(walksOf(root).size(), 1u);
        // The fresh history is used from then on, quietly.
        const Run again = runProgram(cli, {"space", "--since", "last", arg(root)});
        QCOMPARE(again.code, 0);
        QVERIFY2(again.err.isEmpty(), again.err.constData());
        QVERIFY(again.out.startsWith("Growth since "));
    }

    void badInput_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("not a number") << QStringList{"--since", "week"} << QByteArray("week");
        QTest::newRow("negative") << QStringList{"--since", "-3"} << QByteArray("-3");
        QTest::newRow("signed") << QStringList{"--since", "+3"} << QByteArray("+3");
        QTest::newRow("too many days")
            << QStringList{"--since", "99999999999"} << QByteArray("99999999999");
        QTest::newRow("empty") << QStringList{"--since="} << QByteArray("--since");
        QTest::newRow("a saved scan")
            << QStringList{"--since", "last", "--import", "x.json"} << QByteArray("saved scan");
        QTest::newRow("growth order without since")
            << QStringList{"--sort", "grown"} << QByteArray("--sort grown needs --since");
    }
    void badInput()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, said);
        const Run run = runProgram(cli, QStringList{"space"} + arguments);
        QCOMPARE(run.code, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.startsWith("ampa-cli: ") && run.err.contains(said), run.err.constData());
        QVERIFY(!fs::exists(Engine::historyPath()));
        QCOMPARE(runProgram(cli, {"status", "--since", "last"}).code, 2);
    }

    // The timer's clean walks the home once a day after it cleans, only when recording is on;
    // the clean by hand does not.
    void scheduledCleanRecordsTheHomeOncePerDay()
    {
        const fs::path home = TestHome::home();
        file(home / "Documents/report.txt", 5000);
        const qint64 start = QDateTime::currentSecsSinceEpoch();

        QCOMPARE(runProgram(cli, {"clean", "--yes"}).code, 0);
        QVERIFY(walksOf(home).empty());

        storeSettings({{"language", "en"}, {"spaceHistory", false}});
        QCOMPARE(scheduledClean().code, 0);
        QVERIFY(!fs::exists(Engine::historyPath()));

        storeSettings({{"language", "en"}});
        const Run scheduled = scheduledClean();
        QCOMPARE(scheduled.code, 0);
        auto walks = walksOf(home);
        QCOMPARE(walks.size(), 1u);
        QCOMPARE(walks[0].size, du(home, 0).begin()->second);
        QVERIFY(walks[0].free > 0 && walks[0].total >= walks[0].free);
        // After the clean, which the log holds as the automatic one.
        const auto cleans = Engine::loggedCleans(start);
        QCOMPARE(cleans.size(), 3u);
        QVERIFY(cleans.back().entry.contains(" cepat (otomatis): dibebaskan "));
        QVERIFY(walks[0].time >= cleans.back().time);

        QCOMPARE(scheduledClean().code, 0);
        QCOMPARE(walksOf(home).size(), 1u);

        // A walk of yesterday is no walk of today.
        fs::remove(Engine::historyPath());
        recordAt(home, QDateTime::currentSecsSinceEpoch() - day);
        QCOMPARE(scheduledClean().code, 0);
        walks = walksOf(home);
        QCOMPARE(walks.size(), 2u);
        QVERIFY(walks[0].time >= start);
    }
};

AMPA_TEST_MAIN(CliHistoryTest)
#include "tst_clihistory.moc"
