// The developer caches on a generated home that holds every one of them with the parts that must
// stay beside them: where each resolves, what it would give back, when its owner runs, and what
// each mode does, with real files, real processes and stand-in owner commands on PATH.

#include "Child.h"
#include "DevCacheWords.h"
#include "DevChoices.h"
#include "DevCleaning.h"
#include "EngineWords.h"
#include "Paths.h"
#include "Shell.h"
#include "StoredSettings.h"
#include "TaggedCaches.h"
#include "TestHome.h"
#include "TreeBuilder.h"
#include "TreeSize.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QSysInfo>

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

QByteArray bytes(const fs::path &path)
{
    return QByteArray::fromStdString(path.native());
}

// Paths under the home, as a list of words.
std::vector<fs::path> underHome(const char *words)
{
    std::vector<fs::path> paths;
    for (const QString &word : QString::fromUtf8(words).split(' ', Qt::SkipEmptyParts))
        paths.push_back(home() / word.toStdString());
    return paths;
}

// What no action may ever remove.
std::vector<fs::path> keptParts()
{
    return underHome(".cargo/bin .gradle/init.d .m2/conf go/bin .cache/pypoetry/virtualenvs "
                     ".cache/JetBrains/IntelliJIdea2024.1/LocalHistory .config/Code/User "
                     ".mozilla/firefox/abc.default .config/chromium/Default "
                     ".var/app/org.gimp.GIMP/config snap/firefox/common/Downloads "
                     ".local/share/pnpm/bin .yarn/releases .cache/ms-playwright/.links");
}

// Every entry's folders, each with something in it, and the parts that must stay; returns the
// files made in the caches.
std::vector<fs::path> makeDeveloperHome()
{
    const std::vector<fs::path> caches =
        underHome(".cargo/registry/cache/index.crates.io/serde.crate .cargo/git/db/repo/pack "
                  ".gradle/caches/modules-2/jar .m2/repository/org/lib.jar .cache/yarn/v6/package "
                  ".yarn/berry/cache/pkg.zip go/pkg/mod/cache/mod.zip .cache/pypoetry/cache/repo "
                  ".cache/pypoetry/artifacts/wheel .cache/ccache/0/obj .cache/sccache/0/obj "
                  ".cache/bazel/_bazel_me/abc123/execroot/out "
                  ".cache/JetBrains/IntelliJIdea2024.1/caches/data "
                  ".cache/JetBrains/IntelliJIdea2024.1/index/data .config/Code/CachedData/blob "
                  ".config/Code/logs/main.log .cache/mozilla/firefox/abc.default/cache2/entry "
                  ".cache/chromium/Default/Cache/data .cache/thumbnails/normal/a.png "
                  ".cache/ms-playwright/chromium-1100/chrome .cache/puppeteer/chrome/bin "
                  ".cache/Cypress/13.0/Cypress .var/app/org.gimp.GIMP/cache/tmp "
                  "snap/firefox/common/.cache/data");
    for (const fs::path &cache : caches)
        file(cache, 20000);
    for (const fs::path &kept : keptParts())
        file(kept / "kept", 300);
    return caches;
}

std::map<std::string, std::string> keptManifest()
{
    std::map<std::string, std::string> all;
    for (const fs::path &kept : keptParts())
        all.merge(manifest(kept));
    return all;
}

const DevCache *find(const QList<DevCache> &caches, const QString &id)
{
    for (const DevCache &cache : caches)
        if (cache.id == id)
            return &cache;
    return nullptr;
}

// A program on PATH: `body` after a line that records how it was called.
void standIn(const QString &program, const QString &body)
{
    const fs::path bin = TestHome::root() / "bin";
    write(bin / program.toStdString(),
          QStringLiteral("#!/bin/sh\necho \"$0 $*\" >> '%1/calls'\n%2\n")
              .arg(QString::fromStdString(bin.native()), body)
              .toUtf8());
    chmod((bin / program.toStdString()).c_str(), 0755);
}

// A stand-in for an owner's program: prints a line, exits with `status`.
void standIn(const QString &program, int status = 0)
{
    standIn(program, QStringLiteral("echo cleaned by %1\nexit %2").arg(program).arg(status));
}

// Docker answering what pruning would give back: some of every kind.
void standInDocker()
{
    standIn("docker", "[ \"$1\" = system ] && [ \"$2\" = df ] || exit 0\n"
                      "/bin/cat <<'EOF'\n"
                      "{\"Type\":\"Images\",\"Reclaimable\":\"1.5GB (60%)\"}\n"
                      "{\"Type\":\"Containers\",\"Reclaimable\":\"20MB (100%)\"}\n"
                      "{\"Type\":\"Local Volumes\",\"Reclaimable\":\"9GB (90%)\"}\n"
                      "{\"Type\":\"Build Cache\",\"Reclaimable\":\"300kB\"}\n"
                      "EOF");
}

QStringList calls()
{
    return QString::fromUtf8(read(TestHome::root() / "bin/calls")).split('\n', Qt::SkipEmptyParts);
}

QString called(const QString &program, const QString &arguments)
{
    return QString::fromStdString((TestHome::root() / "bin" / program.toStdString()).native()) + " "
           + arguments;
}

// A copy of sleep under the program name given, to run as an owner.
QString sleeperNamed(const QString &name)
{
    const fs::path program = TestHome::root() / "owners" / name.toStdString();
    folder(program.parent_path());
    fs::copy_file("/bin/sleep", program, fs::copy_options::overwrite_existing);
    return QString::fromStdString(program.native());
}

bool running(const QString &id)
{
    const QList<DevCache> caches = Engine::devCaches();
    const DevCache *cache = find(caches, id);
    if (!cache)
        qFatal("no developer cache %s", qPrintable(id));
    return Engine::ownerRunning(*cache, Engine::userProcesses());
}

const QByteArray cacheTag = "Signature: 8a477f597d28d172789f06886806bc55\n";

