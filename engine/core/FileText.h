#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace Engine {

// What the regular file `name` (relative to the folder open at `dirFd`, or AT_FDCWD) holds, up
// to `limit` bytes; nothing when it is not a regular file or cannot be read. Never blocks on a
// FIFO planted under a file's name; a link is followed only with `followLinks`.
std::optional<std::string> fileText(int dirFd, const char *name, std::size_t limit,
                                    bool followLinks = false);

} // namespace Engine
