#pragma once

#include <QSettings>

// Ampa's stored settings: organisation and application "Ampa", native format
// (~/.config/Ampa/Ampa.conf on Linux). Open one where a value is needed and let it go: values are
// read where used, never cached, so a change made elsewhere is seen at the next read.
class AmpaSettings : public QSettings {
public:
    AmpaSettings() : QSettings(QSettings::NativeFormat, QSettings::UserScope, "Ampa", "Ampa") {}
};
