#pragma once

#include <QtGlobal>

#include <filesystem>
#include <vector>

namespace Engine {

// Bytes allocated on disk (st_blocks × 512, not lengths) by the item at the path.
// - A folder: the sum over every regular file below it, hidden ones included. Symbolic links are
//   never followed, other file systems mounted inside are not entered, unreadable entries and
//   sub-folders are skipped, and a file reached through several hard links counts each time.
// - Anything else (a file, a symbolic link, a FIFO): its own allocation, without opening it.
// - Nothing there, or unreadable: 0.
// Blocks for as long as the walk takes: never call it on the main thread.
qint64 size(const std::filesystem::path &path);

// What removing all of `paths` would give back: the same sum, but a file with several hard links
// counts once, and only when every one of its links lies among them. A store whose files are
// linked into projects gives back only what no project uses. Blocks like `size`.
qint64 reclaimableSize(const std::vector<std::filesystem::path> &paths);

} // namespace Engine
