// The developer caches on a generated home that holds every one of them with the parts that must
// stay beside them: where each resolves, what it would give back, when its owner runs, and what
// each mode does, with real files, real processes and stand-in owner commands on PATH.

#include "DevChoices.h"
#include "DevCleaning.h"
#include "EngineWords.h"
#include "Paths.h"
#include "Shell.h"
#include "TestHome.h"
#include "TreeBuilder.h"
#include "TreeSize.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>

#include <climits>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;
using Engine::DevCache;
using Engine::DevResult;

namespace {

fs::path home()
{
    return TestHome::home();
}

fs::path cacheDir()
{
    return home() / ".cache";
}

// What no action may ever remove.
std::vector<fs::path> keptParts()
{
    const fs::path h = home();
    return {h / ".cargo/bin",
            h / ".gradle/init.d",
            h / ".m2/conf",
            h / "go/bin",
            cacheDir() / "pypoetry/virtualenvs",
            cacheDir() / "JetBrains/IntelliJIdea2024.1/LocalHistory",
            h / ".config/Code/User",
            h / ".mozilla/firefox/abc.default",
            h / ".config/chromium/Default",
            h / ".var/app/org.gimp.GIMP/config",
            h / "snap/firefox/common/Downloads",
            h / ".local/share/pnpm/bin",
            h / ".yarn/releases",
            cacheDir() / "ms-playwright/.links"};
}

// Every entry's folders, each with something in it, and the parts that must stay.
void makeDeveloperHome()
{
    const fs::path h = home();
    const fs::path c = cacheDir();
    for (const fs::path &cache : {h / ".cargo/registry/cache/index.crates.io/serde.crate",
                                  h / ".cargo/git/db/repo/pack",
                                  h / ".gradle/caches/modules-2/jar",
                                  h / ".m2/repository/org/lib.jar",
                                  c / "yarn/v6/package",
                                  h / ".yarn/berry/cache/pkg.zip",
                                  h / "go/pkg/mod/cache/mod.zip",
                                  c / "pypoetry/cache/repo",
                                  c / "pypoetry/artifacts/wheel",
                                  c / "ccache/0/obj",
                                  c / "sccache/0/obj",
                                  c / "bazel/_bazel_me/abc123/execroot/out",
                                  c / "JetBrains/IntelliJIdea2024.1/caches/data",
                                  c / "JetBrains/IntelliJIdea2024.1/index/data",
                                  h / ".config/Code/CachedData/blob",
                                  h / ".config/Code/logs/main.log",
                                  c / "mozilla/firefox/abc.default/cache2/entry",
                                  c / "chromium/Default/Cache/data",
                                  c / "thumbnails/normal/a.png",
                                  c / "ms-playwright/chromium-1100/chrome",
                                  c / "puppeteer/chrome/bin",
                                  c / "Cypress/13.0/Cypress",
                                  h / ".var/app/org.gimp.GIMP/cache/tmp",
                                  h / "snap/firefox/common/.cache/data"})
        file(cache, 20000);
    for (const fs::path &kept : keptParts())
        file(kept / "kept", 300);
}

QString hostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    gethostname(name, sizeof name);
    return QString::fromLocal8Bit(name);
}

const DevCache *find(const QList<DevCache> &caches, const QString &id)
{
    for (const DevCache &cache : caches)
        if (cache.id == id)
            return &cache;
    return nullptr;
}

// A stand-in for an owner's program on PATH: records its arguments, prints a line, exits with
// `status`.
void standIn(const QString &program, int status = 0)
{
    const fs::path bin = TestHome::root() / "bin";
    const fs::path path = bin / program.toStdString();
    write(path,
          QStringLiteral("#!/bin/sh\necho \"$0 $*\" >> '%1/calls'\necho cleaned by %2\nexit %3\n")
              .arg(QString::fromStdString(bin.native()), program)
              .arg(status)
              .toUtf8());
    chmod(path.c_str(), 0755);
}

QStringList calls()
{
    return QString::fromUtf8(read(TestHome::root() / "bin/calls")).split('\n', Qt::SkipEmptyParts);
}

// A process of the current user that runs until the test ends, under the given program name.
class Owner {
public:
    Owner(const QString &name, const QStringList &arguments = {"60"})
    {
        const fs::path program = TestHome::root() / "owners" / name.toStdString();
        folder(program.parent_path());
        fs::copy_file("/bin/sleep", program, fs::copy_options::overwrite_existing);
        process.start(QString::fromStdString(program.native()), arguments);
        process.waitForStarted(10000);
    }
    explicit Owner(const QStringList &command)
    {
        process.start(command.first(), command.mid(1));
        process.waitForStarted(10000);
    }
    ~Owner()
    {
        process.kill();
        process.waitForFinished(10000);
    }
    qint64 pid() const { return process.processId(); }

private:
    QProcess process;
};

} // namespace

class DevCachesTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        fs::remove_all(home());
        folder(home());
        fs::remove_all(TestHome::root() / "bin");
        folder(TestHome::root() / "bin");
        qputenv("PATH", QByteArray::fromStdString((TestHome::root() / "bin").native()));
        for (const char *variable :
             {"CARGO_HOME", "GRADLE_USER_HOME", "YARN_CACHE_FOLDER", "PNPM_HOME", "GOMODCACHE",
              "GOPATH", "POETRY_CACHE_DIR", "CCACHE_DIR", "SCCACHE_DIR", "PLAYWRIGHT_BROWSERS_PATH",
              "PUPPETEER_CACHE_DIR", "CYPRESS_CACHE_FOLDER"})
            qunsetenv(variable);
    }
    void cleanupTestCase() { qputenv("PATH", "/usr/bin:/bin"); }

    // Each entry appears only when present, and with the folders its owner uses.
    void presentEntriesAndTheirFolders()
    {
        QVERIFY(Engine::devCaches().isEmpty());
        makeDeveloperHome();
        standIn("yarn");
        const QList<DevCache> caches = Engine::devCaches();
        QStringList ids;
        for (const DevCache &cache : caches)
            ids << cache.id;
        QCOMPARE(ids, QStringList({"cargo",
                                   "gradle",
                                   "maven",
                                   "yarn",
                                   "yarn-berry",
                                   "go-modules",
                                   "poetry",
                                   "ccache",
                                   "sccache",
                                   "bazel",
                                   "jetbrains",
                                   "vscode",
                                   "firefox",
                                   "chromium",
                                   "thumbnails",
                                   "playwright",
                                   "puppeteer",
                                   "cypress",
                                   "flatpak:org.gimp.GIMP",
                                   "snap:firefox"}));
        QCOMPARE(
            find(caches, "cargo")->paths,
            (std::vector<fs::path>{home() / ".cargo/registry/cache", home() / ".cargo/git/db"}));
        QCOMPARE(find(caches, "jetbrains")->paths,
                 (std::vector<fs::path>{cacheDir() / "JetBrains/IntelliJIdea2024.1/caches",
                                        cacheDir() / "JetBrains/IntelliJIdea2024.1/index"}));
        QVERIFY(find(caches, "yarn")->available);
        QVERIFY(!find(caches, "go-modules")->available); // no go on PATH
        QCOMPARE(find(caches, "playwright")->keep,
                 (std::vector<fs::path>{cacheDir() / "ms-playwright/.links"}));
    }

    // The tools' own variables move their folders; one that would point at the home folder or
    // above, or is relative, is not followed.
    void foldersFollowTheToolsVariables_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("expected"); // relative to the test root
        QTest::newRow("CARGO_HOME") << QByteArray("CARGO_HOME") << "elsewhere/cargo"
                                    << "cargo"
                                    << "elsewhere/cargo/registry/cache";
        QTest::newRow("GRADLE_USER_HOME") << QByteArray("GRADLE_USER_HOME") << "elsewhere/gradle"
                                          << "gradle"
                                          << "elsewhere/gradle/caches";
        QTest::newRow("GOPATH, its first folder")
            << QByteArray("GOPATH") << "elsewhere/gopath:/nonexistent"
            << "go-modules"
            << "elsewhere/gopath/pkg/mod";
        QTest::newRow("GOMODCACHE") << QByteArray("GOMODCACHE") << "elsewhere/mod"
                                    << "go-modules"
                                    << "elsewhere/mod";
        QTest::newRow("CCACHE_DIR") << QByteArray("CCACHE_DIR") << "elsewhere/ccache"
                                    << "ccache"
                                    << "elsewhere/ccache";
        QTest::newRow("XDG_CACHE_HOME") << QByteArray("XDG_CACHE_HOME") << "elsewhere/cache"
                                        << "thumbnails"
                                        << "elsewhere/cache/thumbnails";
        QTest::newRow("CARGO_HOME at the home folder is refused")
            << QByteArray("CARGO_HOME") << "home"
            << "cargo"
            << "home/.cargo/registry/cache";
        QTest::newRow("a relative CARGO_HOME is refused") << QByteArray("CARGO_HOME") << "relative"
                                                          << "cargo"
                                                          << "home/.cargo/registry/cache";
    }
    void foldersFollowTheToolsVariables()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QString, value);
        QFETCH(QString, id);
        QFETCH(QString, expected);
        const QByteArray previousCache = qgetenv("XDG_CACHE_HOME");
        const fs::path root = TestHome::root();
        const fs::path target = root / expected.toStdString();
        file(target / "data", 1000);
        file(home() / ".cargo/registry/cache/data", 1000);
        QByteArray setting = value == "relative"
                                 ? QByteArray("relative/cargo")
                                 : QByteArray::fromStdString(root.native()) + '/' + value.toUtf8();
        qputenv(variable.constData(), setting);
        const DevCache *cache = nullptr;
        const QList<DevCache> caches = Engine::devCaches();
        cache = find(caches, id);
        qputenv("XDG_CACHE_HOME", previousCache);
        qunsetenv(variable.constData());
        QVERIFY2(cache, qPrintable(id));
        QCOMPARE(cache->paths.front(), target);
    }

    // pnpm's entry shows what its prune would free: the store's files no project links to, the
    // index files of the packages they belonged to, the store's tmp folder and the metadata
    // cache. What projects still use, and its index, stay and are not counted. Once pruned, a
    // store that a prune would leave as it is is no longer offered.
    void pnpmShowsWhatItsPruneFrees()
    {
        const fs::path store = home() / ".local/share/pnpm/store/v3";
        // A package as pnpm stores it: its files named by the hex of their sha512, and an index
        // that names its package.json by that hash.
        int made = 0;
        auto package = [&](const QByteArray &name, qint64 bytes) {
            std::vector<fs::path> files;
            fs::path index;
            for (const char *part : {"package.json", "index.js"}) {
                const QByteArray digest = QCryptographicHash::hash(
                    name + part + QByteArray::number(++made), QCryptographicHash::Sha512);
                const std::string hex = digest.toHex().toStdString();
                files.push_back(store / "files" / hex.substr(0, 2) / hex.substr(2));
                file(files.back(), bytes);
                if (std::string_view(part) == "package.json") {
                    index =
                        store / "files" / hex.substr(0, 2) / (hex.substr(2, 20) + "-index.json");
                    write(index, "{\"name\":\"" + name
                                     + "\",\"files\":{\"package.json\":"
                                       "{\"integrity\":\"sha512-"
                                     + digest.toBase64() + "\",\"mode\":420,\"size\":10}}}");
                }
            }
            return std::pair{files, index};
        };
        const auto [used, usedIndex] = package("used", 40000);
        const auto [unused, unusedIndex] = package("unused", 60000);
        const fs::path project = home() / "src/app/node_modules/.pnpm/used@1.0.0/node_modules/used";
        folder(project);
        for (const fs::path &stored : used)
            QVERIFY(link(stored.c_str(), (project / stored.filename()).c_str()) == 0);
        file(store / "tmp/_tmp_123/partial", 9000);
        file(cacheDir() / "pnpm/metadata/registry.npmjs.org/used.json", 30000);
        file(cacheDir() / "pnpm/metadata-full/registry.npmjs.org/unused.json", 20000);
        file(cacheDir() / "pnpm/dlx/tool/bin", 20000); // not the prune's
        standIn("pnpm");

        const qint64 pruned = allocated(unused[0]) + allocated(unused[1]) + allocated(unusedIndex)
                              + allocated(store / "tmp") + allocated(store / "tmp/_tmp_123")
                              + allocated(store / "tmp/_tmp_123/partial")
                              + Engine::size(cacheDir() / "pnpm/metadata")
                              + Engine::size(cacheDir() / "pnpm/metadata-full");
        const QList<DevCache> caches = Engine::devCaches();
        const DevCache *pnpm = find(caches, "pnpm");
        QVERIFY(pnpm);
        QCOMPARE(Engine::devSize(*pnpm).value_or(-1), pruned);

        // What the prune leaves: the store with what projects use, and every index of theirs.
        for (const fs::path &gone :
             {unused[0], unused[1], unusedIndex, store / "tmp", cacheDir() / "pnpm/metadata",
              cacheDir() / "pnpm/metadata-full"})
            fs::remove_all(gone);
        QVERIFY(Engine::size(home() / ".local/share/pnpm/store") > 0);
        const QList<DevCache> after = Engine::devCaches();
        QCOMPARE(Engine::devSize(*find(after, "pnpm")).value_or(-1), 0);
        for (const Engine::DevEntry &entry : Engine::devEntries())
            QVERIFY2(entry.cache.id != "pnpm", "a prune that frees nothing is offered");
        QVERIFY(fs::exists(usedIndex));
    }

    // The signs that an owner runs: live ones count, stale ones do not.
    void ownerDetection()
    {
        makeDeveloperHome();
        const QList<DevCache> caches = Engine::devCaches();
        auto running = [&caches](const QString &id) {
            return Engine::ownerRunning(*find(caches, id), Engine::userProcesses());
        };
        for (const char *id : {"cargo", "vscode", "chromium", "firefox", "bazel", "gradle",
                               "jetbrains", "flatpak:org.gimp.GIMP"})
            QVERIFY2(!running(id), id);

        {
            const Owner cargo("cargo");
            QVERIFY(running("cargo"));
        }
        {
            const Owner daemon(QStringList{"/bin/sh", "-c", "/bin/sleep 60; :",
                                           "org.gradle.launcher.daemon.bootstrap.GradleDaemon"});
            QTRY_VERIFY(running("gradle"));
        }
        {
            write(home() / ".cargo/.package-cache", "");
            const Owner locker(
                QStringList{"/usr/bin/flock", "--close",
                            QString::fromStdString((home() / ".cargo/.package-cache").native()),
                            "/bin/sleep", "60"});
            QTRY_VERIFY(running("cargo"));
        }
        QVERIFY(!running("cargo"));

        const Owner alive("sleeper");
        const QString pid = QString::number(alive.pid());
        const fs::path vscodeLock = home() / ".config/Code/code.lock";
        write(vscodeLock, "999999");
        QVERIFY2(!running("vscode"), "a lock left by a crash");
        write(vscodeLock, pid.toUtf8());
        QVERIFY(running("vscode"));
        const fs::path chromiumLock = home() / ".config/chromium/SingletonLock";
        TreeBuilder::symlink((hostName() + "-999999").toStdString(), chromiumLock);
        QVERIFY2(!running("chromium"), "a stale lock");
        fs::remove(chromiumLock);
        TreeBuilder::symlink((hostName() + "-" + pid).toStdString(), chromiumLock);
        QVERIFY(running("chromium"));

        TreeBuilder::symlink(("127.0.1.1:+" + pid).toStdString(),
                             home() / ".mozilla/firefox/abc.default/lock");
        QVERIFY(running("firefox"));
        write(cacheDir() / "bazel/_bazel_me/abc123/server/server.pid.txt", pid.toUtf8());
        QVERIFY(running("bazel"));

        const fs::path instance = TestHome::root() / "runtime/.flatpak/1234";
        write(instance / "info", "[Application]\nname=org.gimp.GIMP\nruntime=x\n");
        write(instance / "pid", pid.toUtf8());
        QVERIFY(running("flatpak:org.gimp.GIMP"));
        fs::remove_all(instance);
    }

    // Each mode: removal keeps what must stay; a choice waits for the knowing choice; a command
    // is the owner's, run without a shell, and its failure is reported; a report only reports;
    // nothing is cleaned while its owner runs. After all of it, what must stay is unchanged.
    void everyModeAndWhatStays()
    {
        makeDeveloperHome();
        std::map<std::string, std::string> before;
        for (const fs::path &kept : keptParts())
            before.merge(manifest(kept));
        standIn("yarn");
        standIn("ccache", 3);
        standIn("sccache");
        const QList<DevCache> caches = Engine::devCaches();
        const std::vector<Engine::UserProcess> none;

        const DevResult cargo = Engine::cleanDev(*find(caches, "cargo"), false, none);
        QCOMPARE(cargo.outcome, DevResult::Outcome::done);
        QVERIFY(cargo.freed >= 40000);
        QVERIFY(!fs::exists(home() / ".cargo/registry/cache"));

        QCOMPARE(Engine::cleanDev(*find(caches, "maven"), false, none).outcome,
                 DevResult::Outcome::notChosen);
        QVERIFY(fs::exists(home() / ".m2/repository/org/lib.jar"));
        QCOMPARE(Engine::cleanDev(*find(caches, "maven"), true, none).outcome,
                 DevResult::Outcome::done);
        QVERIFY(!fs::exists(home() / ".m2/repository"));

        const DevResult yarn = Engine::cleanDev(*find(caches, "yarn"), false, none);
        QCOMPARE(yarn.outcome, DevResult::Outcome::done);
        QVERIFY(yarn.output.contains("cleaned by yarn"));
        QVERIFY(fs::exists(cacheDir() / "yarn/v6/package")); // the owner's command decides
        const DevResult ccache = Engine::cleanDev(*find(caches, "ccache"), false, none);
        QCOMPARE(ccache.outcome, DevResult::Outcome::failed);
        QCOMPARE(ccache.failure->kind, Engine::Failure::Kind::commandFailed);
        QCOMPARE(ccache.failure->code, 3);

        // sccache's server is stopped before its folder goes.
        QCOMPARE(Engine::cleanDev(*find(caches, "sccache"), false, none).outcome,
                 DevResult::Outcome::done);
        QVERIFY(!fs::exists(cacheDir() / "sccache"));
        QVERIFY(calls().contains(QString::fromStdString((TestHome::root() / "bin/sccache").native())
                                 + " --stop-server"));
        QVERIFY(calls().contains(QString::fromStdString((TestHome::root() / "bin/yarn").native())
                                 + " cache clean"));

        {
            const Owner code("code");
            QCOMPARE(
                Engine::cleanDev(*find(caches, "vscode"), false, Engine::userProcesses()).outcome,
                DevResult::Outcome::running);
            QVERIFY(fs::exists(home() / ".config/Code/CachedData"));
        }
        for (const DevCache &cache : caches)
            Engine::cleanDev(cache, true, none);
        QVERIFY(!fs::exists(home() / ".config/Code/CachedData"));
        QVERIFY(!fs::exists(cacheDir() / "JetBrains/IntelliJIdea2024.1/index"));
        std::map<std::string, std::string> after;
        for (const fs::path &kept : keptParts())
            after.merge(manifest(kept));
        QCOMPARE(after, before);
    }

    // A folder that holds a part that must stay is never removed, whatever the variables say.
    void aFolderHoldingAKeptPartStays()
    {
        DevCache cache;
        cache.id = "odd";
        cache.paths = {home() / "tool"};
        cache.keep = {home() / "tool/bin"};
        file(home() / "tool/bin/program", 100);
        file(home() / "tool/cache/data", 100);
        const DevResult result = Engine::cleanDev(cache, false, {});
        QCOMPARE(result.outcome, DevResult::Outcome::failed);
        QCOMPARE(result.failure->kind, Engine::Failure::Kind::refused);
        QVERIFY(fs::exists(home() / "tool/bin/program"));
    }

    // Every folder the catalogue yields is vetted as the quick clean's are: a link met below a
    // tool's folder is followed only to a folder of the user's own that is not the home, above
    // it, one of the user's folders or one holding one, nor the user's own work in the home;
    // a variable never hands over the user's folders. What is refused is not offered, says why,
    // and survives a clean.
    void linksAndVariablesAreVetted_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("victim"); // relative to the home: must survive
        QTest::newRow("registry linked to the home alone") << "registry-home"
                                                           << "cargo"
                                                           << "src/main.rs";
        QTest::newRow("registry linked to a source folder") << "registry-source"
                                                            << "cargo"
                                                            << "code/app/src/main.rs";
        QTest::newRow("SCCACHE_DIR is Documents") << "sccache-documents"
                                                  << "sccache"
                                                  << "Documents/thesis.odt";
        QTest::newRow("PUPPETEER_CACHE_DIR is Documents") << "puppeteer-documents"
                                                          << "puppeteer"
                                                          << "Documents/thesis.odt";
        QTest::newRow("CYPRESS_CACHE_FOLDER is Downloads") << "cypress-downloads"
                                                           << "cypress"
                                                           << "Downloads/film.mkv";
        QTest::newRow("PLAYWRIGHT_BROWSERS_PATH is Documents") << "playwright-documents"
                                                               << "playwright"
                                                               << "Documents/letters/a.odt";
        QTest::newRow("a browser linked to the Pictures") << "playwright-link-pictures"
                                                          << "playwright"
                                                          << "Pictures/holiday/a.jpg";
        if (geteuid() == 0)
            QTest::newRow("registry linked to another user's folder") << "registry-theirs"
                                                                      << "cargo"
                                                                      << "../theirs/src/x";
    }
    void linksAndVariablesAreVetted()
    {
        QFETCH(QString, setup);
        QFETCH(QString, id);
        QFETCH(QString, victim);
        const fs::path h = home();
        file(h / victim.toStdString(), 500);
        if (setup == "registry-home") {
            // The user's folders elsewhere: only the rule about the home itself stands.
            write(h / ".config/user-dirs.dirs",
                  "XDG_DESKTOP_DIR=\"/nonexistent/d\"\nXDG_DOCUMENTS_DIR=\"/nonexistent/e\"\n"
                  "XDG_DOWNLOAD_DIR=\"/nonexistent/f\"\nXDG_MUSIC_DIR=\"/nonexistent/g\"\n"
                  "XDG_PICTURES_DIR=\"/nonexistent/h\"\nXDG_VIDEOS_DIR=\"/nonexistent/i\"\n"
                  "XDG_PUBLICSHARE_DIR=\"/nonexistent/j\"\nXDG_TEMPLATES_DIR=\"/nonexistent/k\"\n");
            file(h / ".cargo/git/db/repo/pack", 500); // stays offered: no link on its way
            folder(h / ".cargo");
            TreeBuilder::symlink(h, h / ".cargo/registry");
        } else if (setup == "registry-source") {
            file(h / "code/app/cache/notes.txt", 500);
            file(h / "code/app/index/list.txt", 500);
            folder(h / ".cargo");
            TreeBuilder::symlink(h / "code/app", h / ".cargo/registry");
        } else if (setup == "registry-theirs") {
            const fs::path theirs = TestHome::root() / "theirs";
            file(theirs / "cache/x", 500);
            QVERIFY(chown(theirs.c_str(), 65534, 65534) == 0);
            folder(h / ".cargo");
            TreeBuilder::symlink(theirs, h / ".cargo/registry");
        } else if (setup == "sccache-documents") {
            qputenv("SCCACHE_DIR", QByteArray::fromStdString((h / "Documents").native()));
        } else if (setup == "puppeteer-documents") {
            qputenv("PUPPETEER_CACHE_DIR", QByteArray::fromStdString((h / "Documents").native()));
        } else if (setup == "cypress-downloads") {
            qputenv("CYPRESS_CACHE_FOLDER", QByteArray::fromStdString((h / "Downloads").native()));
        } else if (setup == "playwright-documents") {
            qputenv("PLAYWRIGHT_BROWSERS_PATH",
                    QByteArray::fromStdString((h / "Documents").native()));
        } else if (setup == "playwright-link-pictures") {
            folder(cacheDir() / "ms-playwright");
            TreeBuilder::symlink(h / "Pictures", cacheDir() / "ms-playwright/chromium-1100");
        }
        const std::map<std::string, std::string> before = manifest(h / victim.toStdString());
        const QList<DevCache> caches = Engine::devCaches();
        const DevCache *cache = find(caches, id);
        QVERIFY2(cache, "a refused folder is still shown, with why");
        QVERIFY(!cache->refused.empty());
        for (const Engine::DevRefusal &refusal : cache->refused)
            QVERIFY(!refusalText(refusal.why).isEmpty());
        const fs::path victimTop = (h / victim.toStdString()).lexically_normal();
        for (const fs::path &path : cache->paths) {
            QVERIFY2(!Engine::isSameOrInside(victimTop, path), path.c_str());
            QVERIFY2(!Engine::isSameOrInside(path, victimTop.parent_path()), path.c_str());
        }
        const DevResult result = Engine::cleanDev(*cache, true, {});
        QVERIFY(result.failure);
        QCOMPARE(result.failure->kind, Engine::Failure::Kind::refused);
        QCOMPARE(manifest(h / victim.toStdString()), before);
        if (setup == "registry-home")
            QVERIFY(!fs::exists(h / ".cargo/git/db"));
        if (setup == "registry-source") {
            QVERIFY(fs::exists(h / "code/app/cache/notes.txt"));
            QVERIFY(fs::exists(h / "code/app/index/list.txt"));
        }
        for (const char *variable : {"SCCACHE_DIR", "PUPPETEER_CACHE_DIR", "CYPRESS_CACHE_FOLDER",
                                     "PLAYWRIGHT_BROWSERS_PATH"})
            qunsetenv(variable);
        fs::remove_all(TestHome::root() / "theirs");
    }

    // A cache moved to a larger disk by a link along the way is still the tool's: offered as the
    // real folder it is, and that is what goes.
    void aLinkAlongTheWayToTheUsersOwnFolderIsFollowed()
    {
        const fs::path disk = TestHome::root() / "big-disk/registry";
        file(disk / "cache/serde.crate", 20000);
        folder(home() / ".cargo");
        TreeBuilder::symlink(disk, home() / ".cargo/registry");
        const QList<DevCache> caches = Engine::devCaches();
        const DevCache *cargo = find(caches, "cargo");
        QVERIFY(cargo);
        QCOMPARE(cargo->paths, std::vector<fs::path>{disk / "cache"});
        QVERIFY(cargo->refused.empty());
        QCOMPARE(Engine::cleanDev(*cargo, false, {}).outcome, DevResult::Outcome::done);
        QVERIFY(!fs::exists(disk / "cache"));
        QVERIFY(fs::is_symlink(home() / ".cargo/registry"));
        fs::remove_all(TestHome::root() / "big-disk");
    }

    // Owners' programs come from the absolute folders of PATH only: "." and a relative folder
    // there, each holding a program that leaves a mark, are never run, listing or cleaning.
    void programsComeFromAbsolutePathFoldersOnly_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("dot first") << QByteArray(".");
        QTest::newRow("relative folder") << QByteArray("rel");
        QTest::newRow("empty element") << QByteArray("");
        QTest::newRow("dot slash") << QByteArray("./");
    }
    void programsComeFromAbsolutePathFoldersOnly()
    {
        QFETCH(QByteArray, path);
        const fs::path work = TestHome::root() / "work";
        const fs::path marker = TestHome::root() / "ran";
        fs::remove(marker);
        for (const fs::path &folderHere : {work, work / "rel"}) {
            for (const char *program : {"docker", "ccache", "sccache", "flatpak", "yarn"}) {
                write(folderHere / program, QStringLiteral("#!/bin/sh\necho \"$0\" >> '%1'\n")
                                                .arg(QString::fromStdString(marker.native()))
                                                .toUtf8());
                chmod((folderHere / program).c_str(), 0755);
            }
        }
        file(cacheDir() / "ccache/0/obj", 1000);
        file(cacheDir() / "sccache/0/obj", 1000);
        file(cacheDir() / "yarn/v6/pkg", 1000);
        folder(home() / ".local/share/flatpak/runtime");
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QString::fromStdString(work.native())));
        qputenv("PATH",
                path + ':' + QByteArray::fromStdString((TestHome::root() / "bin").native()));
        QCOMPARE(Engine::findProgram("docker"), QString());
        const QList<DevCache> caches = Engine::devCaches();
        for (const DevCache &cache : caches)
            Engine::cleanDev(cache, true, {});
        QDir::setCurrent(previous);
        qputenv("PATH", QByteArray::fromStdString((TestHome::root() / "bin").native()));
        QVERIFY2(!fs::exists(marker), read(marker).constData());
        QVERIFY(find(caches, "ccache") && !find(caches, "ccache")->available);
        QVERIFY(!find(caches, "docker"));
    }

    // An owner known by its script's name is seen however its interpreter was started; a pid that
    // this user may not signal is alive; a lock that names another machine is that machine's to
    // judge.
    void ownersSeenThroughInterpreters_data()
    {
        QTest::addColumn<QStringList>("command"); // the script's path is appended
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("id");
        QTest::newRow("sh script") << QStringList{"/bin/sh"} << "cargo"
                                   << "cargo";
        QTest::newRow("sh with an option") << QStringList{"/bin/sh", "-e"} << "cargo"
                                           << "cargo";
        QTest::newRow("python3 with options")
            << QStringList{"/usr/bin/python3", "-u", "-B"} << "cargo.py"
            << "cargo";
        QTest::newRow("sh running gradle") << QStringList{"/bin/sh", "-eu"} << "gradle"
                                           << "gradle";
    }
    void ownersSeenThroughInterpreters()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, script);
        QFETCH(QString, id);
        makeDeveloperHome();
        const fs::path path = TestHome::root() / "scripts" / script.toStdString();
        const bool python = script.endsWith(".py");
        if (python && !fs::exists(command.first().toStdString()))
            QSKIP("python3 is not installed");
        write(path, python ? "import time\ntime.sleep(60)\n" : "/bin/sleep 60\n");
        const QList<DevCache> caches = Engine::devCaches();
        const DevCache *cache = find(caches, id);
        QVERIFY(cache);
        QVERIFY(!Engine::ownerRunning(*cache, Engine::userProcesses()));
        const Owner owner(command << QString::fromStdString(path.native()));
        QTRY_VERIFY(Engine::ownerRunning(*cache, Engine::userProcesses()));
    }

    void ownerSignsOfOtherUsersAndMachines()
    {
        makeDeveloperHome();
        const QList<DevCache> caches = Engine::devCaches();
        auto running = [&caches](const QString &id) {
            return Engine::ownerRunning(*find(caches, id), Engine::userProcesses());
        };
        const fs::path firefoxLock = home() / ".mozilla/firefox/abc.default/lock";
        TreeBuilder::symlink("127.0.0.1:+999999", firefoxLock);
        QVERIFY2(!running("firefox"), "a stale lock of this machine");
        fs::remove(firefoxLock);
        TreeBuilder::symlink("203.0.113.9:+999999", firefoxLock);
        QVERIFY2(running("firefox"), "a lock of another machine");
        const fs::path chromiumLock = home() / ".config/chromium/SingletonLock";
        TreeBuilder::symlink("another-machine.example-999999", chromiumLock);
        QVERIFY2(running("chromium"), "a lock of another machine");

        if (geteuid() != 0)
            QSKIP("a process of another user needs root to start");
        const pid_t child = fork();
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(1);
            execl("/bin/sleep", "sleep", "60", nullptr);
            _exit(1);
        }
        QVERIFY(child > 0);
        write(home() / ".config/Code/code.lock", QByteArray::number(child));
        const bool seen = running("vscode");
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        QVERIFY2(seen, "another user's process is alive, not gone");
    }

    // Docker's data root is Docker's: sizes come from its own reckoning, the leftovers are its
    // prune, unused images a separate choice that waits for the user; no answer, no entry.
    void dockerIsAskedNotTouched()
    {
        const fs::path bin = TestHome::root() / "bin";
        write(bin / "docker",
              QStringLiteral("#!/bin/sh\necho \"$0 $*\" >> '%1/calls'\n"
                             "[ \"$1\" = system ] && [ \"$2\" = df ] || exit 0\n"
                             "/bin/cat <<'EOF'\n"
                             "{\"Type\":\"Images\",\"Reclaimable\":\"1.5GB (60%%)\"}\n"
                             "{\"Type\":\"Containers\",\"Reclaimable\":\"20MB (100%%)\"}\n"
                             "{\"Type\":\"Local Volumes\",\"Reclaimable\":\"9GB (90%%)\"}\n"
                             "{\"Type\":\"Build Cache\",\"Reclaimable\":\"300kB\"}\n"
                             "EOF\n")
                  .arg(QString::fromStdString(bin.native()))
                  .toUtf8());
        chmod((bin / "docker").c_str(), 0755);
        QList<DevCache> caches = Engine::devCaches();
        const DevCache *prune = find(caches, "docker");
        const DevCache *images = find(caches, "docker-images");
        QVERIFY(prune && images);
        QCOMPARE(Engine::devSize(*prune).value_or(0), Q_INT64_C(20300000));
        QCOMPARE(Engine::devSize(*images).value_or(0), Q_INT64_C(1500000000));
        QCOMPARE(images->mode, Engine::DevMode::Choice);

        const std::vector<Engine::UserProcess> none;
        QCOMPARE(Engine::cleanDev(*images, false, none).outcome, DevResult::Outcome::notChosen);
        QCOMPARE(Engine::cleanDev(*prune, false, none).outcome, DevResult::Outcome::done);
        QCOMPARE(Engine::cleanDev(*images, true, none).outcome, DevResult::Outcome::done);
        const QString docker = QString::fromStdString((bin / "docker").native());
        QVERIFY(calls().contains(docker + " system prune --force"));
        QVERIFY(calls().contains(docker + " image prune --all --force"));
        for (const QString &call : calls())
            QVERIFY2(!call.contains("volume"), qPrintable(call));

        write(bin / "docker", "#!/bin/sh\nexit 1\n");
        caches = Engine::devCaches();
        QVERIFY(!find(caches, "docker"));
        QVERIFY(!find(caches, "docker-images"));
    }

    // The user's journal files are root's: their size and the command, nothing run.
    void journalIsReported()
    {
        const fs::path journal = TestHome::root() / "journal";
        const std::string mine = "user-" + std::to_string(getuid());
        file(journal / "machine" / (mine + "@0001-0002.journal"), 9000);
        file(journal / "machine" / "system.journal", 9000);
        const QList<DevCache> caches = Engine::devCaches({journal});
        const DevCache *entry = find(caches, "journal");
        QVERIFY(entry);
        QCOMPARE(entry->paths.size(), 1u);
        QVERIFY(entry->rootCommand.contains("journalctl"));
        QCOMPARE(Engine::cleanDev(*entry, true, {}).outcome, DevResult::Outcome::notHere);
        QVERIFY(fs::exists(journal / "machine" / (mine + "@0001-0002.journal")));
    }
};

AMPA_TEST_MAIN(DevCachesTest)
#include "tst_devcaches.moc"
