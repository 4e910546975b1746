#include "Helper.h"
#include "Stop.h"
#include "TestHome.h"
#include "TreeBuilder.h"
#include "TreeSize.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

class TreeSizeTest : public QObject {
    Q_OBJECT

    fs::path base;
    fs::path dir(const char *name) const { return base / name; }

private slots:
    void init()
    {
        base = TestHome::root() / "trees" / QTest::currentTestFunction();
        folder(base);
    }

    void nothingThereOrNothingInside()
    {
        QCOMPARE(Engine::size(dir("missing")), 0);
        QCOMPARE(Engine::size(""), 0);
        folder(dir("empty"));
        QCOMPARE(Engine::size(dir("empty")), 0);
        QCOMPARE(Engine::size(dir("empty/")), 0);
    }

    void onlySymbolicLinksCountNothing()
    {
        file(dir("outside/big.bin"), 1 << 20);
        symlink(dir("outside"), dir("links/to-folder"));
        symlink(dir("outside/big.bin"), dir("links/to-file"));
        symlink(dir("nowhere"), dir("links/dangling"));
        symlink("loop-b", dir("links/loop-a"));
        symlink("loop-a", dir("links/loop-b"));
        symlink("..", dir("links/parent"));
        symlink(".", dir("links/self"));
        QCOMPARE(Engine::size(dir("links")), 0);
    }

    void countsEveryRegularFileOnceItIsReached()
    {
        const fs::path tree = dir("tree");
        const std::vector<fs::path> files{tree / "a.bin",
                                          tree / ".hidden",
                                          tree / "sub/b.bin",
                                          tree / "sub/.config/deep/c.bin",
                                          tree / "App.app/Contents/MacOS/App",
                                          tree / "\xff\xfe-not-utf8.bin",
                                          tree / "-leading dash %#"};
        qint64 expected = 0;
        qint64 bytes = 1000;
        for (const fs::path &path : files) {
            file(path, bytes *= 3);
            expected += allocated(path);
        }
        file(dir("outside/big.bin"), 1 << 20);
        symlink(dir("outside"), tree / "sub/link-out");
        symlink(tree, tree / "sub/.config/link-to-top");
        QVERIFY(expected > 0);
        QCOMPARE(Engine::size(tree), expected);
        QCOMPARE(Engine::size(fs::path(tree.native() + "//")), expected);
    }

    void allocatedSpaceNotLength()
    {
        const fs::path sparse = dir("sparse.img");
        file(sparse, 4096);
        QVERIFY(truncate(sparse.c_str(), 256LL << 20) == 0);
        QCOMPARE(fs::file_size(sparse), 256ULL << 20);
        QCOMPARE(Engine::size(sparse), allocated(sparse));
        QVERIFY(Engine::size(sparse) < (1 << 20));
        QCOMPARE(Engine::size(base), allocated(sparse));
    }

    void hardLinksCountEachTime()
    {
        file(dir("data/original"), 50000);
        fs::create_hard_link(dir("data/original"), dir("data/second-name"));
        QCOMPARE(Engine::size(dir("data")), 2 * allocated(dir("data/original")));
    }

    // The item given is measured as itself: a link is never followed, a FIFO never opened.
    void itemsThatAreNotFolders()
    {
        file(dir("folder/content.bin"), 200000);
        file(dir("single.bin"), 70000);
        symlink(dir("folder"), dir("link-to-folder"));
        QVERIFY(mkfifo(dir("pipe").c_str(), 0600) == 0);
        QVERIFY(mkfifo(dir("folder/pipe").c_str(), 0600) == 0);

        QCOMPARE(Engine::size(dir("single.bin")), allocated(dir("single.bin")));
        QCOMPARE(Engine::size(dir("link-to-folder")), allocated(dir("link-to-folder")));
        QCOMPARE(Engine::size(dir("link-to-folder/")), allocated(dir("link-to-folder")));
        QCOMPARE(Engine::size(dir("pipe")), 0);
        QCOMPARE(Engine::size(dir("folder")), allocated(dir("folder/content.bin")));
    }

