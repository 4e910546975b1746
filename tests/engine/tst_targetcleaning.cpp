#include "Helper.h"
#include "Removal.h"
#include "TargetCleaning.h"
#include "TestHome.h"
#include "TreeBuilder.h"
#include "TreeSize.h"

#include <atomic>
#include <dirent.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

namespace {

CacheTarget target(std::vector<fs::path> paths)
{
    return {"test", "Test", "", "cube", std::move(paths)};
}

// A small cache-like tree with nested folders, hidden files and awkward names.
void fillCache(const fs::path &cache)
{
    file(cache / "a/b/c/blob", 20000);
    file(cache / ".hidden/index", 3000);
    file(cache / "-rf", 100);
    file(cache / "line\nfeed", 100);
    file(cache / "\xff\xfe not utf8", 100);
    file(cache / "%#%23 spaced name", 100);
    file(cache / std::string(255, 'n'), 100);
}

} // namespace

class TargetCleaningTest : public QObject {
    Q_OBJECT

    fs::path base;
    fs::path outside; // what must survive every removal
    std::map<std::string, std::string> outsideBefore;

private slots:
    void init()
    {
        base = TestHome::home() / "clean" / QTest::currentTestFunction();
        if (QTest::currentDataTag())
            base /= QTest::currentDataTag();
        outside = base / "outside";
        file(outside / "precious.txt", 1234);
        file(outside / "docs/report.bin", 77777);
        symlink("precious.txt", outside / "link-in-outside");
        outsideBefore = manifest(outside);
        QVERIFY(!outsideBefore.empty());
    }

    void cleanup() { QCOMPARE(manifest(outside), outsideBefore); }

    void resolvesExistingFoldersInOrder()
    {
        folder(base / "two");
        folder(base / "one");
        symlink(base / "one", base / "link-to-one");
        symlink(base / "nowhere", base / "dangling");
        const CacheTarget t = target({base / "missing", base / "two", base / "dangling",
                                      base / "link-to-one", base / "one"});
        // The link is followed to the folder it leads to, which is what gets measured and emptied.
        QCOMPARE(Engine::urls(t),
                 (std::vector<fs::path>{base / "two", base / "one", base / "one"}));
        QCOMPARE(Engine::urls(target({"~/no-such-cache"})), std::vector<fs::path>{});
        QCOMPARE(Engine::size(target({base / "missing"})), 0);
        QCOMPARE(Engine::clean(target({base / "missing"})).freed, 0);
        QCOMPARE(Engine::clean(target({base / "missing"})).failure, std::nullopt);
    }

    void tildePathsResolveUnderHome()
    {
        file(TestHome::home() / ".npm/_cacache/index-v5/x", 4096);
        const CacheTarget npm = target({"~/.npm/_cacache"});
        QCOMPARE(Engine::urls(npm), std::vector<fs::path>{TestHome::home() / ".npm/_cacache"});
        const qint64 bytes = Engine::size(npm);
        QVERIFY(bytes >= 4096);
        QCOMPARE(Engine::clean(npm).freed, bytes);
        QVERIFY(!fs::exists(TestHome::home() / ".npm/_cacache"));
        QVERIFY(fs::exists(TestHome::home() / ".npm"));
    }

    void removesEverythingAndCountsWhatItFreed()
    {
        fillCache(base / "cache1");
        fillCache(base / "cache2");
        const CacheTarget t = target({base / "cache1", base / "cache2"});
        const qint64 expected = Engine::size(t);
        QVERIFY(expected > 40000);
        const Engine::CleanResult result = Engine::clean(t);
        QCOMPARE(result.failure, std::nullopt);
        QCOMPARE(result.freed, expected);
        QVERIFY(!fs::exists(base / "cache1"));
        QVERIFY(!fs::exists(base / "cache2"));
    }

