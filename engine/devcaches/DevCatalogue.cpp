// The developer caches: where each lives, what must stay beside it, who owns it and how it is
// cleaned, as its owner would do it.

#include "BaseFolders.h"
#include "CacheTarget.h"
#include "DevCache.h"
#include "FolderRules.h"
#include "Paths.h"
#include "Shell.h"
#include "TaggedCaches.h"
#include "TargetCleaning.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;

bool isThere(const fs::path &path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

Paths present(const Paths &candidates)
{
    Paths found;
    for (const fs::path &path : candidates)
        if (isThere(path))
            found.push_back(path);
    return found;
}

// The sub-folders of `folder`, sorted, links left out.
Paths subfolders(const fs::path &folder)
{
    Paths found;
    for (const std::string &name : folderEntries(folder).value_or(std::vector<std::string>{}))
        if (isFolderHere(folder / name))
            found.push_back(folder / name);
    std::sort(found.begin(), found.end());
    return found;
}

fs::path dataDir()
{
    return removalBase("XDG_DATA_HOME", ".local/share").folder;
}

// The folders whose every part is the user's choice as it stands: the home and the XDG bases
// (themselves vetted as bases by removalBase).
bool trustedBase(const fs::path &base)
{
    const fs::path folder = withoutTrailingSlash(base);
    for (const fs::path &trusted : {homeDir(), userCacheDir(), userConfigDir(), dataDir()})
        if (folder == withoutTrailingSlash(trusted))
            return true;
    return false;
}

// The most precise of those folders that holds the path.
fs::path trustedBaseOf(const fs::path &path)
{
    for (const fs::path &base : {userCacheDir(), userConfigDir(), dataDir()})
        if (isSameOrInside(path, withoutTrailingSlash(base)))
            return withoutTrailingSlash(base);
    return homeDir();
}

// An entry's folders, each vetted from the folder of the tool it lies in by the quick clean's
// rules: offered as the real folder it is, or left alone with why.
struct Found {
    Paths paths;
    std::vector<DevRefusal> refused;
    // What the folders on the way hold when a link leads to them (none: never followed).
    FolderShapes shapes;

    Found() = default;
    explicit Found(FolderShapes folderShapes) : shapes(std::move(folderShapes)) {}
    // The candidates that lie in one of the trusted folders.
    Found(std::initializer_list<fs::path> candidates, FolderShapes folderShapes = {})
        : shapes(std::move(folderShapes))
    {
        for (const fs::path &candidate : candidates)
            add(trustedBaseOf(candidate), candidate);
    }

    // `candidate`, which lies in `base`, when it is there.
    void add(const fs::path &base, const fs::path &candidate)
    {
        if (!isThere(candidate))
            return;
        if (const auto why = unusableBase(base)) {
            refuse(base, *why);
            return;
        }
        const std::optional<TargetFolder> vetted =
            vetBelow(base, candidate, shapes, LastLink::refused);
        if (!vetted)
            return;
        if (vetted->refused) {
            refuse(candidate, *vetted->refused);
        } else if (isFolderHere(vetted->folder)) {
            paths.push_back(vetted->folder);
        }
    }
    void add(const fs::path &base, const Paths &candidates)
    {
        for (const fs::path &candidate : candidates)
            add(base, candidate);
    }

    // The sub-folders of the tool's folder `base`, links among them (for add() to judge), when
    // the tool's folder is one whose content may all be offered.
    Paths subfoldersOf(const fs::path &base)
    {
        if (isThere(base)) {
            if (const auto why = unusableBase(base)) {
                refuse(base, *why);
                return {};
            }
        }
        Paths found;
        for (const std::string &name : folderEntries(base).value_or(std::vector<std::string>{}))
            if (std::error_code error;
                isFolderHere(base / name) || fs::is_symlink(base / name, error))
                found.push_back(base / name);
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    // Why the tool's folder `base` may not be where its content is offered from. In the home, a
    // link on the way to it, or it being one, is followed only to a folder of the tool's shape:
    // a folder the user named elsewhere is theirs to choose.
    std::optional<Refusal> unusableBase(const fs::path &base) const
    {
        if (trustedBase(base))
            return std::nullopt;
        if (auto why = unsafeBase(base))
            return why;
        if (!isSameOrInside(base, homeDir()))
            return std::nullopt;
        const auto vetted = vetBelow(trustedBaseOf(base), base, shapes);
        return vetted ? vetted->refused : std::nullopt;
    }

    void refuse(const fs::path &path, const Refusal &why)
    {
        const bool known = std::any_of(refused.begin(), refused.end(),
                                       [&path](const DevRefusal &r) { return r.path == path; });
        if (!known)
            refused.push_back({path, why});
    }
};

// The candidates, which lie in the tool's folder `base`.
Found within(const fs::path &base, const Paths &candidates, FolderShapes shapes = {})
{
    Found found(std::move(shapes));
    found.add(base, candidates);
    return found;
}

// A tool's folder from its variable, refused as the XDG base folders are (relative, "/", the
// home folder or above it); else `fallback`.
fs::path toolFolder(const char *variable, const fs::path &fallback)
{
    const char *value = std::getenv(variable);
    if (!value || !*value)
        return fallback;
    const RemovalBase base = removalBase(variable, "");
    return base.refused ? fallback : base.folder;
}

QString onPath(const QString &program)
{
    return findProgram(program);
}

// An entry whose name, note and what a choice loses are words/'s, by its id.
DevCache entry(const char *id, const char *icon, DevMode mode, Found found)
{
    DevCache cache;
    cache.id = id;
    cache.icon = icon;
    cache.mode = mode;
    cache.paths = std::move(found.paths);
    cache.refused = std::move(found.refused);
    return cache;
}

DevCache commandEntry(const char *id, const char *icon, Found paths, DevCommand command)
{
    DevCache cache = entry(id, icon, DevMode::Command, std::move(paths));
    cache.available = !onPath(command.program).isEmpty();
    cache.command = std::move(command);
    return cache;
}

// An entry that holds something: one whose folders are all missing is not shown; one whose
// folders were all refused is, to say why.
void addPresent(QList<DevCache> &list, DevCache cache)
{
    if (!cache.paths.empty() || !cache.refused.empty())
        list << std::move(cache);
}

void addLanguageTools(QList<DevCache> &list)
{
    const fs::path home = homeDir();
    const fs::path cache = userCacheDir();

    const fs::path cargo = toolFolder("CARGO_HOME", home / ".cargo");
    DevCache cargoCache =
        entry("cargo", "shippingbox", DevMode::Delete,
              within(cargo,
                     {cargo / "registry/cache", cargo / "registry/src", cargo / "registry/index",
                      cargo / "git/db", cargo / "git/checkouts"},
                     {{cargo, {"registry/index|git/db"}},
                      {cargo / "registry", {"index", "cache", "src"}},
                      {cargo / "git", {"db", "checkouts"}}}));
    cargoCache.keep =
        present({cargo / "bin", cargo / "config.toml", cargo / "credentials.toml",
                 cargo / ".crates.toml", cargo / ".crates2.json", cargo / ".global-cache"});
    cargoCache.owners = {"cargo"};
    cargoCache.locks = {{OwnerLock::Kind::flock, cargo / ".package-cache"},
                        {OwnerLock::Kind::flock, cargo / ".package-cache-mutate"}};
    addPresent(list, std::move(cargoCache));

    const fs::path gradle = toolFolder("GRADLE_USER_HOME", home / ".gradle");
    DevCache gradleCache = entry("gradle", "hammer", DevMode::Delete,
                                 within(gradle, {gradle / "caches", gradle / "wrapper/dists"},
                                        {{gradle, {"caches/modules-2|wrapper/dists"}},
                                         {gradle / "wrapper", {"dists/gradle-*"}}}));
    gradleCache.keep = present({gradle / "gradle.properties", gradle / "init.d", gradle / "jdks"});
    gradleCache.owners = {"gradle"};
    gradleCache.ownerArguments = {"org.gradle.launcher.daemon.bootstrap.GradleDaemon"};
    addPresent(list, std::move(gradleCache));

    DevCache maven = entry("maven", "shippingbox", DevMode::Choice,
                           within(home / ".m2", {home / ".m2/repository"},
                                  // Every build downloads Maven's own plugins into it.
                                  {{home / ".m2", {"repository/org/apache/maven"}}}));
    maven.keep = present({home / ".m2/settings.xml", home / ".m2/settings-security.xml",
                          home / ".m2/toolchains.xml"});
    maven.owners = {"mvn", "mvnd"};
    maven.ownerArguments = {"org.codehaus.plexus.classworlds.launcher.Launcher"};
    addPresent(list, std::move(maven));

    const fs::path yarnCache = toolFolder("YARN_CACHE_FOLDER", cache / "yarn");
    DevCache yarn =
        commandEntry("yarn", "cube",
                     within(yarnCache, {yarnCache}, {{yarnCache, {"v[0-9]*/.tmp|v[0-9]*/npm-*"}}}),
                     {"yarn", {"cache", "clean"}});
    yarn.owners = {"yarn"};
    yarn.estimate = DevEstimate::files; // its clean empties the cache and keeps its folders
    addPresent(list, std::move(yarn));

    // Yarn 4 keeps one global cache that Plug'n'Play projects load their packages from; its
    // own clean needs a project to run in, so the folder goes, knowingly.
    DevCache berry = entry("yarn-berry", "cube", DevMode::Choice,
                           Found{{dataDir() / "yarn/berry/cache", home / ".yarn/berry/cache"},
                                 {{dataDir() / "yarn", {"berry/cache"}},
                                  {dataDir() / "yarn/berry", {"cache/*.zip"}},
                                  {home / ".yarn", {"berry/cache"}},
                                  {home / ".yarn/berry", {"cache/*.zip"}}}});
    berry.owners = {"yarn"};
    addPresent(list, std::move(berry));

    // One store per version of its layout (v3, v10, …), all pruned by the one command.
    const char *pnpmHome = std::getenv("PNPM_HOME");
    const fs::path pnpmFolder =
        pnpmHome && *pnpmHome ? toolFolder("PNPM_HOME", dataDir() / "pnpm") : dataDir() / "pnpm";
    const fs::path pnpmStore = pnpmFolder / "store";
    DevCache pnpm = commandEntry("pnpm", "cube",
                                 within(pnpmFolder, {pnpmStore}, {{pnpmFolder, {"store/v[0-9]*"}}}),
                                 {"pnpm", {"store", "prune"}});
    pnpm.owners = {"pnpm"};
    // Its prune empties the metadata cache too: what it frees counts, what it keeps does not.
    pnpm.estimate = DevEstimate::pnpmPrune;
    const fs::path pnpmCache = cache / "pnpm";
    Paths metadata;
    for (const fs::path &folder : subfolders(pnpmCache))
        if (folder.filename().native().starts_with("metadata"))
            metadata.push_back(folder);
    pnpm.emptied = within(pnpmCache, metadata, {{pnpmCache, {"metadata*"}}}).paths;
    addPresent(list, std::move(pnpm));

    const char *gopath = std::getenv("GOPATH");
    const fs::path goBase =
        gopath && *gopath && gopath[0] == '/'
            ? fs::path(std::string(gopath).substr(0, std::string(gopath).find(':')))
            : home / "go";
    const fs::path goModCache = toolFolder("GOMODCACHE", goBase / "pkg/mod");
    DevCache goModules =
        commandEntry("go-modules", "shippingbox",
                     within(goModCache, {goModCache}, {{goModCache, {"cache/download"}}}),
                     {"go", {"clean", "-modcache"}});
    goModules.keep = present({goBase / "bin"});
    goModules.owners = {"go", "gopls"};
    addPresent(list, std::move(goModules));

    const fs::path poetry = toolFolder("POETRY_CACHE_DIR", cache / "pypoetry");
    DevCache poetryCache = entry("poetry", "cube", DevMode::Delete,
                                 within(poetry, {poetry / "cache", poetry / "artifacts"},
                                        {{poetry, {"cache/repositories|artifacts"}}}));
    poetryCache.keep = present({poetry / "virtualenvs"});
    poetryCache.owners = {"poetry"};
    addPresent(list, std::move(poetryCache));
}

void addBuildTools(QList<DevCache> &list)
{
    const fs::path home = homeDir();
    const fs::path cache = userCacheDir();

    const fs::path ccacheDefault =
        isFolderHere(home / ".ccache") ? home / ".ccache" : cache / "ccache";
    const fs::path ccacheDir = toolFolder("CCACHE_DIR", ccacheDefault);
    DevCache ccache = commandEntry(
        "ccache", "hammer",
        within(ccacheDir, {ccacheDir}, {{ccacheDir, {"[0-9a-f]/[0-9a-f]|[0-9a-f]/stats"}}}),
        {"ccache", {"--clear"}});
    // Its clear keeps the folders, the settings, the tag and the statistics of each folder.
    Paths ccacheKept{ccacheDir / "ccache.conf", ccacheDir / "CACHEDIR.TAG", ccacheDir / "stats"};
    for (const char digit : std::string_view("0123456789abcdef"))
        ccacheKept.push_back(ccacheDir / std::string(1, digit) / "stats");
    ccache.keep = present(ccacheKept);
    ccache.estimate = DevEstimate::files;
    addPresent(list, std::move(ccache));

    const fs::path sccacheDir = toolFolder("SCCACHE_DIR", cache / "sccache");
    DevCache sccache =
        entry("sccache", "hammer", DevMode::Delete,
              within(sccacheDir, {sccacheDir}, {{sccacheDir, {"[0-9a-f]/[0-9a-f]"}}}));
    sccache.stopFirst = DevCommand{"sccache", {"--stop-server"}};
    addPresent(list, std::move(sccache));

    // Output bases of every workspace, the install base and the repository cache; a base whose
    // server still runs names it in its pid file.
    const fs::path bazelRoot = cache / "bazel";
    Found bases(FolderShapes{{bazelRoot, {"_bazel_*"}}});
    std::vector<OwnerLock> servers;
    for (const fs::path &user : subfolders(bazelRoot)) {
        for (const fs::path &base : subfolders(user)) {
            bases.add(cache, base);
            servers.push_back({OwnerLock::Kind::pidFile, base / "server/server.pid.txt"});
        }
    }
    DevCache bazel = entry("bazel", "hammer", DevMode::Delete, std::move(bases));
    bazel.locks = std::move(servers);
    bazel.owners = {"bazel", "bazelisk"};
    addPresent(list, std::move(bazel));
}

void addEditors(QList<DevCache> &list)
{
    const fs::path cache = userCacheDir();
    const fs::path config = userConfigDir();

    // Every product and version, but the local history kept among the caches.
    Found indexes(FolderShapes{{cache / "JetBrains", {"*20[0-9][0-9].[0-9]*"}}});
    for (const fs::path &product : subfolders(cache / "JetBrains")) {
        for (const fs::path &part : subfolders(product)) {
            if (part.filename() != "LocalHistory")
                indexes.add(cache, part);
        }
    }
    DevCache jetbrains = entry("jetbrains", "hammer", DevMode::Delete, std::move(indexes));
    jetbrains.keep = present({config / "JetBrains", dataDir() / "JetBrains"});
    for (const fs::path &product : subfolders(cache / "JetBrains"))
        if (isFolderHere(product / "LocalHistory"))
            jetbrains.keep.push_back(product / "LocalHistory");
    jetbrains.owners = {"idea",     "pycharm", "clion",    "goland",    "webstorm",  "phpstorm",
                        "rubymine", "rider",   "datagrip", "dataspell", "rustrover", "aqua"};
    jetbrains.ownerArguments = {"com.intellij.idea.Main"};
    addPresent(list, std::move(jetbrains));

    struct Editor {
        const char *id, *name, *folder;
        QStringList programs;
    };
    const Editor editors[] = {
        {"vscode", "VS Code", "Code", {"code"}},
        {"vscode-insiders", "VS Code Insiders", "Code - Insiders", {"code-insiders"}},
        {"vscodium", "VSCodium", "VSCodium", {"codium"}},
        {"cursor", "Cursor", "Cursor", {"cursor"}}};
    for (const Editor &editor : editors) {
        const fs::path data = config / editor.folder;
        Paths parts;
        for (const char *part :
             {"Cache", "CachedData", "CachedExtensionVSIXs", "CachedProfilesData",
              "CachedConfigurations", "Code Cache", "GPUCache", "DawnCache", "DawnGraphiteCache",
              "DawnWebGPUCache", "logs", "Crashpad"})
            parts.push_back(data / part);
        DevCache code = entry(editor.id, "macwindow", DevMode::Delete,
                              within(config, parts, {{data, {"User/globalStorage"}}}));
        code.keep = present({data / "User", data / "Backups"});
        code.owners = editor.programs;
        // The main process writes its pid there (left behind by a crash: then no one runs).
        code.locks = {{OwnerLock::Kind::pidFile, data / "code.lock"}};
        addPresent(list, std::move(code));
    }
}

void addBrowsers(QList<DevCache> &list)
{
    const fs::path home = homeDir();
    const fs::path cache = userCacheDir();
    const fs::path config = userConfigDir();

    Found profileCaches(FolderShapes{{cache / "mozilla", {"firefox/*.default*"}},
                                     {cache / "mozilla/firefox", {"*.default*"}}});
    for (const fs::path &root :
         {cache / "mozilla/firefox", home / "snap/firefox/common/.cache/mozilla/firefox",
          home / ".var/app/org.mozilla.firefox/cache/mozilla/firefox"})
        for (const fs::path &profile : subfolders(root))
            profileCaches.add(trustedBaseOf(root), {profile / "cache2", profile / "startupCache"});
    DevCache firefox = entry("firefox", "globe", DevMode::Delete, std::move(profileCaches));
    for (const fs::path &profiles : {home / ".mozilla/firefox", config / "mozilla/firefox"}) {
        if (isFolderHere(profiles))
            firefox.keep.push_back(profiles);
        for (const fs::path &profile : subfolders(profiles))
            firefox.locks.push_back({OwnerLock::Kind::firefox, profile / "lock"});
    }
    firefox.owners = {"firefox", "firefox-bin", "firefox-esr"};
    addPresent(list, std::move(firefox));

    DevCache chromium = entry("chromium", "globe", DevMode::Delete,
                              Found{cache / "chromium", home / "snap/chromium/common/.cache",
                                    home / ".var/app/org.chromium.Chromium/cache"});
    chromium.keep = present({config / "chromium"});
    chromium.owners = {"chromium", "chromium-browser"};
    chromium.locks = {{OwnerLock::Kind::singleton, config / "chromium/SingletonLock"}};
    addPresent(list, std::move(chromium));

    addPresent(list, entry("thumbnails", "square.grid.2x2", DevMode::Delete,
                           Found{cache / "thumbnails", home / ".thumbnails"}));

    const char *playwrightPath = std::getenv("PLAYWRIGHT_BROWSERS_PATH");
    const bool inProjects = playwrightPath && std::string(playwrightPath) == "0";
    const fs::path root = toolFolder("PLAYWRIGHT_BROWSERS_PATH", cache / "ms-playwright");
    // Each browser it installed carries its marker of a finished installation.
    Found installed(FolderShapes{{root, {"*-[0-9]*/INSTALLATION_COMPLETE"}}});
    Paths links;
    if (!inProjects) {
        for (const fs::path &browser : installed.subfoldersOf(root)) {
            if (browser.filename() == ".links")
                links.push_back(browser);
            else
                installed.add(root, browser);
        }
    }
    DevCache playwright = entry("playwright", "globe", DevMode::Choice, std::move(installed));
    playwright.keep = std::move(links);
    addPresent(list, std::move(playwright));

    const fs::path puppeteerDir = toolFolder("PUPPETEER_CACHE_DIR", home / ".cache/puppeteer");
    DevCache puppeteer = entry("puppeteer", "globe", DevMode::Choice,
                               within(puppeteerDir, {puppeteerDir},
                                      {{puppeteerDir,
                                        {"chrome/linux*|chrome-headless-shell/linux*|"
                                         "chromedriver/linux*|firefox/linux*"}}}));
    addPresent(list, std::move(puppeteer));

    const fs::path cypressDir = toolFolder("CYPRESS_CACHE_FOLDER", cache / "Cypress");
    DevCache cypress =
        entry("cypress", "globe", DevMode::Choice,
              within(cypressDir, {cypressDir}, {{cypressDir, {"[0-9]*.[0-9]*.[0-9]*/Cypress"}}}));
    cypress.owners = {"Cypress", "cypress"};
    addPresent(list, std::move(cypress));
}

void addApplications(QList<DevCache> &list)
{
    const fs::path home = homeDir();
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    const fs::path instances = runtime && *runtime ? fs::path(runtime) / ".flatpak" : fs::path();

    for (const fs::path &app : subfolders(home / ".var/app")) {
        const QString id = displayPath(app.filename());
        DevCache flatpak = entry("", "app", DevMode::Delete, Found{app / "cache"});
        flatpak.id = "flatpak:" + id;
        flatpak.keep = present({app / "config", app / "data", app / ".local"});
        flatpak.locks = {{OwnerLock::Kind::flatpak, instances, id}};
        addPresent(list, std::move(flatpak));
    }
    for (const fs::path &snap : subfolders(home / "snap")) {
        const QString name = displayPath(snap.filename());
        DevCache cache = entry("", "app", DevMode::Delete, Found{snap / "common/.cache"});
        cache.id = "snap:" + name;
        cache.locks = {{OwnerLock::Kind::programs, fs::path("/snap") / snap.filename()}};
        addPresent(list, std::move(cache));
    }
}

// Docker's own reckoning of what pruning gives back, by kind ("Images", "Containers", "Build
// Cache"; "1.2GB (50%)", in powers of 1000); nothing when Docker does not answer.
std::optional<QMap<QString, qint64>> dockerReclaimable(const QString &docker)
{
    const ShellResult df = shell(docker, {"system", "df", "--format", "{{json .}}"});
    if (df.code != 0)
        return std::nullopt;
    static const QRegularExpression amount(QStringLiteral(R"(^\s*([0-9.]+)\s*([kKMGTP]?B))"));
    QMap<QString, qint64> reclaimable;
    for (const QString &row : df.out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject kind = QJsonDocument::fromJson(row.toUtf8()).object();
        const QRegularExpressionMatch match = amount.match(kind.value("Reclaimable").toString());
        if (!match.hasMatch())
            continue;
        const int power = QStringLiteral("BKMGTP").indexOf(match.captured(2).at(0).toUpper());
        double bytes = match.captured(1).toDouble();
        for (int i = 0; i < power; ++i)
            bytes *= 1000;
        reclaimable.insert(kind.value("Type").toString(), static_cast<qint64>(bytes));
    }
    return reclaimable;
}

void addServices(QList<DevCache> &list, const DevRoots &roots)
{
    if (const QString docker = onPath("docker"); !docker.isEmpty()) {
        if (const auto reclaimable = dockerReclaimable(docker)) {
            DevCache prune = entry("docker", "shippingbox", DevMode::Command, {});
            prune.command = DevCommand{"docker", {"system", "prune", "--force"}};
            prune.reportedSize =
                reclaimable->value("Containers") + reclaimable->value("Build Cache");
            list << prune;
            // Images no container uses come back only by downloading them again; volumes hold
            // data and are never offered.
            if (reclaimable->value("Images") > 0) {
                DevCache images = entry("docker-images", "shippingbox", DevMode::Choice, {});
                images.command = DevCommand{"docker", {"image", "prune", "--all", "--force"}};
                images.reportedSize = reclaimable->value("Images");
                list << images;
            }
        }
    }

    const fs::path runtimes = dataDir() / "flatpak/runtime";
    if (isFolderHere(runtimes) && !onPath("flatpak").isEmpty())
        list << commandEntry("flatpak-runtimes", "shippingbox", {},
                             {"flatpak", {"uninstall", "--user", "--unused", "--noninteractive"}});

    // The user's own archived journal files: only root may remove them.
    const std::string mine = "user-" + std::to_string(getuid());
    DevCache journal = entry("journal", "doc.badge.clock", DevMode::Report, {});
    for (const fs::path &machine : subfolders(roots.journal)) {
        for (const std::string &name :
             folderEntries(machine).value_or(std::vector<std::string>{})) {
            if (name.starts_with(mine + "@") && name.ends_with(".journal"))
                journal.paths.push_back(machine / name);
        }
    }
    std::sort(journal.paths.begin(), journal.paths.end());
    journal.rootCommand = "sudo journalctl --rotate --vacuum-time=2weeks";
    addPresent(list, std::move(journal));
}

// The folders tagged as caches that no entry above, nor the quick clean, names or keeps.
void addTagged(QList<DevCache> &list)
{
    Paths covered;
    for (const DevCache &cache : list) {
        for (const Paths *paths : {&cache.paths, &cache.keep, &cache.emptied})
            covered.insert(covered.end(), paths->begin(), paths->end());
        for (const DevRefusal &refusal : cache.refused)
            covered.push_back(refusal.path);
    }
    for (const CacheTarget &target : quickTargets()) {
        for (const fs::path &path : target.paths)
            covered.push_back(url(path));
        for (fs::path &folder : urls(target))
            covered.push_back(std::move(folder));
    }
    for (DevCache &cache : taggedCaches(covered))
        list << std::move(cache);
}

} // namespace

QString devModeName(DevMode mode)
{
    switch (mode) {
    case DevMode::Delete:
        return "delete";
    case DevMode::Command:
        return "command";
    case DevMode::Choice:
        return "choice";
    case DevMode::Report:
        return "report";
    }
    return {};
}

QString DevCommand::text() const
{
    return (QStringList{program} + arguments).join(' ');
}

QList<DevCache> devCaches(const DevRoots &roots)
{
    QList<DevCache> all;
    addLanguageTools(all);
    addBuildTools(all);
    addEditors(all);
    addBrowsers(all);
    addApplications(all);
    addServices(all, roots);
    addTagged(all);
    return all;
}

} // namespace Engine