    // CI runs as root, who reads everything: the walk runs as an unprivileged user in a child.
    void unreadableSubFolderIsSkipped()
    {
        const fs::path tree = dir("tree");
        file(tree / "readable.bin", 30000);
        file(tree / "locked/secret.bin", 90000);
        file(tree / "locked/inner/more.bin", 90000);
        file(tree / "shut/inside.bin", 90000);
        const qint64 readable = allocated(tree / "readable.bin");
        makePassable(tree);
        chmod((tree / "locked").c_str(), 0000); // neither listable nor passable
        chmod((tree / "shut").c_str(), 0311);   // passable but not listable

        const QByteArray out = runHelper({"size-unprivileged", QString::fromUtf8(tree.native())});
        QCOMPARE(out.trimmed().toLongLong(), readable);

        chmod((tree / "locked").c_str(), 0755);
        chmod((tree / "shut").c_str(), 0755);
    }

    // Deeper than the descriptors the process may hold: every level still counts.
    void deepChainWithFewDescriptors()
    {
        int level = open(base.c_str(), O_RDONLY | O_DIRECTORY);
        QVERIFY(mkdirat(level, "deep", 0755) == 0);
        const int deep = openat(level, "deep", O_RDONLY | O_DIRECTORY);
        close(level);
        level = deep;
        qint64 expected = 0;
        for (int i = 0; i < 1500; ++i) {
            const int fd = openat(level, "f", O_WRONLY | O_CREAT, 0644);
            QVERIFY(fd >= 0);
            QVERIFY(write(fd, "0123456789", 10) == 10);
            fsync(fd);
            struct stat st {};
            fstat(fd, &st);
            expected += st.st_blocks * 512;
            close(fd);
            QVERIFY(mkdirat(level, "d", 0755) == 0);
            const int next = openat(level, "d", O_RDONLY | O_DIRECTORY);
            close(level);
            level = next;
        }
        close(level);
        const QByteArray out =
            runHelper({"size-with-fd-limit", "32", QString::fromUtf8((base / "deep").native())});
        QCOMPARE(out.trimmed().toLongLong(), expected);
        runHelper({"remove-with-fd-limit", "32", QString::fromUtf8((base / "deep").native())});
    }

    // What is mounted inside a folder is not the folder's: removal would not go there either.
    void otherFileSystemsAreNotEntered()
    {
        if (geteuid() != 0)
            QSKIP("mounting a tmpfs needs root");
        file(dir("cache/own.bin"), 40000);
        folder(dir("cache/mounted"));
        if (mount("ampa-test", dir("cache/mounted").c_str(), "tmpfs", 0, "size=8m") != 0)
            QSKIP("this machine does not allow mounting a tmpfs here");
        file(dir("cache/mounted/foreign.bin"), 1 << 20);
        const qint64 measured = Engine::size(dir("cache"));
        const qint64 foreign = Engine::size(dir("cache/mounted"));
        umount(dir("cache/mounted").c_str());
        QCOMPARE(measured, allocated(dir("cache/own.bin")));
        QVERIFY(foreign >= (1 << 20));
    }

    // A bind mount has the device number of what it mirrors: only the mount id tells.
    void bindMountsAreNotEntered()
    {
        if (geteuid() != 0)
            QSKIP("bind mounts need root");
        file(dir("cache/own.bin"), 40000);
        file(dir("elsewhere/big.bin"), 1 << 20);
        folder(dir("cache/bound"));
        if (mount(dir("elsewhere").c_str(), dir("cache/bound").c_str(), nullptr, MS_BIND, nullptr)
            != 0)
            QSKIP("this machine does not allow bind mounts here");
        const qint64 measured = Engine::size(dir("cache"));
        umount(dir("cache/bound").c_str());
        QCOMPARE(measured, allocated(dir("cache/own.bin")));
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