    void linksInsideAreRemovedAsLinks()
    {
        const fs::path cache = base / "cache";
        fillCache(cache);
        symlink(outside, cache / "to-outside");
        symlink(outside / "precious.txt", cache / "deep/to-file");
        symlink(TestHome::home(), cache / "to-home");
        symlink("loop-b", cache / "loop-a");
        symlink("loop-a", cache / "loop-b");
        symlink("..", cache / "a/up");
        QCOMPARE(Engine::clean(target({cache})).failure, std::nullopt);
        QVERIFY(!fs::exists(cache));
        QVERIFY(fs::exists(TestHome::home() / ".cache"));
    }

    // A cache folder that is the user's link to a folder kept elsewhere (a cache moved to a larger
    // disk): that folder is measured and emptied, and both it and the link stay.
    void cacheFolderThatIsALinkIsEmptiedWhereItLeads()
    {
        const fs::path elsewhere = base / "big-disk/pip";
        file(elsewhere / "wheels/a.whl", 30000);
        file(elsewhere / "http/b", 5000);
        symlink(elsewhere, base / "pip");
        const CacheTarget t = target({base / "pip"});
        QCOMPARE(Engine::urls(t), std::vector<fs::path>{elsewhere});
        const qint64 bytes = Engine::size(t);
        QVERIFY(bytes >= 35000);

        const Engine::CleanResult result = Engine::clean(t);
        QCOMPARE(result.failure, std::nullopt);
        QCOMPARE(result.freed, bytes);
        QVERIFY(fs::is_symlink(base / "pip"));
        QVERIFY(fs::is_directory(elsewhere));
        QVERIFY(fs::is_empty(elsewhere));
    }

    // A link that leads to the home, above it, to "/" or nowhere useful: both stay, and the clean
    // says why.
    void cacheLinkToTheHomeOrAboveIsLeftAlone()
    {
        symlink(TestHome::home(), base / "to-home");
        symlink(TestHome::home().parent_path(), base / "to-above");
        symlink("/", base / "to-root");
        symlink(outside / "precious.txt", base / "to-file");
        folder(TestHome::home() / "Documents");
        symlink(TestHome::home() / "Documents", base / "to-documents");
        const fs::path homeFile = TestHome::home() / "keep-me.txt";
        file(homeFile, 100);
        for (const char *name : {"to-home", "to-above", "to-root", "to-file", "to-documents"}) {
            const CacheTarget t = target({base / name});
            QCOMPARE(Engine::urls(t), std::vector<fs::path>{});
            QCOMPARE(Engine::size(t), 0);
            const Engine::CleanResult result = Engine::clean(t);
            QVERIFY2(result.failure && result.failure->kind == Engine::Failure::Kind::refused,
                     name);
            QCOMPARE(result.freed, 0);
            QVERIFY(fs::is_symlink(base / name));
        }
        QVERIFY(fs::exists(homeFile));
    }

    // Root only: a link to a folder of another user is not followed either.
    void cacheLinkToAnotherUsersFolderIsLeftAlone()
    {
        if (geteuid() != 0)
            QSKIP("a folder of another user needs root to make");
        const fs::path theirs = base / "theirs";
        file(theirs / "data", 100);
        QVERIFY(chown(theirs.c_str(), 65534, 65534) == 0);
        symlink(theirs, base / "pip");
        const Engine::CleanResult result = Engine::clean(target({base / "pip"}));
        QVERIFY(result.failure.has_value());
        QVERIFY(fs::exists(theirs / "data"));
    }

    void readOnlyFoldersInsideAreRemoved()
    {
        const fs::path cache = base / "cache";
        file(cache / "pkg/mod/file.go", 5000);
        chmod((cache / "pkg/mod").c_str(), 0555);
        chmod((cache / "pkg").c_str(), 0500);
        QCOMPARE(Engine::clean(target({cache})).failure, std::nullopt);
        QVERIFY(!fs::exists(cache));
    }

