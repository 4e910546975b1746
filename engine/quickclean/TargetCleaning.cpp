#include "TargetCleaning.h"

#include "CodexReleases.h"
#include "EngineLogging.h"
#include "Paths.h"
#include "Stop.h"
#include "TreeSize.h"

#include <algorithm>

namespace Engine {

namespace {

namespace fs = std::filesystem;

bool strictlyInside(const fs::path &path, const fs::path &folder)
{
    const fs::path normal = withoutTrailingSlash(path.lexically_normal());
    const fs::path base = withoutTrailingSlash(folder.lexically_normal());
    return normal != base && isSameOrInside(normal, base);
}

// The folders that catalogue paths may lie in, read once for a whole target.
struct Bases {
    fs::path home = homeDir();
    fs::path cache = userCacheDir();
    fs::path config = userConfigDir();

    bool contain(const fs::path &path) const
    {
        return strictlyInside(path, home) || strictlyInside(path, cache)
               || strictlyInside(path, config);
    }
};

// The most precise of the folders that hold the path: the walk is vetted from there.
std::optional<TargetFolder> resolveOne(const fs::path &path, const Bases &bases,
                                       const FolderShapes &shapes)
{
    if (!bases.contain(path)) {
        if (!Engine::exists(path))
            return std::nullopt;
        return TargetFolder{path, path, false, Engine::Refusal{Engine::Refusal::Why::outside}};
    }
    for (const fs::path &base : {bases.cache, bases.config})
        if (strictlyInside(path, base))
            return vetBelow(base, path, shapes);
    return vetBelow(bases.home, path, shapes);
}

} // namespace

std::vector<TargetFolder> resolve(const CacheTarget &target)
{
    std::vector<TargetFolder> found;
    if (target.codexReleases) {
        for (fs::path &release : codexOldReleases())
            found.push_back({release, release, false, std::nullopt});
        return found;
    }
    const Bases bases;
    for (const fs::path &path : target.paths) {
        const fs::path expanded = withoutTrailingSlash(url(path));
        if (auto folder = resolveOne(expanded, bases, target.shapes))
            found.push_back(std::move(*folder));
    }
    return found;
}

std::vector<fs::path> urls(const CacheTarget &target)
{
    std::vector<fs::path> folders;
    for (TargetFolder &folder : resolve(target)) {
        if (!folder.refused)
            folders.push_back(std::move(folder.folder));
    }
    return folders;
}

qint64 size(const TargetFolder &folder)
{
    if (folder.refused)
        return 0;
    return folder.viaLink ? contentSize(folder.folder) : size(folder.folder);
}

qint64 size(const CacheTarget &target)
{
    qint64 total = 0;
    for (const TargetFolder &folder : resolve(target))
        total += size(folder);
    return total;
}

CleanResult clean(const CacheTarget &target, const std::optional<std::vector<fs::path>> &only)
{
    CleanResult result;
    for (const TargetFolder &folder : resolve(target)) {
        if (stopRequested())
            break;
        if (only && std::find(only->begin(), only->end(), folder.path) == only->end())
            continue;
        if (folder.refused) {
            result.failure = folder.refusal();
            qCInfo(lcEngine, "%s: left alone: %s", folder.path.c_str(),
                   qPrintable(folder.refusal()->logLine()));
            continue;
        }
        RemovalResult removed =
            folder.viaLink ? emptyFolder(folder.folder) : removeItem(folder.folder);
        result.freed += removed.freed;
        if (removed.failure) {
            qCWarning(lcEngine, "%s: partly removed: %s", target.id.toUtf8().constData(),
                      qPrintable(removed.failure->logLine()));
            result.failure = std::move(removed.failure);
        }
    }
    return result;
}

} // namespace Engine
