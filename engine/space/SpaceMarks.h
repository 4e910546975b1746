#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

namespace Engine {

// What a folder of the space map is, when it rebuilds by itself and another pane cleans it.
enum class SpaceKind : unsigned char {
    none,
    quick,     // a folder of the quick clean
    developer, // a developer cache that is cleaned as its owner would (not kept)
    project,   // a project's build output or dependencies
    trash,     // the Trash, emptied from the advanced clean
    cacheTag,  // a folder with a valid CACHEDIR.TAG that no catalogue entry names
};

// "quick", "developer", "project", "trash", "cachedir"; "" for none.
QString spaceKindName(SpaceKind kind);

// A place another pane offers to clean.
struct SpaceMark {
    std::filesystem::path path;
    SpaceKind kind = SpaceKind::none;
    QString owner; // the quick target's or developer cache's id, or the project's path
};

// What the other panes offer now, asked of them rather than decided again: the quick clean's
// folders, the developer caches that are not kept and rebuild by themselves (delete and command
// entries; a choice removes what cannot be downloaded again), the artifacts of projects that are
// neither kept nor unreadable, and the Trash. Places kept in the space map stay among them: the
// walk flags them as kept (see `spaceKept`). Runs owners' commands and reads repositories: never
// on the main thread.
std::vector<SpaceMark> spaceMarks();

// The Trash of the home, as the freedesktop.org layout places it.
std::filesystem::path homeTrashFolder();

// The folders kept out of the space map's marks (the spaceKeep setting), as stored.
std::vector<std::filesystem::path> spaceKept();
// Keeps or releases a folder; false when the setting could not be saved.
bool keepSpace(const std::filesystem::path &folder);
bool releaseSpace(const std::filesystem::path &folder);

} // namespace Engine
