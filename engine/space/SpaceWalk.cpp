#include "SpaceWalk.h"

#include "CacheDirTag.h"
#include "Paths.h"
#include "ProcessLimits.h"
#include "WorkCount.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace Engine {

namespace {

constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int statFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
constexpr std::size_t chunkBytes = 32 * 1024;

// Calls `use` with each name the listing in `bytes` holds, in order.
template<typename Use> void eachName(const std::vector<char> &bytes, long got, Use use)
{
    for (long offset = 0; offset < got;) {
        const auto *entry = reinterpret_cast<const dirent64 *>(bytes.data() + offset);
        offset += entry->d_reclen;
        if (!isDotOrDotDot(entry->d_name))
            use(entry->d_name);
    }
}

long listOn(int fd, std::vector<char> &into)
{
    return syscall(SYS_getdents64, fd, into.data(), into.size());
}

} // namespace

// An open folder being read. Several workers may read on in it: the kernel gives each
// getdents64 call the next part of the listing, and `reading` keeps those parts and the indices
// they take in order. Closed when the last holder lets go.
struct SpaceTree::Walker::Folder {
    Folder(int descriptor, Index at, bool own) : fd(descriptor), node(at), owned(own) {}
    ~Folder()
    {
        if (owned)
            close(fd);
    }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    const int fd;
    const Index node;
    const bool owned;
    std::mutex reading;
    bool listed = false; // guarded by `reading`
    int readers = 0;     // guarded by the tree's lock
};

struct SpaceTree::Walker::Stat {
    SpaceTree::FileId id;
    std::uint64_t mount = 0;
    qint64 bytes = 0;
    std::uint32_t links = 0;
    std::uint16_t mode = 0;
    bool hasMount = false;
    bool read = false;
};

struct SpaceTree::Walker::Scratch {
    std::vector<char> first = std::vector<char>(chunkBytes);
    std::vector<char> second = std::vector<char>(chunkBytes);
    std::vector<Stat> stats;
};

SpaceTree::Walker::~Walker() = default;

SpaceTree::FileId SpaceTree::Walker::fileId(const struct statx &st)
{
    return {makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino};
}

qint64 SpaceTree::Walker::allocated(const struct statx &st)
{
    return static_cast<qint64>(st.stx_blocks) * 512;
}

bool SpaceTree::Walker::run(int fd, Index at)
{
    if (stopRequested(stop))
        return false;
    top = at;
    {
        std::lock_guard held(tree.lock);
        opens[top] = Open{};
        ++working; // the top's first listing, which the helpers wait for
    }
    // The helpers start first, so a huge top folder is read by all of them at once.
    const unsigned helpers = walkThreads() - 1;
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (unsigned i = 0; i < helpers; ++i)
        threads.emplace_back([this] { work(); });
    {
        Scratch scratch;
        start(std::make_shared<Folder>(fd, top, false), scratch);
    }
    {
        std::lock_guard held(tree.lock);
        --working;
        wake.notify_all();
    }
    work();
    for (std::thread &thread : threads)
        thread.join();
    std::lock_guard held(tree.lock);
    return ended;
}

void SpaceTree::Walker::work()
{
    Scratch scratch;
    std::shared_ptr<Folder> reading;
    Pending opening;
    std::unique_lock held(tree.lock);
    while (next(held, reading, opening)) {
        ++working;
        if (reading)
            ++reading->readers;
        held.unlock();
        if (reading)
            readOn(reading, scratch);
        else
            open(opening, scratch);
        held.lock();
        --working;
        if (reading)
            --reading->readers;
        reading.reset();
        opening = {};
        if (working == 0)
            wake.notify_all();
    }
}

bool SpaceTree::Walker::next(std::unique_lock<std::mutex> &held, std::shared_ptr<Folder> &read,
                             Pending &open)
{
    for (;;) {
        if (stopRequested(stop)) {
            wake.notify_all();
            return false;
        }
        // An open folder no one reads, else a new one, else one others read (a huge folder is
        // read by all): folders of their own keep the workers' reads from waiting on each other.
        for (auto it = active.rbegin(); it != active.rend(); ++it) {
            if ((*it)->readers == 0) {
                read = *it;
                return true;
            }
        }
        if (!pending.empty()) {
            open = std::move(pending.back());
            pending.pop_back();
            return true;
        }
        if (!active.empty()) {
            read = active.back();
            return true;
        }
        if (working == 0) {
            wake.notify_all();
            return false;
        }
        wake.wait(held);
    }
}

