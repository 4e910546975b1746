#include "DevChoices.h"

#include "DevCleaning.h"
#include "DevOwners.h"
#include "Settings.h"

namespace Engine {

std::vector<DevEntry> devEntries(const DevRoots &roots)
{
    const QStringList kept = Settings::instance().devKeep();
    const std::vector<UserProcess> processes = userProcesses();
    std::vector<DevEntry> entries;
    for (DevCache &cache : devCaches(roots)) {
        DevEntry entry;
        // A kept entry is measured, to be shown, but never offered or counted.
        entry.kept = kept.contains(cache.id);
        entry.parts = devParts(cache);
        entry.size = devSize(cache, entry.parts);
        // A command known to free nothing would only be run for nothing.
        if (cache.mode == DevMode::Command && entry.size == 0)
            continue;
        entry.running = ownerRunning(cache, processes);
        entry.cache = std::move(cache);
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool devOffered(const QString &id, const std::vector<DevEntry> &entries)
{
    return std::any_of(entries.begin(), entries.end(), [&id](const DevEntry &entry) {
        return entry.cache.id == id && !entry.kept;
    });
}

namespace {

DevKeepResult store(const QStringList &ids)
{
    Settings::instance().setDevKeep(ids);
    return {Settings::instance().devKeep() == ids ? DevKeepResult::Outcome::changed
                                                  : DevKeepResult::Outcome::notSaved};
}

} // namespace

DevKeepResult keepDev(const QString &id, const QStringList &present)
{
    QStringList ids = Settings::instance().devKeep();
    if (ids.contains(id))
        return {DevKeepResult::Outcome::unchanged};
    if (id.isEmpty() || !present.contains(id))
        return {DevKeepResult::Outcome::unknown};
    return store(ids << id);
}

DevKeepResult releaseDev(const QString &id)
{
    QStringList ids = Settings::instance().devKeep();
    if (ids.removeAll(id) == 0)
        return {DevKeepResult::Outcome::unchanged};
    return store(ids);
}

} // namespace Engine
