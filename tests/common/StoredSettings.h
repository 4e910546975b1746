#pragma once

#include "Paths.h"
#include "Settings.h"

#include <QFile>
#include <QSettings>
#include <QVariantMap>

// Replaces the settings file with exactly these values, as if edited by hand, and has the
// program read it again. Header only: for the tests that link the engine.
inline void storeSettings(const QVariantMap &values)
{
    const std::filesystem::path path =
        Engine::xdgDir("XDG_CONFIG_HOME", ".config") / "Ampa" / "Ampa.conf";
    {
        QSettings file(QFile::decodeName(path.c_str()), QSettings::NativeFormat);
        file.clear();
        for (auto it = values.begin(); it != values.end(); ++it)
            file.setValue(it.key(), it.value());
    }
    Settings::instance().reload();
}
