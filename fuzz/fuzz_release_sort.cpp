// The numeric-aware order of release names: antisymmetric, consistent with equality, and a
// sort with it never misbehaves.
#include "CodexReleases.h"

#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QStringList names = text.split(QLatin1Char('\n'));
    for (const QString &a : names) {
        for (const QString &b : names) {
            const int ab = Engine::numericCompare(a, b);
            const int ba = Engine::numericCompare(b, a);
            if ((ab > 0) != (ba < 0) || (ab == 0) != (ba == 0))
                __builtin_trap();
        }
        if (Engine::numericCompare(a, a) != 0)
            __builtin_trap();
    }
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return Engine::numericCompare(a, b) < 0;
    });
    for (qsizetype i = 1; i < names.size(); ++i) {
        if (Engine::numericCompare(names[i - 1], names[i]) > 0)
            __builtin_trap();
    }
    return 0;
}
