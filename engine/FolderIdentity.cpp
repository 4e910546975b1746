#include "FolderIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace Engine {

std::optional<FolderIdentity> identify(int fd)
{
    struct statx info {};
    if (statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW,
              STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_MNT_ID, &info)
        != 0)
        return std::nullopt;
    FolderIdentity identity;
    identity.device = makedev(info.stx_dev_major, info.stx_dev_minor);
    identity.inode = info.stx_ino;
    identity.mountId = (info.stx_mask & STATX_MNT_ID) ? info.stx_mnt_id : 0;
    identity.isDirectory = S_ISDIR(info.stx_mode);
    identity.owner = info.stx_uid;
    identity.mode = info.stx_mode & 07777;
    return identity;
}

} // namespace Engine
