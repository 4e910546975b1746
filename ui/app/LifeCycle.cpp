#include "LifeCycle.h"

namespace LifeCycle {

bool showWindowAtLaunch(bool launchedAtLogin, bool showMenuBar, bool trayAvailable)
{
    return !(launchedAtLogin && trayIconShown(showMenuBar, trayAvailable));
}

bool quitWhenWindowCloses(std::optional<bool> storedShowMenuBar, bool iconShown)
{
    if (!iconShown)
        return true;
    return storedShowMenuBar.has_value() && !*storedShowMenuBar;
}

bool trayIconShown(bool showMenuBar, bool trayAvailable)
{
    return showMenuBar && trayAvailable;
}

} // namespace LifeCycle
