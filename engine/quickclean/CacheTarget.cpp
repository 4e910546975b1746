#include "CacheTarget.h"

#include "Paths.h"

namespace {

using Paths = std::vector<std::filesystem::path>;

enum class Platform { Linux, Mac };

QList<CacheTarget> catalogue(Platform platform)
{
    const bool mac = platform == Platform::Mac;
    const std::string cache = userCacheDir().native();
    const std::filesystem::path config = userConfigDir();
    // The clang module cache sits directly in the per-user cache folder on both platforms.
    const std::filesystem::path clangModules = cache + "clang/ModuleCache";
    auto paths = [mac](Paths macPaths, Paths linuxPaths) { return mac ? macPaths : linuxPaths; };

    return {
        {"codex", "shippingbox", {}, {}, true, "Codex"},
        {"arc",
         "globe",
         paths({"~/Library/Caches/Arc",
                "~/Library/Application Support/Arc/User Data/Default/Service Worker/CacheStorage"},
               {cache + "Arc", config / "Arc/User Data/Default/Service Worker/CacheStorage"}),
         {"Arc"},
         false,
         "Arc"},
        {"comet",
         "globe",
         paths({"~/Library/Caches/Comet",
                "~/Library/Application Support/Comet/Default/Service Worker/CacheStorage"},
               {cache + "Comet", config / "Comet/Default/Service Worker/CacheStorage"}),
         {"Comet"},
         false,
         "Comet"},
        {"chrome",
         "globe",
         paths({"~/Library/Caches/Google/Chrome",
                "~/Library/Application Support/Google/Chrome/Default/Service Worker/CacheStorage"},
               {cache + "google-chrome",
                config / "google-chrome/Default/Service Worker/CacheStorage"}),
         {"Google Chrome"},
         false,
         "Google Chrome"},
        {"zoom", "video", paths({"~/Library/Caches/us.zoom.xos"}, {cache + "zoom"}),
         mac ? QStringList{"zoom.us"} : QStringList{"Zoom", "Zoom Workplace"}, false, "zoom.us"},
        {"zcode", "arrow.down.circle",
         paths({"~/Library/Caches/@zcodedesktop-updater"}, {cache + "@zcodedesktop-updater"})},
        {"brew", "mug", paths({"~/Library/Caches/Homebrew"}, {cache + "Homebrew"})},
        {"npm", "cube", {"~/.npm/_cacache"}},
        {"pip", "cube",
         paths({"~/Library/Caches/pip", "~/.cache/uv"}, {cache + "pip", cache + "uv"})},
        {"build", "hammer",
         paths({"~/Library/Caches/go-build", "~/Library/Caches/node-gyp"},
               {cache + "go-build", cache + "node-gyp"})},
        {"clang", "hammer", {clangModules}},
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

QList<CacheTarget> quickTargets()
{
    return markDeveloper(catalogue(Platform::Linux));
}

QList<CacheTarget> quickTargetsMac()
{
    return markDeveloper(catalogue(Platform::Mac));
}
