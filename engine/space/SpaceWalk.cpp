#include "SpaceWalk.h"

#include "CacheDirTag.h"
#include "WorkCount.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace Engine {

namespace {

constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int statFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

SpaceTree::FileId SpaceTree::Walker::fileId(const struct statx &st)
{
    return {makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino};
}

qint64 SpaceTree::Walker::allocated(const struct statx &st)
{
    return static_cast<qint64>(st.stx_blocks) * 512;
}

bool SpaceTree::Walker::list(int fd, std::vector<Listed> &into)
{
    for (;;) {
        if (stopRequested(stop))
            return false;
        const long got = syscall(SYS_getdents64, fd, buffer.data(), buffer.size());
        if (got <= 0)
            return true;
        for (long offset = 0; offset < got;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer.data() + offset);
            offset += entry->d_reclen;
            if (isDotOrDotDot(entry->d_name))
                continue;
            Listed item{entry->d_name, {}};
            // Gone since the listing: nothing to count.
            if (statx(fd, entry->d_name, statFlags, statMask, &item.st) == 0)
                into.push_back(std::move(item));
        }
    }
}

void SpaceTree::Walker::folder(int fd, Index self)
{
    std::vector<Listed> entries;
    const bool listed = list(fd, entries);
    const bool tagged =
        std::any_of(entries.begin(), entries.end(),
                    [](const Listed &item) {
                        return item.name == "CACHEDIR.TAG" && S_ISREG(item.st.stx_mode);
                    })
        && hasCacheDirTag(fd);

    // The entries enter the tree at once, so that a view sees them while their folders are
    // walked.
    std::vector<Index> made;
    made.reserve(entries.size());
    {
        std::lock_guard held(tree.lock);
        Node &parent = tree.nodes[self];
        const bool covered =
            (parent.flags & (isCovered | isKept)) || parent.kind != SpaceKind::none;
        if (tagged && !covered)
            parent.kind = SpaceKind::cacheTag;
        const bool childCovered = covered || parent.kind != SpaceKind::none;
        const bool childInside = wholeReclaimable(parent);
        for (const Listed &item : entries) {
            Node node;
            node.parent = self;
            node.nameOffset = static_cast<std::uint32_t>(tree.names.size());
            node.nameLength =
                static_cast<std::uint16_t>(std::min<std::size_t>(item.name.size(), UINT16_MAX));
            tree.names.append(item.name, 0, node.nameLength);
            const FileId id = fileId(item.st);
            if (S_ISDIR(item.st.stx_mode))
                node.flags |= isFolder;
            const bool otherMount = id.first != tree.rootDevice
                                    || ((item.st.stx_mask & STATX_MNT_ID) && tree.rootMount != 0
                                        && item.st.stx_mnt_id != tree.rootMount);
            if (otherMount)
                node.flags |= isOtherMount | isComplete;
            else
                node.size = allocated(item.st);
            if (childCovered)
                node.flags |= isCovered;
            if (childInside)
                node.flags |= isInsideMark;
            if (const auto mark = tree.marked.find(id); mark != tree.marked.end())
                node.kind = mark->second;
            if (node.kind != SpaceKind::none && tree.keptFolders.contains(id))
                node.flags |= isKept;
            if (!(node.flags & isFolder))
                node.flags |= isComplete;
            node.nextSibling = tree.nodes[self].firstChild;
            const Index index = static_cast<Index>(tree.nodes.size());
            tree.nodes[self].firstChild = index; // `parent` may move with the push
            tree.nodes.push_back(node);
            made.push_back(index);
        }
    }
    tree.walkedEntries.fetch_add(static_cast<qint64>(entries.size()), std::memory_order_relaxed);
    countMeasured(static_cast<qint64>(entries.size()), 0);

    bool stopped = !listed;
    qint64 waiting = 0; // files' bytes not yet added to the folder
    auto flush = [this, self, &waiting] {
        if (waiting == 0)
            return;
        std::lock_guard held(tree.lock);
        tree.nodes[self].size += waiting;
        tree.walkedBytes.fetch_add(waiting, std::memory_order_relaxed);
        countMeasured(0, waiting);
        waiting = 0;
    };
    for (std::size_t i = 0; i < entries.size() && !stopped; ++i) {
        const Listed &item = entries[i];
        const Index index = made[i];
        const Node &node = tree.nodes[index]; // only this thread writes: read without the lock
        if (node.flags & isOtherMount)
            continue;
        if (!(node.flags & isFolder)) {
            if (item.st.stx_nlink > 1) {
                // Counted where the walk met it first, as `du` does.
                const auto [at, first] = tree.linked.try_emplace(fileId(item.st), index);
                if (!first) {
                    std::lock_guard held(tree.lock);
                    tree.nodes[index].size = 0;
                    continue;
                }
            }
            waiting += node.size;
            continue;
        }
        flush();
        const int child = openat(fd, item.name.c_str(), dirFlags);
        if (child < 0) {
            std::lock_guard held(tree.lock);
            Node &unread = tree.nodes[index];
            if (errno == ENOENT)
                unread.size = 0;
            else
                unread.flags |= isUnreadable;
            unread.flags |= isComplete;
            tree.nodes[self].size += unread.size;
            tree.walkedBytes.fetch_add(unread.size, std::memory_order_relaxed);
            continue;
        }
        tree.walkedBytes.fetch_add(node.size, std::memory_order_relaxed);
        countMeasured(0, node.size);
        folder(child, index);
        close(child);
        std::lock_guard held(tree.lock);
        tree.nodes[self].size += tree.nodes[index].size;
        stopped = !(tree.nodes[index].flags & isComplete);
    }
    flush();

    std::lock_guard held(tree.lock);
    for (const Index index : made) {
        Node &child = tree.nodes[index];
        if (!(child.flags & isFolder))
            child.reclaimable = wholeReclaimable(child) ? child.size : 0;
    }
    tree.settleMarks(self);
    if (!stopped)
        tree.nodes[self].flags |= isComplete;
}

} // namespace Engine
