// Randomly generated homes where the user's own work lies inside what Ampa may offer: projects'
// artifacts, CMake build folders, virtual environments, folders tagged as caches, and the
// developer caches and quick-clean folders (through a link or a bind mount in them, or linked
// away to it). Every project is cleaned, the quick clean run and every developer cache removed
// as if chosen; every planted piece of work is still there afterwards, byte for byte, and what
// holds none is gone, so the check is not vacuous. Reproducible: AMPA_SEED=<seed> runs the same
// home; a failure names its seed.

#include "CacheTarget.h"
#include "DevCache.h"
#include "DevCleaning.h"
#include "Projects.h"
#include "TargetCleaning.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QRandomGenerator>

#include <random>
#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

namespace {

const QByteArray cacheTag = "Signature: 8a477f597d28d172789f06886806bc55\n";

// A folder below `top`, up to three levels down, named at random.
fs::path somewhereIn(const fs::path &top, std::mt19937_64 &random)
{
    fs::path at = top;
    for (int level = static_cast<int>(random() % 4); level > 0; --level)
        at /= "d" + std::to_string(random() % 3);
    return at;
}

// The user's work of one kind at `at`; returns the folder that holds it, which must survive.
fs::path plant(const fs::path &at, int kind)
{
    switch (kind) {
    case 0: // a clone with work not committed
        write(at / "clone/.git/HEAD", "ref: refs/heads/main\n");
        write(at / "clone/work.txt", "not committed yet\n");
        return at / "clone";
    case 1: // a worktree
        write(at / "tree/.git", "gitdir: /somewhere/else/.git/worktrees/tree\n");
        write(at / "tree/change.rs", "fn main() {}\n");
        return at / "tree";
    default: // a project of the user's
        write(at / "app/package.json", "{}\n");
        write(at / "app/src/index.js", "console.log(1)\n");
        return at / "app";
    }
}

struct Home {
    std::vector<fs::path> planted;    // must stay whole
    std::vector<fs::path> disposable; // hold nothing of the user's: must go
};

// A project with an artifact of `kind`; work planted in it now and then.
void project(const fs::path &src, int n, std::mt19937_64 &random, Home &home)
{
    const fs::path root = src / ("p" + std::to_string(n));
    fs::path artifact;
    switch (random() % 4) {
    case 0:
        write(root / "package.json", "{}\n");
        write(root / "package-lock.json", "{}\n");
        artifact = root / "node_modules";
        file(artifact / "dep/package.json", 50);
        file(artifact / "dep/index.js", 500);
        break;
    case 1:
        write(root / "Cargo.toml", "[package]\n");
        artifact = root / "target";
        file(artifact / "debug/app", 800);
        break;
    case 2:
        write(root / "requirements.txt", "requests\n");
        artifact = root / ".venv";
        write(artifact / "pyvenv.cfg", "home = /usr/bin\n");
        file(artifact / "lib/python3/site-packages/x.py", 300);
        break;
    default:
        write(root / "CMakeLists.txt", "project(p)\n");
        artifact = root / "build";
        write(artifact / "CMakeCache.txt",
              "CMAKE_HOME_DIRECTORY:INTERNAL=" + QByteArray(root.c_str()) + "\n");
        file(artifact / "CMakeFiles/app.dir/main.o", 400);
        file(artifact / "build.ninja", 100);
        break;
    }
    file(root / "README", 10);
    if (random() % 2 == 0) {
        home.disposable.push_back(artifact);
        return;
    }
    // A CMake build folder keeps anything of the user's; a virtual environment whatever lies
    // in its own folder; every artifact a repository or a worktree, however deep.
    const bool cmake = artifact.filename() == "build";
    const bool venv = artifact.filename() == ".venv";
    const fs::path at = venv ? artifact : somewhereIn(artifact, random);
    if ((cmake || venv) && random() % 2 == 0) {
        write(at / "NOTES.md", "my notes\n");
        home.planted.push_back(at / "NOTES.md");
    } else {
        home.planted.push_back(plant(at, static_cast<int>(random() % 2)));
    }
}

// A tagged folder where tools keep their files; work planted in it now and then, or the tag in
// one of the home's places of keys and configuration.
void tagged(const fs::path &home, int n, std::mt19937_64 &random, Home &result)
{
    const fs::path places[] = {home / ".cache", home / (".tool" + std::to_string(n))};
    const fs::path folder = places[random() % 2] / ("t" + std::to_string(n));
    switch (random() % 4) {
    case 0:
        write(folder / "CACHEDIR.TAG", cacheTag);
        file(folder / "blob", 600);
        result.disposable.push_back(folder);
        return;
    case 1: {
        const char *keys[] = {".ssh", ".gnupg", ".config/mail", ".local/share/keyrings"};
        const fs::path key = home / keys[random() % 4];
        write(key / "CACHEDIR.TAG", cacheTag);
        file(key / "id_secret", 400);
        result.planted.push_back(key);
        return;
    }
    default:
        write(folder / "CACHEDIR.TAG", cacheTag);
        file(folder / "blob", 600);
        result.planted.push_back(
            plant(somewhereIn(folder, random), static_cast<int>(random() % 3)));
        return;
    }
}

// Folders of the developer caches and the quick clean, relative to the home.
const char *const cacheFolders[] = {".cargo/registry/src",
                                    ".cargo/registry/cache",
                                    ".cargo/git/db",
                                    ".gradle/caches",
                                    ".m2/repository",
                                    ".cache/sccache",
                                    ".cache/JetBrains/IntelliJIdea2024.1/caches",
                                    ".config/Code/Cache",
                                    ".cache/chromium",
                                    ".cache/thumbnails",
                                    ".cache/ms-playwright/chromium-1100",
                                    ".cache/mozilla/firefox/a.default/cache2",
                                    ".var/app/org.example.App/cache",
                                    ".cache/pip",
                                    ".cache/go-build",
                                    ".npm/_cacache",
                                    ".cache/google-chrome",
                                    ".cache/clang/ModuleCache",
                                    ".cache/Homebrew"};

// The user's work reached from inside a catalogue cache: through a link or a bind mount in it,
// or with the cache's folder, or one on the way to it, linked to that work; or else what the
// cache holds, which must go.
void inCache(const fs::path &home, const fs::path &elsewhere, int n, std::mt19937_64 &random,
             Home &result, std::vector<fs::path> &mounts)
{
    const fs::path cache = home / cacheFolders[random() % std::size(cacheFolders)];
    for (fs::path at = cache; at != home; at = at.parent_path())
        if (fs::is_symlink(at))
            return; // another draw linked it away
    const fs::path work =
        plant(elsewhere / ("w" + std::to_string(n)), static_cast<int>(random() % 3));
    switch (random() % 5) {
    case 0:
        file(cache / "blob", 700);
        result.disposable.push_back(cache / "blob");
        break;
    case 1:
        folder(cache);
        TreeBuilder::symlink(work, cache / ("link" + std::to_string(n)));
        break;
    case 2:
        folder(cache / ("mnt" + std::to_string(n)));
        if (geteuid() == 0
            && mount(work.c_str(), (cache / ("mnt" + std::to_string(n))).c_str(), nullptr, MS_BIND,
                     nullptr)
                   == 0)
            mounts.push_back(cache / ("mnt" + std::to_string(n)));
        break;
    case 3:
        if (fs::exists(fs::symlink_status(cache)))
            return;
        folder(cache.parent_path());
        TreeBuilder::symlink(work, cache);
        break;
    default: {
        // The folder above the cache moved to the work: never to a base folder.
        const fs::path above = cache.parent_path();
        if (fs::exists(fs::symlink_status(above)) || above.parent_path() == home)
            return;
        folder(work / cache.filename());
        file(work / cache.filename() / "mine.txt", 200);
        folder(above.parent_path());
        TreeBuilder::symlink(work, above);
        break;
    }
    }
    result.planted.push_back(work);
}

} // namespace

