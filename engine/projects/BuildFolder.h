#pragma once

#include <filesystem>
#include <optional>

namespace Engine {

// The first file in a CMake build folder (relative to it) that CMake and the build tool cannot
// be shown to have made; nothing when every file is theirs. Theirs: whatever lies in the folders
// CMake keeps for itself (CMakeFiles, *_autogen, _deps, Testing, .cmake), the files the
// generators write, objects, libraries and programs, and the outputs the generator lists; each
// no older than the first configure. A source file, a note, or any file older than the folder's
// first configure is the user's, who ran CMake where their work lies. Links and special files
// are theirs too: a removal takes a link, never what it names. A folder that cannot be read is
// answered by its own path. Blocks.
std::optional<std::filesystem::path> userFileInBuildFolder(const std::filesystem::path &folder);

} // namespace Engine