    // Another file system inside a cache folder is never entered; the rest goes.
    void mountInsideIsLeftAlone()
    {
        if (geteuid() != 0)
            QSKIP("mounting a tmpfs needs root");
        const fs::path cache = base / "cache";
        fillCache(cache);
        folder(cache / "sub/mnt");
        if (mount("ampa-test", (cache / "sub/mnt").c_str(), "tmpfs", 0, "size=4m") != 0)
            QSKIP("this machine does not allow mounting a tmpfs here");
        file(cache / "sub/mnt/foreign.bin", 50000);
        const auto foreignBefore = manifest(cache / "sub/mnt");
        const qint64 ownBytes = Engine::size(cache); // the mount is not entered
        QVERIFY(ownBytes > 0);

        const Engine::CleanResult result = Engine::clean(target({cache}));
        const auto foreignAfter = manifest(cache / "sub/mnt");
        umount((cache / "sub/mnt").c_str());

        QVERIFY(result.failure.has_value());
        QCOMPARE(result.failure->kind, Engine::Failure::Kind::otherMount);
        QCOMPARE(result.failure->path, cache / "sub/mnt");
        QCOMPARE(result.freed, ownBytes); // what went counts, though the folder stays
        QCOMPARE(foreignAfter, foreignBefore);
        QVERIFY(!fs::exists(cache / "a"));
        QVERIFY(!fs::exists(cache / "-rf"));
    }

    // A bind mount of the outside folder: the same files reached through another mount.
    void bindMountOfOutsideIsLeftAlone()
    {
        if (geteuid() != 0)
            QSKIP("bind mounts need root");
        const fs::path cache = base / "cache";
        file(cache / "own.bin", 4096);
        folder(cache / "bound");
        if (mount(outside.c_str(), (cache / "bound").c_str(), nullptr, MS_BIND, nullptr) != 0)
            QSKIP("this machine does not allow bind mounts here");
        const Engine::CleanResult result = Engine::clean(target({cache}));
        umount((cache / "bound").c_str());
        QVERIFY(result.failure && result.failure->kind == Engine::Failure::Kind::otherMount);
        QVERIFY(!fs::exists(cache / "own.bin"));
    }

    // A target folder that is itself a mount point (a tmpfs, or a bind mount of a folder kept
    // elsewhere) is neither measured nor emptied, and the clean says why.
    void targetThatIsAMountPointIsLeftAlone_data()
    {
        QTest::addColumn<bool>("bind");
        QTest::newRow("tmpfs") << false;
        QTest::newRow("bind mount") << true;
    }

    void targetThatIsAMountPointIsLeftAlone()
    {
        QFETCH(bool, bind);
        if (geteuid() != 0)
            QSKIP("mounting needs root");
        const fs::path cache = base / "cache";
        folder(cache);
        const int mounted = bind ? mount(outside.c_str(), cache.c_str(), nullptr, MS_BIND, nullptr)
                                 : mount("ampa-test", cache.c_str(), "tmpfs", 0, "size=4m");
        if (mounted != 0)
            QSKIP("this machine does not allow mounts here");
        if (!bind)
            file(cache / "foreign.bin", 50000);
        const auto before = manifest(cache);
        const CacheTarget t = target({cache});
        const std::vector<fs::path> resolved = Engine::urls(t);
        const qint64 measured = Engine::size(t);
        const Engine::CleanResult result = Engine::clean(t);
        const Engine::RemovalResult direct = Engine::removeItem(cache);
        const auto after = manifest(cache);
        umount(cache.c_str());

        QCOMPARE(resolved, std::vector<fs::path>{});
        QCOMPARE(measured, 0);
        QVERIFY(result.failure && result.failure->kind == Engine::Failure::Kind::refused);
        QCOMPARE(result.freed, 0);
        QVERIFY(direct.failure && direct.failure->kind == Engine::Failure::Kind::mountPoint);
        QCOMPARE(after, before);
    }

