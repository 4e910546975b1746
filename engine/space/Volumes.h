#pragma once

#include <QString>

#include <filesystem>
#include <vector>

// The mounted file systems a person keeps files on, for the space map to look at: the system's,
// other disks and removable media; not the kernel's own (proc, sysfs, …), the ones held in memory
// (tmpfs) or the read-only images packages mount (squashfs).
namespace Engine {

struct Volume {
    std::filesystem::path mountPoint;
    QString name; // the label when there is one, else the mount point's last name
    qint64 total = 0;
    qint64 free = 0; // what the user may still write
};

// Whether a mount of this file system type is one a person keeps files on.
bool keepsFiles(const QByteArray &fileSystemType);

// The volumes mounted now that the user may read, each file system once (a bind mount of one
// already listed is left out), the root first.
std::vector<Volume> mountedVolumes();

} // namespace Engine
