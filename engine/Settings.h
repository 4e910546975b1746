#pragma once

#include <QSettings>

// Ampa's stored settings: organisation and application "Ampa", native format
// (~/.config/Ampa/Ampa.conf on Linux). Open them where a value is needed and let them go: values
// are read where used, never cached, so a change made elsewhere is seen at the next read.
// (QSettings cannot be copied or moved; the returned object is constructed in place.)
inline QSettings ampaSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Ampa", "Ampa");
}
