#pragma once

#include <filesystem>

namespace Engine {

// The folder at `folder`, opened (following links, so a state folder kept elsewhere still works)
// and made when missing, for a file of Ampa's own in it. Missing folders are made (0700) only
// below an existing folder of the effective user, so root running for someone else's home never
// leaves folders of its own there; the folder must belong to the effective user too, or a file
// created in it would take the owner's from them. A descriptor (O_DIRECTORY, close-on-exec) the
// caller closes; -1 when there is no such folder.
int openOwnFolder(const std::filesystem::path &folder);

} // namespace Engine
