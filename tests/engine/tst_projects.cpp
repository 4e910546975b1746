// Projects and their artifacts on generated trees: what is found and what never is, what git
// says without running anything a repository configures, projects in use or kept, and a clean
// that removes only the folders that were measured and shown.

#include "Child.h"
#include "Paths.h"
#include "Projects.h"
#include "Settings.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>
#include <QScopeGuard>

#include <fcntl.h>
#include <future>
#include <sys/mount.h>
#include <sys/stat.h>
#include <utime.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

namespace {

fs::path src()
{
    return TestHome::home() / "src";
}

void git(const fs::path &repository, const QStringList &arguments)
{
    // Entered rather than named: a name that is not UTF-8 does not survive a QString.
    const fs::path before = fs::current_path();
    fs::current_path(repository);
    QProcess process;
    process.start("git", QStringList{"-c", "user.name=t", "-c", "user.email=t@t", "-c",
                                     "commit.gpgsign=false", "-c", "protocol.file.allow=always"}
                             + arguments);
    const bool finished = process.waitForFinished(30000);
    fs::current_path(before);
    if (!finished || process.exitCode() != 0)
        qFatal("git %s failed: %s", qPrintable(arguments.join(' ')),
               process.readAllStandardError().constData());
}

void commitAll(const fs::path &repository)
{
    git(repository, {"init", "-q"});
    git(repository, {"add", "-A"});
    git(repository, {"commit", "-q", "-m", "first"});
}

// Makes the items named by the words, relative to `root`: "x/" a folder, "x=text" a file
// holding the text ("%s" standing for the source root), anything else a file of 100 bytes.
void tree(const fs::path &root, const QString &words)
{
    for (const QString &word : words.split(' ', Qt::SkipEmptyParts)) {
        const fs::path path = root / word.section('=', 0, 0).toStdString();
        if (word.contains('='))
            write(path, word.section('=', 1).replace("%s", src().c_str()).toUtf8() + "\n");
        else if (word.endsWith('/'))
            folder(path);
        else
            file(path, 100);
    }
}

// Sets a file's modification time `days` ago.
void age(const fs::path &path, int days)
{
    const time_t when = time(nullptr) - days * 86400L;
    const utimbuf times{when, when};
    utime(path.c_str(), &times);
}

QStringList relative(const std::vector<Engine::FoundProject> &found)
{
    QStringList out;
    for (const Engine::FoundProject &project : found) {
        QStringList parts;
        for (const Engine::Artifact &artifact : project.artifacts)
            parts << QString::fromStdString(artifact.path.lexically_relative(src()).native());
        out << QString::fromStdString(project.path.lexically_relative(src()).native()) + " "
                   + project.kind + ": " + parts.join(", ");
    }
    return out;
}

const Engine::Project *named(const std::vector<Engine::Project> &found, const fs::path &path)
{
    for (const Engine::Project &project : found)
        if (project.path == path)
            return &project;
    return nullptr;
}

// Nobody works anywhere.
std::optional<Engine::WorkingPlaces> noPlaces()
{
    return Engine::WorkingPlaces{};
}

// Every artifact path offered under the roots.
std::vector<fs::path> offered(const std::vector<fs::path> &roots)
{
    std::vector<fs::path> paths;
    for (const Engine::Project &project : Engine::projects(roots, noPlaces()))
        for (const Engine::Project::Part &part : project.artifacts)
            if (part.offered())
                paths.push_back(part.path);
    return paths;
}

// Configures the project at `source` in `build` with real CMake; no compiler is asked for.
void configure(const fs::path &source, const fs::path &build, const char *generator)
{
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(build.native()));
    fs::create_directories(build);
    process.start("cmake", {"-G", generator, QString::fromStdString(source.native())});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("cmake failed: %s", process.readAllStandardError().constData());
}

const Engine::Project::Part *partAt(const std::vector<Engine::Project> &found, const fs::path &path)
{
    for (const Engine::Project &project : found)
        for (const Engine::Project::Part &part : project.artifacts)
            if (part.path == path)
                return &part;
    return nullptr;
}

void copyProgram(const fs::path &from, const fs::path &to)
{
    fs::create_directories(to.parent_path());
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_all);
}

} // namespace

class ProjectsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        for (const fs::directory_entry &entry : fs::directory_iterator(TestHome::home()))
            fs::remove_all(entry.path());
        folder(src());
        storeSettings({});
    }

    // Markers decide: an artifact name alone is not enough, nested projects stand alone, nothing
    // is looked for inside an artifact, links are not followed.
    void whatIsFound()
    {
        tree(src(),
             "web/package.json web/node_modules/left-pad/index.js web/.next/cache/page "
             // a project inside node_modules, and one nested: a project of its own
             "web/node_modules/inner/package.json web/node_modules/inner/node_modules/x/y.js "
             "web/packages/ui/package.json web/packages/ui/node_modules/z/z.js "
             "crate/Cargo.toml crate/target/debug/app "
             "notes/target/plan.txt " // "target" with no marker beside
             "py/requirements.txt py/.venv/pyvenv.cfg py/.venv/lib/site.py "
             "tool/CMakeLists.txt "
             "tool/out/debug/CMakeCache.txt=CMAKE_HOME_DIRECTORY:INTERNAL=%s/tool "
             "tool/out/debug/obj.o app/build.gradle.kts app/build/classes/A.class "
             // a cache whose source lies inside its own folder: the user's sources
             "inner/CMakeLists.txt "
             "inner/out/CMakeCache.txt=CMAKE_HOME_DIRECTORY:INTERNAL=%s/inner/out/src "
             "inner/out/src/main.c "
             "app/.gradle/8.0/lock "
             // Yarn 4: what an install writes into the project's own .yarn, and nothing else there.
             "berry/package.json berry/yarn.lock berry/.yarn/install-state.gz "
             "berry/.yarn/unplugged/esbuild-npm-0.19.0/node_modules/esbuild/bin "
             "berry/.yarn/releases/yarn-4.5.0.cjs berry/.yarn/plugins/plugin.cjs "
             "berry/.yarn/patches/fix.patch berry/.yarn/cache/left-pad.zip "
             "berry/docs/.yarn/unplugged/x/y.js berry/docs/.yarn/install-state.gz "
             "berry/lib/.yarn/install-state.gz/"); // a folder by that name is not it
        tree(TestHome::home(), "elsewhere/node_modules/ elsewhere/package.json");
        TreeBuilder::symlink(TestHome::home() / "elsewhere", src() / "linked");

        QCOMPARE(relative(Engine::findProjects({src()})),
                 QStringList({"app gradle: app/.gradle, app/build",
                              "berry node: berry/.yarn/install-state.gz, berry/.yarn/unplugged",
                              "crate rust: crate/target", "py python: py/.venv",
                              "tool cmake: tool/out/debug", "web node: web/.next, web/node_modules",
                              "web/packages/ui node: web/packages/ui/node_modules"}));
    }

    // Folders that are a project, hold one, belong to a tool, or hold sources: never offered, and
    // a clean of everything that is offered leaves each of them exactly as it was.
    void neverAnArtifact_data()
    {
        QTest::addColumn<QString>("root"); // searched, below the home
        QTest::addColumn<QString>("items");
        QTest::addColumn<QString>("guarded"); // relative to the home: stays whole
        const auto row = [](const char *name, const char *root, const char *items,
                            const char *guarded) {
            QTest::newRow(name) << QString(root) << QString(items) << QString(guarded);
        };
        row("in-source CMake build", "src",
            "app/CMakeLists.txt app/src/main.cpp app/.git/ "
            "app/CMakeCache.txt=CMAKE_HOME_DIRECTORY:INTERNAL=%s/app",
            "src/app");
        row("CMake cache naming no source", "src",
            "c/CMakeLists.txt c/build/CMakeCache.txt=#-none c/build/notes.txt", "src/c/build");
        row("venv made in the project folder", "src",
            "tool/pyvenv.cfg tool/bin/python tool/main.py tool/requirements.txt", "src/tool");
        row("venv holding sources", "src", "py/pyproject.toml py/env/pyvenv.cfg py/env/analysis.py",
            "src/py/env");
        row("venv in a project of another kind", "src",
            "app/package.json app/package-lock.json app/.venv/pyvenv.cfg app/.venv/lib/x.py",
            "src/app/.venv");
        row("venv outside a Python project", "src",
            "loose/README loose/.venv/pyvenv.cfg loose/.venv/lib/x.py", "src/loose/.venv");
        // Virtual environments and projects as tools keep them: never the user's own.
        row("tools' own places with the home searched", "",
            "README .local/share/pipx/venvs/black/pyvenv.cfg "
            ".local/share/pipx/venvs/black/bin/python "
            ".local/share/pipx/venvs/black/requirements.txt "
            ".local/share/virtualenvs/app-x1/pyvenv.cfg .local/share/virtualenvs/app-x1/bin/python "
            ".cache/pypoetry/virtualenvs/app-py3.11/pyvenv.cfg "
            ".cache/pypoetry/virtualenvs/app-py3.11/bin/python "
            ".virtualenvs/work/pyvenv.cfg .virtualenvs/work/bin/python "
            ".cache/tool/checkouts/app/package.json .cache/tool/checkouts/app/package-lock.json "
            ".cache/tool/checkouts/app/node_modules/a.js .cargo/git/checkouts/c1/package.json "
            ".cargo/git/checkouts/c1/package-lock.json .cargo/git/checkouts/c1/node_modules/a.js "
            ".config/editor/extension/package.json .config/editor/extension/package-lock.json "
            ".config/editor/extension/node_modules/a.js .vscode/extensions/ext/package.json "
            ".vscode/extensions/ext/package-lock.json .vscode/extensions/ext/node_modules/a.js",
            "");
        row("a cache folder that is not hidden", "",
            "caches/tool/app/package.json caches/tool/app/package-lock.json "
            "caches/tool/app/node_modules/a.js",
            "caches");
        row("node_modules holding a repository", "src",
            "n/package.json n/package-lock.json n/node_modules/.git/HEAD n/node_modules/a.js",
            "src/n/node_modules");
        row("target holding a project marker", "src",
            "r/Cargo.toml r/target/Cargo.toml r/target/src/lib.rs", "src/r/target");
        row("repository with no file of its own", "src", "e/.git/HEAD e/.pytest_cache/v/x",
            "src/e");
        row("repository deep in node_modules", "src",
            "n/package.json n/package-lock.json n/node_modules/dep/x.js "
            "n/node_modules/dep/clone/.git/HEAD n/node_modules/dep/clone/work.js",
            "src/n/node_modules");
        row("worktree deep in target", "src",
            "w/Cargo.toml w/target/debug/app w/target/wt/.git=gitdir:/elsewhere "
            "w/target/wt/work.rs",
            "src/w/target");
        // With the home searched: Go's module cache where Go keeps it by default and where the
        // environment says, and a module made read-only anywhere.
        row("Go's module cache", "",
            "README go/pkg/mod/m@v1.2.0/package.json go/pkg/mod/m@v1.2.0/package-lock.json "
            "go/pkg/mod/m@v1.2.0/node_modules/a.js gomod/n@v1/package.json "
            "gomod/n@v1/package-lock.json gomod/n@v1/node_modules/a.js "
            "ro/n@v2/package.json ro/n@v2/package-lock.json ro/n@v2/node_modules/a.js",
            "");
        // GOPATH's module cache, where GOMODCACHE is not set.
        row("GOPATH's module cache", "",
            "README gopath/pkg/mod/m@v1/package.json gopath/pkg/mod/m@v1/package-lock.json "
            "gopath/pkg/mod/m@v1/node_modules/a.js",
            "");
        row("CMake configured in a folder of sources", "src",
            "a/CMakeLists.txt a/src/main.cpp a/src/NOTES.md "
            "a/src/CMakeCache.txt=CMAKE_HOME_DIRECTORY:INTERNAL=%s/a",
            "src/a/src");
    }
    void neverAnArtifact()
    {
        QFETCH(QString, root);
        QFETCH(QString, items);
        QFETCH(QString, guarded);
        const fs::path home = TestHome::home();
        const std::vector<fs::path> roots{home / root.toStdString()};
        const fs::path guard = guarded.isEmpty() ? home : home / guarded.toStdString();
        if (guarded == "caches")
            setenv("XDG_CACHE_HOME", (home / "caches").c_str(), 1);
        tree(roots[0], items);
        setenv("GOMODCACHE", (home / "gomod").c_str(), 1);
        setenv("GOPATH", (home / "gopath").c_str(), 1);
        const auto unset = qScopeGuard([] {
            unsetenv("GOMODCACHE");
            unsetenv("GOPATH");
        });
        if (fs::exists(home / "ro"))
            fs::permissions(home / "ro/n@v2/node_modules",
                            fs::perms::owner_read | fs::perms::owner_exec);
        const std::map<std::string, std::string> before = manifest(guard);
        for (const fs::path &path : offered(roots)) {
            QVERIFY2(!Engine::isSameOrInside(path, guard), path.c_str());
            QVERIFY2(!Engine::isSameOrInside(guard, path), path.c_str());
            // The tools' own places are not searched at all.
            QVERIFY2(path.native().find("/.") == std::string::npos || root == "src", path.c_str());
        }
        for (const Engine::Project &project : Engine::projects(roots, noPlaces()))
            Engine::cleanProject(project);
        QCOMPARE(manifest(guard), before);
        setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    }

    // Real CMake: a build folder holding only what CMake made is offered; one configured where
    // the user's work lies, one holding a file older than its first configure, or one in a
    // repository that does not ignore all it holds is listed with the reason, and a clean leaves
    // it as it was.
    void buildFolders()
    {
        const fs::path app = src() / "app";
        write(app / "CMakeLists.txt", "cmake_minimum_required(VERSION 3.20)\nproject(app NONE)\n"
                                      "configure_file(version.h.in version.h)\n");
        write(app / "version.h.in", "#define VERSION 1\n");
        file(app / "src/main.cpp", 100);
        file(app / "src/NOTES.md", 100);
        age(app / "src/main.cpp", 3);
        age(app / "src/NOTES.md", 3);
        configure(app, app / "build", "Unix Makefiles"); // lists configure_file's output
        configure(app, app / "ninja", "Ninja");          // does not: version.h is not shown
        configure(app, app / "src", "Ninja");            // `cd src && cmake ..`
        configure(app, app / "aged", "Unix Makefiles");
        file(app / "aged/libold.a", 100);
        age(app / "aged/libold.a", 2);

        std::map<std::string, std::string> before = manifest(app);
        std::vector<Engine::Project> found = Engine::projects({src()}, noPlaces());
        QCOMPARE(found.size(), 1u);
        QVERIFY(partAt(found, app / "build") && partAt(found, app / "build")->offered());
        for (const char *withheld : {"ninja", "src", "aged"}) {
            const Engine::Project::Part *part = partAt(found, app / withheld);
            QVERIFY2(part && !part->offered(), withheld);
        }
        const Engine::Withheld &notes = partAt(found, app / "src")->withheld;
        QCOMPARE(notes.why, Engine::Withheld::Why::notMadeByBuild);
        QCOMPARE(notes.file.filename(), fs::path("NOTES.md"));
        QCOMPARE(found[0].size, partAt(found, app / "build")->size);
        QVERIFY(!Engine::cleanProject(found[0]).failure);
        QVERIFY(!fs::exists(app / "build"));
        std::map<std::string, std::string> after = manifest(app);
        std::erase_if(after, [](const auto &item) { return item.first.starts_with("build"); });
        std::erase_if(before, [](const auto &item) { return item.first.starts_with("build"); });
        QCOMPARE(after, before);
        fs::remove_all(app / "aged");
        fs::remove_all(app / "ninja");
        found = Engine::projects({src()}, noPlaces());
        QCOMPARE(Engine::hold(found[0]), Engine::ProjectHold::withheld);
        QCOMPARE(Engine::cleanProject(found[0]).held, Engine::ProjectHold::withheld);

        // In a repository: only what its own rules ignore.
        fs::remove_all(app / "src/CMakeCache.txt");
        fs::remove_all(app / "src/CMakeFiles");
        write(app / ".gitignore", "/build/\n/ninja/CMakeFiles/\n");
        commitAll(app);
        configure(app, app / "build", "Ninja");
        configure(app, app / "ninja", "Ninja");
        configure(app, app / "src", "Ninja");
        found = Engine::projects({src()}, noPlaces());
        QVERIFY(partAt(found, app / "build") && partAt(found, app / "build")->offered());
        for (const char *withheld : {"ninja", "src"}) {
            const Engine::Project::Part *part = partAt(found, app / withheld);
            QVERIFY2(!part || !part->offered(), withheld); // src holds tracked files: none
        }
        QCOMPARE(partAt(found, app / "ninja")->withheld.why, Engine::Withheld::Why::notIgnored);
    }

    // Sizes count a hard-linked file only when all its links go; the age is the newest source
    // or commit; a folder git tracks is not an artifact; changes not committed show; a
    // node_modules with no lockfile is listed but left out of the idle ones.
    void detailsOfEachProject()
    {
        tree(src(), "store/package.json store/node_modules/own.js store/node_modules/shared.js");
        QVERIFY(link((src() / "store/node_modules/shared.js").c_str(),
                     (TestHome::home() / "pnpm-store-copy").c_str())
                == 0);
        file(src() / "store/index.js", 10);
        age(src() / "store/index.js", 45);
        age(src() / "store/package.json", 50);

        file(src() / "repo/Cargo.toml", 10);
        file(src() / "repo/target/release/bin", 4000);
        file(src() / "repo/build/keep.txt", 10); // a "build" git tracks, with a Gradle marker
        file(src() / "repo/build.gradle", 10);
        write(src() / "repo/.gitignore", "target/\n");
        commitAll(src() / "repo");
        file(src() / "repo/new.rs", 10); // not committed

        const std::vector<Engine::Project> found = Engine::projects({src()}, noPlaces());
        QCOMPARE(found.size(), 2u);
        const Engine::Project &store = *named(found, src() / "store");
        const Engine::Project &repo = *named(found, src() / "repo");
        QCOMPARE(store.size, allocated(src() / "store/node_modules")
                                 + allocated(src() / "store/node_modules/own.js"));
        QCOMPARE(Engine::idleDays(store), 45);
        QVERIFY(!store.dirty);
        QVERIFY(store.artifacts[0].noLockfile);
        QVERIFY(!Engine::inIdleBatch(store, 30));
        QCOMPARE(repo.artifacts.size(), 1u);
        QCOMPARE(repo.artifacts[0].path, src() / "repo/target");
        QVERIFY(repo.dirty);
        QCOMPARE(Engine::idleDays(repo), 0);

        // A workspace's lockfile at its root serves its packages.
        tree(src(), "store/packages/ui/package.json store/packages/ui/node_modules/x.js "
                    "store/pnpm-lock.yaml");
        for (const Engine::Project &project : Engine::projects({src()}, noPlaces()))
            for (const Engine::Project::Part &part : project.artifacts)
                QVERIFY2(!part.noLockfile, part.path.c_str());

        // A virtual environment comes back only from what names its packages; one installed by
        // hand is listed and left out of the idle ones.
        fs::remove_all(src());
        tree(src(),
             "tox/setup.cfg tox/.venv/pyvenv.cfg tox/.venv/lib/wheel.py "
             "req/setup.cfg req/requirements-dev.txt req/.venv/pyvenv.cfg req/.venv/lib/x.py");
        const std::vector<Engine::Project> venvs = Engine::projects({src()}, noPlaces());
        QCOMPARE(venvs.size(), 2u);
        QVERIFY(named(venvs, src() / "tox")->artifacts[0].noLockfile);
        QVERIFY(!Engine::inIdleBatch(*named(venvs, src() / "tox"), 0));
        QVERIFY(Engine::inIdleBatch(*named(venvs, src() / "req"), 0));
    }

    // Git is read without running anything a repository configures, and fails closed: a
    // tracked file in a monorepo's package or a gitlink is never offered, an unreadable
    // repository offers nothing, names that are not UTF-8 are compared as bytes.
    void repositories()
    {
        const fs::path mono = src() / "mono";
        tree(mono,
             "README web/package.json web/package-lock.json web/node_modules/patched-lib/index.js");
        commitAll(mono);
        file(mono / "web/node_modules/other/index.js", 5000); // untracked beside the tracked one

        const fs::path linked = src() / "linked";
        tree(linked, "package.json package-lock.json node_modules/sub/index.js");
        commitAll(linked / "node_modules/sub");
        git(linked, {"init", "-q"});
        git(linked, {"add", "package.json", "package-lock.json", "node_modules/sub"}); // gitlink
        git(linked, {"commit", "-q", "-m", "first"});

        const fs::path pinned =
            src() / "pinned"; // node_modules itself a submodule, not checked out
        tree(pinned, "package.json package-lock.json node_modules/x.js");
        git(pinned, {"init", "-q"});
        git(pinned, {"add", "package.json", "package-lock.json"});
        git(pinned, {"update-index", "--add", "--cacheinfo",
                     "160000,1111111111111111111111111111111111111111,node_modules"});
        git(pinned, {"commit", "-q", "-m", "first"});

        const fs::path odd = src() / "odd\xff";
        file(odd / "Cargo.toml", 10);
        file(odd / "target/\xfe-generated.rs", 100);
        git(odd, {"init", "-q"});
        git(odd, {"add", "-f", "Cargo.toml", "target"});
        git(odd, {"commit", "-q", "-m", "first"});

        const fs::path broken = src() / "broken";
        file(broken / "Cargo.toml", 10);
        file(broken / "target/debug/app", 4000);
        commitAll(broken);
        write(broken / ".git/index", "not an index");

        const std::map<std::string, std::string> before = manifest(src());
        const std::vector<Engine::Project> found = Engine::projects({src()}, noPlaces());
        QCOMPARE(named(found, mono / "web"), nullptr);
        QCOMPARE(named(found, linked), nullptr);
        QCOMPARE(named(found, odd), nullptr);
        QCOMPARE(named(found, pinned), nullptr);
        const Engine::Project *unreadable = named(found, broken);
        QVERIFY(unreadable);
        QVERIFY(unreadable->unreadable);
        QCOMPARE(Engine::hold(*unreadable), Engine::ProjectHold::unreadable);
        QVERIFY(Engine::idleBatch(found, 0).empty());
        QCOMPARE(Engine::cleanProject(*unreadable).held, Engine::ProjectHold::unreadable);
        QCOMPARE(manifest(src()), before);
    }

    // Root reads a repository owned by another user only where git would: nowhere.
    void repositoryOfAnotherUser()
    {
        if (geteuid() != 0)
            QSKIP("giving a repository to another user needs root");
        const fs::path theirs = src() / "theirs";
        file(theirs / "Cargo.toml", 10);
        file(theirs / "target/app", 100);
        commitAll(theirs);
        // The project folder is the user's; its repository is not.
        for (const fs::directory_entry &entry : fs::recursive_directory_iterator(theirs / ".git"))
            QCOMPARE(lchown(entry.path().c_str(), 65534, 65534), 0);
        QCOMPARE(lchown((theirs / ".git").c_str(), 65534, 65534), 0);
        const std::vector<Engine::Project> found = Engine::projects({src()}, noPlaces());
        QCOMPARE(found.size(), 1u);
        QVERIFY(found[0].unreadable);
    }

    // Only the user's own projects and artifacts are offered, whatever the roots reach.
    void projectsOfOtherUsers()
    {
        if (geteuid() != 0)
            QSKIP("giving a project to another user needs root");
        tree(src(), "theirs/package.json theirs/package-lock.json theirs/node_modules/a.js "
                    "mine/package.json mine/package-lock.json mine/node_modules/a.js");
        for (const fs::directory_entry &entry : fs::recursive_directory_iterator(src() / "theirs"))
            QCOMPARE(lchown(entry.path().c_str(), 65534, 65534), 0);
        QCOMPARE(lchown((src() / "theirs").c_str(), 65534, 65534), 0);
        fs::permissions(src() / "theirs", fs::perms::all); // world-writable
        QCOMPARE(lchown((src() / "mine/node_modules").c_str(), 0, 65534), 0);
        const std::vector<Engine::Project> found = Engine::projects({src()}, noPlaces());
        QCOMPARE(found.size(), 1u);
        QCOMPARE(found[0].path, src() / "mine");
        QVERIFY(found[0].artifacts[0].offered());

        QCOMPARE(lchown((src() / "mine/node_modules").c_str(), 65534, 65534), 0);
        const std::vector<Engine::Project> again = Engine::projects({src()}, noPlaces());
        QVERIFY(!again[0].artifacts[0].offered());
        QCOMPARE(Engine::cleanProject(again[0]).held, Engine::ProjectHold::withheld);
        QVERIFY(fs::exists(src() / "mine/node_modules/a.js"));
    }

    // What a cloned repository configures to run (fsmonitor, a clean filter, an external diff,
    // hooks) runs under git itself, and never when Ampa reads the repository.
    void repositoryCommandsNeverRun()
    {
        const fs::path evil = src() / "evil";
        const fs::path marker = TestHome::home() / "ran";
        tree(evil, "package.json package-lock.json node_modules/a.js");
        write(evil / ".gitattributes", "*.js filter=evil diff=evil\n");
        write(evil / ".gitignore", "node_modules/\n");
        write(evil / "index.js", "one\n");
        commitAll(evil);
        const QByteArray run = "touch " + QByteArray(marker.c_str());
        for (const char *setting :
             {"core.fsmonitor", "filter.evil.clean", "filter.evil.smudge", "diff.external",
              "diff.evil.command", "core.pager", "credential.helper"})
            git(evil, {"config", setting, QString::fromUtf8(run)});
        write(evil / ".git/hooks/post-index-change", "#!/bin/sh\n" + run + "\n");
        fs::permissions(evil / ".git/hooks/post-index-change", fs::perms::owner_all);
        write(evil / "index.js", "two, longer\n"); // modified: status must look at it

        git(evil, {"status", "--porcelain"});
        QVERIFY2(fs::exists(marker), "the bait does not work under git itself");
        fs::remove(marker);

        const std::vector<Engine::Project> found = Engine::projects({src()}, noPlaces());
        QCOMPARE(found.size(), 1u);
        QVERIFY(found[0].dirty);
        QVERIFY(!fs::exists(marker));
    }

    // A repository that cannot be read in bounded time (its configuration including a FIFO, a
    // huge sparse index) fails closed with the reason and never stalls the others' listing; nor
    // does a FIFO under a build folder's cache's name.
    void repositoryReadingIsBounded()
    {
        for (const char *name : {"fifo", "sparse", "fine"}) {
            tree(src() / name, "Cargo.toml target/app .gitignore=target/");
            commitAll(src() / name);
        }
        const fs::path fifo = TestHome::home() / "pipe";
        QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
        git(src() / "fifo", {"config", "include.path", QString::fromStdString(fifo.native())});
        fs::resize_file(src() / "sparse/.git/index", 4ull << 30);
        // A build folder's cache that is a FIFO: read, it would block the walk itself.
        file(src() / "tool/CMakeLists.txt", 10);
        folder(src() / "tool/out");
        QCOMPARE(mkfifo((src() / "tool/out/CMakeCache.txt").c_str(), 0600), 0);

        auto listing =
            std::async(std::launch::async, [] { return Engine::projects({src()}, noPlaces()); });
        if (listing.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            for (const fs::path &pipe : {fifo, src() / "tool/out/CMakeCache.txt"})
                close(open(pipe.c_str(), O_WRONLY | O_NONBLOCK)); // lets a stalled reader go
            QFAIL("the listing stalled");
        }
        const std::vector<Engine::Project> found = listing.get();
        QCOMPARE(found.size(), 3u);
        QVERIFY(named(found, src() / "fifo")->unreadable);
        QVERIFY(named(found, src() / "fifo")->unreadable->contains("pipe"));
        QVERIFY(named(found, src() / "sparse")->unreadable);
        // Refused for its size before it is read, not after reading it failed.
        QVERIFY(named(found, src() / "sparse")->unreadable->contains("readable size"));
        QVERIFY(!named(found, src() / "fine")->unreadable);
    }

    // In use: a process working in the project, its program or a library it maps lying in an
    // artifact, a process in the monorepo's root for its packages; paths compared as the same
    // folder when the roots are reached through a link; processes read again at the clean.
    void inUse_data()
    {
        QTest::addColumn<QString>("how");
        for (const char *how :
             {"working folder through a linked root", "program in target",
              "library mapped from a venv", "monorepo root", "started after the listing",
              "file held open in target", "working folder through a bind mount",
              "file held open through a bind mount", "another mount namespace",
              "file held open in another mount namespace"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void inUse()
    {
        QFETCH(QString, how);
        const fs::path mono = src() / "mono";
        tree(mono, "README rs/Cargo.toml rs/target/debug/x.o py/requirements.txt "
                   "py/.venv/pyvenv.cfg py/.venv/lib/x.py");
        write(mono / ".gitignore", "target/\n.venv/\n");
        commitAll(mono);
        TreeBuilder::symlink(src(), TestHome::home() / "linked-src");
        std::vector<fs::path> roots{src()};

        const fs::path bind = TestHome::home() / "bind";
        const bool mounts = how.contains("bind mount") || how.contains("namespace");
        if (mounts && geteuid() != 0)
            QSKIP("mounting needs root");
        if (how.contains("bind mount")) {
            folder(bind);
            QVERIFY(mount(mono.c_str(), bind.c_str(), nullptr, MS_BIND, nullptr) == 0);
        }
        const auto unmount = qScopeGuard([&bind] { umount2(bind.c_str(), MNT_DETACH); });
        const auto holding = [](const fs::path &file) {
            return QStringList{"/bin/sh", "-c", "exec 3<\"$1\" && " + QString(Child::readyScript),
                               "x", QString::fromStdString(file.native())};
        };
        std::unique_ptr<Child> worker;
        fs::path project = mono / "rs";
        if (how.startsWith("working folder")) {
            roots = {TestHome::home() / "linked-src"};
            project = roots[0] / "mono/rs";
            worker = std::make_unique<Child>(QStringList{"/bin/sleep", "60"}, mono / "rs");
        } else if (how == "program in target") {
            copyProgram("/bin/sleep", mono / "rs/target/debug/app");
            worker = std::make_unique<Child>(
                QStringList{QString::fromStdString((mono / "rs/target/debug/app").native()), "60"},
                TestHome::home());
        } else if (how.startsWith("library")) {
            project = mono / "py";
            const fs::path library = mono / "py/.venv/lib/libpreload.so";
            QProcess find;
            find.start("/bin/sh", {"-c", "ldd /bin/sh | awk '/libc.so/ {print $3}'"});
            QVERIFY(find.waitForFinished());
            copyProgram(find.readAllStandardOutput().trimmed().toStdString(), library);
            // The loader maps the library after exec returns; a script that says it runs has it.
            worker = std::make_unique<Child>(
                QStringList{"/bin/sh", "-c", Child::readyScript}, TestHome::home(),
                QStringList{"LD_PRELOAD=" + QString::fromStdString(library.native())});
            QVERIFY(worker->ready());
        } else if (how == "monorepo root") {
            worker = std::make_unique<Child>(QStringList{"/bin/sleep", "60"}, mono);
        } else if (how == "file held open in target") {
            worker = std::make_unique<Child>(holding(mono / "rs/target/debug/x.o"));
            QVERIFY(worker->ready());
        } else if (how == "working folder through a bind mount") {
            worker = std::make_unique<Child>(QStringList{"/bin/sleep", "60"}, bind / "rs");
        } else if (how == "file held open through a bind mount") {
            worker = std::make_unique<Child>(holding(bind / "rs/target/debug/x.o"));
            QVERIFY(worker->ready());
        } else if (how.endsWith("another mount namespace")) {
            // A container's view: the project at a place that exists in no other namespace.
            const QString use = how.startsWith("file") ? "exec 3<\"$2/rs/target/debug/x.o\" && cd /"
                                                       : "cd \"$2/rs\"";
            folder(bind);
            worker = std::make_unique<Child>(QStringList{
                "/usr/bin/unshare", "-m", "/bin/sh", "-c",
                "mount --bind \"$1\" \"$2\" && " + use + " && " + QString(Child::readyScript), "x",
                QString::fromStdString(mono.native()), QString::fromStdString(bind.native())});
            QVERIFY(worker->ready());
        }
        std::vector<Engine::Project> found = Engine::projects(roots, Engine::workingPlaces());
        const Engine::Project *listed = named(found, project);
        QVERIFY(listed);
        if (how == "started after the listing") {
            QVERIFY(!listed->inUse);
            worker = std::make_unique<Child>(QStringList{"/bin/sleep", "60"}, mono / "rs/target");
        } else {
            QVERIFY(listed->inUse);
            QVERIFY(!Engine::inIdleBatch(*listed, 0));
        }
        const std::map<std::string, std::string> before = manifest(mono);
        QCOMPARE(Engine::cleanProject(*listed).held, Engine::ProjectHold::inUse);
        QCOMPARE(manifest(mono), before);
    }

    // Kept: the folder as the same folder however it was reached, and every project inside it.
    void kept()
    {
        tree(src(), "mono/package.json mono/yarn.lock mono/node_modules/a.js "
                    "mono/packages/web/package.json mono/packages/web/node_modules/b.js");
        TreeBuilder::symlink(src(), TestHome::home() / "linked-src");

        QCOMPARE(Engine::keepProject(TestHome::home() / "linked-src/mono/./"),
                 Engine::KeepChange::done);
        std::vector<Engine::Project> found = Engine::projects({src()}, noPlaces());
        QCOMPARE(found.size(), 2u);
        for (const Engine::Project &project : found) {
            QVERIFY2(project.kept, project.path.c_str());
            QCOMPARE(Engine::cleanProject(project).held, Engine::ProjectHold::kept);
        }
        QVERIFY(Engine::idleBatch(found, 0).empty());
        QVERIFY(fs::exists(src() / "mono/packages/web/node_modules/b.js"));

        // An entry stored through the link, as a path typed there once was.
        storeSettings({{"projectKeep", QStringList{QString::fromStdString(
                                           (TestHome::home() / "linked-src/mono").native())}}});
        for (const Engine::Project &project : Engine::projects({src()}, noPlaces()))
            QVERIFY2(project.kept, project.path.c_str());
        QCOMPARE(Engine::releaseProject(src() / "mono"), Engine::KeepChange::done);
        QCOMPARE(Engine::keepProject(TestHome::home() / "linked-src/mono/./"),
                 Engine::KeepChange::done);

        QCOMPARE(Engine::keepProject(src() / "missing"), Engine::KeepChange::notAFolder);
        QCOMPARE(Engine::keepProject(src() / "mono/package.json"), Engine::KeepChange::notAFolder);
        QCOMPARE(Engine::releaseProject(src() / "elsewhere"), Engine::KeepChange::notKept);
        QCOMPARE(Engine::releaseProject(src() / "mono"), Engine::KeepChange::done);
        QVERIFY(Settings::instance().projectKeep().isEmpty());
        QCOMPARE(Engine::idleBatch(Engine::projects({src()}, noPlaces()), 0).size(), 2u);
    }

    // Between the listing and the clean, an artifact or the project itself is swapped for a link
    // or another folder: what was never shown stays.
    void whatGoesIsWhatWasShown_data()
    {
        QTest::addColumn<QString>("swap");
        for (const char *swap : {"artifact becomes a link", "artifact becomes another folder",
                                 "project becomes a link", "folder on the way becomes a link"})
            QTest::newRow(swap) << QString::fromLatin1(swap);
    }
    void whatGoesIsWhatWasShown()
    {
        QFETCH(QString, swap);
        const fs::path precious = TestHome::home() / "Documents/thesis";
        file(precious / "chapter1.tex", 3000);
        tree(src(),
             "app/package.json app/package-lock.json app/node_modules/a.js tool/CMakeLists.txt");
        write(src() / "tool/out/debug/CMakeCache.txt",
              QByteArray("CMAKE_HOME_DIRECTORY:INTERNAL=") + (src() / "tool").c_str() + "\n");
        file(src() / "tool/out/debug/x.o", 3000);
        const std::vector<Engine::Project> found = Engine::projects({src()}, noPlaces());
        QCOMPARE(found.size(), 2u);

        if (swap == "artifact becomes a link") {
            fs::remove_all(src() / "app/node_modules");
            TreeBuilder::symlink(precious, src() / "app/node_modules");
        } else if (swap == "artifact becomes another folder") {
            fs::rename(src() / "app/node_modules", src() / "app/node_modules.old");
            file(src() / "app/node_modules/new-work.txt", 3000);
        } else if (swap == "project becomes a link") {
            fs::rename(src() / "app", src() / "app.moved");
            folder(precious / "node_modules");
            TreeBuilder::symlink(precious, src() / "app");
        } else {
            fs::rename(src() / "tool/out", src() / "tool/out.moved");
            file(precious / "debug/CMakeCache.txt", 10);
            TreeBuilder::symlink(precious, src() / "tool/out");
        }
        const std::map<std::string, std::string> documents = manifest(precious);
        for (const Engine::Project &project : found) {
            const bool swapped = project.path == src() / "app" ? !swap.startsWith("folder")
                                                               : swap.startsWith("folder");
            const Engine::ProjectCleaning cleaning = Engine::cleanProject(project);
            if (swapped) {
                QCOMPARE(int(cleaning.held), int(Engine::ProjectHold::none));
                QCOMPARE(cleaning.freed, 0);
                QVERIFY(cleaning.failure);
            }
        }
        // The project nobody touched is cleaned as usual.
        QVERIFY(!fs::exists(swap.startsWith("folder") ? src() / "app/node_modules"
                                                      : src() / "tool/out/debug"));
        QCOMPARE(manifest(precious), documents);
        if (swap == "artifact becomes another folder")
            QVERIFY(fs::exists(src() / "app/node_modules/new-work.txt"));
    }

    // What is mounted under a root is another disk's: the search does not go there.
    void mountsAreNotEntered()
    {
        if (geteuid() != 0)
            QSKIP("mounting needs root");
        file(src() / "here/package.json", 10);
        file(src() / "here/node_modules/a.js", 100);
        folder(src() / "disk");
        QVERIFY(mount("tmpfs", (src() / "disk").c_str(), "tmpfs", 0, nullptr) == 0);
        file(src() / "disk/there/package.json", 10);
        file(src() / "disk/there/node_modules/b.js", 100);
        const std::vector<Engine::FoundProject> found = Engine::findProjects({src()});
        umount((src() / "disk").c_str());
        QCOMPARE(found.size(), 1u);
        QCOMPARE(found[0].path, src() / "here");
    }

    // The roots: the setting's when it names any, else the usual ones that exist, each once.
    void roots()
    {
        folder(TestHome::home() / "code");
        QCOMPARE(Engine::projectRoots(), (std::vector<fs::path>{TestHome::home() / "code", src()}));
        storeSettings(
            {{"projectRoots",
              QStringList{QString::fromStdString(src().native()),
                          QString::fromStdString((src() / "inner").native()), "relative/x"}}});
        folder(src() / "inner");
        QCOMPARE(Engine::projectRoots(), std::vector<fs::path>{src()});
    }
};

AMPA_TEST_MAIN(ProjectsTest)
#include "tst_projects.moc"
