#include "SystemProbes.h"

#include "Paths.h"

#include <QFile>

#include <sys/statvfs.h>

namespace Engine {

DiskSpace disk()
{
    struct statvfs info {};
    if (statvfs(homeDir().c_str(), &info) != 0)
        return {};
    const auto unit = static_cast<qint64>(info.f_frsize);
    return {static_cast<qint64>(info.f_bavail) * unit, static_cast<qint64>(info.f_blocks) * unit};
}

namespace {

// The number after "key" on the first line of a /proc file that starts with it.
std::optional<qint64> procField(const char *file, QByteArrayView key)
{
    QFile proc(QString::fromLatin1(file));
    if (!proc.open(QIODevice::ReadOnly))
        return std::nullopt;
    // /proc files report a size of 0, so atEnd() is true at once: read them whole.
    for (const QByteArray &line : proc.readAll().split('\n')) {
        if (!line.startsWith(key))
            continue;
        bool ok = false;
        const qint64 value = line.sliced(key.size()).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? std::optional(value) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace

qint64 swapTotal()
{
    const auto kibibytes = procField("/proc/meminfo", "SwapTotal:");
    return kibibytes && *kibibytes > 0 ? *kibibytes * 1024 : 0;
}

QDateTime bootDate()
{
    const auto seconds = procField("/proc/stat", "btime ");
    if (!seconds || *seconds <= 0)
        return QDateTime::currentDateTimeUtc();
    return QDateTime::fromSecsSinceEpoch(*seconds, Qt::UTC);
}

} // namespace Engine