void SpaceTree::Walker::open(Pending &item, Scratch &scratch)
{
    const int fd = openat(item.parent->fd, item.name.c_str(), dirFlags);
    const int error = errno;
    item.parent.reset(); // its descriptor goes once its last folder is open
    if (fd >= 0) {
        start(std::make_shared<Folder>(fd, item.node, true), scratch);
        return;
    }
    std::lock_guard held(tree.lock);
    Node &node = tree.nodes[item.node];
    if (error == ENOENT)
        node.size = 0; // gone since the listing
    else
        node.flags |= isUnreadable;
    tree.settleMarks(item.node);
    node.flags |= isComplete;
    tree.walkedBytes.fetch_add(node.size, std::memory_order_relaxed);
    countMeasured(0, node.size);
    tree.nodes[node.parent].size += node.size;
    finish(node.parent);
}

void SpaceTree::Walker::start(const std::shared_ptr<Folder> &folder, Scratch &scratch)
{
    // The folder's mark comes before its entries, which take it over: from its first listing
    // when that is all of it, else by looking for the tag.
    const long first = listOn(folder->fd, scratch.first);
    const long second = first > 0 ? listOn(folder->fd, scratch.second) : 0;
    bool named = second > 0;
    if (!named) {
        eachName(scratch.first, first, [&named](const char *name) {
            named = named || std::strcmp(name, "CACHEDIR.TAG") == 0;
        });
    }
    const bool tagged = named && hasCacheDirTag(folder->fd);
    Index firstAt = noEntry;
    Index secondAt = noEntry;
    {
        std::lock_guard held(tree.lock);
        Node &node = tree.nodes[folder->node];
        if (folder->owned) { // the top's own blocks were counted by the caller
            tree.walkedBytes.fetch_add(node.size, std::memory_order_relaxed);
            countMeasured(0, node.size);
        }
        const bool covered = (node.flags & (isCovered | isKept)) || node.kind != SpaceKind::none;
        if (tagged && !covered)
            node.kind = SpaceKind::cacheTag;
        if (first > 0)
            firstAt = reserve(folder->node, scratch.first, first);
        if (second > 0)
            secondAt = reserve(folder->node, scratch.second, second);
        if (second > 0) {
            active.push_back(folder);
            wake.notify_all();
        } else {
            folder->listed = true;
            finish(folder->node);
        }
    }
    if (first > 0)
        fill(folder, scratch.first, first, firstAt, scratch);
    if (second > 0)
        fill(folder, scratch.second, second, secondAt, scratch);
}

void SpaceTree::Walker::readOn(const std::shared_ptr<Folder> &folder, Scratch &scratch)
{
    long got = 0;
    Index at = noEntry;
    {
        std::lock_guard reading(folder->reading);
        if (folder->listed)
            return;
        got = listOn(folder->fd, scratch.first);
        std::lock_guard held(tree.lock);
        if (got > 0) {
            at = reserve(folder->node, scratch.first, got);
        } else {
            folder->listed = true;
            std::erase(active, folder);
            finish(folder->node);
        }
    }
    if (got > 0)
        fill(folder, scratch.first, got, at, scratch);
}

SpaceTree::Index SpaceTree::Walker::reserve(Index folder, const std::vector<char> &bytes, long got)
{
    std::size_t count = 0;
    eachName(bytes, got, [&count](const char *) { ++count; });
    const auto first = static_cast<Index>(tree.nodes.grow(count));
    Index at = first;
    eachName(bytes, got, [this, &at](const char *name) {
        Node &node = tree.nodes[at++];
        const std::string_view text(name);
        node.nameLength =
            static_cast<std::uint16_t>(std::min<std::size_t>(text.size(), UINT16_MAX));
        node.nameOffset = tree.names.add(text.substr(0, node.nameLength));
    });
    ++opens[folder].waiting; // the chunk, until it is filled in
    return first;
}