    // Only a file's last link frees its blocks: a file that keeps a name outside the cache
    // frees nothing, and two names of one file inside count once.
    void hardLinksCountOnlyWhenTheLastLinkGoes()
    {
        const fs::path cache = base / "cache";
        const fs::path kept = base / "kept";
        file(cache / "own.bin", 4096);
        file(cache / "shared.bin", 40960);
        folder(kept);
        QVERIFY(link((cache / "shared.bin").c_str(), (kept / "shared.bin").c_str()) == 0);
        file(cache / "pair-a", 8192);
        QVERIFY(link((cache / "pair-a").c_str(), (cache / "sub-pair-b").c_str()) == 0);
        const qint64 expected = allocated(cache / "own.bin") + allocated(cache / "pair-a");
        const Engine::CleanResult result = Engine::clean(target({cache}));
        QCOMPARE(result.failure, std::nullopt);
        QCOMPARE(result.freed, expected);
        QCOMPARE(fs::file_size(kept / "shared.bin"), 40960u);
    }

    // Run unprivileged: a folder of ours that can be read but not searched (0600), holding a
    // sub-folder, is opened up and goes.
    void folderWithoutSearchPermissionGoes()
    {
        const fs::path cache = base / "cache";
        file(cache / "locked/inner/data", 3000);
        file(cache / "locked/top", 100);
        makePassable(cache);
        if (geteuid() == 0) {
            for (const fs::path &path : {base, cache, cache / "locked", cache / "locked/inner",
                                         cache / "locked/inner/data", cache / "locked/top"})
                QVERIFY(chown(path.c_str(), 65534, 65534) == 0);
        }
        chmod((cache / "locked").c_str(), 0600);
        const QList<QByteArray> out =
            runHelper({"clean-unprivileged", QString::fromUtf8(cache.native())}).split('\n');
        QCOMPARE(out.value(1), QByteArray());
        QVERIFY(!fs::exists(cache));
    }

    // A cache base at the home folder must not turn the quick clean on the user's own folders.
    void quickCleanWithTheHomeAsCacheBaseLeavesTheHome()
    {
        const fs::path home = TestHome::home();
        for (const char *name : {"pip", "uv", "Homebrew", "node-gyp", "zoom", "go-build"})
            file(home / name / "mine.txt", 100);
        file(home / ".cache/pip/wheel", 5000);
        const auto before = manifest(home / "pip");
        qputenv("XDG_CACHE_HOME", home.c_str());
        qint64 freed = 0;
        for (const CacheTarget &t : quickTargets())
            freed += Engine::clean(t).freed;
        qunsetenv("XDG_CACHE_HOME");
        for (const char *name : {"pip", "uv", "Homebrew", "node-gyp", "zoom", "go-build"})
            QVERIFY2(fs::exists(home / name / "mine.txt"), name);
        QCOMPARE(manifest(home / "pip"), before);
        QVERIFY(!fs::exists(home / ".cache/pip"));
        QVERIFY(freed >= 4096);
    }

    // Run unprivileged, so that a locked folder must be opened up: a folder of another mount
    // (a bind mount of an outside folder of ours, locked) is never opened up, nor its insides.
    void lockedBindMountKeepsItsPermissions()
    {
        if (geteuid() != 0)
            QSKIP("bind mounts need root");
        const fs::path cache = base / "cache";
        const fs::path locked = outside / "locked-docs";
        file(locked / "secret.txt", 100);
        file(cache / "own.bin", 100);
        folder(cache / "bound");
        makePassable(cache);
        for (const fs::path &path :
             {cache, cache / "own.bin", cache / "bound", locked, locked / "secret.txt"})
            QVERIFY(chown(path.c_str(), 65534, 65534) == 0);
        chmod(locked.c_str(), 0300);
        outsideBefore = manifest(outside);
        if (mount(locked.c_str(), (cache / "bound").c_str(), nullptr, MS_BIND, nullptr) != 0)
            QSKIP("this machine does not allow bind mounts here");
        const QList<QByteArray> out =
            runHelper({"clean-unprivileged", QString::fromUtf8(cache.native())}).split('\n');
        umount((cache / "bound").c_str());
        QVERIFY2(out.value(1).contains("bound"), out.value(1).constData());
        QCOMPARE(fs::status(locked).permissions(), fs::perms(0300));
        QVERIFY(!fs::exists(cache / "own.bin"));
    }

