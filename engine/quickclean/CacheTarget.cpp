#include "CacheTarget.h"

#include "Paths.h"

namespace {

QList<CacheTarget> catalogue()
{
    const std::string cache = userCacheDir().native();
    const std::filesystem::path config = userConfigDir();

    return {
        {"codex", "shippingbox", {}, {}, true, "Codex"},
        {"arc",
         "globe",
         {cache + "Arc", config / "Arc/User Data/Default/Service Worker/CacheStorage"},
         {"Arc"},
         false,
         "Arc"},
        {"comet",
         "globe",
         {cache + "Comet", config / "Comet/Default/Service Worker/CacheStorage"},
         {"Comet"},
         false,
         "Comet"},
        {"chrome",
         "globe",
         {cache + "google-chrome", config / "google-chrome/Default/Service Worker/CacheStorage"},
         {"Google Chrome"},
         false,
         "Google Chrome"},
        {"zoom", "video", {cache + "zoom"}, {"Zoom", "Zoom Workplace"}, false, "zoom.us"},
        {"zcode", "arrow.down.circle", {cache + "@zcodedesktop-updater"}},
        {"brew", "mug", {cache + "Homebrew"}},
        {"npm", "cube", {"~/.npm/_cacache"}},
        {"pip", "cube", {cache + "pip", cache + "uv"}},
        {"build", "hammer", {cache + "go-build", cache + "node-gyp"}},
        {"clang", "hammer", {cache + "clang/ModuleCache"}},
    };
}

} // namespace

namespace {

// The targets that hold what developers' tools download and build.
QList<CacheTarget> markDeveloper(QList<CacheTarget> targets)
{
    for (CacheTarget &target : targets)
        target.developer = QStringList{"npm", "pip", "build", "clang"}.contains(target.id);
    return targets;
}

} // namespace

namespace {

// What each cache holds here, for the folders a person may well have moved to another disk and
// linked back. A folder not named here is never reached through a link.
Engine::FolderShapes linuxShapes(const QString &id)
{
    const std::filesystem::path cache = userCacheDir();
    const std::filesystem::path config = userConfigDir();
    // A Chromium browser's cache folder holds one folder per profile; its settings folder holds
    // the browser's "Local State".
    const std::vector<std::string> profiles{"Default|Profile *"};
    const std::vector<std::string> browser{"Local State"};
    if (id == "arc")
        return {{cache / "Arc", profiles},
                {config / "Arc", {"User Data/Local State"}},
                {config / "Arc/User Data", browser}};
    if (id == "comet")
        return {{cache / "Comet", profiles}, {config / "Comet", browser}};
    if (id == "chrome")
        return {{cache / "google-chrome", profiles}, {config / "google-chrome", browser}};
    if (id == "brew")
        return {{cache / "Homebrew", {"downloads|api"}}};
    if (id == "npm")
        return {{"~/.npm", {"_cacache/index-v5"}}, {"~/.npm/_cacache", {"index-v5", "content-v2"}}};
    if (id == "pip")
        return {{cache / "pip", {"http-v2|http|wheels|selfcheck"}},
                {cache / "uv", {"CACHEDIR.TAG", "*-v[0-9]*"}}};
    if (id == "build")
        return {{cache / "go-build", {"README", "00", "ff"}},
                {cache / "node-gyp", {"[0-9]*.[0-9]*.[0-9]*"}}};
    if (id == "clang")
        return {{cache / "clang/ModuleCache", {"modules.timestamp"}}};
    return {};
}

} // namespace

QList<CacheTarget> quickTargets()
{
    QList<CacheTarget> targets = markDeveloper(catalogue());
    for (CacheTarget &target : targets)
        target.shapes = linuxShapes(target.id);
    return targets;
}
