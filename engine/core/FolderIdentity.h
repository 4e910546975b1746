#pragma once

#include <optional>
#include <sys/types.h>

namespace Engine {

// Which folder an open descriptor is, and on which mount. A bind mount shares its device number
// with what it mirrors, so the mount id, where the kernel reports it, is what tells mounts apart.
struct FolderIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    unsigned long long mountId = 0; // 0 when the kernel does not report it
    bool isDirectory = false;
    uid_t owner = 0;
    mode_t mode = 0;
    // Bytes the folder itself takes on disk (st_blocks × 512): what removing it gives back once
    // it is empty. Read in the same call, so a measuring walk pays nothing more for it.
    long long allocated = 0;

    // Whether `other` lies on this mount: walks never cross into another one.
    bool sameMount(const FolderIdentity &other) const
    {
        return device == other.device
               && (mountId == 0 || other.mountId == 0 || mountId == other.mountId);
    }
    // A freed inode number is soon given to the next new entry: a link made where a folder was
    // removed may carry the folder's number, never its type.
    bool sameFolder(const FolderIdentity &other) const
    {
        return sameMount(other) && inode == other.inode && isDirectory == other.isDirectory;
    }
};

// The identity of what `fd` is open on; nothing when it cannot be read.
std::optional<FolderIdentity> identify(int fd);

// The identity of the entry `name` in the folder open at `dirFd`, a link not followed.
std::optional<FolderIdentity> identifyAt(int dirFd, const char *name);

// Whether the folder open at `fd` has been removed: its last name is gone.
bool removedMeanwhile(int fd);

} // namespace Engine
