#pragma once

#include "DevCache.h"

#include <QStringList>

#include <filesystem>
#include <vector>

namespace Engine {

// A process of the current user, as owner detection sees it.
struct UserProcess {
    std::filesystem::path program; // the executable, links resolved
    // The names it goes by: its executable's, its first argument's, and, for an interpreter
    // running a script, the script's without its extension ("yarn" for node …/yarn.js).
    QStringList names;
    QStringList arguments;
};

// The current user's processes now.
std::vector<UserProcess> userProcesses();

// Whether the cache's owner runs: one of its live signs (a lock, a pid file, an instance), or a
// process that goes by one of its names or carries one of its marking arguments. A sign left by
// an owner that ended (a stale lock) does not count; one from another machine does, and so does
// a pid this user may not signal (another user's process is alive, not gone).
bool ownerRunning(const DevCache &cache, const std::vector<UserProcess> &processes);

} // namespace Engine
