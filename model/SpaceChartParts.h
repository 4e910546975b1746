#pragma once

#include "FileKind.h"
#include "SpaceTree.h"

#include <limits>
#include <string>
#include <vector>

// The parts of a folder's chart, ring by ring: its entries around the first ring, theirs around
// the second within their arc, and so on. Angles are fractions of the whole turn, which is the
// folder's size; a folder's own blocks leave a gap after its entries.
struct ChartPart {
    Engine::SpaceTree::Index index = Engine::SpaceTree::noEntry; // noEntry: small items merged
    int parent = -1; // the part it lies in, -1 in the first ring
    int level = 1;   // 1 for the folder's own entries
    double start = 0;
    double span = 0;
    qint64 size = 0;   // as the chart measures: on disk, or apparent
    qint64 onDisk = 0; // what `reclaimable` is a part of
    qint64 reclaimable = 0;
    Engine::FileKind kind = Engine::FileKind::other;
    bool folder = false; // a folder the map can open
    int merged = 0;      // how many entries it stands for, when it is small items merged
    std::string name;
};

struct ChartBounds {
    int levels = 3;
    // Entries below this share of the turn merge into one part per folder, as do those beyond
    // the largest `perFolder`.
    double smallest = 0.004;
    int perFolder = 40;
    // Entries looked at for the kinds of the folders shown: the largest first, so that a cut
    // short pass still sees what fills them.
    qint64 budget = std::numeric_limits<qint64>::max();
    // Sizes as the files' bytes (`du --apparent-size`) rather than their disk use.
    bool apparent = false;
};

struct ChartParts {
    std::vector<ChartPart> parts; // each after the part it lies in
    qint64 total = 0;             // the folder's size
    bool exact = true;            // every entry below it was looked at for the kinds
};

// The chart of `folder`. A folder's kind is that of its mark (build output, caches), or of the
// mark of a folder it lies in, else the kind holding most of its bytes below it; a file's is that
// of its name. Reads the tree under its lock entry by entry: may run while a walk fills it.
// Stops early, with what it has, when the work is asked to stop. Empty for an index the tree
// does not hold.
ChartParts chartParts(const Engine::SpaceTree &tree, Engine::SpaceTree::Index folder,
                      const ChartBounds &bounds = {});
