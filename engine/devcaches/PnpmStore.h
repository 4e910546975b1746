#pragma once

#include <QtGlobal>

#include <filesystem>

namespace Engine {

// What `pnpm store prune` would take of the store now, without running it: in each layout of the
// store (v3, v10, …), the content files no project links to (link count 1), the package index
// files whose package.json is among them, and the layout's tmp folder. The index files of
// packages still in use stay, and so does every other folder of the store (the metadata cache
// that the prune empties too lies elsewhere). Links are never followed; unreadable parts count 0.
// Blocks: never on the main thread.
qint64 pnpmPruneSize(const std::filesystem::path &store);

} // namespace Engine