class PlantedWorkTest : public QObject {
    Q_OBJECT

private slots:
    void plantedWorkSurvivesEveryClean()
    {
        const QByteArray fixed = qgetenv("AMPA_SEED");
        const quint64 base =
            fixed.isEmpty() ? QRandomGenerator::global()->generate64() : fixed.toULongLong();
#ifdef __SANITIZE_ADDRESS__
        const int drawn = 10;
#else
        const int drawn = 60;
#endif
        const int homes = fixed.isEmpty() ? drawn : 1;
        // No owner's program runs: their commands are left out, and no real one is reached.
        const fs::path noPrograms = TestHome::root() / "no-programs";
        folder(noPrograms);
        qputenv("PATH", noPrograms.c_str());
        const fs::path elsewhere = TestHome::root() / "elsewhere";
        for (int h = 0; h < homes; ++h) {
            const quint64 seed = base + static_cast<quint64>(h);
            const QByteArray where = "seed " + QByteArray::number(seed);
            std::mt19937_64 random(seed);
            const fs::path home = TestHome::home() / "homes" / std::to_string(h);
            qputenv("HOME", home.c_str());
            qputenv("XDG_CACHE_HOME", (home / ".cache").c_str());
            qputenv("XDG_CONFIG_HOME", (home / ".config").c_str());
            qputenv("XDG_DATA_HOME", (home / ".local/share").c_str());
            qputenv("XDG_STATE_HOME", (home / ".local/state").c_str());
            Home made;
            for (int n = 0; n < 6; ++n)
                project(home / "src", n, random, made);
            for (int n = 0; n < 4; ++n)
                tagged(home, n, random, made);
            std::vector<fs::path> mounts;
            for (int n = 0; n < 4; ++n)
                inCache(home, elsewhere / std::to_string(h), n, random, made, mounts);
            std::map<fs::path, std::map<std::string, std::string>> before;
            for (const fs::path &work : made.planted)
                before[work] = manifest(work);

            for (const Engine::Project &project :
                 Engine::projects({home / "src"}, Engine::WorkingPlaces{}))
                Engine::cleanProject(project);
            for (const CacheTarget &target : quickTargets())
                Engine::clean(target);
            for (const Engine::DevCache &cache : Engine::devCaches())
                Engine::cleanDev(cache, true, {});
            for (const fs::path &mounted : mounts)
                QVERIFY2(umount(mounted.c_str()) == 0, where.constData());

            for (const auto &[work, items] : before)
                QVERIFY2(fs::exists(work) && manifest(work) == items,
                         (where + ": lost " + QByteArray(work.c_str())).constData());
            for (const fs::path &gone : made.disposable)
                QVERIFY2(!fs::exists(gone),
                         (where + ": left " + QByteArray(gone.c_str())).constData());
            fs::remove_all(home);
            fs::remove_all(elsewhere / std::to_string(h));
        }
    }
};

AMPA_TEST_MAIN(PlantedWorkTest)
#include "tst_plantedwork.moc"
