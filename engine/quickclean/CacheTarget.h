#pragma once

#include "BaseFolders.h" // IWYU pragma: export
#include "FolderShape.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

// One quick-clean target: caches and download folders that their owners rebuild by themselves.
struct CacheTarget {
    QString id;   // stable key, unique in the catalogue; its name and note are words/'s
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
    // What its folders, and the folders on the way to them, hold when a link leads to them: a
    // link is followed only to a folder of that shape.
    Engine::FolderShapes shapes = {};
};

// The eleven targets in the order they are listed, measured and cleaned, with the folders of this
// platform. Computed afresh at every call, so the folders follow the variables set now.
QList<CacheTarget> quickTargets();
