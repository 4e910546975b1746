#pragma once

#include "SpaceHistory.h"
#include "SpaceTree.h"

#include <optional>
#include <string>
#include <vector>

namespace Engine {

// What a walk records of its tree: every folder down to `depth` below the root, and every entry
// (file or folder) of at least `threshold` bytes of disk use, wherever it lies. So a home of
// millions of entries costs a few thousand rows a walk.
struct HistoryReach {
    int depth = 2;
    qint64 threshold = 0;
};
// The reach for this tree: a thousandth of the root's size, at least 1 MiB.
HistoryReach historyReach(const SpaceTree &tree);

// The entries within the reach, by path below the root (as RecordedSizes names them).
RecordedSizes recordedSizes(const SpaceTree &tree, const HistoryReach &reach);

// How an entry's size changed since a walk: bytes, signed, of disk use (or of the bytes the files
// hold, `apparent`). Known when that walk recorded the entry; when it did not, known (all of it
// grown) only where that walk recorded every folder, so the entry did not exist then: a folder
// within its depth. Nothing otherwise (an entry that was below the threshold then), and for a
// saved scan.
std::optional<qint64> grownSince(const SpaceTree &tree, SpaceTree::Index index,
                                 const HistoryWalk &then, const RecordedSizes &sizesThen,
                                 bool apparent = false);

// One folder of what grew most.
struct Growth {
    std::string path;                            // below the root, as RecordedSizes names it
    SpaceTree::Index index = SpaceTree::noEntry; // noEntry: gone since
    qint64 grown = 0;                            // signed, disk use
    qint64 size = 0;                             // now
    qint64 reclaimable = 0;                      // of it now, as the map marks it
};
// The folders that grew most since the walk, largest growth first, at most `limit`: each the
// deepest that holds most of its growth (a folder is left out when one folder in it grew by
// three quarters of as much or more). Those that shrank follow, by the same rule, the most
// shrunk last; a folder gone since is one of them. Only growth that is known counts.
std::vector<Growth> whatGrew(const SpaceTree &tree, const HistoryWalk &then,
                             const RecordedSizes &sizesThen, std::size_t limit = 50);

} // namespace Engine
