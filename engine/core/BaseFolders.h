#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

// The base folders that cleans work in, from the XDG variables, vetted so that a bad value never
// points a clean at the user's own folders.

// The per-user cache folder, ending in "/": $XDG_CACHE_HOME when it is a usable base (see
// `removalBase`), else ~/.cache/.
std::filesystem::path userCacheDir();

// The per-user configuration folder: $XDG_CONFIG_HOME when it is a usable base, else ~/.config.
std::filesystem::path userConfigDir();

// Why a base folder variable was not used, and what was used instead.
struct BaseRefusal {
    enum class Why {
        notAbsolute, // a relative value (the XDG rule)
        homeOrAbove, // it resolves to "/", the home folder or an ancestor of it
    };
    Why why;
    QString variable;
    std::filesystem::path value; // as the variable gives it
    std::filesystem::path fallback;
};

// A base folder that targets lie in, from an XDG variable. The clean removes folders inside it,
// so a value that would put them among the user's own folders is refused: a relative value (the
// XDG rule) and one that resolves, links followed, to "/", the home folder or an ancestor of it.
// Then home + `fallbackUnderHome` is used, and `refused` says why, for the user to see.
struct RemovalBase {
    std::filesystem::path folder;
    std::optional<BaseRefusal> refused;
};
RemovalBase removalBase(const char *variable, const char *fallbackUnderHome);

// Each base folder variable that was refused; none when all are usable. baseFolderWarnings()
// (words/) says them.
std::vector<BaseRefusal> refusedBases();
