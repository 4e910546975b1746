#include "DevCleaning.h"

#include "ActivityLog.h"
#include "Paths.h"
#include "PnpmStore.h"
#include "Removal.h"
#include "Shell.h"
#include "SizeText.h"
#include "SystemProbes.h"
#include "TaggedCaches.h"
#include "TreeSize.h"

namespace Engine {

namespace {

DevResult removeFolders(const DevCache &cache)
{
    DevResult result;
    // What the catalogue refused was never among the paths; it is said all the same.
    if (!cache.refused.empty())
        result.failure = Failure{Failure::Kind::refused, 0, cache.refused.front().path,
                                 cache.refused.front().why};
    for (const std::filesystem::path &path : cache.paths) {
        const bool holdsKept =
            std::any_of(cache.keep.begin(), cache.keep.end(),
                        [&path](const auto &kept) { return isSameOrInside(kept, path); });
        if (holdsKept) {
            if (!result.failure)
                result.failure =
                    Failure{Failure::Kind::refused, 0, path, Refusal{Refusal::Why::holdsKeptPart}};
            continue;
        }
        const RemovalResult removed = removeItem(path);
        result.freed += removed.freed;
        if (removed.failure && !result.failure)
            result.failure = removed.failure;
    }
    if (result.failure && result.freed == 0)
        result.outcome = DevResult::Outcome::failed;
    return result;
}

// A tagged folder goes only while it is still the folder found, reached without a link, and
// still tagged: its tag is the only reason it was offered.
DevResult removeTagged(const DevCache &cache)
{
    DevResult result;
    const std::filesystem::path path =
        cache.paths.empty() ? std::filesystem::path() : cache.paths.front();
    if (const std::optional<Refusal> why = taggedChanged(cache)) {
        result.outcome = DevResult::Outcome::failed;
        result.failure = Failure{Failure::Kind::refused, 0, path, *why};
        return result;
    }
    const RemovalResult removed = removeFolderAsSeen(path.parent_path(), cache.tagged->parent,
                                                     path.filename(), cache.tagged->folder);
    result.freed = removed.freed;
    result.failure = removed.failure;
    if (result.failure && result.freed == 0)
        result.outcome = DevResult::Outcome::failed;
    return result;
}

DevResult runCommand(const DevCommand &command)
{
    DevResult result;
    const QString program = findProgram(command.program);
    if (program.isEmpty()) {
        result.outcome = DevResult::Outcome::notHere;
        result.failure = Failure{Failure::Kind::refused, 0, command.program.toStdString(),
                                 Refusal{Refusal::Why::notInstalled}};
        return result;
    }
    const qint64 before = disk().free;
    const ShellResult ran = shell(program, command.arguments);
    result.freed = std::max<qint64>(0, disk().free - before);
    result.output = ran.out;
    if (ran.code != 0) {
        result.outcome = DevResult::Outcome::failed;
        result.failure =
            Failure{Failure::Kind::commandFailed, ran.code, command.program.toStdString(), {}};
    }
    return result;
}

} // namespace

namespace {

DevPart removed(const std::filesystem::path &folder)
{
    const SizeSeen measured = sizeWatching(folder, nullptr);
    return {folder, measured.bytes, !measured.shared};
}

} // namespace

std::vector<DevPart> devParts(const DevCache &cache)
{
    std::vector<DevPart> parts;
    if (cache.reportedSize || cache.estimate == DevEstimate::unknown)
        return parts;
    for (const std::filesystem::path &path : cache.paths) {
        switch (cache.estimate) {
        case DevEstimate::pnpmPrune:
            parts.push_back({path, pnpmPruneSize(path), false});
            break;
        case DevEstimate::files: {
            // Its clean keeps the folders and the kept parts.
            std::vector<std::filesystem::path> kept;
            for (const std::filesystem::path &part : cache.keep)
                if (isSameOrInside(part, path))
                    kept.push_back(part);
            parts.push_back({path,
                             std::max<qint64>(0, reclaimableFiles({path}) - reclaimableFiles(kept)),
                             false});
            break;
        }
        default:
            parts.push_back(removed(path));
            break;
        }
    }
    for (const std::filesystem::path &folder : cache.emptied)
        parts.push_back(removed(folder));
    return parts;
}

std::optional<qint64> devSize(const DevCache &cache, const std::vector<DevPart> &parts)
{
    if (cache.reportedSize)
        return cache.reportedSize;
    if (cache.paths.empty() || cache.estimate == DevEstimate::unknown)
        return std::nullopt;
    qint64 total = 0;
    for (const DevPart &part : parts)
        total += part.frees;
    return total;
}

std::optional<qint64> devSize(const DevCache &cache)
{
    return devSize(cache, devParts(cache));
}

namespace {

// One line in the activity log for each cleanup that was tried; a failure in it is the engine's
// own line, in no user's language: the words of a failure are words/'s, above the engine.
DevResult logged(const DevCache &cache, DevResult result)
{
    if (result.outcome == DevResult::Outcome::notHere)
        return result;
    log("pengembang: " + cache.id + ": dibebaskan " + fmt(result.freed)
        + (result.failure ? " (" + result.failure->logLine() + ")" : QString()));
    return result;
}

} // namespace

DevResult cleanDev(const DevCache &cache, bool chosen, const std::vector<UserProcess> &processes)
{
    if (cache.mode == DevMode::Report)
        return {DevResult::Outcome::notHere, 0, std::nullopt, {}};
    if (cache.mode == DevMode::Choice && !chosen)
        return {DevResult::Outcome::notChosen, 0, std::nullopt, {}};
    if (ownerRunning(cache, processes))
        return {DevResult::Outcome::running, 0, std::nullopt, {}};
    if (cache.tagged)
        return logged(cache, removeTagged(cache));
    if (cache.command && (cache.mode == DevMode::Command || cache.mode == DevMode::Choice))
        return logged(cache, runCommand(*cache.command));
    if (cache.stopFirst && !findProgram(cache.stopFirst->program).isEmpty())
        runCommand(*cache.stopFirst);
    return logged(cache, removeFolders(cache));
}

} // namespace Engine
