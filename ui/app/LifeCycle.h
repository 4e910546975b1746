#pragma once

#include <optional>

// When the main window opens and when closing it ends the program. Without a tray host there is
// no icon to come back to, so the program behaves as if the icon were off (the setting itself
// is left alone).
namespace LifeCycle {

// Started at login with the tray icon on, only the icon appears; otherwise the window opens.
bool showWindowAtLaunch(bool launchedAtLogin, bool showMenuBar, bool trayAvailable);

// Closing the main window quits only when the icon is stored as off (never stored means on), or
// when no icon is shown to come back through.
bool quitWhenWindowCloses(std::optional<bool> storedShowMenuBar, bool iconShown);

// Whether the tray icon is shown.
bool trayIconShown(bool showMenuBar, bool trayAvailable);

} // namespace LifeCycle
