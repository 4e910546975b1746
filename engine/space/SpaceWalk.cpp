#include "SpaceWalk.h"

#include "Paths.h"
#include "ProcessLimits.h"
#include "WorkCount.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace Engine {

namespace {

constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int statFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
constexpr std::size_t chunkBytes = 32 * 1024;

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

// One part of a folder's listing, and where its entries go in the tree: indices, records and
// names taken under the tree's lock, filled in outside it.
struct SpaceTree::Walker::Listing {
    std::vector<char> bytes = std::vector<char>(chunkBytes);
    std::vector<std::string_view> names; // into `bytes`
    Index first = noEntry;
    // A part of the listing holds fewer entries than a page, so it crosses one page end at most.
    std::span<Node> nodes[2];
    NameArena::Room room;
    // 24 bytes is the shortest a listed entry can be.
    static_assert(chunkBytes / 24 < decltype(SpaceTree::nodes)::perPage);

    // Reads the next part; false when the listing has ended (or cannot be read on).
    bool readOn(int fd)
    {
        names.clear();
        const long got = syscall(SYS_getdents64, fd, bytes.data(), bytes.size());
        for (long offset = 0; offset < got;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(bytes.data() + offset);
            offset += entry->d_reclen;
            if (!isDotOrDotDot(entry->d_name))
                names.emplace_back(entry->d_name);
        }
        return got > 0;
    }
    Node &node(std::size_t i)
    {
        return i < nodes[0].size() ? nodes[0][i] : nodes[1][i - nodes[0].size()];
    }
};

struct SpaceTree::Walker::Scratch {
    Listing first;
    Listing second;
    std::vector<Pending> found;
    std::vector<std::pair<std::size_t, FileId>> linkedFiles; // by place in the listing
    std::vector<std::pair<std::size_t, qint64>> figured;     // marked in part, with the figure
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

std::uint32_t SpaceTree::Walker::modified(const struct statx &st)
{
    return static_cast<std::uint32_t>(std::clamp<qint64>(st.stx_mtime.tv_sec, 0, UINT32_MAX));
}

bool SpaceTree::Walker::run(int fd, Index at)
{
    if (stopRequested(stop))
        return false;
    top = at;
    {
        std::lock_guard held(tree.lock);
        marked = tree.marked;
        kept = tree.keptFolders;
        rootDevice = tree.rootDevice;
        rootMount = tree.rootMount;
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
    if (error == ENOENT) { // gone since the listing
        node.size = 0;
        node.apparent = 0;
    } else {
        node.flags |= isUnreadable;
    }
    tree.settleMarks(item.node);
    node.flags |= isComplete;
    tree.walkedBytes.fetch_add(node.size, std::memory_order_relaxed);
    countMeasured(0, node.size);
    takeIn(tree.nodes[node.parent], node);
    finish(node.parent);
}

void SpaceTree::Walker::start(const std::shared_ptr<Folder> &folder, Scratch &scratch)
{
    // A folder whose second part is empty is listed; one with more is read on by every worker.
    const bool first = scratch.first.readOn(folder->fd);
    const bool second = first && scratch.second.readOn(folder->fd);
    {
        std::lock_guard held(tree.lock);
        Node &node = tree.nodes[folder->node];
        if (folder->owned) { // the top's own blocks were counted by the caller
            tree.walkedBytes.fetch_add(node.size, std::memory_order_relaxed);
            countMeasured(0, node.size);
        }
        if (first)
            reserve(folder->node, scratch.first);
        if (second)
            reserve(folder->node, scratch.second);
        if (second) {
            active.push_back(folder);
            wake.notify_all();
        } else {
            folder->listed = true;
            finish(folder->node);
        }
    }
    if (first)
        fill(folder, scratch.first, scratch);
    if (second)
        fill(folder, scratch.second, scratch);
}

void SpaceTree::Walker::readOn(const std::shared_ptr<Folder> &folder, Scratch &scratch)
{
    bool got = false;
    {
        std::lock_guard reading(folder->reading);
        if (folder->listed)
            return;
        got = scratch.first.readOn(folder->fd);
        std::lock_guard held(tree.lock);
        if (got) {
            reserve(folder->node, scratch.first);
        } else {
            folder->listed = true;
            std::erase(active, folder);
            finish(folder->node);
        }
    }
    if (got)
        fill(folder, scratch.first, scratch);
}

void SpaceTree::Walker::reserve(Index folder, Listing &listing)
{
    const std::size_t count = listing.names.size();
    listing.first = static_cast<Index>(tree.nodes.grow(count));
    listing.nodes[0] = listing.nodes[1] = {};
    if (count > 0) {
        listing.nodes[0] = tree.nodes.run(listing.first, count);
        if (const std::size_t rest = count - listing.nodes[0].size(); rest > 0)
            listing.nodes[1] = tree.nodes.run(listing.first + listing.nodes[0].size(), rest);
    }
    listing.room = tree.names.take(listing.names);
    ++opens[folder].waiting; // the part, until it is filled in
}

void SpaceTree::Walker::fill(const std::shared_ptr<Folder> &folder, Listing &listing,
                             Scratch &scratch)
{
    // Everything but the links into the tree and the counts that other workers touch is made
    // here, outside the lock: the records are this worker's until they are linked in.
    const Index self = folder->node;
    std::vector<Pending> &found = scratch.found;
    auto &linkedFiles = scratch.linkedFiles;
    auto &figured = scratch.figured;
    found.clear();
    linkedFiles.clear();
    figured.clear();
    Index chain = noEntry; // the entries read, each pointing at the one read before
    Index last = noEntry;
    qint64 files = 0;
    qint64 filesApparent = 0;
    qint64 entries = 0;
    qint64 denied = 0; // counted all the same, as `find` lists them
    std::uint32_t newest = 0;
    for (std::size_t i = 0; i < listing.names.size(); ++i) {
        const std::string_view name = listing.names[i];
        Node &node = listing.node(i);
        node.nameLength =
            static_cast<std::uint16_t>(std::min<std::size_t>(name.size(), UINT16_MAX));
        node.nameOffset = listing.room.put(name.substr(0, node.nameLength));
        struct statx st {};
        // Gone since the listing: nothing to count, its index stays unused. A folder that can
        // be listed but not entered says its entries, not what they hold: it is unreadable.
        if (statx(folder->fd, name.data(), statFlags, statMask, &st) != 0) {
            denied += errno == EACCES ? 1 : 0;
            continue;
        }
        ++entries;
        const Index index = listing.first + static_cast<Index>(i);
        const FileId id = fileId(st);
        node.parent = self;
        node.size = allocated(st);
        node.apparent = static_cast<qint64>(st.stx_size);
        node.newest = modified(st);
        newest = std::max(newest, node.newest);
        node.inode = static_cast<std::uint32_t>(st.stx_ino);
        node.nextSibling = chain;
        chain = index;
        if (last == noEntry)
            last = index;
        if (S_ISDIR(st.stx_mode))
            node.flags |= isFolder;
        if (const auto mark = marked.find(id); mark != marked.end()) {
            node.kind = mark->second.kind;
            if (mark->second.frees) {
                node.flags |= isPartial;
                figured.emplace_back(i, *mark->second.frees);
            }
            if (kept.contains(id))
                node.flags |= isKept;
        }
        if (onOtherMount(st, rootDevice, rootMount)) {
            // Listed with its own time, as `find -xdev` lists it; nothing of it counted.
            node.flags |= isOtherMount | isComplete;
            node.size = 0;
            node.apparent = 0;
        } else if (node.flags & isFolder) {
            found.push_back({folder, index, std::string(name)});
        } else {
            node.flags |= isComplete;
            if (st.stx_nlink > 1) {
                linkedFiles.emplace_back(i, id); // where it counts is decided under the lock
            } else {
                files += node.size;
                filesApparent += node.apparent;
            }
        }
    }

    {
        std::lock_guard held(tree.lock);
        Node &parent = tree.nodes[self];
        if (denied > 0)
            parent.flags |= isUnreadable;
        const std::uint8_t inherited = inheritedFlags(parent);
        if (inherited != 0) {
            for (Index at = chain; at != noEntry; at = tree.nodes[at].nextSibling)
                tree.nodes[at].flags |= inherited;
        }
        for (const auto &[i, bytes] : figured)
            tree.figures[listing.first + static_cast<Index>(i)] = bytes;
        Open &open = opens[self];
        for (const auto &[i, id] : linkedFiles) {
            // Counted at the first name met for now; where `du` counts it is settled at the end.
            const Index index = listing.first + static_cast<Index>(i);
            Node &node = listing.node(i);
            met.push_back({id, index});
            open.linkedBelow = true;
            if (tree.linked.try_emplace(id, index).second) {
                files += node.size;
                filesApparent += node.apparent;
            } else {
                node.size = 0;
                node.apparent = 0;
            }
        }
        if (chain != noEntry) {
            tree.nodes[last].nextSibling = parent.firstChild;
            parent.firstChild = chain;
        }
        parent.size += files;
        parent.apparent += filesApparent;
        parent.count += static_cast<std::uint32_t>(entries + denied);
        parent.newest = std::max(parent.newest, newest);
        open.waiting += static_cast<std::uint32_t>(found.size());
        std::move(found.begin(), found.end(), std::back_inserter(pending));
        finish(self);
    }
    tree.walkedEntries.fetch_add(entries, std::memory_order_relaxed);
    tree.walkedBytes.fetch_add(files, std::memory_order_relaxed);
    countMeasured(entries, files);
    for (std::size_t i = 0; i < std::min<std::size_t>(found.size(), 32); ++i)
        wake.notify_one();
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
            if (!(tree.nodes[child].flags & isFolder))
                tree.settleMarks(child);
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
        takeIn(tree.nodes[parent], node);
        if (linkedBelow)
            opens[parent].linkedBelow = true;
        folder = parent;
    }
}

} // namespace Engine
