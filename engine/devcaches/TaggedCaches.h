#pragma once

#include "DevCache.h"
#include "Failure.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace Engine {

// The folders their owners tagged as caches (a valid CACHEDIR.TAG) in the places where tools keep
// their files, each a choice entry whose owner is unknown, sorted by path; its id is
// "cachedir:" and its path from the home (percent-encoded), so that it stays the same from one
// scan to the next. Nothing inside `covered` (what other entries and the quick clean name or
// keep) is looked at, and a tagged folder holding any of it is not offered; nor is one inside a
// project, a base folder or one holding a base folder, or one the folder rules refuse.
std::vector<DevCache> taggedCaches(const std::vector<std::filesystem::path> &covered);

// Where the tagged entry `id` lies: from the home when inside it, else the whole path; empty for
// an id that is not a tagged entry's.
std::filesystem::path taggedPlace(const QString &id);

// Why the tagged entry may not be removed now: its folder is gone, reached through a link or
// another folder than the one found (`notAsShown`), its tag is gone or no longer valid
// (`noCacheTag`), or the folder rules refuse it. None when it may go.
std::optional<Refusal> taggedChanged(const DevCache &cache);

} // namespace Engine
