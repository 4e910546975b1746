// What Ampa shows before a clean against what the file system gives back, on a real ext4 file
// system of its own (an image mounted through a loop device over the test home), so that the free
// space before and after tells exactly what came back. Needs root to mount.

#include "CacheTarget.h"
#include "DevChoices.h"
#include "DevCleaning.h"
#include "DevOwners.h"
#include "Projects.h"
#include "TargetCleaning.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool run(const QString &program, const QStringList &arguments, QString *why = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool ran = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit
                     && process.exitCode() == 0;
    if (!ran && why)
        *why = program + ": " + QString::fromLocal8Bit(process.readAllStandardError()).trimmed()
               + process.errorString();
    return ran;
}

// Writes `bytes` bytes of data without waiting for the disk: one sync of the file system settles
// every allocation before anything is measured.
void quickFile(const fs::path &path, qint64 bytes)
{
    fs::create_directories(path.parent_path());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        qFatal("cannot make %s", path.c_str());
    std::string chunk(static_cast<std::size_t>(std::min<qint64>(bytes, 1 << 16)), 'a');
    for (qint64 left = bytes; left > 0;) {
        const auto part = static_cast<std::size_t>(std::min<qint64>(left, chunk.size()));
        if (write(fd, chunk.data(), part) != static_cast<ssize_t>(part))
            qFatal("cannot write %s", path.c_str());
        left -= static_cast<qint64>(part);
    }
    close(fd);
}

// A sparse file: `length` long, with data only in its first and last blocks.
void sparseFile(const fs::path &path, qint64 length)
{
    quickFile(path, 4096);
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 || pwrite(fd, "end", 3, length - 3) != 3)
        qFatal("cannot make %s sparse", path.c_str());
    close(fd);
}

// A tree of many small folders, each holding a few small files, as package managers lay out
// their caches and installs: most of its space is the folders' own.
void smallFolders(const fs::path &top, int folders, int filesEach, qint64 bytes)
{
    for (int i = 0; i < folders; ++i) {
        const fs::path folder = top / ("d" + std::to_string(i)) / "lib";
        for (int f = 0; f < filesEach; ++f)
            quickFile(folder / ("part" + std::to_string(f) + ".js"), bytes + 37 * f);
    }
}

} // namespace

class TrueSizesTest : public QObject {
    Q_OBJECT

    fs::path image;
    fs::path home;
    bool mounted = false;

