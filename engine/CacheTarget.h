#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

// One quick-clean target: caches and download folders that their owners rebuild by themselves.
struct CacheTarget {
    QString id;   // stable key, unique in the catalogue
    QString name; // in the language in force when the catalogue was read
    QString note;
    QString icon; // symbol shown when no application icon is found
    // Folders in order; "~/…" is relative to the home folder (expanded by Engine::url).
    std::vector<std::filesystem::path> paths;
    // While an application of one of these names runs, the quick clean skips the target.
    QStringList blockers = {};
    // The folders are the old releases found at clean time rather than `paths`.
    bool codexReleases = false;
    // The application whose icon stands for the target.
    std::optional<QString> app = std::nullopt;
    // A developer's cache: named in the developer caches too, where it is counted by the quick
    // clean alone.
    bool developer = false;
};

// The eleven targets in the order they are listed, measured and cleaned, with the folders of this
// platform. Computed afresh at every call, so names and notes follow the language stored now.
QList<CacheTarget> quickTargets();

// The same catalogue with the folders and application names of macOS, kept as data.
QList<CacheTarget> quickTargetsMac();

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
