#include "TargetCleaning.h"

#include "CodexReleases.h"
#include "Paths.h"
#include "Removal.h"
#include "TreeSize.h"

namespace Engine {

std::vector<std::filesystem::path> urls(const CacheTarget &target)
{
    if (target.codexReleases)
        return codexOldReleases();
    std::vector<std::filesystem::path> found;
    for (const std::filesystem::path &path : target.paths) {
        const std::filesystem::path expanded = url(path);
        if (Engine::exists(expanded))
            found.push_back(expanded);
    }
    return found;
}

qint64 size(const CacheTarget &target)
{
    qint64 total = 0;
    for (const std::filesystem::path &path : urls(target))
        total += size(path);
    return total;
}

CleanResult clean(const CacheTarget &target)
{
    CleanResult result;
    for (const std::filesystem::path &path : urls(target)) {
        const qint64 bytes = size(path);
        if (auto error = removeItem(path).error)
            result.error = std::move(error);
        else
            result.freed += bytes;
    }
    return result;
}

} // namespace Engine
