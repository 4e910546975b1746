#pragma once

#include "SpaceMarks.h"
#include "SpacePages.h"
#include "Stop.h"

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct statx; // <sys/stat.h>

namespace Engine {

// What fills a folder: every entry below it with its allocated bytes, counted as `du -x -B1`
// counts them (st_blocks × 512; a folder's own blocks; a file with several hard links once, where
// `du`'s depth-first traversal meets it first; links never followed; other file systems mounted
// inside recorded but not entered), and what of it rebuilds by itself. Beside the bytes, each
// folder holds its apparent size (the same way, of st_size), how many entries lie below it and
// the newest modification time in it.
//
// Compact, since a home holds millions of entries: names lie once in pages of bytes and nodes
// are fixed records in pages that point into them and at each other by index, 56 bytes an entry
// besides its name.
//
// The walk fills the tree while it runs; every other member may be called meanwhile from any
// thread (one lock guards the nodes). A folder's size is final once it is `complete`; until then
// it holds what was counted so far. Folders are walked in parallel, so which name of a linked
// file counts is known only at the end: a folder holding such a file completes then.
class SpaceTree {
public:
    using Index = std::uint32_t;
    static constexpr Index noEntry = UINT32_MAX;
    static constexpr Index rootIndex = 0;

    // One entry as the views read it.
    struct Entry {
        Index index = noEntry;
        Index parent = noEntry;
        std::string name; // the root's is its whole path
        qint64 size = 0;
        qint64 reclaimable = 0; // the part of `size` in marked folders
        // The bytes its files hold (st_size, as `du --apparent-size -B1` sums them: a folder's
        // own and a linked file's once, where `size` counts them).
        qint64 apparent = 0;
        qint64 count = 0; // entries below it, every name, as `find FOLDER -mindepth 1` counts
        // The newest modification time of it and below it, in seconds: a time before 1970 is 0,
        // one after 2106 that year's last second.
        qint64 newest = 0;
        SpaceKind kind = SpaceKind::none;
        bool folder = false;
        bool otherMount = false; // another file system mounted here: not entered, size 0
        bool unreadable = false; // a folder that could not be opened: its own blocks only
        bool complete = false;   // a folder whose walk has ended (anything else: always)
        bool kept = false;       // a marked place the user keeps out of the marks
    };

    using FileId = std::pair<std::uint64_t, std::uint64_t>; // device, inode

    // One entry of a scan saved by another program (see NcduFormat), as read.
    struct Scanned {
        std::string_view name; // the root's is the path it was scanned at
        qint64 size = 0;       // allocated bytes
        qint64 apparent = 0;
        qint64 mtime = 0; // seconds; 0 when not saved
        bool folder = false;
        bool otherMount = false;
        bool unreadable = false;
        // A file with several names: counted once, where `du` meets it first.
        std::optional<FileId> link;
    };

    struct Progress {
        qint64 entries = 0;
        qint64 bytes = 0;
        bool done = false;
    };

    explicit SpaceTree(std::filesystem::path root);
    SpaceTree(const SpaceTree &) = delete;
    SpaceTree &operator=(const SpaceTree &) = delete;

    const std::filesystem::path &root() const { return rootPath; }

    // Walks the root, filling the tree; `marks` are the places other panes clean, `kept` the
    // folders the user keeps out of the marks. Returns when the walk is done or `stop` was set
    // (then folders not walked stay incomplete). False when the root cannot be opened as a
    // folder. Blocks: never on the main thread. Call once.
    bool walk(const std::vector<SpaceMark> &marks,
              const std::vector<std::filesystem::path> &kept = {},
              const std::atomic<bool> *stop = currentStop());

    // What the walk has counted so far, or, once a folder is measured again, what that measure
    // has; `done` once the walk has ended.
    Progress progress() const;

    // The entry, or an empty one (index noEntry) for an index the tree does not hold (any more:
    // an entry taken out with a folder measured again).
    Entry entry(Index index) const;
    // The entries in a folder, the largest first (names breaking ties).
    std::vector<Entry> children(Index folder) const;
    // The entry's path: the root's path and the names down to it; empty for an entry the tree
    // no longer holds.
    std::filesystem::path path(Index index) const;
    // The entry at `path` (the root or below it, by names); nothing when the tree has none there.
    std::optional<Index> find(const std::filesystem::path &path) const;

    // What the reclaimable part of the entry is: the bytes of each kind of mark in it, the
    // largest first. An entry inside a marked folder is all of that folder's kind.
    std::vector<std::pair<SpaceKind, qint64>> reclaimableParts(Index index) const;