    // Free bytes of the test's own file system once everything written or removed has reached it.
    qint64 freeBytes() const
    {
        const int fd = open(home.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct statvfs info {};
        if (fd < 0 || syncfs(fd) != 0 || fstatvfs(fd, &info) != 0)
            qFatal("cannot read the free space of %s", home.c_str());
        close(fd);
        return static_cast<qint64>(info.f_bfree) * static_cast<qint64>(info.f_frsize);
    }

    // The clean gave back what was shown: within 1 % or 64 KB, whichever is larger. What it says
    // it freed is what it showed.
    void compare(const char *what, qint64 shown, qint64 freed, qint64 gained)
    {
        qInfo("%-34s shown %10lld  said freed %10lld  free space gained %10lld", what,
              static_cast<long long>(shown), static_cast<long long>(freed),
              static_cast<long long>(gained));
        const qint64 tolerance = std::max<qint64>(64 * 1024, gained / 100);
        QVERIFY2(shown > 0, what);
        QVERIFY2(std::abs(shown - gained) <= tolerance, what);
        QVERIFY2(std::abs(freed - gained) <= tolerance, what);
    }

private slots:
    void initTestCase()
    {
        if (geteuid() != 0)
            QSKIP("mounting an ext4 image through a loop device needs root");
        home = TestHome::home();
        image = TestHome::root() / "home.ext4";
        QString why;
        if (!run("truncate", {"-s", "768M", QString::fromUtf8(image.native())}, &why)
            || !run("mkfs.ext4",
                    {"-q", "-F", "-b", "4096", "-m", "0", QString::fromUtf8(image.native())}, &why))
            QSKIP(qPrintable("no ext4 image could be made: " + why));
        if (!run(
                "mount",
                {"-o", "loop", QString::fromUtf8(image.native()), QString::fromUtf8(home.native())},
                &why))
            QSKIP(qPrintable("this machine does not mount loop devices: " + why));
        mounted = true;
        for (const char *folder : {".cache", ".config", ".local/share", ".local/state"})
            fs::create_directories(home / folder);
    }

    void cleanupTestCase()
    {
        if (mounted)
            run("umount", {QString::fromUtf8(home.native())});
    }

    // npm's cache and Go's build cache, as the quick clean takes them: many small folders, small
    // files, a sparse file, links; a pip and uv cache whose files are hard-linked into a virtual
    // environment the clean leaves, so only what nothing else links comes back.
    void quickClean()
    {
        smallFolders(home / ".npm/_cacache/content-v2/sha512", 400, 2, 900);
        smallFolders(home / ".npm/_cacache/index-v5", 300, 1, 300);
        quickFile(home / ".npm/_cacache/content-v2/sha512/big/tarball.tgz", 3 << 20);
        for (int i = 0; i < 256; ++i) {
            char name[3];
            std::snprintf(name, sizeof name, "%02x", i);
            quickFile(home / ".cache/go-build" / name / "output-a", 200 + i * 61);
            quickFile(home / ".cache/go-build" / name / "output-d", 4000 + i * 13);
        }
        sparseFile(home / ".cache/go-build/ff/sparse-d", 64 << 20);
        fs::create_symlink(std::string(200, 'x'), home / ".cache/go-build/README-long");
        fs::create_symlink("trim.txt", home / ".cache/go-build/short");
        smallFolders(home / ".cache/node-gyp/20.11.0/include", 120, 1, 2000);
        smallFolders(home / ".cache/uv/archive-v0", 50, 4, 3000);
        for (int i = 0; i < 50; ++i)
            for (int f = 0; f < 4; ++f) {
                const fs::path lib = home / "projects/tool/.venv/lib/site" / std::to_string(i);
                fs::create_directories(lib);
                fs::create_hard_link(home / ".cache/uv/archive-v0" / ("d" + std::to_string(i))
                                         / "lib" / ("part" + std::to_string(f) + ".js"),
                                     lib / ("part" + std::to_string(f) + ".js"));
            }
        quickFile(home / ".cache/pip/http-v2/a/b/c/d/e/response.body", 250000);

        const qint64 before = freeBytes();
        qint64 shown = 0;
        qint64 freed = 0;
        QStringList measured;
        for (const CacheTarget &target : quickTargets()) {
            const qint64 size = Engine::size(target);
            if (size == 0)
                continue;
            measured << target.id;
            shown += size;
            const Engine::CleanResult result = Engine::clean(target);
            QVERIFY2(!result.failure, qPrintable(target.id));
            QCOMPARE(result.freed, size);
            freed += result.freed;
        }
        QCOMPARE(measured, (QStringList{"npm", "pip", "build"}));
        compare("quick clean (npm, pip and uv, build)", shown, freed, freeBytes() - before);
        QVERIFY(fs::exists(home / "projects/tool/.venv/lib/site/0/part0.js"));
    }

    // A developer cache that Ampa removes itself: Cargo's registry, sources unpacked into many
    // small folders.
    void deleteDeveloperCache()
    {
        const fs::path registry = home / ".cargo/registry";
        for (int i = 0; i < 60; ++i)
            quickFile(registry / "cache/index.crates.io-6f17d22bba15001f"
                          / ("crate-" + std::to_string(i) + ".crate"),
                      20000 + i * 333);
        smallFolders(registry / "src/index.crates.io-6f17d22bba15001f", 500, 2, 1500);
        smallFolders(registry / "index/index.crates.io-6f17d22bba15001f/.cache", 200, 1, 700);
        quickFile(home / ".cargo/bin/cargo-tool", 100000);

        std::optional<Engine::DevEntry> cargo;
        for (Engine::DevEntry &entry : Engine::devEntries())
            if (entry.cache.id == "cargo")
                cargo = std::move(entry);
        QVERIFY(cargo && cargo->size);
        QCOMPARE(cargo->cache.mode, Engine::DevMode::Delete);
        const qint64 before = freeBytes();
        const Engine::DevResult result =
            Engine::cleanDev(cargo->cache, false, Engine::userProcesses());
        QCOMPARE(result.outcome, Engine::DevResult::Outcome::done);
        QCOMPARE(result.freed, *cargo->size);
        compare("developer cache (Cargo registry)", *cargo->size, result.freed,
                freeBytes() - before);
        QVERIFY(fs::exists(home / ".cargo/bin/cargo-tool"));
    }

    // Projects' artifacts: a node_modules laid out as pnpm does (its files hard-linked from the
    // store, which stays, packages reached through links), a Yarn 4 project's install output,
    // and a Rust target folder.
    void projectClean()
    {
        const fs::path store = home / ".local/share/pnpm/store/v3/files";
        const fs::path web = home / "projects/web";
        quickFile(web / "package.json", 300);
        quickFile(web / "pnpm-lock.yaml", 5000);
        for (int i = 0; i < 400; ++i) {
            const std::string name = "pkg" + std::to_string(i);
            const fs::path stored =
                store / ("d" + std::to_string(i % 256)) / ("c0ffee" + std::to_string(i));
            quickFile(stored, 1500 + i * 7);
            const fs::path installed =
                web / "node_modules/.pnpm" / (name + "@1.0.0") / "node_modules" / name;
            fs::create_directories(installed / "lib");
            fs::create_hard_link(stored, installed / "lib/index.js");
            quickFile(installed / "package.json", 200); // written by the install itself
            fs::create_symlink(".pnpm/" + name + "@1.0.0/node_modules/" + name,
                               web / "node_modules" / name);
        }
        fs::create_directories(web / "node_modules/.bin");
        fs::create_symlink(std::string(100, 'b'), web / "node_modules/.bin/tool");

        const fs::path berry = home / "projects/berry";
        quickFile(berry / "package.json", 300);
        quickFile(berry / "yarn.lock", 8000);
        quickFile(berry / ".yarn/releases/yarn-4.5.0.cjs", 2 << 20);
        quickFile(berry / ".yarn/plugins/plugin.cjs", 40000);
        quickFile(berry / ".yarn/install-state.gz", 150000);
        smallFolders(berry / ".yarn/unplugged/esbuild-npm-0.19.0-0a1b2c/node_modules", 80, 2, 5000);

        const fs::path rusty = home / "projects/rusty";
        quickFile(rusty / "Cargo.toml", 200);
        quickFile(rusty / "src/main.rs", 2000);
        TreeBuilder::write(rusty / "target/CACHEDIR.TAG",
                           "Signature: 8a477f597d28d172789f06886806bc55\n");
        smallFolders(rusty / "target/debug/deps", 150, 3, 12000);
        sparseFile(rusty / "target/debug/incremental/query-cache.bin", 32 << 20);

        const std::vector<Engine::Project> found =
            Engine::projects(Engine::projectRoots(), Engine::workingPlaces());
        QStringList names;
        for (const Engine::Project &project : found)
            names << QString::fromStdString(project.path.filename().native());
        names.sort();
        QCOMPARE(names, (QStringList{"berry", "rusty", "web"}));
        for (const Engine::Project &project : found) {
            const qint64 before = freeBytes();
            const Engine::ProjectCleaning cleaning = Engine::cleanProject(project);
            QVERIFY(!cleaning.failure);
            QCOMPARE(cleaning.freed, project.size);
            compare(qPrintable("project " + QString::fromStdString(project.path.filename())),
                    project.size, cleaning.freed, freeBytes() - before);
        }
        QVERIFY(fs::exists(berry / ".yarn/releases/yarn-4.5.0.cjs"));
        QVERIFY(fs::exists(berry / ".yarn/plugins/plugin.cjs"));
        QVERIFY(!fs::exists(berry / ".yarn/install-state.gz"));
        QVERIFY(!fs::exists(berry / ".yarn/unplugged"));
        QVERIFY(fs::exists(store / "d0" / "c0ffee0"));
    }
};

AMPA_TEST_MAIN(TrueSizesTest)
#include "tst_truesizes.moc"
