#pragma once

#include "RemovalWalker.h"

namespace Engine::removal {

// Removing is mostly waiting for the file system, which serves separate folders at once and even
// unlinks in one folder from several threads: the sub-folders directly in the target open at
// `fd`, and its other entries in groups, go on several threads. What one of them leaves (a file
// that would not go) is left for the final pass to try again and report; what comes back is why
// the pass stopped, when it did.
std::optional<Failure> removeEntriesInParallel(int fd, const Place &target,
                                               const std::filesystem::path &path, qint64 &freed);

} // namespace Engine::removal
