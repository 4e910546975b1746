#include "Helper.h"
#include "Paths.h"
#include "Removal.h"
#include "TargetCleaning.h"
#include "TestHome.h"
#include "TreeBuilder.h"
#include "TreeSize.h"

#include <atomic>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;
using Kind = Engine::Failure::Kind;

namespace {

constexpr uid_t nobody = 65534;

CacheTarget target(std::vector<fs::path> paths, Engine::FolderShapes shapes = {})
{
    CacheTarget made{"test", "cube", std::move(paths)};
    made.shapes = std::move(shapes);
    return made;
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

// Mounts a small tmpfs at `at`, or binds `source` there.
bool mountAt(const fs::path &at, const fs::path &source = {})
{
    return source.empty() ? mount("ampa-test", at.c_str(), "tmpfs", 0, "size=4m") == 0
                          : mount(source.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

// A tmpfs, or a bind mount of a folder kept elsewhere.
void mountKinds()
{
    QTest::addColumn<bool>("bind");
    QTest::newRow("tmpfs") << false;
    QTest::newRow("bind mount") << true;
}

// Run as root, the helper cleans as nobody: these items, and with `contents` all they hold, become
// nobody's.
void giveToNobody(const std::vector<fs::path> &items, bool contents = true)
{
    if (geteuid() != 0)
        return;
    for (const fs::path &item : items) {
        std::vector<fs::path> all{item};
        for (auto it = fs::recursive_directory_iterator(item); contents && it != decltype(it)();
             ++it)
            all.push_back(it->path());
        for (const fs::path &path : all) {
            if (lchown(path.c_str(), nobody, nobody) != 0)
                qFatal("cannot give %s to nobody", path.c_str());
        }
    }
}

struct Clean {
    qint64 freed = 0;
    QByteArray kind; // the failure's, empty when none
    fs::path path;
};

// A clean of these folders by ampa-test-helper, run as nobody when we are root.
Clean cleanUnprivileged(const std::vector<fs::path> &folders)
{
    QStringList arguments{"clean-unprivileged"};
    for (const fs::path &folder : folders)
        arguments << QString::fromUtf8(folder.native());
    const QList<QByteArray> out = runHelper(arguments).split('\n');
    return {out.value(0).toLongLong(), out.value(1), out.value(2).toStdString()};
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

    // "~/" is the home folder; links are followed to the folder they lead to, which is what gets
    // measured and emptied; what is missing is left out and costs nothing.
    void resolvesExistingFoldersInOrder()
    {
        const fs::path npm = TestHome::home() / ".npm/_cacache";
        file(npm / "index-v5/x", 4096);
        folder(base / "two");
        folder(base / "one/marker");
        symlink(base / "one", base / "link-to-one");
        symlink(base / "nowhere", base / "dangling");
        const CacheTarget t = target({"~/.npm/_cacache", base / "missing", base / "two",
                                      base / "dangling", base / "link-to-one", base / "one"},
                                     {{base / "link-to-one", {"marker"}}});
        QCOMPARE(Engine::urls(t),
                 (std::vector<fs::path>{npm, base / "two", base / "one", base / "one"}));
        QCOMPARE(Engine::urls(target({"~/no-such-cache"})), std::vector<fs::path>{});
        QCOMPARE(Engine::size(target({base / "missing"})), 0);
        const Engine::CleanResult missing = Engine::clean(target({base / "missing"}));
        QCOMPARE(missing.freed, 0);
        QCOMPARE(missing.failure, std::nullopt);

        const qint64 bytes = Engine::size(target({"~/.npm/_cacache"}));
        QVERIFY(bytes >= 4096);
        QCOMPARE(Engine::clean(target({"~/.npm/_cacache"})).freed, bytes);
        QVERIFY(!fs::exists(npm));
        QVERIFY(fs::exists(npm.parent_path()));
    }

    // Links inside, wherever they lead, go as links and count nothing.
    void removesEverythingAndCountsWhatItFreed()
    {
        fillCache(base / "cache1");
        fillCache(base / "cache2");
        const fs::path cache = base / "cache1";
        symlink(outside, cache / "to-outside");
        symlink(outside / "precious.txt", cache / "deep/to-file");
        symlink(TestHome::home(), cache / "to-home");
        symlink("loop-b", cache / "loop-a");
        symlink("loop-a", cache / "loop-b");
        symlink("..", cache / "a/up");
        const CacheTarget t = target({base / "cache1", base / "cache2"});
        const qint64 expected = Engine::size(t);
        QVERIFY(expected > 40000);
        const Engine::CleanResult result = Engine::clean(t);
        QCOMPARE(result.failure, std::nullopt);
        QCOMPARE(result.freed, expected);
        QVERIFY(!fs::exists(base / "cache1"));
        QVERIFY(!fs::exists(base / "cache2"));
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
        const CacheTarget t = target({base / "pip"}, {{base / "pip", {"wheels", "http"}}});
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

    // A link is followed only to what has the cache's own shape, wherever it leads: a cache
    // folder or a folder on the way to it linked to a person's work is left alone with why.
    void aLinkIsFollowedOnlyToAFolderOfTheCachesShape_data()
    {
        QTest::addColumn<QString>("link");  // relative to the home
        QTest::addColumn<bool>("shaped");   // the folder it leads to has the cache's shape
        QTest::addColumn<QString>("holds"); // what that folder holds besides, relative to it
        QTest::newRow("npm's cache to sources") << ".npm/_cacache" << false << "src/index.js";
        QTest::newRow("npm's cache to a cache") << ".npm/_cacache" << true << "content-v2/sha/x";
        QTest::newRow("npm's folder to sources") << ".npm" << false << "_cache/notes.txt";
        QTest::newRow("npm's folder to npm's") << ".npm" << true << "_cacache/index-v5/a/b";
        QTest::newRow("go's build cache to sources") << ".cache/go-build" << false << "00/main.go";
        QTest::newRow("zoom's cache, whose shape is unknown") << ".cache/zoom" << false << "a.txt";
    }
    void aLinkIsFollowedOnlyToAFolderOfTheCachesShape()
    {
        QFETCH(QString, link);
        QFETCH(bool, shaped);
        QFETCH(QString, holds);
        const fs::path home = TestHome::home();
        const fs::path linked = home / link.toStdString();
        const fs::path elsewhere = TestHome::root() / "disk" / QTest::currentDataTag();
        const QList<CacheTarget> targets = quickTargets();
        const CacheTarget *owner = nullptr;
        for (const CacheTarget &t : targets)
            for (const fs::path &path : t.paths)
                if (Engine::isSameOrInside(Engine::url(path), linked))
                    owner = &t;
        QVERIFY(owner);
        if (shaped)
            TreeBuilder::shaped(elsewhere, Engine::shapeOf(owner->shapes, linked)->holds);
        file(elsewhere / holds.toStdString(), 700);
        fs::remove_all(linked); // what earlier tests left there
        folder(linked.parent_path());
        symlink(elsewhere, linked);
        const auto before = manifest(elsewhere);

        const Engine::CleanResult result = Engine::clean(*owner);
        QVERIFY(fs::is_symlink(linked));
        if (shaped) {
            QCOMPARE(result.failure, std::nullopt);
            QVERIFY(!fs::exists(elsewhere / holds.toStdString()));
        } else {
            QVERIFY(result.failure);
            QCOMPARE(result.failure->refusal.why, Engine::Refusal::Why::unlikeTheCache);
            QCOMPARE(result.failure->refusal.to, elsewhere);
            QCOMPARE(manifest(elsewhere), before);
        }
        fs::remove(linked);
        fs::remove_all(TestHome::root() / "disk");
    }

    // A link that leads to the home, above it, to "/", to one of the user's own folders, to a file
    // or to a folder of another user: both stay, and the clean says why.
    void cacheLinkToTheHomeOrAboveIsLeftAlone()
    {
        std::vector<std::string> names{"to-home", "to-above", "to-root", "to-file", "to-documents"};
        symlink(TestHome::home(), base / "to-home");
        symlink(TestHome::home().parent_path(), base / "to-above");
        symlink("/", base / "to-root");
        symlink(outside / "precious.txt", base / "to-file");
        folder(TestHome::home() / "Documents");
        symlink(TestHome::home() / "Documents", base / "to-documents");
        const fs::path theirs = base / "theirs";
        if (geteuid() == 0) { // a folder of another user needs root to make
            file(theirs / "data", 100);
            giveToNobody({theirs});
            symlink(theirs, base / "to-theirs");
            names.push_back("to-theirs");
        }
        const fs::path homeFile = TestHome::home() / "keep-me.txt";
        file(homeFile, 100);
        for (const std::string &name : names) {
            const CacheTarget t = target({base / name});
            QCOMPARE(Engine::urls(t), std::vector<fs::path>{});
            QCOMPARE(Engine::size(t), 0);
            const Engine::CleanResult result = Engine::clean(t);
            QVERIFY2(result.failure && result.failure->kind == Kind::refused, name.c_str());
            QCOMPARE(result.freed, 0);
            QVERIFY(fs::is_symlink(base / name));
        }
        QVERIFY(fs::exists(homeFile));
        QCOMPARE(fs::exists(theirs / "data"), geteuid() == 0);
    }

    // Another file system inside a cache folder (a tmpfs, or the outside folder bound there) is
    // never entered; the rest goes and counts.
    void mountInsideIsLeftAlone_data() { mountKinds(); }

    void mountInsideIsLeftAlone()
    {
        QFETCH(bool, bind);
        if (geteuid() != 0)
            QSKIP("mounting needs root");
        const fs::path cache = base / "cache";
        const fs::path mounted = cache / "sub/mnt";
        fillCache(cache);
        folder(mounted);
        if (!mountAt(mounted, bind ? outside : fs::path()))
            QSKIP("this machine does not allow mounts here");
        if (!bind)
            file(mounted / "foreign.bin", 50000);
        const auto foreignBefore = manifest(mounted);
        const qint64 ownBytes = Engine::size(cache); // the mount is not entered
        QVERIFY(ownBytes > 0);

        const Engine::CleanResult result = Engine::clean(target({cache}));
        const auto foreignAfter = manifest(mounted);
        umount(mounted.c_str());

        QVERIFY(result.failure.has_value());
        QCOMPARE(result.failure->kind, Kind::otherMount);
        QCOMPARE(result.failure->path, mounted);
        // What went counts; the folders that hold the mount stay, and their blocks with them.
        QCOMPARE(result.freed, ownBytes - allocated(cache) - allocated(cache / "sub"));
        QCOMPARE(foreignAfter, foreignBefore);
        QVERIFY(!fs::exists(cache / "a"));
        QVERIFY(!fs::exists(cache / "-rf"));
    }

    // A target folder that is itself a mount point (a tmpfs, or a bind mount of a folder kept
    // elsewhere) is neither measured nor emptied, and the clean says why.
    void targetThatIsAMountPointIsLeftAlone_data() { mountKinds(); }

    void targetThatIsAMountPointIsLeftAlone()
    {
        QFETCH(bool, bind);
        if (geteuid() != 0)
            QSKIP("mounting needs root");
        const fs::path cache = base / "cache";
        folder(cache);
        if (!mountAt(cache, bind ? outside : fs::path()))
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
        QVERIFY(result.failure && result.failure->kind == Kind::refused);
        QCOMPARE(result.freed, 0);
        QVERIFY(direct.failure && direct.failure->kind == Kind::mountPoint);
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
        const qint64 expected =
            allocated(cache) + allocated(cache / "own.bin") + allocated(cache / "pair-a");
        const Engine::CleanResult result = Engine::clean(target({cache}));
        QCOMPARE(result.failure, std::nullopt);
        QCOMPARE(result.freed, expected);
        QCOMPARE(fs::file_size(kept / "shared.bin"), 40960u);
    }

    // Run unprivileged, so that our locked folders must be opened up before they can go: read-only
    // ones, one that can be read but not searched holding a sub-folder, and read-only ones deeper
    // than the descriptors the removal keeps open.
    void lockedFoldersOfOursGo_data()
    {
        QTest::addColumn<QString>("leaf");
        QTest::addColumn<QStringList>("locked");
        QTest::addColumn<int>("mode");
        QTest::newRow("read-only") << "pkg/mod/file.go" << QStringList{"pkg", "pkg/mod"} << 0555;
        QTest::newRow("not searchable") << "locked/inner/data" << QStringList{"locked"} << 0600;
        QStringList chain{"d"};
        while (chain.size() < 70)
            chain << chain.last() + "/d";
        QTest::newRow("deep read-only chain") << chain.last() + "/leaf" << chain << 0555;
    }

    void lockedFoldersOfOursGo()
    {
        QFETCH(QString, leaf);
        QFETCH(QStringList, locked);
        QFETCH(int, mode);
        const fs::path cache = base / "cache";
        file(cache / leaf.toStdString(), 3000);
        makePassable(cache);
        giveToNobody({cache});
        giveToNobody({base}, false);
        for (auto it = locked.crbegin(); it != locked.crend(); ++it)
            QCOMPARE(chmod((cache / it->toStdString()).c_str(), mode_t(mode)), 0);
        QCOMPARE(cleanUnprivileged({cache}).kind, QByteArray());
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
        giveToNobody({cache, locked});
        chmod(locked.c_str(), 0300);
        outsideBefore = manifest(outside);
        if (!mountAt(cache / "bound", locked))
            QSKIP("this machine does not allow bind mounts here");
        const Clean result = cleanUnprivileged({cache});
        umount((cache / "bound").c_str());
        QCOMPARE(result.kind, QByteArray("otherMount"));
        QCOMPARE(result.path, cache / "bound");
        QCOMPARE(fs::status(locked).permissions(), fs::perms(0300));
        QVERIFY(!fs::exists(cache / "own.bin"));
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
        giveToNobody({first, second});
        giveToNobody({second.parent_path()}, false);
        chmod(locked.c_str(), 0555);
        const qint64 bothSizes = Engine::size(first) + Engine::size(second);

        const Clean result = cleanUnprivileged({first, second});
        chmod(locked.c_str(), 0755);
        QCOMPARE(result.freed, bothSizes - allocated(first)); // all but the folder that stays
        QCOMPARE(result.kind, "notAllowed");
        QCOMPARE(result.path, first);
        QVERIFY(!fs::exists(second));
        QVERIFY(fs::exists(first));
        QVERIFY(fs::is_empty(first));
    }
};

AMPA_TEST_MAIN(TargetCleaningTest)
#include "tst_targetcleaning.moc"
