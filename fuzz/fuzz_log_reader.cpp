// The activity log's reader on any bytes: whole-file and from-the-middle readings.
#include "ActivityLog.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const bool fromMiddle : {false, true}) {
        const QStringList lines = Engine::logEntries(text, fromMiddle, 200);
        if (lines.size() > 200)
            __builtin_trap();
        for (const QString &line : lines) {
            if (line.isEmpty() || line.contains(QLatin1Char('\n')))
                __builtin_trap();
        }
    }
    return 0;
}
