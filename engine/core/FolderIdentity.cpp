#include "FolderIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace Engine {

namespace {

std::optional<FolderIdentity> identity(int dirFd, const char *name, int flags)
{
    struct statx info {};
    if (statx(dirFd, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
              STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_MNT_ID | STATX_BLOCKS, &info)
        != 0)
        return std::nullopt;
    FolderIdentity found;
    found.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    found.inode = info.stx_ino;
    found.mountId = (info.stx_mask & STATX_MNT_ID) ? info.stx_mnt_id : 0;
    found.isDirectory = S_ISDIR(info.stx_mode);
    found.owner = info.stx_uid;
    found.mode = info.stx_mode & 07777;
    found.allocated = static_cast<long long>(info.stx_blocks) * 512;
    return found;
}

} // namespace

std::optional<FolderIdentity> identify(int fd)
{
    return identity(fd, "", AT_EMPTY_PATH);
}

std::optional<FolderIdentity> identifyAt(int dirFd, const char *name)
{
    return identity(dirFd, name, 0);
}

bool removedMeanwhile(int fd)
{
    struct stat st {};
    return fstat(fd, &st) == 0 && st.st_nlink == 0;
}

} // namespace Engine
