#include "Helper.h"
#include "Stop.h"
#include "TestHome.h"
#include "TreeBuilder.h"
#include "TreeSize.h"

#include <QProcess>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

// What `du` says the item takes, in bytes, staying on its file system.
qint64 du(const fs::path &path)
{
    QProcess process;
    process.start("du", {"-s", "-x", "-B1", QString::fromUtf8(path.native())});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("du failed on %s", path.c_str());
    return process.readAllStandardOutput().split('\t').value(0).toLongLong();
}

class TreeSizeTest : public QObject {
    Q_OBJECT

    fs::path base;
    fs::path dir(const char *name) const { return base / name; }

private slots:
    void init()
    {
        base = TestHome::root() / "trees" / QTest::currentTestFunction();
        if (QTest::currentDataTag())
            base /= QTest::currentDataTag();
        folder(base);
    }

    // A folder counts as `du` counts it: its own blocks and every entry's (folders, files, links,
    // special files), a file with two names inside once. Links lead nowhere.
    void countsWhatDuCounts()
    {
        const fs::path tree = dir("tree");
        const std::vector<fs::path> files{tree / "a.bin",
                                          tree / ".hidden",
                                          tree / "sub/b.bin",
                                          tree / "sub/.config/deep/c.bin",
                                          tree / "App.app/Contents/MacOS/App",
                                          tree / "\xff\xfe-not-utf8.bin",
                                          tree / "-leading dash %#"};
        qint64 bytes = 1000;
        for (const fs::path &path : files)
            file(path, bytes *= 3);
        fs::create_hard_link(tree / "a.bin", tree / "sub/a-again");
        // Many small folders, as a package manager lays them out: their blocks are most of it.
        for (int i = 0; i < 300; ++i)
            file(tree / "node_modules" / ("pkg" + std::to_string(i)) / "lib/index.js", 100);
        // One folder that grew large with entries keeps its size.
        for (int i = 0; i < 400; ++i)
            file(tree / "wide" / ("entry-with-a-longer-name-" + std::to_string(i)), 0);
        file(dir("outside/big.bin"), 1 << 20);
        symlink(dir("outside"), tree / "sub/link-out");
        symlink(dir("outside/big.bin"), tree / "links/to-file");
        symlink(tree, tree / "sub/.config/link-to-top");
        symlink(dir("nowhere"), tree / "links/dangling");
        symlink("loop-b", tree / "links/loop-a");
        symlink("loop-a", tree / "links/loop-b");
        symlink("..", tree / "links/parent");
        symlink(".", tree / "links/self");
        symlink(std::string(3000, 'x'), tree / "links/long-target"); // takes a block of its own
        QVERIFY(mkfifo((tree / "links/pipe").c_str(), 0600) == 0);

        const qint64 expected = du(tree);
        QVERIFY(expected > allocated(tree / "links/long-target"));
        QCOMPARE(Engine::size(tree), expected);
        QCOMPARE(Engine::size(fs::path(tree.native() + "//")), expected);
        QCOMPARE(Engine::size(tree / "links"), du(tree / "links"));
        QCOMPARE(Engine::size(tree / "node_modules"), du(tree / "node_modules"));
        QCOMPARE(Engine::size(tree / "wide"), du(tree / "wide"));
        QVERIFY(allocated(tree / "wide") > allocated(tree / "sub"));
    }

    // A file with several names comes back only when every name goes: inside the tree once, and
    // not at all when a name lies outside.
    void hardLinksCountWhenAllTheirNamesGo_data()
    {
        QTest::addColumn<QString>("second"); // where the file's second name lies
        QTest::addColumn<bool>("counted");
        QTest::newRow("same folder") << "tree/again.bin" << true;
        QTest::newRow("sub-folder") << "tree/sub/again.bin" << true;
        QTest::newRow("outside") << "elsewhere/again.bin" << false;
    }

    void hardLinksCountWhenAllTheirNamesGo()
    {
        QFETCH(QString, second);
        QFETCH(bool, counted);
        file(dir("tree/data.bin"), 300000);
        folder(dir("tree/sub"));
        folder(dir("elsewhere"));
        fs::create_hard_link(dir("tree/data.bin"), base / second.toStdString());
        const qint64 folders = allocated(dir("tree")) + allocated(dir("tree/sub"));
        const qint64 data = allocated(dir("tree/data.bin"));
        QCOMPARE(Engine::size(dir("tree")), folders + (counted ? data : 0));
        QCOMPARE(Engine::size(dir("tree/data.bin")), 0);
        QCOMPARE(Engine::reclaimableSize({dir("tree"), dir("elsewhere")}),
                 folders + allocated(dir("elsewhere")) + data);
    }

