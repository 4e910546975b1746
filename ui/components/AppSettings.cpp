#include "AppSettings.h"

#include "Settings.h"

void AppSettings::store(const char *key, const QVariant &value, void (AppSettings::*changed)())
{
    QSettings settings = ampaSettings();
    if (settings.contains(key) && settings.value(key) == value)
        return;
    settings.setValue(key, value);
    settings.sync();
    Q_EMIT(this->*changed)();
}

QString AppSettings::language() const
{
    return ampaSettings().value("language", "en").toString();
}

void AppSettings::setLanguage(const QString &value)
{
    store("language", value, &AppSettings::languageChanged);
}

QString AppSettings::appearance() const
{
    return ampaSettings().value("appearance", "sistem").toString();
}

void AppSettings::setAppearance(const QString &value)
{
    store("appearance", value, &AppSettings::appearanceChanged);
}

QString AppSettings::viewMode() const
{
    return ampaSettings().value("viewMode", "sidebar").toString();
}

void AppSettings::setViewMode(const QString &value)
{
    store("viewMode", value, &AppSettings::viewModeChanged);
}

bool AppSettings::showMenuBar() const
{
    return ampaSettings().value("showMenuBar", true).toBool();
}

void AppSettings::setShowMenuBar(bool value)
{
    store("showMenuBar", value, &AppSettings::showMenuBarChanged);
}

QString AppSettings::downloadsLayout() const
{
    return ampaSettings().value("downloadsLayout", "grid").toString();
}

void AppSettings::setDownloadsLayout(const QString &value)
{
    store("downloadsLayout", value, &AppSettings::downloadsLayoutChanged);
}