// Makes a tree from lines "<what> <path from the home>": "tag" a folder with a valid tag, "bare"
// one whose tag is the signature alone, "bad" one whose tag has another first line, "short" one
// whose tag stops inside the signature, "spaced" one whose tag starts with a space, "tagFolder"
// one with a folder named as the tag, "linkedTag" one whose tag is a link to a valid tag,
// "linkedFolder" a link to a tagged folder outside the home, "documents" the user's Documents
// folder, "file" a file.
void makeTree(const QStringList &lines)
{
    const fs::path elsewhere = TestHome::root() / "elsewhere";
    fs::remove_all(elsewhere);
    write(elsewhere / "tagged/CACHEDIR.TAG", cacheTag);
    for (const QString &line : lines) {
        const QString what = line.section(' ', 0, 0);
        const fs::path path = home() / line.section(' ', 1).toStdString();
        if (what == "tag")
            write(path / "CACHEDIR.TAG", cacheTag);
        else if (what == "bare")
            write(path / "CACHEDIR.TAG", cacheTag.trimmed());
        else if (what == "bad")
            write(path / "CACHEDIR.TAG", "Signature: 00000000000000000000000000000000\n");
        else if (what == "short")
            write(path / "CACHEDIR.TAG", cacheTag.left(20));
        else if (what == "spaced")
            write(path / "CACHEDIR.TAG", " " + cacheTag);
        else if (what == "tagFolder")
            folder(path / "CACHEDIR.TAG");
        else if (what == "linkedTag")
            TreeBuilder::symlink(elsewhere / "tagged/CACHEDIR.TAG", path / "CACHEDIR.TAG");
        else if (what == "linkedFolder")
            TreeBuilder::symlink(elsewhere / "tagged", path);
        else if (what == "documents") {
            folder(path);
            write(home() / ".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + bytes(path) + "\"\n");
        } else
            file(path, 100);
        if (what != "file" && what != "linkedFolder" && what != "documents")
            file(path / "data", 20000);
    }
}

// The tagged folders offered now, from the home.
QStringList taggedFound()
{
    QStringList found;
    for (const DevCache &cache : Engine::devCaches())
        if (cache.tagged)
            found << QString::fromStdString(
                cache.paths.front().lexically_relative(fs::canonical(home())).native());
    return found;
}

