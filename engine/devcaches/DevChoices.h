#pragma once

#include "DevCache.h"
#include "DevCleaning.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What the window and the terminal offer of the developer caches, decided here once: which are
// kept, what a kept one measures, and keeping or releasing one.
namespace Engine {

struct DevEntry {
    DevCache cache;
    std::optional<qint64> size; // unset when only the owner's command would tell
    std::vector<DevPart> parts; // what makes up `size`, folder by folder
    bool running = false;
    bool kept = false; // kept by the user: measured to be shown, but neither offered nor counted
};

// The developer caches present now, in catalogue order, each with whether the user keeps it, its
// size and whether its owner runs. A command entry known to free nothing is left
// out: running it would only say "0 freed". Runs owners' commands: never on the main thread.
std::vector<DevEntry> devEntries(const DevRoots &roots = {});

// Whether the entry may be cleaned: present and not kept.
bool devOffered(const QString &id, const std::vector<DevEntry> &entries);

struct DevKeepResult {
    enum class Outcome {
        changed,   // kept, or released, and saved
        unchanged, // already kept, or already not kept
        unknown,   // keep: no developer cache has that id now
        notSaved,  // the settings file could not be written
    };
    Outcome outcome = Outcome::changed;
    bool ok() const { return outcome == Outcome::changed || outcome == Outcome::unchanged; }
};

// Keeps the entry `id`, one of `present` (the ids found now); an id found nowhere is refused and
// never stored.
DevKeepResult keepDev(const QString &id, const QStringList &present);
// Releases `id`: offered again at the next scan. Releasing the last leaves no key behind.
DevKeepResult releaseDev(const QString &id);

} // namespace Engine
