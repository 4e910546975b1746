#pragma once

#include <filesystem>

// What the space map's history costs: the walk alone against the walk and its recording, and
// the history's size after a year of daily walks.
namespace HistoryBench {

// The median of `rounds` walks of `tree` in this process, and of the same walks each recorded in
// a history in `scratch`: both times, their ratio, and the rows a walk records.
void compare(const char *name, const std::filesystem::path &tree,
             const std::filesystem::path &scratch, int rounds);

// A year of daily walks of `tree` recorded in a history in `scratch`, some of its files taking
// another size each day (put back to empty after): the history's size then, in MB, and what it
// holds. The tree's files must be the benchmark's own, empty ones.
void year(const std::filesystem::path &tree, const std::filesystem::path &scratch, int days);

} // namespace HistoryBench
