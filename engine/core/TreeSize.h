#pragma once

#include <QtGlobal>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace Engine {

// What removing the item at the path would give back, as `du` counts allocation (st_blocks ×
// 512, not lengths):
// - a folder: its own blocks, and those of every entry below it (folders, files, symbolic links
//   and special files alike), hidden ones included. Symbolic links are never followed, other
//   file systems mounted inside are not entered (a removal leaves them), unreadable entries and
//   sub-folders are skipped;
// - anything else (a file, a symbolic link, a FIFO): its own allocation, without opening it;
// - an entry with several hard links counts once, and only when every one of its links lies in
//   the item: otherwise removing it frees nothing;
// - nothing there, or unreadable: 0.
// Blocks for as long as the walk takes: never call it on the main thread.
qint64 size(const std::filesystem::path &path);

// Whether an entry's name is one a walk looks out for.
using NameWatch = bool (*)(std::string_view name);
struct SizeSeen {
    qint64 bytes = 0;
    std::string seen; // the name of an entry at any depth that the watch accepted; empty: none
    // A file in it has hard links outside it too: `bytes` is less than what it holds.
    bool shared = false;
};

// `size`, looking out on the way for an entry `watch` accepts (a repository inside a build
// folder, say; none when null), at no cost of a second walk.
SizeSeen sizeWatching(const std::filesystem::path &path, NameWatch watch);

// What emptying the folder at the path would give back: `size` without the folder's own blocks,
// which stay with it. Not a folder: the same as `size`.
qint64 contentSize(const std::filesystem::path &path);

// What removing all of `paths` would give back: the same sum over all of them, a file with
// several hard links counted once, and only when every one of its links lies among them. A store
// whose files are linked into projects gives back only what no project uses. Blocks like `size`.
qint64 reclaimableSize(const std::vector<std::filesystem::path> &paths);

// The same without any folder's own blocks: what a clean that keeps the folders and removes all
// they hold would give back.
qint64 reclaimableFiles(const std::vector<std::filesystem::path> &paths);

} // namespace Engine