    // Measures the folder again after something changed in it; only that folder is walked, its
    // folders above take the difference. A folder that is gone leaves the tree. False when the
    // index is no folder of the tree. Blocks.
    bool remeasure(Index folder);
    // Measures again what lies at `path` in the root: that entry alone, or, when the tree has no
    // entry there (made since the walk), the first folder on the way it lacks. False when
    // nothing there could be measured. Blocks.
    bool measure(const std::filesystem::path &path);
    // Whether the entry is still what was measured there: its folders opened down from the root
    // without following a link, and it of the same kind and inode, not a link put in its place.
    bool stillAsMeasured(Index index) const;
    // The places other panes clean, asked again after a clean: an entry measured again from now
    // on takes its mark from them.
    void setMarks(const std::vector<SpaceMark> &marks);
    // Takes the entry out of the tree (moved away) and its bytes and entries out of the folders
    // above, whose newest times are read again. Blocks on a stat of each.
    void forget(Index index);
    // Keeps the marked entry out of the marks, or takes it back; its folders above follow.
    void setKept(Index index, bool kept);

    // A tree of a scan saved elsewhere, built entry by entry rather than walked: `addScanned`
    // adds each entry to its folder, folders before what they hold, and `endScan` sums the
    // folders and completes them. Nothing on disk is its: such a tree is never walked or
    // measured again, and `stillAsMeasured` is false for every entry.
    static std::unique_ptr<SpaceTree> fromScan(const Scanned &root);
    Index addScanned(Index folder, const Scanned &entry);
    void endScan();
    bool isScan() const { return scan; }
    // The files with several names, each by the one name it counts at (its others count
    // nothing), for an export to say so.
    std::map<Index, FileId> countedLinks() const;

    // Memory the tree holds now, for the bench's per-entry figure.
    std::size_t memoryBytes() const;

private:
    struct Node {
        qint64 size = 0;
        qint64 reclaimable = 0;
        Index parent = noEntry;
        Index firstChild = noEntry;
        Index nextSibling = noEntry;
        std::uint32_t nameOffset = 0;
        // The inode number's low bits, in what would be padding: where a linked file's other
        // names lie, when only a part of the tree is walked again.
        std::uint32_t inode = 0;
        std::uint16_t nameLength = 0;
        SpaceKind kind = SpaceKind::none;
        std::uint8_t flags = 0;
        qint64 apparent = 0;
        std::uint32_t count = 0;
        std::uint32_t newest = 0; // seconds, until 2106; earlier than 1970 is 0
    };
    static_assert(sizeof(Node) == 56, "an entry's record stays 56 bytes");
    enum Flag : std::uint8_t {
        isFolder = 1,
        isOtherMount = 2,
        isUnreadable = 4,
        isComplete = 8,
        isKept = 16,
        isInsideMark = 32, // lies inside a marked folder that is not kept: all of it comes back
        isPartial = 64,    // marked, and its clean takes only its figure (`figures`) of it
    };
    struct MarkAt {
        SpaceKind kind = SpaceKind::none;
        std::optional<qint64> frees;
    };
    // What an entry takes over from the folder it lies in: all of it comes back when that
    // folder's does.
    static std::uint8_t inheritedFlags(const Node &parent)
    {
        return wholeReclaimable(parent) ? isInsideMark : 0;
    }
    // Whether the entry `st` lies on another file system than the root (`device`, `mount`),
    // a bind mount of the same one included.
    static bool onOtherMount(const struct ::statx &st, std::uint64_t device, std::uint64_t mount);
    // Whether all of the node comes back: it is marked whole and not kept, or lies in such a
    // folder.
    static bool wholeReclaimable(const Node &node)
    {
        return (node.kind != SpaceKind::none && !(node.flags & (isKept | isPartial)))
               || (node.flags & isInsideMark);
    }
    class Walker;
    friend class Walker;

