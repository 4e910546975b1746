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
    cacheTag,  // a folder tagged CACHEDIR.TAG that Developer caches offers, no catalogue entry
               // naming it
};

// "quick", "developer", "project", "trash", "cachedir"; "" for none.
QString spaceKindName(SpaceKind kind);

// A place another pane offers to clean.
struct SpaceMark {
    std::filesystem::path path;
    SpaceKind kind = SpaceKind::none;
    QString owner; // the quick target's or developer cache's id, or the project's path
    // What its clean takes of it, when that is less than all it holds (a command that keeps
    // parts, files linked from elsewhere too); unset: all of it comes back.
    std::optional<qint64> frees = std::nullopt;
};

// What the other panes offer now, asked of them rather than decided again, each counted as that
// pane counts it: the quick clean's folders, the developer caches that are not kept and rebuild
// by themselves (delete and command entries, the tagged folders it lists among them; a choice
// removes what cannot be downloaded again), the artifacts of projects that Projects would clean
// now, and the Trash. Places kept in the space map stay among them: the walk flags them as kept
// (see `spaceKept`). Runs owners' commands and reads repositories: never on the main thread.
std::vector<SpaceMark> spaceMarks();

// The Trash of the home, as the freedesktop.org layout places it.
std::filesystem::path homeTrashFolder();

// The folders kept out of the space map's marks (the spaceKeep setting), as stored.
std::vector<std::filesystem::path> spaceKept();
// Keeps or releases a folder; false when the setting could not be saved.
bool keepSpace(const std::filesystem::path &folder);
bool releaseSpace(const std::filesystem::path &folder);

} // namespace Engine
