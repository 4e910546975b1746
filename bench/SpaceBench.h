#pragma once

#include <filesystem>

// The space map's walk against du, ncdu and gdu on the same tree, warm: time, and peak memory
// per entry, each tool in a child process of its own (wait4's ru_maxrss is that child's alone).
namespace SpaceBench {

// One space walk of `path` in this process: prints ms, entries, peak KiB and baseline KiB.
int walkCommand(const std::filesystem::path &path);

// Prints the figures for the tree `name` at `path`, the median of `rounds` warm runs.
void compare(const char *name, const std::filesystem::path &path, int rounds);

} // namespace SpaceBench
