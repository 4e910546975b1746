#include "Volumes.h"

#include <QSet>
#include <QStorageInfo>

#include <sys/stat.h>
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
    QSet<dev_t> devices;
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
        struct stat status {};
        if (access(path.constData(), R_OK | X_OK) != 0 || stat(path.constData(), &status) != 0)
            continue;
        // One file system once, by its identity: a bind mount shows the same one again.
        if (devices.contains(status.st_dev))
            continue;
        devices.insert(status.st_dev);
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
