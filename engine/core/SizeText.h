#pragma once

#include <QString>

// A byte count as a short decimal size text ("1 byte", "12 bytes", "340 KB", "1.5 MB",
// "2.25 GB"); "0 MB" for zero and below. The decimal separator follows the locale.
QString fmt(qint64 bytes);