    Entry entryLocked(Index index) const;
    // The folder opened down from the root without following a link; -1 (errno EINVAL when it
    // is no folder of the tree).
    int openFolder(Index folder) const;
    // An entry for `name`, found in `folder` on disk since the walk, with its bytes counted in
    // the folders above (a folder's only once it is measured). Nothing when it is not there.
    std::optional<Index> addEntry(Index folder, const std::string &name);
    std::string_view nameOf(const Node &node) const;
    // The entry of `folder` called `name`; noEntry when none. Lock held.
    Index childNamed(Index folder, std::string_view name) const;
    // The entry's reclaimable part: all of it when marked whole, its figure when marked in part,
    // else what its children's are. Lock held.
    void settleMarks(Index folder);
    // The marks' places identified afresh, for what is walked next. Lock held.
    void identifyMarks();
    // Gives the entry its mark, or none, by its identity. Lock held.
    void markEntry(Index index, const FileId &id);
    // What an entry changes in each folder holding it: the sums move by the first three, the
    // newest time only ever rises (see `renewNewest` for what lowers it).
    struct Sums {
        qint64 size = 0;
        qint64 apparent = 0;
        qint64 count = 0;
        std::uint32_t newest = 0;
    };
    // The folder and each one above it take `change` and settle their marks. Lock held.
    void settleUpwards(Index folder, const Sums &change);
    void settleUpwards(Index folder, qint64 sizeDelta) { settleUpwards(folder, Sums{sizeDelta}); }
    // A folder takes in what a folder below it holds once that one's walk has ended (the entry
    // itself was counted when it was listed). Lock held.
    static void takeIn(Node &folder, const Node &below)
    {
        folder.size += below.size;
        folder.apparent += below.apparent;
        folder.count += below.count;
        folder.newest = std::max(folder.newest, below.newest);
    }
    // The newest time of the folder and of each one above it, again from their own times read
    // afresh and their entries': what was taken out of them may have held the newest. Blocks on
    // a stat of each; takes the lock.
    void renewNewest(Index folder);
    void detach(Index index);
    // `forget` but for the newest times above; gives the folder the entry lay in, or noEntry
    // when there is nothing to take out. Lock held.
    Index forgetLocked(Index index);
    bool inside(Index index, Index folder) const;
    // Whether the entry is still in the tree: its folders lead up to the root.
    bool attached(Index index) const;
    // Whether `a` comes before `b` where `du` lists the tree: depth first, each folder's
    // entries in listing order (that of their indices). Lock held.
    bool listedBefore(Index a, Index b) const;
    struct LinkSeen {
        FileId id;
        Index index;
    };
    // After a walk of `walked` that ended, each file met under several names (`met`) counts
    // once, where `du` meets it first, among those names and the file's names elsewhere in the
    // tree; the folders it passed through settle. Lock held.
    void settleLinks(std::vector<LinkSeen> &met, Index walked);
    // The names of the files `ids` (sorted) in the tree outside `folder`: found by their inode's
    // low bits, then looked at again. Lock held.
    std::vector<LinkSeen> namesElsewhere(const std::vector<FileId> &ids, Index folder) const;
    // The file counts `bytes` (and `apparent`) at the first of its names `at` in `du`'s order,
    // nothing at the others. Lock held.
    void countAtFirst(const FileId &id, std::vector<Index> at, qint64 bytes, qint64 apparent);
    // What a walk of `walked` that ended leaves to settle: its linked files, then the folders
    // holding them.
    void settleWalk(Walker &walker, Index walked);

    const std::filesystem::path rootPath;
    mutable std::mutex lock;
    PagedRecords<Node, 12> nodes;
    NameArena names;
    // Files with several links, where they are counted: only there, every other name of the file
    // counts nothing. Only such files come in, few in any tree.
    std::map<FileId, Index> linked;
    std::map<FileId, MarkAt> marked;
    // The marks as given: a place made after the walk (the Trash, by a move) is found again
    // when its folder is measured again.
    std::vector<SpaceMark> markPaths;
    // What the clean of an entry marked in part takes of it.
    std::map<Index, qint64> figures;
    std::set<FileId> keptFolders;
    std::uint64_t rootDevice = 0;
    std::uint64_t rootMount = 0;
    std::atomic<qint64> walkedEntries{0};
    std::atomic<qint64> walkedBytes{0};
    std::atomic<bool> walkDone{false};
    bool scan = false; // built by fromScan
};

// How a folder's entries are listed: the largest first (by disk use, or by apparent size),
// by name, by the number of entries below them (the most first), or by age (the newest first).
// Ties go by name.
enum class SpaceOrder { size, name, count, age };
void sortEntries(std::vector<SpaceTree::Entry> &entries, SpaceOrder order, bool apparent = false);
// The order named "size", "name", "count" or "age"; nothing for any other text.
std::optional<SpaceOrder> spaceOrderNamed(std::string_view name);

// The folder a walk of `given` looks at: `given`, or, when it is itself a link, the folder it
// leads to (as one who names a link means its folder); below it no link is ever followed.
struct SpaceRoot {
    std::filesystem::path folder;
    bool linked = false;
};
SpaceRoot spaceRoot(const std::filesystem::path &given);

} // namespace Engine
