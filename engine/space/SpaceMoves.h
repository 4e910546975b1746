#pragma once

#include "SpaceMarks.h"

#include <filesystem>
#include <optional>

namespace Engine {

// Why the space map does not move an entry to the Trash, said before anything is asked.
enum class SpaceMoveRefusal {
    homeOrAbove,      // the home, or a folder holding it
    trash,            // the Trash, or inside it or holding it
    baseFolder,       // a folder tools keep their files in, or directly in one (~/.cache/x)
    keysPlace,        // keys, credentials or configuration (~/.ssh, a keyring, ~/.config/x)
    cleanedInItsPane, // marked: its own pane cleans it, as its owner would
};

// The entry at `path` (of kind `kind` in the map) may go to the Trash when this says nothing.
std::optional<SpaceMoveRefusal> whyNotToTheTrash(const std::filesystem::path &path, SpaceKind kind);

} // namespace Engine
