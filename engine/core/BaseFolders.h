#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>

// The base folders that cleans work in, from the XDG variables, vetted so that a bad value never
// points a clean at the user's own folders.

// The per-user cache folder, ending in "/": $XDG_CACHE_HOME when it is a usable base (see
// `removalBase`), else ~/.cache/.
std::filesystem::path userCacheDir();

// The per-user configuration folder: $XDG_CONFIG_HOME when it is a usable base, else ~/.config.
std::filesystem::path userConfigDir();

// A base folder that targets lie in, from an XDG variable. The clean removes folders inside it,
// so a value that would put them among the user's own folders is refused: a relative value (the
// XDG rule) and one that resolves, links followed, to "/", the home folder or an ancestor of it.
// Then home + `fallbackUnderHome` is used, and `refused` says why, for the user to see.
struct RemovalBase {
    std::filesystem::path folder;
    std::optional<QString> refused;
};
RemovalBase removalBase(const char *variable, const char *fallbackUnderHome);

// One line for each base folder variable that was refused; none when all are usable.
QStringList baseFolderWarnings();
