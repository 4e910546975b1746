#pragma once

#include <QDateTime>
#include <QtGlobal>

namespace Engine {

struct DiskSpace {
    qint64 free = 0;
    qint64 total = 0;
};

// Free space for an unprivileged user and total size of the volume holding the home folder;
// (0, 0) when it cannot be read.
DiskSpace disk();

// Total swap space in bytes (not the used amount); 0 when unknown.
qint64 swapTotal();

// The time of the last system start; the current time when unknown, so the uptime reads 0.
QDateTime bootDate();

} // namespace Engine
