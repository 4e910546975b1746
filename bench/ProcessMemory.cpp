#include "ProcessMemory.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace {

long statusKiB(const QString &path, const char *field)
{
    QFile status(path);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

} // namespace

long peakKiB()
{
    return statusKiB("/proc/self/status", "VmHWM:");
}

long currentKiB()
{
    return statusKiB("/proc/self/status", "VmRSS:");
}

long peakKiBOf(int pid)
{
    return statusKiB(QStringLiteral("/proc/%1/status").arg(pid), "VmHWM:");
}
