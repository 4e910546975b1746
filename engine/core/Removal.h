#pragma once

#include "Failure.h"
#include "FolderIdentity.h"

#include <QString>
#include <QtGlobal>

#include <filesystem>
#include <optional>
#include <string>

namespace Engine {

// What a removal gave back and what stopped it.
struct RemovalResult {
    // Allocated bytes that really came free: a file counts only when its last link went, so a
    // file that keeps another hard link elsewhere frees nothing.
    qint64 freed = 0;
    // The last failure; none when everything went.
    std::optional<Failure> failure;
};

// Removes the item at the path for good, folder and all. Safe against what a hostile or
// changing tree can do:
// - a symbolic link, at the path itself or anywhere inside, is removed as a link and never
//   followed;
// - another file system mounted inside, or at the path itself, is left in place and reported,
//   never entered;
// - every step works on descriptors opened without following links, so a folder swapped for a
//   link while the removal runs never leads it outside the folder it opened; a folder (the item
//   itself included) moved away while it is emptied stops the removal with an error, while a
//   folder that another process removed meanwhile is simply gone;
// - a folder that the user owns on the same mount is given the permissions its removal needs
//   (read, write, search), as `rm -rf` would not;
// - any depth is removed within a bounded number of open descriptors;
// - the folders directly inside go on several threads, since removing mostly waits on the disk.
// What could not be removed stays, and so do the folders that hold it.
RemovalResult removeItem(const std::filesystem::path &path);

// The same for the entry `name` of the folder open at `parentFd` (not taken over): nothing is
// ever reached through a path, so a parent that is swapped or moved cannot redirect it. `shown`
// is the item's path for messages.
RemovalResult removeItemAt(int parentFd, const std::string &name,
                           const std::filesystem::path &shown);

// Removes the folder `relative` below `anchor` only while it is still `expected`, the folder
// that was looked at (and measured, and shown): `anchor` is opened without following any link
// along its path and must still be `anchorId`, the way below it follows no link and stays on its
// mount. A folder swapped or replaced since is left alone and reported as `moved`.
RemovalResult removeFolderAsSeen(const std::filesystem::path &anchor,
                                 const FolderIdentity &anchorId,
                                 const std::filesystem::path &relative,
                                 const FolderIdentity &expected);

// Removes everything inside the folder at the path, and keeps the folder (which must be a real
// folder, not a link).
RemovalResult emptyFolder(const std::filesystem::path &path);

} // namespace Engine
