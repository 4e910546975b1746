// The desktop-entry parser and the Exec= word splitter on any bytes.
#include "DesktopEntry.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (const auto entry = Engine::parseDesktopEntry(text, "fuzz.desktop")) {
        if (entry->name.isEmpty())
            __builtin_trap(); // an entry without a name is no entry
        Engine::execWords(entry->exec);
    }
    Engine::execWords(QString::fromUtf8(text));
    return 0;
}
