#include "SpaceGrowth.h"
#include "SpaceHistory.h"
#include "SpaceTesting.h"
#include "SpaceTree.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <ctime>
#include <map>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;
using Engine::HistoryWalk;
using Engine::RecordedSizes;
using Engine::SpaceHistory;
using Engine::SpaceTree;

namespace {

// What `du -s -B1 -x` (or with --apparent-size) gives for the path; 0 when nothing is there.
qint64 du(const fs::path &path, bool apparent = false)
{
    if (!fs::exists(fs::symlink_status(path)))
        return 0;
    QStringList arguments{"-s", "-B1", "-x"};
    if (apparent)
        arguments << "--apparent-size";
    QProcess process;
    process.start("du", arguments << QString::fromStdString(path.native()));
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("du failed on %s", path.c_str());
    return process.readAllStandardOutput().split('\t').value(0).toLongLong();
}

std::unique_ptr<SpaceTree> walked(const fs::path &root)
{
    auto tree = std::make_unique<SpaceTree>(root);
    if (!tree->walk({}))
        qFatal("cannot walk %s", root.c_str());
    return tree;
}

SpaceTree::Index indexAt(const SpaceTree &tree, const fs::path &path)
{
    return SpaceTesting::entryAt(tree, path).index;
}

QString helperPath()
{
    return QCoreApplication::applicationDirPath() + "/ampa-test-helper";
}

// What the `sqlite3` command prints for the statement on the file.
QByteArray sqlite3(const fs::path &file, const QString &statement)
{
    QProcess process;
    process.start("sqlite3", {QString::fromStdString(file.native()), statement});
    if (!process.waitForFinished(60000))
        qFatal("sqlite3 did not finish on %s", file.c_str());
    return process.readAllStandardOutput().trimmed() + process.readAllStandardError().trimmed();
}

// What a history file found in another process looked like: the problem, where it went, and
// whether a walk could be recorded at once.
struct Opened {
    Engine::HistoryProblem::Kind kind = Engine::HistoryProblem::Kind::unusable;
    fs::path keptAs;
    int walks = -1;
};
Opened openedInHelper(const fs::path &file, const fs::path &root)
{
    QProcess helper;
    helper.start(helperPath(), {"open-history", QString::fromStdString(file.native()),
                                QString::fromStdString(root.native())});
    // A FIFO opened would wait for a writer forever: the helper must end.
    if (!helper.waitForFinished(30000)) {
        helper.kill();
        helper.waitForFinished();
        qFatal("opening %s hung", file.c_str());
    }
    if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0)
        qFatal("opening %s failed: %s", file.c_str(), helper.readAllStandardError().constData());
    const QList<QByteArray> lines = helper.readAllStandardOutput().split('\n');
    return {Engine::HistoryProblem::Kind(lines.value(0).toInt()), lines.value(1).toStdString(),
            lines.value(2).toInt()};
}