    // The item given is measured as itself: a link is never followed, a FIFO never opened, a
    // sparse file counts what it allocates, not its length, and nothing counts nothing.
    void itemsThatAreNotFolders()
    {
        file(dir("folder/content.bin"), 200000);
        file(dir("single.bin"), 70000);
        symlink(dir("folder"), dir("link-to-folder"));
        QVERIFY(mkfifo(dir("pipe").c_str(), 0600) == 0);
        QVERIFY(mkfifo(dir("folder/pipe").c_str(), 0600) == 0);
        const fs::path sparse = dir("sparse/sparse.img");
        file(sparse, 4096);
        QVERIFY(truncate(sparse.c_str(), 256LL << 20) == 0);
        folder(dir("empty"));

        QCOMPARE(Engine::size(dir("single.bin")), allocated(dir("single.bin")));
        QCOMPARE(Engine::size(dir("link-to-folder")), allocated(dir("link-to-folder")));
        QCOMPARE(Engine::size(dir("link-to-folder/")), allocated(dir("link-to-folder")));
        QCOMPARE(Engine::size(dir("pipe")), 0);
        QCOMPARE(Engine::size(dir("folder")),
                 allocated(dir("folder")) + allocated(dir("folder/content.bin")));
        QCOMPARE(Engine::contentSize(dir("folder")), allocated(dir("folder/content.bin")));
        QCOMPARE(Engine::contentSize(dir("single.bin")), allocated(dir("single.bin")));
        QCOMPARE(Engine::size(sparse), allocated(sparse));
        QVERIFY(Engine::size(sparse) < (1 << 20));
        QCOMPARE(Engine::size(dir("sparse")), allocated(dir("sparse")) + allocated(sparse));
        QCOMPARE(Engine::size(dir("missing")), 0);
        QCOMPARE(Engine::size(""), 0);
        QCOMPARE(Engine::size(dir("empty")), allocated(dir("empty")));
        QCOMPARE(Engine::size(dir("empty/")), allocated(dir("empty")));
        QCOMPARE(Engine::contentSize(dir("empty")), 0);
    }

    // CI runs as root, who reads everything: the walk runs as an unprivileged user in a child.
    void unreadableSubFolderIsSkipped()
    {
        const fs::path tree = dir("tree");
        file(tree / "readable.bin", 30000);
        file(tree / "locked/secret.bin", 90000);
        file(tree / "locked/inner/more.bin", 90000);
        file(tree / "shut/inside.bin", 90000);
        // The locked folders themselves are counted: a removal opens them up and takes them.
        const qint64 readable = allocated(tree) + allocated(tree / "readable.bin")
                                + allocated(tree / "locked") + allocated(tree / "shut");
        makePassable(tree);
        chmod((tree / "locked").c_str(), 0000); // neither listable nor passable
        chmod((tree / "shut").c_str(), 0311);   // passable but not listable

        const QByteArray out = runHelper({"size-unprivileged", QString::fromUtf8(tree.native())});
        QCOMPARE(out.trimmed().toLongLong(), readable);

        chmod((tree / "locked").c_str(), 0755);
        chmod((tree / "shut").c_str(), 0755);
    }

    // Deeper than the descriptors the process may hold: every level still counts, and the removal
    // takes every level, nothing half-done and silent.
    void deepChainWithFewDescriptors()
    {
        const fs::path deep = base / "deep";
        const qint64 expected = deepChain(deep, 1500);
        const QString path = QString::fromUtf8(deep.native());
        QCOMPARE(runHelper({"size-with-fd-limit", "32", path}).trimmed().toLongLong(), expected);
        QCOMPARE(runHelper({"remove-with-fd-limit", "32", path}), "\n");
        QVERIFY(!fs::exists(deep));
    }

    // What is mounted inside a folder is not the folder's: removal would not go there either. A
    // bind mount has the device number of what it mirrors: only the mount id tells.
    void otherMountsAreNotEntered_data()
    {
        QTest::addColumn<bool>("bind");
        QTest::newRow("tmpfs") << false;
        QTest::newRow("bind mount") << true;
    }

    void otherMountsAreNotEntered()
    {
        QFETCH(bool, bind);
        if (geteuid() != 0)
            QSKIP("mounting needs root");
        file(dir("cache/own.bin"), 40000);
        file(dir("elsewhere/big.bin"), 1 << 20);
        folder(dir("cache/mounted"));
        const int mounted =
            bind ? mount(dir("elsewhere").c_str(), dir("cache/mounted").c_str(), nullptr, MS_BIND,
                         nullptr)
                 : mount("ampa-test", dir("cache/mounted").c_str(), "tmpfs", 0, "size=8m");
        if (mounted != 0)
            QSKIP("this machine does not allow mounts here");
        if (!bind)
            file(dir("cache/mounted/foreign.bin"), 1 << 20);
        const qint64 measured = Engine::size(dir("cache"));
        const qint64 foreign = Engine::size(dir("cache/mounted"));
        umount(dir("cache/mounted").c_str());
        QCOMPARE(measured, allocated(dir("cache")) + allocated(dir("cache/own.bin")));
        QVERIFY(foreign >= (1 << 20));
    }

    // Work asked to stop ends its walk early with what it has: a set flag measures next to
    // nothing of a large tree, on every worker.
    void stopFlagEndsTheWalk()
    {
        const fs::path tree = base / "tree";
        for (int folder = 0; folder < 50; ++folder)
            file(tree / ("d" + std::to_string(folder)) / "data", 40000);
        const qint64 whole = Engine::size(tree);
        QVERIFY(whole >= 50 * 40000);
        std::atomic<bool> stop = true;
        const Engine::StopScope scope(&stop);
        QVERIFY(Engine::size(tree) < whole);
    }
};

AMPA_TEST_MAIN(TreeSizeTest)
#include "tst_treesize.moc"