DevCache taggedEntry(const QString &id)
{
    const QList<DevCache> caches = Engine::devCaches();
    const DevCache *cache = find(caches, id);
    if (!cache || !cache->tagged)
        qFatal("no tagged entry %s", qPrintable(id));
    return *cache;
}

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
        qputenv("PATH", bytes(TestHome::root() / "bin"));
        for (const char *variable :
             {"CARGO_HOME", "GRADLE_USER_HOME", "YARN_CACHE_FOLDER", "PNPM_HOME", "GOMODCACHE",
              "GOPATH", "POETRY_CACHE_DIR", "CCACHE_DIR", "SCCACHE_DIR", "PLAYWRIGHT_BROWSERS_PATH",
              "PUPPETEER_CACHE_DIR", "CYPRESS_CACHE_FOLDER"})
            qunsetenv(variable);
    }
    void cleanupTestCase() { qputenv("PATH", "/usr/bin:/bin"); }

    // Each entry appears only when present, and with the folders its owner uses: every cache
    // made lies in an entry's folder, and no entry's folder holds a part that must stay.
    void presentEntriesAndTheirFolders()
    {
        QVERIFY(Engine::devCaches().isEmpty());
        const std::vector<fs::path> made = makeDeveloperHome();
        standIn("yarn");
        const QList<DevCache> caches = Engine::devCaches();
        for (const fs::path &cache : made) {
            bool found = false;
            for (const DevCache &entry : caches)
                for (const fs::path &path : entry.paths)
                    found = found || Engine::isSameOrInside(cache, path);
            QVERIFY2(found, cache.c_str());
        }
        for (const DevCache &entry : caches)
            for (const fs::path &path : entry.paths)
                for (const fs::path &kept : keptParts())
                    QVERIFY2(!Engine::isSameOrInside(kept, path), path.c_str());
        QCOMPARE(
            find(caches, "cargo")->paths,
            (std::vector<fs::path>{home() / ".cargo/registry/cache", home() / ".cargo/git/db"}));
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
        const auto row = [](const char *variable, const char *value, const char *id,
                            const char *expected, const char *name = nullptr) {
            QTest::newRow(name ? name : variable)
                << QByteArray(variable) << QString(value) << QString(id) << QString(expected);
        };
        row("CARGO_HOME", "elsewhere/cargo", "cargo", "elsewhere/cargo/registry/cache");
        row("GRADLE_USER_HOME", "elsewhere/gradle", "gradle", "elsewhere/gradle/caches");
        row("GOPATH", "elsewhere/gopath:/nonexistent", "go-modules", "elsewhere/gopath/pkg/mod");
        row("GOMODCACHE", "elsewhere/mod", "go-modules", "elsewhere/mod");
        row("CCACHE_DIR", "elsewhere/ccache", "ccache", "elsewhere/ccache");
        row("XDG_CACHE_HOME", "elsewhere/cache", "thumbnails", "elsewhere/cache/thumbnails");
        row("CARGO_HOME", "home", "cargo", "home/.cargo/registry/cache", "at the home: refused");
        row("CARGO_HOME", "relative", "cargo", "home/.cargo/registry/cache", "relative: refused");
    }
    void foldersFollowTheToolsVariables()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QString, value);
        QFETCH(QString, id);
        QFETCH(QString, expected);
        const QByteArray previousCache = qgetenv("XDG_CACHE_HOME");
        const fs::path target = TestHome::root() / expected.toStdString();
        file(target / "data", 1000);
        file(home() / ".cargo/registry/cache/data", 1000);
        qputenv(variable.constData(), value == "relative"
                                          ? QByteArray("relative/cargo")
                                          : bytes(TestHome::root()) + '/' + value.toUtf8());
        const QList<DevCache> caches = Engine::devCaches();
        qputenv("XDG_CACHE_HOME", previousCache);
        qunsetenv(variable.constData());
        QVERIFY2(find(caches, id), qPrintable(id));
        QCOMPARE(find(caches, id)->paths.front(), target);
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
        auto package = [&](const QByteArray &name, qint64 size) {
            std::vector<fs::path> files;
            fs::path index;
            for (const char *part : {"package.json", "index.js"}) {
                const QByteArray digest = QCryptographicHash::hash(
                    name + part + QByteArray::number(++made), QCryptographicHash::Sha512);
                const std::string hex = digest.toHex().toStdString();
                files.push_back(store / "files" / hex.substr(0, 2) / hex.substr(2));
                file(files.back(), size);
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

        const std::vector<fs::path> pruned{unused[0],
                                           unused[1],
                                           unusedIndex,
                                           store / "tmp",
                                           cacheDir() / "pnpm/metadata",
                                           cacheDir() / "pnpm/metadata-full"};
        qint64 prunedSize = 0;
        for (const fs::path &gone : pruned)
            prunedSize += Engine::size(gone);
        const QList<DevCache> caches = Engine::devCaches();
        QVERIFY(find(caches, "pnpm"));
        QCOMPARE(Engine::devSize(*find(caches, "pnpm")).value_or(-1), prunedSize);

        // What the prune leaves: the store with what projects use, and every index of theirs.
        for (const fs::path &gone : pruned)
            fs::remove_all(gone);
        QVERIFY(Engine::size(home() / ".local/share/pnpm/store") > 0);
        QCOMPARE(Engine::devSize(*find(Engine::devCaches(), "pnpm")).value_or(-1), 0);
        for (const Engine::DevEntry &entry : Engine::devEntries())
            QVERIFY2(entry.cache.id != "pnpm", "a prune that frees nothing is offered");
        QVERIFY(fs::exists(usedIndex));
    }

    // What an owner's command leaves is not in its figure: ccache's clear keeps its settings,
    // tag and statistics, Yarn 1's clean its folders; an entry that would free nothing more is
    // not offered.
    void commandFiguresLeaveOutWhatStays()
    {
        standIn("ccache");
        standIn("yarn");
        const fs::path ccache = cacheDir() / "ccache";
        write(ccache / "CACHEDIR.TAG", cacheTag);
        file(ccache / "ccache.conf", 100);
        file(ccache / "stats", 100);
        file(ccache / "0/stats", 100);
        file(ccache / "f/stats", 100);
        file(ccache / "0/1/objR", 5000);
        folder(cacheDir() / "yarn/v6/.tmp");
        file(cacheDir() / "yarn/v6/npm-a-1.0.0/index.js", 7000);
        QCOMPARE(Engine::devSize(*find(Engine::devCaches(), "ccache")).value_or(-1),
                 allocated(ccache / "0/1/objR"));
        QCOMPARE(Engine::devSize(*find(Engine::devCaches(), "yarn")).value_or(-1),
                 allocated(cacheDir() / "yarn/v6/npm-a-1.0.0/index.js"));

        fs::remove(ccache / "0/1/objR");
        fs::remove_all(cacheDir() / "yarn/v6/npm-a-1.0.0");
        for (const Engine::DevEntry &entry : Engine::devEntries())
            QVERIFY2(entry.cache.id != "ccache" && entry.cache.id != "yarn",
                     qPrintable(entry.cache.id + " offered with nothing to free"));
    }

    // The signs that an owner runs, left in its files: live ones count, stale ones do not; a
    // lock naming another machine is that machine's to judge. %p is a live pid, %h this host.
    void ownerSigns_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("sign"); // relative to the home; "->" marks a link
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("runs");
        const auto row = [](const char *name, const char *id, const char *sign, const char *content,
                            bool runs) {
            QTest::newRow(name) << QString(id) << QString(sign) << QString(content) << runs;
        };
        row("vscode, live", "vscode", ".config/Code/code.lock", "%p", true);
        row("vscode, left by a crash", "vscode", ".config/Code/code.lock", "999999", false);
        row("chromium, live", "chromium", "->.config/chromium/SingletonLock", "%h-%p", true);
        row("chromium, stale", "chromium", "->.config/chromium/SingletonLock", "%h-999999", false);
        row("chromium, other machine", "chromium", "->.config/chromium/SingletonLock",
            "another-machine.example-999999", true);
        row("firefox, live", "firefox", "->.mozilla/firefox/abc.default/lock", "127.0.1.1:+%p",
            true);
        row("firefox, stale", "firefox", "->.mozilla/firefox/abc.default/lock", "127.0.0.1:+999999",
            false);
        row("firefox, other machine", "firefox", "->.mozilla/firefox/abc.default/lock",
            "203.0.113.9:+999999", true);
        row("bazel, live", "bazel", ".cache/bazel/_bazel_me/abc123/server/server.pid.txt", "%p",
            true);
        row("flatpak, live", "flatpak:org.gimp.GIMP", "../runtime/.flatpak/1234/pid", "%p", true);
    }
    void ownerSigns()
    {
        QFETCH(QString, id);
        QFETCH(QString, sign);
        QFETCH(QString, content);
        QFETCH(bool, runs);
        makeDeveloperHome();
        QVERIFY(!running(id));
        const Child alive({sleeperNamed("sleeper"), "60"});
        const QString text = QString(content)
                                 .replace("%p", QString::number(alive.pid()))
                                 .replace("%h", QSysInfo::machineHostName());
        const fs::path path = home() / sign.mid(sign.startsWith("->") ? 2 : 0).toStdString();
        if (sign.startsWith("->"))
            TreeBuilder::symlink(text.toStdString(), path);
        else
            write(path, text.toUtf8());
        if (id.startsWith("flatpak:"))
            write(path.parent_path() / "info", "[Application]\nname=org.gimp.GIMP\nruntime=x\n");
        QCOMPARE(running(id), runs);
        fs::remove_all(TestHome::root() / "runtime/.flatpak");
    }

    // The processes that mean an owner runs: its program, a Java main class, a lock it holds, a
    // script by its name however its interpreter was started.
    void ownerProcesses_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QStringList>("command"); // "%s": a script named by the last column
        QTest::addColumn<QString>("script");
        const auto row = [](const char *name, const char *id, const QStringList &command,
                            const char *script = "") {
            QTest::newRow(name) << QString(id) << command << QString(script);
        };
        row("program", "cargo", {"cargo"});
        row("gradle daemon", "gradle",
            {"/bin/sh", "-c",
             "/bin/sleep 60; :", "org.gradle.launcher.daemon.bootstrap.GradleDaemon"});
        row("package cache lock", "cargo", {"/usr/bin/flock", "--close", "%l", "/bin/sleep", "60"});
        row("sh script", "cargo", {"/bin/sh", "%s"}, "cargo");
        row("sh with an option", "cargo", {"/bin/sh", "-e", "%s"}, "cargo");
        row("python3 with options", "cargo", {"/usr/bin/python3", "-u", "-B", "%s"}, "cargo.py");
        row("sh running gradle", "gradle", {"/bin/sh", "-eu", "%s"}, "gradle");
    }
    void ownerProcesses()
    {
        QFETCH(QString, id);
        QFETCH(QStringList, command);
        QFETCH(QString, script);
        makeDeveloperHome();
        if (!fs::exists(command.first().toStdString()) && command.size() > 1)
            QSKIP("the interpreter is not installed");
        const fs::path path = TestHome::root() / "scripts" / script.toStdString();
        if (!script.isEmpty())
            write(path,
                  script.endsWith(".py") ? "import time\ntime.sleep(60)\n" : "/bin/sleep 60\n");
        const fs::path lock = home() / ".cargo/.package-cache";
        write(lock, "");
        command.replaceInStrings("%s", QString::fromStdString(path.native()));
        command.replaceInStrings("%l", QString::fromStdString(lock.native()));
        QVERIFY(!running(id));
        {
            const Child owner(command.size() == 1 ? QStringList{sleeperNamed(command.first()), "60"}
                                                  : command);
            QTRY_VERIFY(running(id));
        }
        QVERIFY(!running(id));
    }

    // A process of another user is alive, not gone.
    void ownerOfAnotherUser()
    {
        if (geteuid() != 0)
            QSKIP("a process of another user needs root to start");
        makeDeveloperHome();
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
        QVERIFY(seen);
    }

    // Each mode: removal keeps what must stay; a choice waits for the knowing choice; a command
    // is the owner's, run without a shell, and its failure is reported; a report only reports;
    // nothing is cleaned while its owner runs. After all of it, what must stay is unchanged.
    void everyModeAndWhatStays()
    {
        makeDeveloperHome();
        const auto before = keptManifest();
        standIn("yarn");
        standIn("ccache", 3);
        standIn("sccache");
        const QList<DevCache> caches = Engine::devCaches();
        const auto clean = [&caches](const char *id, bool chosen = false) {
            return Engine::cleanDev(*find(caches, id), chosen, {});
        };

        const DevResult cargo = clean("cargo");
        QCOMPARE(cargo.outcome, DevResult::Outcome::done);
        QVERIFY(cargo.freed >= 40000);
        QVERIFY(!fs::exists(home() / ".cargo/registry/cache"));

        QCOMPARE(clean("maven").outcome, DevResult::Outcome::notChosen);
        QVERIFY(fs::exists(home() / ".m2/repository/org/lib.jar"));
        QCOMPARE(clean("maven", true).outcome, DevResult::Outcome::done);
        QVERIFY(!fs::exists(home() / ".m2/repository"));

        const DevResult yarn = clean("yarn");
        QCOMPARE(yarn.outcome, DevResult::Outcome::done);
        QVERIFY(yarn.output.contains("cleaned by yarn"));
        QVERIFY(fs::exists(cacheDir() / "yarn/v6/package")); // the owner's command decides
        const DevResult ccache = clean("ccache");
        QCOMPARE(ccache.outcome, DevResult::Outcome::failed);
        QCOMPARE(ccache.failure->kind, Engine::Failure::Kind::commandFailed);
        QCOMPARE(ccache.failure->code, 3);

        // sccache's server is stopped before its folder goes.
        QCOMPARE(clean("sccache").outcome, DevResult::Outcome::done);
        QVERIFY(!fs::exists(cacheDir() / "sccache"));
        QVERIFY(calls().contains(called("sccache", "--stop-server")));
        QVERIFY(calls().contains(called("yarn", "cache clean")));

        {
            const Child code({sleeperNamed("code"), "60"});
            QCOMPARE(
                Engine::cleanDev(*find(caches, "vscode"), false, Engine::userProcesses()).outcome,
                DevResult::Outcome::running);
            QVERIFY(fs::exists(home() / ".config/Code/CachedData"));
        }
        for (const DevCache &cache : caches)
            Engine::cleanDev(cache, true, {});
        QVERIFY(!fs::exists(home() / ".config/Code/CachedData"));
        QVERIFY(!fs::exists(cacheDir() / "JetBrains/IntelliJIdea2024.1/index"));
        QCOMPARE(keptManifest(), before);
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
        QTest::addColumn<QByteArray>("variable"); // set to the target
        QTest::addColumn<QString>("link");        // relative to the home, made to the target
        QTest::addColumn<QString>("target");      // relative to the home
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("guarded"); // relative to the home: must survive whole
        const auto row = [](const char *name, const char *variable, const char *link,
                            const char *target, const char *id, const char *guarded) {
            QTest::newRow(name) << QByteArray(variable) << QString(link) << QString(target)
                                << QString(id) << QString(guarded);
        };
        row("registry linked to the home alone", "", ".cargo/registry", "", "cargo", "src");
        row("registry linked to a source folder", "", ".cargo/registry", "code/app", "cargo",
            "code/app");
        row("SCCACHE_DIR is Documents", "SCCACHE_DIR", "", "Documents", "sccache", "Documents");
        row("PUPPETEER_CACHE_DIR is Documents", "PUPPETEER_CACHE_DIR", "", "Documents", "puppeteer",
            "Documents");
        row("CYPRESS_CACHE_FOLDER is Downloads", "CYPRESS_CACHE_FOLDER", "", "Downloads", "cypress",
            "Downloads");
        row("PLAYWRIGHT_BROWSERS_PATH is Documents", "PLAYWRIGHT_BROWSERS_PATH", "", "Documents",
            "playwright", "Documents");
        row("a browser linked to the Pictures", "", ".cache/ms-playwright/chromium-1100",
            "Pictures", "playwright", "Pictures");
        if (geteuid() == 0)
            row("registry linked to another user's folder", "", ".cargo/registry", "../theirs",
                "cargo", "../theirs");
    }
    void linksAndVariablesAreVetted()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QString, link);
        QFETCH(QString, target);
        QFETCH(QString, id);
        QFETCH(QString, guarded);
        const fs::path h = home();
        const fs::path guard = (h / guarded.toStdString()).lexically_normal();
        const fs::path to = (h / target.toStdString()).lexically_normal();
        file(guard / "src/main.rs", 500);
        file(guard / "cache/notes.txt", 500);
        file(guard / "index/list.txt", 500);
        if (guarded.startsWith(".."))
            QVERIFY(chown(guard.c_str(), 65534, 65534) == 0);
        if (target.isEmpty()) {
            // The user's folders elsewhere: only the rule about the home itself stands.
            write(h / ".config/user-dirs.dirs",
                  "XDG_DESKTOP_DIR=\"/nonexistent/d\"\nXDG_DOCUMENTS_DIR=\"/nonexistent/e\"\n"
                  "XDG_DOWNLOAD_DIR=\"/nonexistent/f\"\nXDG_MUSIC_DIR=\"/nonexistent/g\"\n"
                  "XDG_PICTURES_DIR=\"/nonexistent/h\"\nXDG_VIDEOS_DIR=\"/nonexistent/i\"\n"
                  "XDG_PUBLICSHARE_DIR=\"/nonexistent/j\"\nXDG_TEMPLATES_DIR=\"/nonexistent/k\"\n");
            file(h / ".cargo/git/db/repo/pack", 500); // stays offered: no link on its way
        }
        if (!variable.isEmpty())
            qputenv(variable.constData(), bytes(to));
        if (!link.isEmpty()) {
            folder((h / link.toStdString()).parent_path());
            TreeBuilder::symlink(to, h / link.toStdString());
        }
        const auto before = manifest(guard);
        const QList<DevCache> caches = Engine::devCaches();
        const DevCache *cache = find(caches, id);
        QVERIFY2(cache, "a refused folder is still shown, with why");
        QVERIFY(!cache->refused.empty());
        for (const Engine::DevRefusal &refusal : cache->refused)
            QVERIFY(!refusalText(refusal.why).isEmpty());
        for (const fs::path &path : cache->paths) {
            QVERIFY2(!Engine::isSameOrInside(guard, path), path.c_str());
            QVERIFY2(!Engine::isSameOrInside(path, guard), path.c_str());
        }
        const DevResult result = Engine::cleanDev(*cache, true, {});
        QVERIFY(result.failure);
        QCOMPARE(result.failure->kind, Engine::Failure::Kind::refused);
        QCOMPARE(manifest(guard), before);
        if (target.isEmpty())
            QVERIFY(!fs::exists(h / ".cargo/git/db"));
        if (!variable.isEmpty())
            qunsetenv(variable.constData());
        fs::remove_all(TestHome::root() / "theirs");
    }

    // A cache moved to a larger disk by a link along the way is still the tool's: offered as the
    // real folder it is, and that is what goes.
    void aLinkAlongTheWayToTheUsersOwnFolderIsFollowed()
    {
        const fs::path disk = TestHome::root() / "big-disk/registry";
        file(disk / "cache/serde.crate", 20000);
        folder(disk / "index");
        folder(disk / "src");
        folder(home() / ".cargo");
        TreeBuilder::symlink(disk, home() / ".cargo/registry");
        const QList<DevCache> caches = Engine::devCaches();
        const DevCache *cargo = find(caches, "cargo");
        QVERIFY(cargo);
        QCOMPARE(cargo->paths,
                 (std::vector<fs::path>{disk / "cache", disk / "src", disk / "index"}));
        QVERIFY(cargo->refused.empty());
        QCOMPARE(Engine::cleanDev(*cargo, false, {}).outcome, DevResult::Outcome::done);
        QVERIFY(!fs::exists(disk / "cache"));
        QVERIFY(fs::is_symlink(home() / ".cargo/registry"));
        fs::remove_all(TestHome::root() / "big-disk");
    }

    // A cache folder that is itself a link, even to the tool's own cache kept elsewhere, stays:
    // removed, the link would be left dangling and the tool unable to make its folder again.
    void aCacheFolderThatIsALinkStays()
    {
        const fs::path disk = TestHome::root() / "big-disk/gradle-caches";
        file(disk / "modules-2/files-2.1/lib.jar", 4000);
        folder(home() / ".gradle");
        TreeBuilder::symlink(disk, home() / ".gradle/caches");
        const QList<DevCache> caches = Engine::devCaches();
        const DevCache *gradle = find(caches, "gradle");
        QVERIFY(gradle);
        QVERIFY(gradle->paths.empty());
        QCOMPARE(gradle->refused.size(), 1u);
        QCOMPARE(gradle->refused.front().why,
                 (Engine::Refusal{Engine::Refusal::Why::linkTo, disk}));
        Engine::cleanDev(*gradle, true, {});
        QVERIFY(fs::exists(disk / "modules-2/files-2.1/lib.jar"));
        fs::remove_all(TestHome::root() / "big-disk");
    }

    // A tool's folder, or one on the way to its cache, linked to a folder outside the home that
    // is not the cache (a source tree with a "src", a "cache", a "repository" of its own): left
    // alone with why, and a clean takes nothing of it.
    void aLinkToAFolderWithoutTheCachesShapeIsRefused_data()
    {
        QTest::addColumn<QString>("link"); // relative to the home
        QTest::addColumn<QString>("id");
        QTest::newRow("cargo's registry") << ".cargo/registry"
                                          << "cargo";
        QTest::newRow("cargo's home") << ".cargo"
                                      << "cargo";
        QTest::newRow("gradle's wrapper") << ".gradle/wrapper"
                                          << "gradle";
        QTest::newRow("maven's home") << ".m2"
                                      << "maven";
        QTest::newRow("playwright's browsers") << ".cache/ms-playwright"
                                               << "playwright";
    }
    void aLinkToAFolderWithoutTheCachesShapeIsRefused()
    {
        QFETCH(QString, link);
        QFETCH(QString, id);
        const fs::path code = TestHome::root() / "work/engine";
        for (const char *name :
             {"src/main.rs", "cache/notes.md", "registry/src/lib.rs", "repository/org/notes.md",
              "dists/app-1.0.zip", "chromium-1100/mine.txt", "Cargo.toml"})
            file(code / name, 300);
        folder((home() / link.toStdString()).parent_path());
        TreeBuilder::symlink(code, home() / link.toStdString());
        const auto before = manifest(code);
        const QList<DevCache> caches = Engine::devCaches();
        const DevCache *cache = find(caches, id);
        QVERIFY(cache);
        QVERIFY(!cache->refused.empty());
        for (const Engine::DevRefusal &refusal : cache->refused) {
            QCOMPARE(refusal.why.why, Engine::Refusal::Why::unlikeTheCache);
            QCOMPARE(refusal.why.to, code);
        }
        for (const fs::path &path : cache->paths)
            QVERIFY2(!Engine::isSameOrInside(path, code), path.c_str());
        Engine::cleanDev(*cache, true, {});
        QCOMPARE(manifest(code), before);
        fs::remove(home() / link.toStdString());
        fs::remove_all(TestHome::root() / "work");
    }

    // Owners' programs come from the absolute folders of PATH only: "." and a relative folder
    // there, each holding a program that leaves a mark, are never run, listing or cleaning.
    void programsComeFromAbsolutePathFoldersOnly_data()
    {
        QTest::addColumn<QByteArray>("path");
        for (const char *path : {".", "rel", "", "./"})
            QTest::newRow(path) << QByteArray(path);
    }
    void programsComeFromAbsolutePathFoldersOnly()
    {
        QFETCH(QByteArray, path);
        const fs::path work = TestHome::root() / "work";
        const fs::path marker = TestHome::root() / "ran";
        fs::remove(marker);
        for (const fs::path &folderHere : {work, work / "rel"}) {
            for (const char *program : {"docker", "ccache", "sccache", "flatpak", "yarn"}) {
                write(folderHere / program, "#!/bin/sh\necho \"$0\" >> '" + bytes(marker) + "'\n");
                chmod((folderHere / program).c_str(), 0755);
            }
        }
        file(cacheDir() / "ccache/0/obj", 1000);
        file(cacheDir() / "sccache/0/obj", 1000);
        file(cacheDir() / "yarn/v6/pkg", 1000);
        folder(home() / ".local/share/flatpak/runtime");
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QString::fromStdString(work.native())));
        qputenv("PATH", path + ':' + bytes(TestHome::root() / "bin"));
        QCOMPARE(Engine::findProgram("docker"), QString());
        const QList<DevCache> caches = Engine::devCaches();
        for (const DevCache &cache : caches)
            Engine::cleanDev(cache, true, {});
        QDir::setCurrent(previous);
        qputenv("PATH", bytes(TestHome::root() / "bin"));
        QVERIFY2(!fs::exists(marker), read(marker).constData());
        QVERIFY(find(caches, "ccache") && !find(caches, "ccache")->available);
        QVERIFY(!find(caches, "docker"));
    }

    // Docker's data root is Docker's: sizes come from its own reckoning, the leftovers are its
    // prune, unused images a separate choice that waits for the user; no answer, no entry.
    void dockerIsAskedNotTouched()
    {
        standInDocker();
        QList<DevCache> caches = Engine::devCaches();
        const DevCache *prune = find(caches, "docker");
        const DevCache *images = find(caches, "docker-images");
        QVERIFY(prune && images);
        QCOMPARE(Engine::devSize(*prune).value_or(0), Q_INT64_C(20300000));
        QCOMPARE(Engine::devSize(*images).value_or(0), Q_INT64_C(1500000000));
        QCOMPARE(images->mode, Engine::DevMode::Choice);

        QCOMPARE(Engine::cleanDev(*images, false, {}).outcome, DevResult::Outcome::notChosen);
        QCOMPARE(Engine::cleanDev(*prune, false, {}).outcome, DevResult::Outcome::done);
        QCOMPARE(Engine::cleanDev(*images, true, {}).outcome, DevResult::Outcome::done);
        QVERIFY(calls().contains(called("docker", "system prune --force")));
        QVERIFY(calls().contains(called("docker", "image prune --all --force")));
        for (const QString &call : calls())
            QVERIFY2(!call.contains("volume"), qPrintable(call));

        standIn("docker", "exit 1");
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

    // Every entry the catalogue can find is named and described in both languages, and what a
    // choice loses is said before it is chosen; no other entry speaks of a loss.
    void everyEntryHasItsWords()
    {
        makeDeveloperHome();
        write(cacheDir() / "restic/CACHEDIR.TAG", cacheTag);
        file(cacheDir() / "restic/data", 100);
        file(home() / ".local/share/pnpm/store/v3/files/00/a", 100);
        for (const char *editor : {"Code - Insiders", "VSCodium", "Cursor"})
            file(home() / ".config" / editor / "CachedData/blob", 100);
        folder(home() / ".local/share/flatpak/runtime/org.freedesktop.Platform");
        standIn("flatpak");
        standInDocker();
        const fs::path journal = TestHome::root() / "journal";
        file(journal / "machine" / ("user-" + std::to_string(getuid()) + "@1-2.journal"), 100);
        const auto cleanup = qScopeGuard([] { storeSettings({}); });

        const QList<DevCache> caches = Engine::devCaches({journal});
        for (const char *id : {"cargo", "pnpm", "vscode-insiders", "vscodium", "cursor", "docker",
                               "docker-images", "flatpak-runtimes", "journal",
                               "flatpak:org.gimp.GIMP", "snap:firefox", "cachedir:.cache/restic"})
            QVERIFY2(find(caches, id), id);
        const auto wordsOf = [](const QString &id, const char *language) {
            storeSettings({{"language", language}});
            return QStringList{devCacheName(id), devCacheNote(id), devCacheLost(id)};
        };
        for (const DevCache &cache : caches) {
            const QStringList indonesian = wordsOf(cache.id, "id");
            const QStringList english = wordsOf(cache.id, "en");
            const QByteArray idBytes = cache.id.toUtf8();
            const char *id = idBytes.constData();
            QVERIFY2(!indonesian[0].isEmpty() && !english[0].isEmpty(), id);
            QVERIFY2(!indonesian[1].isEmpty() && indonesian[1] != english[1], id);
            const bool choice = cache.mode == Engine::DevMode::Choice;
            QVERIFY2(indonesian[2].isEmpty() != choice && english[2].isEmpty() != choice, id);
            QVERIFY2(!choice || indonesian[2] != english[2], id);
        }
    }

    // Folders tagged as caches where tools keep their files are offered, one entry for a tagged
    // folder and all it holds; what is not a valid tag, what is reached through a link, what
    // another entry, the quick clean, a project or the Trash holds, and the base folders are not.
    void taggedFoldersFound_data()
    {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QStringList>("offered");
        const auto row = [](const char *name, const QStringList &tree, const QStringList &offered) {
            QTest::newRow(name) << tree << offered;
        };
        row("in the cache folder", {"tag .cache/restic"}, {".cache/restic"});
        row("in a tool's hidden folder", {"tag .tool/cache"}, {".tool/cache"});
        row("nested: one entry", {"tag .cache/borg", "tag .cache/borg/repo"}, {".cache/borg"});
        row("the cache folder itself is none", {"tag .cache", "tag .cache/a/b/c"},
            {".cache/a/b/c"});
        row("too deep", {"tag .cache/a/b/c/d", "tag .tool/a/b/c"}, {});
        row("not a hidden folder of the home", {"tag work/cache"}, {});
        row("the signature alone", {"bare .cache/x"}, {".cache/x"});
        row("wrong signature", {"bad .cache/x"}, {});
        row("the signature cut short", {"short .cache/x"}, {});
        row("the signature after a space", {"spaced .cache/x"}, {});
        row("a folder named as the tag", {"tagFolder .cache/x"}, {});
        row("the tag is a link", {"linkedTag .cache/x"}, {});
        row("the folder is a link", {"linkedFolder .cache/x"}, {});
        row("a catalogue entry's folder", {"tag .cargo/registry/cache"}, {});
        row("inside a catalogue entry's folder", {"tag .cache/yarn/v6"}, {});
        row("holding a catalogue entry's folder",
            {"tag .cache/JetBrains", "file .cache/JetBrains/Idea/index/x"}, {});
        row("a quick clean folder", {"tag .cache/pip"}, {});
        row("a project's target", {"file .tool/app/Cargo.toml", "tag .tool/app/target"}, {});
        row("a repository", {"file .tool/repo/.git/HEAD", "tag .tool/repo"}, {});
        row("a base folder", {"tag .local/state"}, {});
        row("the Trash", {"tag .local/share/Trash"}, {});
        row("the user's Documents", {"documents .docs", "tag .docs"}, {});
        row("holding the user's Documents", {"documents .tool/docs", "tag .tool"}, {});
        // A tag is 43 bytes any program or archive writes: never a reason to take keys,
        // configuration or work.
        row("keys", {"tag .ssh", "tag .gnupg/private-keys-v1.d", "tag .pki/nssdb"}, {});
        row("keyrings and passwords", {"tag .local/share/keyrings", "tag .password-store/mail"},
            {});
        row("configuration", {"tag .config/mail", "tag .local/share/app"}, {});
        row("deeper in the configuration folder", {"tag .config/tool/cache"},
            {".config/tool/cache"});
        row("holding a project", {"tag .tool/cache", "file .tool/cache/app/package.json"}, {});
        row("holding a repository deep down",
            {"tag .tool/cache", "file .tool/cache/a/clone/.git/HEAD", "file .tool/cache/a/x"}, {});
    }

    // A tagged folder in a repository (a home kept in git, say) is offered only when the
    // repository tracks nothing in it.
    void taggedFolderInARepository()
    {
        makeTree({"tag .tool/cache", "tag .tool/tracked", "file .tool/tracked/settings"});
        const auto git = [](const QStringList &arguments) {
            QProcess process;
            process.setWorkingDirectory(QString::fromStdString(home().native()));
            process.start("/usr/bin/git", QStringList{"-c", "user.name=t", "-c", "user.email=t@t",
                                                      "-c", "commit.gpgsign=false"}
                                              + arguments);
            QVERIFY(process.waitForFinished(30000) && process.exitCode() == 0);
        };
        git({"init", "-q"});
        git({"add", ".tool/tracked/settings"});
        git({"commit", "-q", "-m", "dotfiles"});
        QCOMPARE(taggedFound(), QStringList{".tool/cache"});
    }
    void taggedFoldersFound()
    {
        QFETCH(QStringList, tree);
        QFETCH(QStringList, offered);
        makeTree(tree);
        QCOMPARE(taggedFound(), offered);
    }

    // A tagged entry is a choice known by its path: kept, it stays kept at the next scan, measured
    // but not offered, until released. A name that is not UTF-8 keeps an id of its own.
    void taggedEntryKeptAndReleasedById()
    {
        // Two names that read the same: each byte that is not UTF-8 shows as one replacement.
        for (const char *odd : {"odd name\xff", "odd name\xfe"})
            write(cacheDir() / odd / "CACHEDIR.TAG", cacheTag);
        file(cacheDir() / "odd name\xff/data", 20000);
        const QString id = "cachedir:.cache/odd%20name%FF";
        const DevCache cache = taggedEntry(id);
        QCOMPARE(cache.mode, Engine::DevMode::Choice);
        QCOMPARE(Engine::taggedPlace(id), fs::path(".cache/odd name\xff"));
        QVERIFY(find(Engine::devCaches(), "cachedir:.cache/odd%20name%FE"));
        const auto present = [] {
            QStringList ids;
            for (const DevCache &each : Engine::devCaches())
                ids << each.id;
            return ids;
        };
        const auto entry = [&id] {
            for (Engine::DevEntry &each : Engine::devEntries())
                if (each.cache.id == id)
                    return each;
            qFatal("no entry");
        };
        QVERIFY(entry().size.value_or(0) >= 20000);
        QCOMPARE(Engine::keepDev(id, present()).outcome, Engine::DevKeepResult::Outcome::changed);
        QVERIFY(entry().kept);
        QVERIFY(entry().size.value_or(0) >= 20000);
        QVERIFY(!Engine::devOffered(id, Engine::devEntries()));
        QCOMPARE(Engine::releaseDev(id).outcome, Engine::DevKeepResult::Outcome::changed);
        QVERIFY(Engine::devOffered(id, Engine::devEntries()));
    }

    // Removing a tagged folder takes that folder, all of it, and nothing beside or above it, and
    // only when chosen.
    void removingATaggedFolderTakesItAlone()
    {
        makeTree({"tag .cache/restic", "file .cache/other/data", "file .cache/restic-notes"});
        const auto before = manifest(cacheDir());
        const DevCache cache = taggedEntry("cachedir:.cache/restic");
        QCOMPARE(Engine::cleanDev(cache, false, {}).outcome, DevResult::Outcome::notChosen);
        QCOMPARE(manifest(cacheDir()), before);
        const DevResult result = Engine::cleanDev(cache, true, {});
        QCOMPARE(result.outcome, DevResult::Outcome::done);
        QVERIFY(result.freed >= 20000);
        auto expected = before;
        std::erase_if(expected, [](const auto &item) {
            return item.first.starts_with("restic/") || item.first == "restic";
        });
        QCOMPARE(manifest(cacheDir()), expected);
    }

    // Between the scan and the clean the tag went, or the folder shown is no longer the one
    // there: nothing is removed, and the failure says why.
    void aTaggedFolderChangedSinceTheScanStays_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<Engine::Refusal::Why>("why");
        using Why = Engine::Refusal::Why;
        QTest::newRow("tag removed") << "rm tag" << Why::noCacheTag;
        QTest::newRow("tag rewritten") << "bad tag" << Why::noCacheTag;
        QTest::newRow("tag now a link") << "link tag" << Why::noCacheTag;
        QTest::newRow("folder replaced") << "new folder" << Why::notAsShown;
        QTest::newRow("folder now a link") << "link folder" << Why::notAsShown;
        QTest::newRow("a folder on the way now a link") << "link parent" << Why::notAsShown;
        QTest::newRow("folder gone") << "rm folder" << Why::notAsShown;
        QTest::newRow("now the user's Documents") << "documents" << Why::userFolder;
        QTest::newRow("now holding a base folder") << "base inside" << Why::baseFolder;
        QTest::newRow("now holding a repository") << "repository inside" << Why::holdsWork;
    }
    void aTaggedFolderChangedSinceTheScanStays()
    {
        QFETCH(QString, change);
        QFETCH(Engine::Refusal::Why, why);
        makeTree({"tag .tool/cache"});
        const DevCache cache = taggedEntry("cachedir:.tool/cache");
        const fs::path folderHere = home() / ".tool/cache";
        const auto restoreState =
            qScopeGuard([state = qgetenv("XDG_STATE_HOME")] { qputenv("XDG_STATE_HOME", state); });
        const fs::path moved = TestHome::root() / "elsewhere/moved";
        if (change == "rm tag")
            fs::remove(folderHere / "CACHEDIR.TAG");
        else if (change == "bad tag")
            write(folderHere / "CACHEDIR.TAG", "Signature: 8a477f597d28d172789f06886806bc5\n");
        else if (change == "link tag") {
            fs::rename(folderHere / "CACHEDIR.TAG", home() / ".tool/tag");
            TreeBuilder::symlink(home() / ".tool/tag", folderHere / "CACHEDIR.TAG");
        } else if (change == "new folder") {
            fs::rename(folderHere, home() / ".tool/old");
            makeTree({"tag .tool/cache"});
        } else if (change == "link folder") {
            fs::rename(folderHere, moved);
            TreeBuilder::symlink(moved, folderHere);
        } else if (change == "link parent") {
            fs::rename(home() / ".tool", moved);
            TreeBuilder::symlink(moved, home() / ".tool");
        } else if (change == "documents") {
            makeTree({"documents .tool/cache"});
        } else if (change == "base inside") {
            folder(folderHere / "state");
            qputenv("XDG_STATE_HOME", bytes(folderHere / "state"));
        } else if (change == "repository inside") {
            file(folderHere / "clone/.git/HEAD", 10);
        } else {
            fs::remove_all(folderHere);
        }
        // All but the activity log, which says what was tried (in the state folder).
        const auto files = [] {
            auto all = manifest(TestHome::root());
            std::erase_if(all, [](const auto &item) {
                return item.first.starts_with("home/.local")
                       || item.first.starts_with("home/.tool/cache/state/");
            });
            return all;
        };
        const auto before = files();
        const DevResult result = Engine::cleanDev(cache, true, {});
        QCOMPARE(result.outcome, DevResult::Outcome::failed);
        QVERIFY(result.failure);
        QCOMPARE(result.failure->kind, Engine::Failure::Kind::refused);
        QCOMPARE(result.failure->refusal.why, why);
        QVERIFY(!result.failure->text().isEmpty());
        QCOMPARE(files(), before);
    }

    // What looking for tagged folders costs on a home of a developer's size: printed, never
    // asserted. Only the tagged folders within the search are found.
    void taggedSearchCost()
    {
        // ~/.cache and ~/.config with 60 tools of 10 × 10 folders, files beside the cache's;
        // ~/.local/share with 40; editor extensions each with their node_modules; a source tree
        // of 50 projects.
        for (int tool = 0; tool < 60; ++tool) {
            const std::string name = "tool" + std::to_string(tool);
            for (int a = 0; a < 10; ++a)
                for (int b = 0; b < 10; ++b) {
                    const fs::path leaf = std::to_string(a) + "/" + std::to_string(b);
                    write(cacheDir() / name / (leaf.native() + ".data"), "x");
                    folder(cacheDir() / name / leaf / "x");
                    folder(home() / ".config" / name / leaf);
                    if (tool < 40)
                        folder(home() / ".local/share" / name / leaf);
                }
        }
        for (int extension = 0; extension < 40; ++extension)
            for (int package = 0; package < 30; ++package)
                folder(home() / ".vscode/extensions" / std::to_string(extension) / "node_modules"
                       / std::to_string(package) / "lib");
        for (int project = 0; project < 50; ++project)
            for (int part = 0; part < 40; ++part)
                folder(home() / "src" / std::to_string(project) / "node_modules"
                       / std::to_string(part) / "lib");
        makeTree({"tag .cache/tool1/2/3", "tag .config/tool2/4", "tag .cache/tool3/2/3/x",
                  "tag src/1/target"});
        QElapsedTimer timer;
        timer.start();
        const std::vector<DevCache> found = Engine::taggedCaches({});
        const qint64 search = timer.nsecsElapsed();
        timer.restart();
        const QList<DevCache> all = Engine::devCaches();
        qInfo("tagged search: %.1f ms, %zu found; the whole catalogue with it: %.1f ms",
              double(search) / 1e6, found.size(), double(timer.nsecsElapsed()) / 1e6);
        QCOMPARE(found.size(), 2u);
    }
};

AMPA_TEST_MAIN(DevCachesTest)
#include "tst_devcaches.moc"
