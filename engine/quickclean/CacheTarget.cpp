#include "CacheTarget.h"

#include "Paths.h"
#include "Text.h"


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
    const QString browsing = bilingual("Dibuat ulang saat browsing", "Rebuilt while you browse");

    auto paths = [mac](Paths macPaths, Paths linuxPaths) { return mac ? macPaths : linuxPaths; };

    return {
        {"codex",
         bilingual("Versi lama Codex", "Old Codex versions"),
         bilingual("Versi aktif dan dua terbaru disimpan", "The active and two newest are kept"),
         "shippingbox",
         {},
         {},
         true,
         "Codex"},
        {"arc",
         bilingual("Cache Arc", "Arc cache"),
         browsing,
         "globe",
         paths({"~/Library/Caches/Arc",
                "~/Library/Application Support/Arc/User Data/Default/Service Worker/CacheStorage"},
               {cache + "Arc", config / "Arc/User Data/Default/Service Worker/CacheStorage"}),
         {"Arc"},
         false,
         "Arc"},
        {"comet",
         bilingual("Cache Comet", "Comet cache"),
         browsing,
         "globe",
         paths({"~/Library/Caches/Comet",
                "~/Library/Application Support/Comet/Default/Service Worker/CacheStorage"},
               {cache + "Comet", config / "Comet/Default/Service Worker/CacheStorage"}),
         {"Comet"},
         false,
         "Comet"},
        {"chrome",
         bilingual("Cache Google Chrome", "Google Chrome cache"),
         browsing,
         "globe",
         paths({"~/Library/Caches/Google/Chrome",
                "~/Library/Application Support/Google/Chrome/Default/Service Worker/CacheStorage"},
               {cache + "google-chrome",
                config / "google-chrome/Default/Service Worker/CacheStorage"}),
         {"Google Chrome"},
         false,
         "Google Chrome"},
        {"zoom", bilingual("Cache Zoom", "Zoom cache"),
         bilingual("Dibuat ulang saat Zoom dipakai", "Rebuilt when Zoom is used"), "video",
         paths({"~/Library/Caches/us.zoom.xos"}, {cache + "zoom"}),
         mac ? QStringList{"zoom.us"} : QStringList{"Zoom", "Zoom Workplace"}, false, "zoom.us"},
        {"zcode", bilingual("Unduhan update zcode", "zcode update downloads"),
         bilingual("Diunduh ulang saat update berikutnya", "Downloaded again at the next update"),
         "arrow.down.circle",
         paths({"~/Library/Caches/@zcodedesktop-updater"}, {cache + "@zcodedesktop-updater"})},
        {"brew", bilingual("Cache Homebrew", "Homebrew cache"),
         bilingual("Unduhan paket lama", "Old package downloads"), "mug",
         paths({"~/Library/Caches/Homebrew"}, {cache + "Homebrew"})},
        {"npm",
         bilingual("Cache npm", "npm cache"),
         bilingual("Unduhan paket Node.js", "Node.js package downloads"),
         "cube",
         {"~/.npm/_cacache"}},
        {"pip", bilingual("Cache pip dan uv", "pip and uv cache"),
         bilingual("Unduhan paket Python", "Python package downloads"), "cube",
         paths({"~/Library/Caches/pip", "~/.cache/uv"}, {cache + "pip", cache + "uv"})},
        {"build", bilingual("Cache build Go dan node-gyp", "Go and node-gyp build cache"),
         bilingual("Hasil kompilasi sementara", "Temporary build output"), "hammer",
         paths({"~/Library/Caches/go-build", "~/Library/Caches/node-gyp"},
               {cache + "go-build", cache + "node-gyp"})},
        {"clang",
         bilingual("Cache compiler Clang dan Swift", "Clang and Swift compiler cache"),
         bilingual("Dibuat ulang saat kompilasi berikutnya", "Rebuilt at the next compile"),
         "hammer",
         {clangModules}},
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
