#include "AppIcons.h"

#include "DesktopEntry.h"

QString AppIcons::iconFor(const QStringList &names)
{
    if (!loaded) {
        for (const Engine::DesktopEntry &entry : Engine::installedDesktopEntries()) {
            if (!entry.icon.isEmpty() && !iconsByName.contains(entry.name))
                iconsByName.insert(entry.name, entry.icon);
        }
        loaded = true;
    }
    for (const QString &name : names) {
        if (iconsByName.contains(name))
            return iconsByName.value(name);
    }
    return {};
}
