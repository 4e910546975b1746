#pragma once

// Whether a tray host is there now, asked directly: over the session bus for a
// StatusNotifierItem host, on the X11 display for an XEmbed tray. Qt settles on a tray protocol
// the first time it is asked (QSystemTrayIcon::isSystemTrayAvailable or a new icon) and keeps
// that answer for the life of the process; asking here instead leaves its choice open until a
// host is really there, so a host that starts after Ampa gets the icon whatever its kind.
namespace TrayHost {

bool statusNotifierHost();
bool xembedTray();
inline bool present()
{
    return statusNotifierHost() || xembedTray();
}

} // namespace TrayHost
