#pragma once

#include "SpaceTree.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <sys/stat.h>
#include <unordered_map>

namespace Engine {

// The walk that fills a SpaceTree: a pool of workers sharing the open folders and those waiting
// to be opened (newest first, so the walk goes deep before wide and few folders stay open); a
// huge folder is read by several at once. A folder's entries take indices in listing order,
// which is what tells, once the walk has ended, where `du` meets a linked file first.
//
// An entry's record is made outside the tree's lock and linked in under it, so a view reads the
// tree while the walk runs and the workers seldom wait on each other.
class SpaceTree::Walker {
public:
    Walker(SpaceTree &into, const std::atomic<bool> *stopFlag) : tree(into), stop(stopFlag) {}
    ~Walker();
    Walker(const Walker &) = delete;
    Walker &operator=(const Walker &) = delete;

    // Fills the folder open at `fd` (not closed) into the node `top`, whose size holds the
    // folder's own blocks; each folder below gets its sums and marks, and `complete` as it ends
    // (unless it holds a linked file: see `holding`). False when stopped first.
    bool run(int fd, Index top);

    // What the caller settles once the walk has ended: every name of a file with several links
    // that the walk met, and the folders holding any, which complete then.
    std::vector<LinkSeen> met;
    std::vector<Index> holding;

    // The statx fields the walk reads.
    static constexpr unsigned statMask = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BLOCKS
                                         | STATX_MNT_ID | STATX_SIZE | STATX_MTIME;
    static FileId fileId(const struct statx &st);
    static qint64 allocated(const struct statx &st);
    // The modification time in whole seconds, as a node holds it.
    static std::uint32_t modified(const struct statx &st);

private:
    struct Folder;
    // A folder found and not opened yet: its parent stays open until then.
    struct Pending {
        std::shared_ptr<Folder> parent;
        Index node = noEntry;
        std::string name;
    };
    // A folder being walked: what it still waits for (its listing, chunks of it being filled in,
    // its folders), and whether a linked file lies below it.
    struct Open {
        std::uint32_t waiting = 1;
        bool linkedBelow = false;
    };
    struct Listing;
    // One worker's buffers.
    struct Scratch;

    void work();
    // The next thing to do: a folder to read on, else one to open; nothing when all is done or
    // the walk was stopped. Lock held.
    bool next(std::unique_lock<std::mutex> &held, std::shared_ptr<Folder> &read, Pending &open);
    // Opens the folder and reads it as far as its own mark needs.
    void open(Pending &item, Scratch &scratch);
    // Reads what the folder's first listing calls give and fills it in.
    void start(const std::shared_ptr<Folder> &folder, Scratch &scratch);
    // Reads one more part of the folder's listing and fills it in.
    void readOn(const std::shared_ptr<Folder> &folder, Scratch &scratch);
    // Gives the entries of the listing indices (in listing order) and room for their records
    // and names; they stay out of the tree until `fill`. Lock held.
    void reserve(Index folder, Listing &listing);
    // Reads each entry's statx and puts it into the tree under `folder`.
    void fill(const std::shared_ptr<Folder> &folder, Listing &listing, Scratch &scratch);
    // One thing the folder waited for is done; when nothing is left it ends, and so on upwards.
    // Lock held.
    void finish(Index folder);

    SpaceTree &tree;
    const std::atomic<bool> *stop;
    Index top = noEntry;
    // The tree's as the walk starts, read by the workers without its lock.
    std::map<FileId, MarkAt> marked;
    std::set<FileId> kept;
    std::uint64_t rootDevice = 0;
    std::uint64_t rootMount = 0;
    bool ended = false;
    // Guarded by the tree's lock.
    std::condition_variable wake;
    std::vector<std::shared_ptr<Folder>> active;
    std::vector<Pending> pending;
    std::unordered_map<Index, Open> opens;
    int working = 0;
};

} // namespace Engine