void SpaceTree::Walker::fill(const std::shared_ptr<Folder> &folder, const std::vector<char> &bytes,
                             long got, Index first, Scratch &scratch)
{
    std::vector<Stat> &stats = scratch.stats;
    stats.clear();
    eachName(bytes, got, [&folder, &stats](const char *name) {
        struct statx st {};
        Stat item;
        // Gone since the listing: nothing to count, its index stays unused.
        if (statx(folder->fd, name, statFlags, statMask, &st) == 0) {
            item.id = fileId(st);
            item.mount = st.stx_mnt_id;
            item.hasMount = st.stx_mask & STATX_MNT_ID;
            item.bytes = allocated(st);
            item.links = st.stx_nlink;
            item.mode = st.stx_mode;
            item.read = true;
        }
        stats.push_back(item);
    });

    const Index self = folder->node;
    std::lock_guard held(tree.lock);
    const Node &parent = tree.nodes[self];
    const bool childCovered =
        (parent.flags & (isCovered | isKept)) || parent.kind != SpaceKind::none;
    const bool childInside = wholeReclaimable(parent);
    Open &open = opens[self];
    qint64 files = 0;
    qint64 entries = 0;
    int found = 0; // folders, each for a worker
    for (std::size_t i = 0; i < stats.size(); ++i) {
        const Stat &item = stats[i];
        if (!item.read)
            continue;
        ++entries;
        const Index index = first + static_cast<Index>(i);
        Node &node = tree.nodes[index];
        node.parent = self;
        node.size = item.bytes;
        if (S_ISDIR(item.mode))
            node.flags |= isFolder;
        const bool otherMount =
            item.id.first != tree.rootDevice
            || (item.hasMount && tree.rootMount != 0 && item.mount != tree.rootMount);
        if (otherMount) {
            node.flags |= isOtherMount | isComplete;
            node.size = 0;
        }
        if (childCovered)
            node.flags |= isCovered;
        if (childInside)
            node.flags |= isInsideMark;
        if (const auto mark = tree.marked.find(item.id); mark != tree.marked.end())
            node.kind = mark->second;
        if (node.kind != SpaceKind::none && tree.keptFolders.contains(item.id))
            node.flags |= isKept;
        node.nextSibling = tree.nodes[self].firstChild;
        tree.nodes[self].firstChild = index;
        if (otherMount)
            continue;
        if (node.flags & isFolder) {
            ++open.waiting;
            pending.push_back({folder, index, std::string(tree.nameOf(node))});
            ++found;
            continue;
        }
        node.flags |= isComplete;
        if (item.links > 1) {
            // Counted at the first name met for now; where `du` counts it is settled at the end.
            met.push_back({item.id, index});
            open.linkedBelow = true;
            if (!tree.linked.try_emplace(item.id, index).second) {
                node.size = 0;
                continue;
            }
        }
        files += node.size;
    }
    tree.nodes[self].size += files;
    tree.walkedEntries.fetch_add(entries, std::memory_order_relaxed);
    tree.walkedBytes.fetch_add(files, std::memory_order_relaxed);
    countMeasured(entries, files);
    for (int i = 0; i < std::min(found, 32); ++i)
        wake.notify_one();
    finish(self);
}

void SpaceTree::Walker::finish(Index folder)
{
    for (;;) {
        Open &open = opens[folder];
        if (--open.waiting > 0)
            return;
        const bool linkedBelow = open.linkedBelow;
        opens.erase(folder);
        Node &node = tree.nodes[folder];
        for (Index child = node.firstChild; child != noEntry;
             child = tree.nodes[child].nextSibling) {
            Node &inner = tree.nodes[child];
            if (!(inner.flags & isFolder))
                inner.reclaimable = wholeReclaimable(inner) ? inner.size : 0;
        }
        tree.settleMarks(folder);
        if (linkedBelow)
            holding.push_back(folder);
        else
            node.flags |= isComplete;
        if (folder == top) {
            ended = true;
            wake.notify_all();
            return;
        }
        const Index parent = node.parent;
        tree.nodes[parent].size += node.size;
        if (linkedBelow)
            opens[parent].linkedBelow = true;
        folder = parent;
    }
}

} // namespace Engine
