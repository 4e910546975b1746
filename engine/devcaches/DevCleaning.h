#pragma once

#include "DevCache.h"
#include "DevOwners.h"
#include "Failure.h"

#include <QString>

#include <optional>
#include <vector>

namespace Engine {

// What cleaning a developer cache did.
struct DevResult {
    enum class Outcome {
        done,      // cleaned (a failure may say what stayed)
        running,   // its owner runs: left alone
        notChosen, // a choice entry without the knowing choice: left alone
        notHere,   // a report entry, or an owner's program that is not installed: nothing to run
        failed,    // nothing came free: `failure` says why
    };
    Outcome outcome = Outcome::done;
    qint64 freed = 0;
    std::optional<Failure> failure; // the first thing that went wrong
    QString output;                 // what the owner's command printed
};

// One folder of a developer cache and what cleaning the entry would take of it now.
struct DevPart {
    std::filesystem::path path;
    qint64 frees = 0;
    // The clean takes the folder and all it holds, and no file in it is linked from elsewhere:
    // `frees` is all it holds.
    bool whole = false;
};

// The entry's folders (its paths, and those its command empties) with what cleaning takes of
// each, as `devSize` counts it; empty when only the owner tells (Docker, an unknown estimate).
// Blocks: never on the main thread.
std::vector<DevPart> devParts(const DevCache &cache);

// What cleaning the entry would give back now: the owner's own figure, else as its `estimate`
// says (what removing its folders would free, folders' own blocks included; what its command
// takes of them), a hard-linked file counted only when all its links go; unset when only running
// the owner's command would tell. Blocks: never on the main thread.
std::optional<qint64> devSize(const DevCache &cache);
// The same from its parts, measured already.
std::optional<qint64> devSize(const DevCache &cache, const std::vector<DevPart> &parts);

// Cleans the entry as its mode says, never while its owner runs: removes its folders through the
// same removal as the quick clean (a choice entry only when `chosen`; a folder that holds any of
// the entry's kept parts is never removed; a tagged folder only while it is still as found, see
// TaggedCaches.h), or runs the owner's command without a shell, what it freed measured as free
// space after less before. A report entry is left alone. Blocks.
DevResult cleanDev(const DevCache &cache, bool chosen, const std::vector<UserProcess> &processes);

} // namespace Engine
