#include "SpaceGrowth.h"
#include "SpaceHistory.h"
#include "SpaceTesting.h"
#include "SpaceTree.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>

#include <map>

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

} // namespace

class SpaceHistoryTest : public QObject {
    Q_OBJECT

    fs::path base;

private slots:
    void init()
    {
        base = TestHome::root() / "history" / QTest::currentTestFunction();
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
};

AMPA_TEST_MAIN(SpaceHistoryTest)
#include "tst_spacehistory.moc"