    // A folder moved out of the tree while it is emptied: the removal notices, stops and says
    // so, rather than emptying the folder in its new place and calling that success.
    void folderMovedAwayStopsTheRemoval()
    {
        const fs::path cache = base / "cache";
        const fs::path moved = outside / "moved-here";
        for (int i = 0; i < 20000; ++i)
            file(cache / "a" / ("f" + std::to_string(i)), 0);
        std::string first;
        if (DIR *dir = opendir((cache / "a").c_str())) {
            while (const dirent *entry = readdir(dir)) {
                if (entry->d_name[0] != '.') {
                    first = entry->d_name;
                    break;
                }
            }
            closedir(dir);
        }
        QVERIFY(!first.empty());

        std::optional<Engine::Failure> error;
        std::thread remover([&] { error = Engine::removeItem(cache).failure; });
        // As soon as the removal is inside the folder, move it away.
        while (fs::exists(cache / "a" / first))
            std::this_thread::yield();
        const bool renamed = rename((cache / "a").c_str(), moved.c_str()) == 0;
        remover.join();
        if (!renamed || !fs::exists(moved))
            QSKIP("the removal finished before the folder could be moved");
        QVERIFY(error && error->kind == Engine::Failure::Kind::moved);
        fs::remove_all(moved);
    }

    // Read-only folders deeper than the descriptors kept open, removed unprivileged.
    void deepReadOnlyChain()
    {
        const fs::path chain = base / "chain";
        fs::path level = chain;
        std::vector<fs::path> levels;
        for (int i = 0; i < 70; ++i) {
            level /= "d";
            levels.push_back(level);
        }
        file(level / "leaf", 10);
        makePassable(chain);
        if (geteuid() == 0) {
            QVERIFY(chown(chain.c_str(), 65534, 65534) == 0);
            QVERIFY(chown((level / "leaf").c_str(), 65534, 65534) == 0);
            for (const fs::path &path : levels)
                QVERIFY(chown(path.c_str(), 65534, 65534) == 0);
            QVERIFY(chown(base.c_str(), 65534, 65534) == 0);
        }
        for (auto it = levels.rbegin(); it != levels.rend(); ++it)
            chmod(it->c_str(), 0555);
        const QList<QByteArray> out =
            runHelper({"clean-unprivileged", QString::fromUtf8(chain.native())}).split('\n');
        QCOMPARE(out.value(1), QByteArray());
        QVERIFY(!fs::exists(chain));
    }

    // While the removal runs, another thread keeps swapping a folder inside the cache for a link
    // to the outside folder and back. Whatever the interleaving, the outside stays whole.
    void folderSwappedForALinkDuringRemoval()
    {
        for (int round = 0; round < 20; ++round) {
            const fs::path cache = base / ("cache" + std::to_string(round));
            for (int i = 0; i < 30; ++i)
                file(cache / "victim" / ("f" + std::to_string(i)) / "data", 100);
            folder(cache / "spare");
            std::atomic<bool> stop = false;
            std::thread swapper([&] {
                const fs::path victim = cache / "victim";
                const fs::path moved = cache / "moved";
                while (!stop) {
                    if (rename(victim.c_str(), moved.c_str()) == 0) {
                        ::symlink(outside.c_str(), victim.c_str());
                        std::this_thread::yield();
                        unlink(victim.c_str());
                        rename(moved.c_str(), victim.c_str());
                    }
                }
            });
            Engine::removeItem(cache);
            stop = true;
            swapper.join();
            QCOMPARE(manifest(outside), outsideBefore);
        }
    }

