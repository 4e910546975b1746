#include "ProcessMemory.h"

#include <QByteArray>
#include <QFile>

namespace {

long statusKiB(const char *field)
{
    QFile status("/proc/self/status");
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
    return statusKiB("VmHWM:");
}

long currentKiB()
{
    return statusKiB("VmRSS:");
}
