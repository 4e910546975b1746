#pragma once

// The pieces the removal is built from, shared by its files (Removal.cpp, RemovalWalker.cpp,
// RemovalParallel.cpp) and by no one else: Removal.h is the interface.

#include "Failure.h"
#include "FolderIdentity.h"

#include <QtGlobal>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace Engine::removal {

inline constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
inline constexpr int pathFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// How many entries go between two checks that the folder being emptied is still in place. A
// check walks down from the root, so deeper in a tree the checks come further apart: the
// removal's cost grows with the depth, not with its square.
inline constexpr std::size_t entriesPerCheck = 64;

bool outOfDescriptors();

// The allocation that unlinking the entry gives back: a file's, a link's or a special file's
// own, and only when this is its last link.
qint64 lastLinkBytes(int dirFd, const char *name);

// Removes the empty folder `name` in `dirFd` and adds the blocks it took (a folder keeps the
// size it grew to while it held entries) to `freed`. False with errno set when it stays.
bool removeFolderEntry(int dirFd, const char *name, qint64 &freed);

// Adds owner read, write and search permission to the folder `name` in `parentFd`, only when it
// is a folder of ours on the removal's own mount. Works through an O_PATH descriptor, so a link
// or a mount point put in its place is never changed.
bool makeWritable(int parentFd, const char *name, const FolderIdentity &root);

// A folder of ours that is open at `fd` gets what removing its entries needs: read to list,
// search to reach them, write to unlink them.
void openUp(int fd, FolderIdentity &id);

// Opens `relative` below `rootFd` without following any link or leaving the root's mount.
int openBeneath(int rootFd, const std::string &relative, int flags);

// Where a folder being removed sits: the entry `name` of the folder open at `parentFd` and, when
// the removal was given a path, that path too. A folder that moves away is no longer ours to
// empty, wherever it went.
struct Place {
    int parentFd = -1; // not owned
    std::string name;
    const std::filesystem::path *path = nullptr;
    FolderIdentity id;

    bool holds() const;
};

// What one walk through a folder did.
struct Walk {
    bool emptied = false; // nothing inside stays
    qint64 freed = 0;
    std::optional<Failure> error;
    bool stopped = false; // a folder moved, no descriptors left, or the program is quitting
    bool gone = false;    // another process removed the folder, and everything left in it
};

// Empties the folder open at `fd` (taken over) one entry at a time, depth first, within a bounded
// number of open descriptors; `root` is its path for messages and `id` what it is.
// `rootInPlace` tells whether the folder still lies where the removal found it.
Walk walkAndEmpty(int fd, const std::filesystem::path &root, const FolderIdentity &id,
                  std::function<bool()> rootInPlace);

} // namespace Engine::removal
