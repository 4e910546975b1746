#pragma once

#include <filesystem>

// The space map's walk against Ampa's own measuring walk, du, ncdu and gdu on the same tree, warm
// and cold: time, and peak memory per entry, each tool in a child process of its own (wait4's
// ru_maxrss is that child's alone); ours also above the process's baseline.
namespace SpaceBench {

// One space walk of `path` in this process: prints ms, entries, peak KiB, baseline KiB and the
// tree's bytes. `afterDrop`: first says "ready" and waits for a line.
int walkCommand(const std::filesystem::path &path, bool afterDrop);

// Prints the figures for the tree `name` at `path`, the median of `rounds` warm runs.
void compare(const char *name, const std::filesystem::path &path, int rounds);

// The same with the page cache emptied before each walk (root only; says so otherwise).
void compareCold(const char *name, const std::filesystem::path &path, int rounds);

} // namespace SpaceBench
