#pragma once

#include <QString>

#include <filesystem>
#include <optional>

// Opening Ampa at login: the user's XDG autostart entry, $XDG_CONFIG_HOME/autostart/ampa.desktop,
// which starts Ampa with the single argument --login.
namespace LoginItem {

std::filesystem::path entryPath();

// Whether the user's entry exists and is not marked Hidden=true.
bool enabled();

// Writes the entry for `program` (on) or deletes the user's entry (off; desktops disagree on
// other ways to switch one off). The error's description when it could not be done.
std::optional<QString> setEnabled(bool on, const std::filesystem::path &program);

} // namespace LoginItem
