// Projects and their artifacts on generated trees of each kind: what is found and what is not,
// honest sizes, ages, repositories' tracked files and changes, projects in use, and what a clean
// removes, with everything else left as it was.

#include "Projects.h"
#include "Settings.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>

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
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(repository.native()));
    process.start("git", QStringList{"-c", "user.name=t", "-c", "user.email=t@t", "-c",
                                     "commit.gpgsign=false"}
                             + arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qFatal("git %s failed: %s", qPrintable(arguments.join(' ')),
               process.readAllStandardError().constData());
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

} // namespace

class ProjectsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        fs::remove_all(src());
        folder(src());
        storeSettings({});
    }

    // Markers decide: an artifact name alone is not enough, nested projects stand alone, nothing
    // is looked for inside an artifact, links are not followed.
    void whatIsFound()
    {
        file(src() / "web/package.json", 10);
        file(src() / "web/node_modules/left-pad/index.js", 4000);
        file(src() / "web/node_modules/inner/package.json", 10); // a project inside node_modules
        file(src() / "web/node_modules/inner/node_modules/x/y.js", 100);
        file(src() / "web/.next/cache/page", 2000);
        file(src() / "web/packages/ui/package.json", 10); // nested: a project of its own
        file(src() / "web/packages/ui/node_modules/z/z.js", 300);
        file(src() / "crate/Cargo.toml", 10);
        file(src() / "crate/target/debug/app", 9000);
        file(src() / "notes/target/plan.txt", 10); // "target" with no marker beside
        file(src() / "py/.venv/pyvenv.cfg", 10);   // a venv makes its folder a project
        file(src() / "py/.venv/lib/site.py", 3000);
        file(src() / "tool/CMakeLists.txt", 10);
        file(src() / "tool/out/debug/CMakeCache.txt", 10);
        file(src() / "tool/out/debug/obj.o", 5000);
        file(src() / "app/build.gradle.kts", 10);
        file(src() / "app/build/classes/A.class", 700);
        file(src() / "app/.gradle/8.0/lock", 10);
        folder(TestHome::home() / "elsewhere/node_modules");
        file(TestHome::home() / "elsewhere/package.json", 10);
        TreeBuilder::symlink(TestHome::home() / "elsewhere", src() / "linked");

        QCOMPARE(relative(Engine::findProjects({src()})),
                 QStringList({"app gradle: app/.gradle, app/build", "crate rust: crate/target",
                              "py python: py/.venv", "tool cmake: tool/out/debug",
                              "web node: web/.next, web/node_modules",
                              "web/packages/ui node: web/packages/ui/node_modules"}));
    }

    // Sizes count a hard-linked file only when all its links go; the age is the newest source
    // or commit; a folder git tracks is not an artifact; changes not committed show.
    void detailsOfEachProject()
    {
        file(src() / "store/package.json", 10);
        file(src() / "store/node_modules/own.js", 8000);
        file(src() / "store/node_modules/shared.js", 6000);
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
        git(src() / "repo", {"init", "-q"});
        git(src() / "repo", {"add", "."});
        git(src() / "repo", {"commit", "-q", "-m", "first"});
        file(src() / "repo/new.rs", 10); // not committed

        const std::vector<Engine::Project> found = Engine::projects({src()}, {});
        QCOMPARE(found.size(), 2u);
        const Engine::Project &store = found[0].path == src() / "store" ? found[0] : found[1];
        const Engine::Project &repo = found[0].path == src() / "repo" ? found[0] : found[1];
        QCOMPARE(store.size, allocated(src() / "store/node_modules/own.js"));
        QCOMPARE(Engine::idleDays(store), 45);
        QVERIFY(!store.dirty);
        QCOMPARE(repo.artifacts.size(), 1u);
        QCOMPARE(repo.artifacts[0].path, src() / "repo/target");
        QVERIFY(repo.dirty);
        QCOMPARE(Engine::idleDays(repo), 0);
    }

    // A project where a process works is skipped; cleaning another removes its artifacts only.
    void cleanSkipsProjectsInUse()
    {
        file(src() / "busy/package.json", 10);
        file(src() / "busy/node_modules/a.js", 3000);
        file(src() / "idle/Cargo.toml", 10);
        file(src() / "idle/src/main.rs", 100);
        file(src() / "idle/target/debug/app", 7000);
        const std::map<std::string, std::string> before = manifest(src() / "idle/src");

        QProcess worker;
        worker.setWorkingDirectory(QString::fromStdString((src() / "busy").native()));
        worker.start("/bin/sleep", {"60"});
        QVERIFY(worker.waitForStarted());
        const std::vector<fs::path> places = Engine::workingPlaces();
        const std::vector<Engine::Project> found = Engine::projects({src()}, places);
        QCOMPARE(found.size(), 2u);
        for (const Engine::Project &project : found) {
            const Engine::ProjectCleaning cleaning = Engine::cleanProject(project, places);
            if (project.path == src() / "busy") {
                QVERIFY(project.inUse);
                QVERIFY(cleaning.inUse);
            } else {
                QVERIFY(!project.inUse);
                QVERIFY(cleaning.freed >= 7000);
            }
        }
        worker.kill();
        worker.waitForFinished();
        QVERIFY(fs::exists(src() / "busy/node_modules/a.js"));
        QVERIFY(!fs::exists(src() / "idle/target"));
        QCOMPARE(manifest(src() / "idle/src"), before);
        QVERIFY(fs::exists(src() / "idle/Cargo.toml"));
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
