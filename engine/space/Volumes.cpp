#include "Volumes.h"

#include <QSet>
#include <QStorageInfo>

#include <unistd.h>

namespace Engine {

bool keepsFiles(const QByteArray &fileSystemType)
{
    static const QSet<QByteArray> notFiles = {
        "proc",        "sysfs",          "devtmpfs",   "devpts",   "tmpfs",      "ramfs",
        "cgroup",      "cgroup2",        "securityfs", "pstore",   "bpf",        "debugfs",
        "tracefs",     "configfs",       "fusectl",    "mqueue",   "hugetlbfs",  "autofs",
        "binfmt_misc", "nsfs",           "efivarfs",   "squashfs", "rpc_pipefs", "selinuxfs",
        "fuse.portal", "fuse.gvfsd-fuse"};
    return !fileSystemType.isEmpty() && !notFiles.contains(fileSystemType);
}

std::vector<Volume> mountedVolumes()
{
    std::vector<Volume> volumes;
    QSet<QByteArray> devices;
    QList<QStorageInfo> mounted = QStorageInfo::mountedVolumes();
    // The root first; bind mounts after the mount they repeat, which has the shorter path.
    std::stable_sort(mounted.begin(), mounted.end(),
                     [](const QStorageInfo &a, const QStorageInfo &b) {
                         return a.rootPath().size() < b.rootPath().size();
                     });
    for (const QStorageInfo &info : mounted) {
        if (!info.isValid() || !info.isReady() || !keepsFiles(info.fileSystemType())
            || info.bytesTotal() <= 0)
            continue;
        const QByteArray path = info.rootPath().toLocal8Bit();
        if (access(path.constData(), R_OK | X_OK) != 0)
            continue;
        // Devices that are no device (a network share, a FUSE mount) are told apart by path.
        const QByteArray device = info.device().startsWith('/') ? info.device() : path;
        if (devices.contains(device))
            continue;
        devices.insert(device);
        const std::filesystem::path mountPoint(path.toStdString());
        QString name = info.name();
        if (name.isEmpty())
            name = mountPoint == "/" ? QStringLiteral("/")
                                     : QString::fromLocal8Bit(mountPoint.filename().c_str());
        volumes.push_back({mountPoint, name, info.bytesTotal(), info.bytesAvailable()});
    }
    return volumes;
}

} // namespace Engine
