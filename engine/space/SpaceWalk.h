#pragma once

#include "SpaceTree.h"

#include <sys/stat.h>

namespace Engine {

// The walk that fills a SpaceTree: one thread, depth first in listing order, as `du` goes, so a
// file with several links counts in the same folder as `du` counts it. One descriptor is open per
// level (ProcessLimits raises the limit for deep trees).
class SpaceTree::Walker {
public:
    Walker(SpaceTree &into, const std::atomic<bool> *stopFlag) : tree(into), stop(stopFlag) {}

    // Fills the folder open at `fd` (not closed) into the node `self`, whose size holds the
    // folder's own blocks; sets its sums and marks, and `complete` unless stopped.
    void folder(int fd, Index self);

    // The statx fields the walk reads.
    static constexpr unsigned statMask =
        STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BLOCKS | STATX_MNT_ID;
    static FileId fileId(const struct statx &st);
    static qint64 allocated(const struct statx &st);

private:
    struct Listed {
        std::string name;
        struct statx st;
    };
    bool list(int fd, std::vector<Listed> &into);

    SpaceTree &tree;
    const std::atomic<bool> *stop;
    std::vector<char> buffer = std::vector<char>(64 * 1024);
};

} // namespace Engine
