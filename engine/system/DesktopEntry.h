#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

namespace Engine {

// The keys of a freedesktop.org desktop entry that Ampa uses, untranslated.
struct DesktopEntry {
    std::filesystem::path file;
    QString name;    // Name=
    QString exec;    // Exec=, still quoted
    QString tryExec; // TryExec=
    QString icon;    // Icon=
};

// Reads the [Desktop Entry] group of an application entry. Nothing for a file that cannot be
// read, is not a regular file, is over 1 MiB or is not a well-formed entry (GLib's key-file rules:
// UTF-8, the entry's group first), a Type other than Application, a Hidden=true entry (the user
// deleted it) or one with no Name=.
std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path &file);
// The same from the entry's text.
std::optional<DesktopEntry> parseDesktopEntry(const QByteArray &text,
                                              const std::filesystem::path &file);

// The installed application entries, each desktop-file ID once: the one in the folder of highest
// precedence ($XDG_DATA_HOME, then each of $XDG_DATA_DIRS in order) hides the others. An entry
// whose TryExec= program is not there (absolute, or in an absolute folder of $PATH) is left out.
std::vector<DesktopEntry> installedDesktopEntries();

// The words of an Exec= value, unquoted as GLib does it; field codes (%f, %U, …) are left in
// place as words. Nothing when the quoting is broken.
QStringList execWords(const QString &exec);

// The programs an entry names: Exec='s first word (past an "env" prefix and its assignments) and
// TryExec=, each searched in the absolute folders of $PATH when not absolute; those not found are
// left out.
std::vector<std::filesystem::path> entryPrograms(const DesktopEntry &entry);

} // namespace Engine