    // Entries appear in the folder while it is removed: the removal stays inside it.
    void entriesAppearingDuringRemoval()
    {
        const fs::path cache = base / "cache";
        for (int i = 0; i < 200; ++i)
            file(cache / ("d" + std::to_string(i % 20)) / ("f" + std::to_string(i)), 10);
        std::atomic<bool> stop = false;
        std::thread writer([&] {
            for (int i = 0; !stop; ++i) {
                const fs::path dir = cache / ("d" + std::to_string(i % 20));
                mkdir(dir.c_str(), 0755);
                const fs::path late = dir / ("late" + std::to_string(i));
                if (FILE *f = fopen(late.c_str(), "w"))
                    fclose(f);
            }
        });
        const auto error = Engine::removeItem(cache).failure;
        stop = true;
        writer.join();
        // Either it won the race or it says what stayed; nothing outside was touched (cleanup).
        QVERIFY(!fs::exists(cache) || error.has_value());
    }

    // 600 levels with at most 64 descriptors: everything goes, nothing half-done and silent.
    void deepTreeWithFewDescriptors()
    {
        const fs::path deep = base / "deep";
        // Made by descriptors: the path is longer than PATH_MAX.
        int fd = open(base.c_str(), O_RDONLY | O_DIRECTORY);
        QVERIFY(mkdirat(fd, "deep", 0755) == 0);
        int level = openat(fd, "deep", O_RDONLY | O_DIRECTORY);
        close(fd);
        for (int i = 0; i < 600; ++i) {
            QVERIFY(mkdirat(level, "d", 0755) == 0);
            const int fileFd = openat(level, "f", O_WRONLY | O_CREAT, 0644);
            QVERIFY(fileFd >= 0);
            close(fileFd);
            const int next = openat(level, "d", O_RDONLY | O_DIRECTORY);
            close(level);
            level = next;
        }
        close(level);
        const QByteArray error =
            runHelper({"remove-with-fd-limit", "64", QString::fromUtf8(deep.native())}).trimmed();
        QCOMPARE(error, QByteArray());
        QVERIFY(!fs::exists(deep));
    }

    // Run as an unprivileged user: the first folder's parent is not writable, so that folder
    // cannot go, though what it held does; the second goes whole. Both count what they freed.
    void firstFolderCannotBeRemoved()
    {
        const fs::path locked = base / "locked";
        const fs::path first = locked / "cache";
        const fs::path second = base / "open/cache";
        file(first / "inside.bin", 8192);
        file(second / "inside.bin", 16384);
        makePassable(second);
        makePassable(first);
        // nobody owns both caches; the locked parent stays root's (or the user's) and read-only.
        if (geteuid() == 0) {
            for (const fs::path &path :
                 {first, first / "inside.bin", second, second / "inside.bin", second.parent_path()})
                QVERIFY(chown(path.c_str(), 65534, 65534) == 0);
        }
        chmod(locked.c_str(), 0555);
        const qint64 bothSizes = Engine::size(first) + Engine::size(second);

        const QList<QByteArray> out =
            runHelper({"clean-unprivileged", QString::fromUtf8(first.native()),
                       QString::fromUtf8(second.native())})
                .split('\n');
        chmod(locked.c_str(), 0755);
        QCOMPARE(out.value(0).toLongLong(), bothSizes);
        QVERIFY2(out.value(1).contains("Permission denied"), out.value(1).constData());
        QVERIFY(out.value(1).contains("locked/cache"));
        QVERIFY(!fs::exists(second));
        QVERIFY(fs::exists(first));
        QVERIFY(fs::is_empty(first));
    }
};

AMPA_TEST_MAIN(TargetCleaningTest)
#include "tst_targetcleaning.moc"