// A history holding `count` walks of `root`, a day apart, closed.
void makeHistory(const fs::path &file, const fs::path &root, int count)
{
    const auto tree = walked(root);
    SpaceHistory history(file);
    for (int i = 0; i < count; ++i)
        if (!history.record(*tree, 1'800'000'000 + i * 86400, -1, -1))
            qFatal("cannot record in %s", file.c_str());
}

// Walks with these ids and times, the newest first, as `walks` gives them.
std::vector<HistoryWalk> walksAt(const std::vector<std::pair<qint64, qint64>> &idsAndTimes)
{
    std::vector<HistoryWalk> walks;
    for (const auto &[id, time] : idsAndTimes) {
        HistoryWalk walk;
        walk.id = id;
        walk.time = time;
        walks.push_back(walk);
    }
    return walks;
}

} // namespace

class SpaceHistoryTest : public QObject {
    Q_OBJECT

    fs::path base;

private slots:
    void initTestCase()
    {
        // Thinning goes by the local calendar: the test's days are UTC's.
        qputenv("TZ", "UTC");
        tzset();
    }

    void init()
    {
        base = TestHome::root() / "history" / QTest::currentTestFunction();
        if (QTest::currentDataTag())
            base /= QByteArray(QTest::currentDataTag()).toPercentEncoding().toStdString();
        folder(base);
    }

    // A walk goes in whole and comes back as it went in: its figures, and every entry within the
    // reach by its raw name.
    void recordedWalksComeBack()
    {
        const fs::path root = base / "t\nree\xff";
        file(root / "a" / "b" / "c" / "deep", 3 << 20);
        file(root / "a" / "small", 100);
        file(root / "odd\xfe name\n\u202e", 2 << 20);
        folder(root / "empty" / "inner");
        const auto tree = walked(root);
        const Engine::HistoryReach reach = Engine::historyReach(*tree);
        const RecordedSizes expected = Engine::recordedSizes(*tree, reach);
        QCOMPARE(reach.threshold, qint64(1) << 20);
        // Every folder down to the depth, the large entries below it, nothing small.
        for (const char *path : {"", "a", "a/b", "a/b/c", "a/b/c/deep", "odd\xfe name\n\u202e",
                                 "empty", "empty/inner"})
            QVERIFY2(expected.count(path), path);
        QVERIFY(!expected.count("a/small"));
        QCOMPARE(expected.at("a/b/c/deep").folder, false);
        QCOMPARE(expected.at("").size, tree->entry(SpaceTree::rootIndex).size);

        QVERIFY(Engine::historyPath().native().starts_with(TestHome::root().native()));
        SpaceHistory history;
        QVERIFY2(history.usable(), qPrintable(history.problem().detail));
        QCOMPARE(history.problem().kind, Engine::HistoryProblem::Kind::none);
        QVERIFY(fs::is_regular_file(Engine::historyPath()));
        const auto id = history.record(*tree, 1'800'000'000, 12345, 67890);
        QVERIFY(id);
        const std::vector<HistoryWalk> walks = history.walks(root);
        QCOMPARE(walks.size(), std::size_t(1));
        QCOMPARE(walks[0].id, *id);
        QCOMPARE(walks[0].time, qint64(1'800'000'000));
        QCOMPARE(walks[0].root, root);
        QCOMPARE(walks[0].size, tree->entry(SpaceTree::rootIndex).size);
        QCOMPARE(walks[0].free, qint64(12345));
        QCOMPARE(walks[0].total, qint64(67890));
        QCOMPARE(walks[0].depth, reach.depth);
        QCOMPARE(walks[0].threshold, reach.threshold);
        const RecordedSizes back = history.sizes(*id);
        QCOMPARE(back.size(), expected.size());
        for (const auto &[path, size] : expected) {
            const auto found = back.find(path);
            QVERIFY2(found != back.end(), path.c_str());
            QCOMPARE(found->second.size, size.size);
            QCOMPARE(found->second.apparent, size.apparent);
            QCOMPARE(found->second.folder, size.folder);
        }
        // Another root's walks are its own; an id the history does not hold has nothing.
        QVERIFY(history.walks(base).empty());
        QVERIFY(history.walks(root / "a").empty());
        QVERIFY(history.sizes(*id + 1).empty());
        // Another process's view of the file (here another connection) sees the walk.
        SpaceHistory again;
        QCOMPARE(again.walks(root).size(), std::size_t(1));
        QVERIFY(again.clear());
        QVERIFY(history.walks(root).empty());
        QVERIFY(history.sizes(*id).empty());
    }

    // Growth as du sees it: the change of `du -s` of each place between two walks, where the
    // walk before recorded it; nothing where it recorded too little to say.
    void growthIsWhatDuSees()
    {
        const fs::path root = base / "home";
        file(root / "a" / "big", 2 << 20);
        file(root / "a" / "b" / "c" / "deep", 3 << 20);
        file(root / "a" / "b" / "small" / "s", 10'000);
        file(root / "m" / "inner" / "x", 2 << 20);
        file(root / "gone" / "f", 3 << 19);
        file(root / "tiny", 100);
        folder(root / "n");
        const auto before = walked(root);
        const Engine::HistoryReach reach = Engine::historyReach(*before);
        QCOMPARE(reach.depth, 2);
        const std::vector<std::string> places{
            "",        "a", "a/b",     "a/b/c", "a/b/c/deep",   "a/big",     "a/b/small", "m",
            "m/inner", "n", "n/inner", "a/new", "a/new/deeper", "a/b/c/sub", "tiny",      "gone"};
        std::map<std::string, std::pair<qint64, qint64>> duBefore;
        for (const std::string &place : places)
            duBefore[place] = {du(root / place), du(root / place, true)};
        SpaceHistory history;
        const auto id = history.record(*before, 1'800'000'000, -1, -1);
        QVERIFY(id);
        const HistoryWalk then = history.walks(root).at(0);
        const RecordedSizes sizesThen = history.sizes(*id);

        file(root / "a" / "b" / "c" / "more", 1 << 20);         // added
        fs::remove(root / "a" / "big");                         // removed
        fs::rename(root / "m" / "inner", root / "n" / "inner"); // moved
        file(root / "a" / "new" / "deeper" / "f", 1 << 20);     // a new folder, within the depth
        file(root / "a" / "b" / "c" / "sub" / "f", 1 << 20);    // and one beyond it
        file(root / "a" / "b" / "small" / "t", 10'000);         // below the threshold
        file(root / "tiny2", 100);
        fs::remove_all(root / "gone");
        const auto after = walked(root);

        // Known: what was recorded then, and the folders within the depth that were not there.
        for (const char *known : {"", "a", "a/b", "a/b/c", "a/b/c/deep", "m", "m/inner", "n",
                                  "n/inner", "a/new", "a/new/deeper"}) {
            const auto index = after->find(root / known);
            if (!index)
                continue; // gone: whatGrew's to say
            for (const bool apparent : {false, true}) {
                const auto grown = Engine::grownSince(*after, *index, then, sizesThen, apparent);
                const qint64 expected =
                    du(root / known, apparent)
                    - (apparent ? duBefore[known].second : duBefore[known].first);
                QVERIFY2(grown, known);
                QVERIFY2(*grown == expected, qPrintable(QString("%1%2: %3, du %4")
                                                            .arg(known, apparent ? " apparent" : "")
                                                            .arg(*grown)
                                                            .arg(expected)));
            }
        }
        QVERIFY(*Engine::grownSince(*after, indexAt(*after, root / "m"), then, sizesThen) < 0);
        QVERIFY(*Engine::grownSince(*after, indexAt(*after, root / "n"), then, sizesThen) > 0);
        // Unknown: below the threshold then and beyond the depth, or a small file.
        for (const char *unknown : {"a/b/small", "a/b/c/sub", "a/b/c/sub/f", "a/b/c/more", "tiny",
                                    "tiny2", "a/b/small/t"})
            QVERIFY2(!Engine::grownSince(*after, indexAt(*after, root / unknown), then, sizesThen),
                     unknown);
        // Against another root's walk, nothing.
        HistoryWalk elsewhere = then;
        elsewhere.root = base;
        QVERIFY(!Engine::grownSince(*after, SpaceTree::rootIndex, elsewhere, sizesThen));
    }

    // What grew most: the deepest folder holding most of each growth, the largest first, then
    // what shrank, a folder gone included.
    void whatGrewMost()
    {
        const fs::path root = base / "home";
        file(root / "p" / "q" / "r" / "old", 2 << 20);
        file(root / "s" / "x" / "old", 2 << 20);
        folder(root / "s" / "y");
        file(root / "gone" / "f", 3 << 20);
        file(root / "still" / "f", 1 << 20);
        const auto before = walked(root);
        SpaceHistory history;
        const auto id = history.record(*before, 1'800'000'000, -1, -1);
        QVERIFY(id);
        const HistoryWalk then = history.walks(root).at(0);
        const RecordedSizes sizesThen = history.sizes(*id);
        std::map<std::string, qint64> duBefore;
        for (const char *place : {"", "p/q/r", "s", "s/x", "s/y"})
            duBefore[place] = du(root / place);

        file(root / "p" / "q" / "r" / "new", 8 << 20); // deep in p, all of it in p/q/r
        file(root / "s" / "x" / "new", 2 << 20);       // s, shared by two folders
        file(root / "s" / "y" / "new", 2 << 20);
        fs::remove_all(root / "gone");
        const auto after = walked(root);

        const std::vector<Engine::Growth> grew = Engine::whatGrew(*after, then, sizesThen);
        QStringList listed;
        for (const Engine::Growth &growth : grew)
            listed << QString::fromStdString(growth.path);
        // p and p/q hold no more than p/q/r does, nor the root, which grew by 9 MiB in all.
        QCOMPARE(listed.join(" | "), QString("p/q/r | s | s/x | s/y | gone"));
        for (const Engine::Growth &growth : grew) {
            if (growth.path == "gone") {
                QCOMPARE(growth.index, SpaceTree::noEntry);
                QCOMPARE(growth.grown, -sizesThen.at("gone").size);
                QCOMPARE(growth.size, qint64(0));
                continue;
            }
            QCOMPARE(growth.index, indexAt(*after, root / growth.path));
            QCOMPARE(growth.grown, du(root / growth.path) - duBefore[growth.path]);
            QCOMPARE(growth.size, du(root / growth.path));
        }
        const std::vector<Engine::Growth> two = Engine::whatGrew(*after, then, sizesThen, 2);
        QCOMPARE(two.size(), std::size_t(2));
        QCOMPARE(two[0].path, std::string("p/q/r"));
        QCOMPARE(two[1].path, std::string("s"));

        // A folder moved: where it went grows, where it was shrinks, nothing above.
        const auto moved = history.record(*after, 1'800'086'400, -1, -1);
        fs::rename(root / "s" / "x", root / "p" / "x");
        const auto later = walked(root);
        const std::vector<Engine::Growth> move =
            Engine::whatGrew(*later, history.walks(root).at(0), history.sizes(*moved));
        QCOMPARE(move.size(), std::size_t(2));
        QCOMPARE(move[0].path, std::string("p/x"));
        QCOMPARE(move[0].grown, du(root / "p" / "x"));
        QCOMPARE(move[1].path, std::string("s/x"));
        QCOMPARE(move[1].index, SpaceTree::noEntry);
        QCOMPARE(move[0].grown, -move[1].grown);
        // Nothing changed, nothing grew.
        const auto same = history.record(*later, 1'800'172'800, -1, -1);
        QVERIFY(Engine::whatGrew(*later, history.walks(root).at(0), history.sizes(*same)).empty());
    }

    // A process recording walks, killed at random moments: the file stays sound, and every walk
    // it holds is whole.
    void killedWhileRecording()
    {
        const fs::path root = base / "tree";
        // Thousands of folders within the depth: each walk's rows take a while to go in and out.
        for (int i = 0; i < 100; ++i)
            for (int j = 0; j < 30; ++j)
                folder(root / ("d" + std::to_string(i)) / ("e" + std::to_string(j)));
        file(root / "big", 2 << 20);
        const auto tree = walked(root);
        const RecordedSizes whole = Engine::recordedSizes(*tree, Engine::historyReach(*tree));
        QVERIFY(whole.size() > 3000);
        const fs::path historyFile = base / "state" / "history.sqlite";
        auto *random = QRandomGenerator::global();
        for (int round = 0; round < 40; ++round) {
            QProcess helper;
            helper.start(helperPath(),
                         {"record-history", QString::fromStdString(historyFile.native()),
                          QString::fromStdString(root.native())});
            QVERIFY(helper.waitForStarted(30000));
            // At least one walk recorded in this round, then a moment later.
            const int atLeast = 1 + int(random->bounded(3));
            QByteArray said;
            while (said.count("recorded") < atLeast) {
                QVERIFY2(helper.waitForReadyRead(60000),
                         qPrintable("the helper stopped: " + helper.readAllStandardError()));
                said += helper.readAllStandardOutput();
            }
            QThread::usleep(random->bounded(40000));
            ::kill(pid_t(helper.processId()), SIGKILL);
            QVERIFY(helper.waitForFinished(30000));
            said += helper.readAllStandardOutput();
            const QList<QByteArray> ids = said.trimmed().split('\n');
            const qint64 lastRecorded = ids.last().split(' ').value(1).toLongLong();

            QCOMPARE(sqlite3(historyFile, "PRAGMA integrity_check"), QByteArray("ok"));
            SpaceHistory history(historyFile);
            QCOMPARE(history.problem().kind, Engine::HistoryProblem::Kind::none);
            const std::vector<HistoryWalk> walks = history.walks(root);
            QVERIFY(!walks.empty());
            QVERIFY2(walks.front().id >= lastRecorded, "a walk recorded was lost");
            for (const HistoryWalk &walk : walks) {
                QCOMPARE(walk.size, whole.at("").size);
                const RecordedSizes sizes = history.sizes(walk.id);
                QCOMPARE(sizes.size(), whole.size());
                for (const auto &[path, size] : whole)
                    QVERIFY2(sizes.count(path) && sizes.at(path).size == size.size, path.c_str());
            }
        }
    }

    // What is found in the history's place and cannot be used is kept aside, never lost, and a
    // fresh history works at once.
    void oddFilesAreKeptAside_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("kind");
        using Kind = Engine::HistoryProblem::Kind;
        QTest::newRow("missing") << "missing" << int(Kind::none);
        QTest::newRow("empty") << "empty" << int(Kind::none);
        QTest::newRow("text") << "text" << int(Kind::notDatabase);
        QTest::newRow("fifo") << "fifo" << int(Kind::notDatabase);
        QTest::newRow("fifo as its log") << "fifo-wal" << int(Kind::notDatabase);
        QTest::newRow("link to a history") << "link" << int(Kind::notDatabase);
        QTest::newRow("dangling link") << "dangling" << int(Kind::notDatabase);
        QTest::newRow("folder") << "folder" << int(Kind::notDatabase);
        QTest::newRow("log without database") << "wal-alone" << int(Kind::notDatabase);
        QTest::newRow("another program's") << "other" << int(Kind::notDatabase);
        QTest::newRow("newer") << "newer" << int(Kind::newer);
        QTest::newRow("damaged") << "damaged" << int(Kind::damaged);
    }
    void oddFilesAreKeptAside()
    {
        QFETCH(QString, what);
        QFETCH(int, kind);
        const fs::path root = base / "tree";
        file(root / "a" / "f", 1 << 20);
        const fs::path state = base / "state";
        folder(state);
        const fs::path historyFile = state / "history.sqlite";
        const fs::path elsewhere = base / "elsewhere.sqlite";
        if (what == "empty") {
            write(historyFile, {});
        } else if (what == "text") {
            write(historyFile, "walks: none\n");
        } else if (what == "fifo" || what == "fifo-wal") {
            if (what == "fifo-wal")
                makeHistory(historyFile, root, 1);
            QCOMPARE(mkfifo((what == "fifo" ? historyFile : fs::path(historyFile.native() + "-wal"))
                                .c_str(),
                            0600),
                     0);
        } else if (what == "link") {
            makeHistory(elsewhere, root, 2);
            fs::create_symlink(elsewhere, historyFile);
        } else if (what == "dangling") {
            fs::create_symlink(elsewhere, historyFile);
        } else if (what == "folder") {
            file(historyFile / "inside", 10);
        } else if (what == "wal-alone") {
            // A log left by a history of that name that is gone.
            makeHistory(elsewhere, root, 1);
            SpaceHistory open(elsewhere);
            QVERIFY(open.record(*walked(root), 1'900'000'000, -1, -1));
            fs::copy_file(elsewhere.native() + "-wal", historyFile.native() + "-wal");
            QVERIFY(fs::file_size(historyFile.native() + "-wal") > 0);
        } else if (what == "other") {
            QCOMPARE(sqlite3(historyFile, "CREATE TABLE notes(text)"), QByteArray());
        } else if (what == "newer") {
            makeHistory(historyFile, root, 2);
            QCOMPARE(sqlite3(historyFile, "PRAGMA user_version=99"), QByteArray());
        } else if (what == "damaged") {
            for (int i = 0; i < 300; ++i)
                file(root / "many" / std::to_string(i) / "f", 10);
            makeHistory(historyFile, root, 30);
            // Garbage over pages in its middle, its header left alone; and a log of changes
            // beside it, which goes with it.
            const qint64 bytes = qint64(fs::file_size(historyFile));
            QVERIFY(bytes > 16 * 4096);
            QByteArray content = read(historyFile);
            for (qint64 at = bytes / 3; at < 2 * bytes / 3; ++at)
                content[at] = char(QRandomGenerator::global()->bounded(256));
            write(historyFile, content);
            write(historyFile.native() + "-wal", {});
            fs::permissions(historyFile.native() + "-wal",
                            fs::perms::owner_read | fs::perms::owner_write);
        }
        const auto manifestBefore = manifest(base);
        const auto elsewhereBefore = read(elsewhere);

        const Opened opened = openedInHelper(historyFile, root);
        QCOMPARE(int(opened.kind), kind);
        // A fresh history, working at once.
        QCOMPARE(opened.walks, 1);
        QCOMPARE(read(elsewhere), elsewhereBefore);
        if (kind == int(Engine::HistoryProblem::Kind::none)) {
            QVERIFY(opened.keptAs.empty());
            return;
        }
        // What was there is now next to it under the name given, as it was.
        QCOMPARE(opened.keptAs.parent_path(), state);
        QVERIFY(fs::exists(fs::symlink_status(opened.keptAs)) || what == "wal-alone");
        const auto manifestAfter = manifest(base);
        const std::string was = historyFile.lexically_relative(base).native();
        const std::string kept = opened.keptAs.lexically_relative(base).native();
        for (const auto &[path, item] : manifestBefore) {
            if (path.starts_with("tree"))
                continue;
            std::string now = path;
            if (path.starts_with(was))
                now = kept + path.substr(was.size());
            QVERIFY2(manifestAfter.count(now), now.c_str());
            QVERIFY2(manifestAfter.at(now) == item,
                     (now + ": " + manifestAfter.at(now) + " was " + item).c_str());
        }
        if (what == "newer")
            QCOMPARE(sqlite3(opened.keptAs, "PRAGMA user_version"), QByteArray("99"));
        if (what == "fifo")
            QVERIFY(fs::is_fifo(fs::symlink_status(opened.keptAs)));
        if (what == "link")
            QVERIFY(fs::is_symlink(fs::symlink_status(opened.keptAs)));
        // And the history left in its place is a sound one of the walk just recorded.
        QVERIFY(fs::is_regular_file(fs::symlink_status(historyFile)));
        QCOMPARE(sqlite3(historyFile, "PRAGMA integrity_check"), QByteArray("ok"));
        QCOMPARE(sqlite3(historyFile, "SELECT count(*) FROM walks"), QByteArray("1"));
    }

    // The history's folder is made only below a folder of the user's, whatever its name.
    void historyFolders()
    {
        const fs::path odd = base
                             / "st\xff"
                               "ate\n"
                             / "Ampa" / "history.sqlite";
        {
            SpaceHistory history(odd);
            QVERIFY2(history.usable(), qPrintable(history.problem().detail));
            QVERIFY(history.record(*walked(base), 1'800'000'000, -1, -1));
            QCOMPARE(history.walks(base).size(), std::size_t(1));
        }
        QVERIFY(fs::is_regular_file(odd));
        QCOMPARE((fs::status(odd).permissions() & fs::perms::all),
                 fs::perms::owner_read | fs::perms::owner_write);
        QCOMPARE((fs::status(odd.parent_path()).permissions() & fs::perms::all),
                 fs::perms::owner_all);
        if (geteuid() != 0)
            QSKIP("only root can give a folder to another user");
        const fs::path theirs = base / "theirs";
        folder(theirs);
        QCOMPARE(chown(theirs.c_str(), 65534, 65534), 0);
        SpaceHistory history(theirs / "Ampa" / "history.sqlite");
        QVERIFY(!history.usable());
        QCOMPARE(history.problem().kind, Engine::HistoryProblem::Kind::unusable);
        QVERIFY(!fs::exists(theirs / "Ampa"));
        QVERIFY(!history.record(*walked(base), 1'800'000'000, -1, -1));
        QVERIFY(history.walks(base).empty());
        QVERIFY(!history.clear());
    }

    // A year and more of daily walks: the two newest stay, then the newest of each day for a
    // month, of each week for a year and of each month before.
    void thinning()
    {
        const fs::path root = base / "tree";
        file(root / "f", 10);
        // The first days' walks hold a folder gone since.
        folder(root / "early");
        const auto earlyTree = walked(root);
        fs::remove(root / "early");
        const auto tree = walked(root);
        const fs::path other = base / "other";
        folder(other);
        const auto otherTree = walked(other);
        const fs::path historyFile = base / "history.sqlite";
        SpaceHistory history(historyFile);
        const qint64 first = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
        const int days = 500;
        QVERIFY(history.record(*otherTree, first - 3 * 86400, -1, -1));
        QVERIFY(history.record(*otherTree, first - 2 * 86400, -1, -1));
        QVERIFY(history.record(*otherTree, first - 2 * 86400 + 60, -1, -1));
        for (int i = 0; i < days; ++i)
            QVERIFY(history.record(i < 10 ? *earlyTree : *tree, first + i * 86400, -1, -1));
        // Three more on the last day: the two newest of them stay.
        const qint64 last = first + (days - 1) * 86400;
        for (const int hours : {2, 4, 6})
            QVERIFY(history.record(*tree, last + hours * 3600, -1, -1));
        const qint64 now = last + 6 * 3600;

        std::set<qint64> times;
        for (const HistoryWalk &walk : history.walks(root))
            times.insert(walk.time);
        QVERIFY(!times.count(last + 2 * 3600));
        QVERIFY(times.count(last + 4 * 3600) && times.count(now));
        QVERIFY(!times.count(last)); // no longer the newest of its day
        std::map<qint64, int> perWeek, perMonth;
        for (int i = 0; i < days - 1; ++i) {
            const qint64 time = first + i * 86400;
            const QDate date = QDateTime::fromSecsSinceEpoch(time, Qt::UTC).date();
            const qint64 age = now - time;
            if (age <= 31 * 86400)
                QVERIFY2(times.count(time), qPrintable(date.toString(Qt::ISODate)));
            else if (age <= 365 * 86400)
                perWeek[date.toJulianDay() / 7] += times.count(time);
            else
                perMonth[date.year() * 12 + date.month()] += times.count(time);
        }
        // Whole weeks and months: one each, the newest of it (a week's Sunday).
        perWeek.erase(perWeek.begin());
        perWeek.erase(std::prev(perWeek.end()));
        perMonth.erase(std::prev(perMonth.end()));
        QVERIFY(perWeek.size() > 40);
        for (const auto &[week, count] : perWeek)
            QCOMPARE(count, 1);
        QVERIFY(perMonth.size() >= 3);
        for (const auto &[month, count] : perMonth)
            QCOMPARE(count, 1);
        for (const qint64 time : times) {
            const qint64 age = now - time;
            if (age > 38 * 86400 && age <= 358 * 86400)
                QCOMPARE(QDateTime::fromSecsSinceEpoch(time, Qt::UTC).date().dayOfWeek(), 7);
        }
        QVERIFY(times.size() < 32 + 53 + 12);
        // Another root's walks are thinned only by its own recording.
        QCOMPARE(history.walks(other).size(), std::size_t(3));
        history.thin(other, now);
        QCOMPARE(history.walks(other).size(), std::size_t(2));
        // Thinning never leaves paths that no walk holds: "early" went with its walks.
        QCOMPARE(sqlite3(historyFile, "SELECT count(*) FROM paths"), QByteArray("1"));
        QCOMPARE(sqlite3(historyFile,
                         "SELECT count(*) FROM paths WHERE id NOT IN (SELECT path FROM sizes)"),
                 QByteArray("0"));
    }

    void walkToCompare()
    {
        const qint64 now = 1'800'000'000;
        const qint64 d = 86400;
        const auto walks = walksAt({{9, now}, {7, now - d}, {5, now - 3 * d}, {2, now - 10 * d}});
        // The last walk before the current one, or the newest when the current is none of them.
        QCOMPARE(Engine::walkToCompare(walks, 9, {}, now)->id, qint64(7));
        QCOMPARE(Engine::walkToCompare(walks, 5, {}, now)->id, qint64(2));
        QCOMPARE(Engine::walkToCompare(walks, {}, {}, now)->id, qint64(9));
        QCOMPARE(Engine::walkToCompare(walks, 42, {}, now)->id, qint64(9));
        QVERIFY(!Engine::walkToCompare(walks, 2, {}, now));
        // Nearest to so many days ago, never the current one.
        QCOMPARE(Engine::walkToCompare(walks, 9, 2, now)->id, qint64(7));
        QCOMPARE(Engine::walkToCompare(walks, 9, 3, now)->id, qint64(5));
        QCOMPARE(Engine::walkToCompare(walks, 9, 7, now)->id, qint64(2));
        QCOMPARE(Engine::walkToCompare(walks, 9, 365, now)->id, qint64(2));
        QCOMPARE(Engine::walkToCompare(walks, 9, 0, now)->id, qint64(7));
        QCOMPARE(Engine::walkToCompare(walks, {}, 0, now)->id, qint64(9));
        // None other held.
        QVERIFY(!Engine::walkToCompare(walksAt({{9, now}}), 9, {}, now));
        QVERIFY(!Engine::walkToCompare(walksAt({{9, now}}), 9, 3, now));
        QVERIFY(!Engine::walkToCompare({}, {}, 3, now));
        QVERIFY(!Engine::walkToCompare({}, {}, {}, now));
    }
};

AMPA_TEST_MAIN(SpaceHistoryTest)
#include "tst_spacehistory.moc"
