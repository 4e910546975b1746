#include "SpaceTree.h"

#include "Paths.h"
#include "SpaceWalk.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace Engine {

namespace {

constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int statFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

// The identity of the thing at the path, the last link not followed.
std::optional<std::pair<std::uint64_t, std::uint64_t>> identityOf(const std::filesystem::path &path)
{
    struct statx st {};
    if (statx(AT_FDCWD, withoutTrailingSlash(path).c_str(), statFlags, STATX_INO, &st) != 0)
        return std::nullopt;
    return std::pair<std::uint64_t, std::uint64_t>{makedev(st.stx_dev_major, st.stx_dev_minor),
                                                   st.stx_ino};
}

} // namespace

SpaceRoot spaceRoot(const std::filesystem::path &given)
{
    const std::filesystem::path path = withoutTrailingSlash(given);
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return {path, false};
    const std::filesystem::path folder = std::filesystem::canonical(path, error);
    return error ? SpaceRoot{path, false} : SpaceRoot{withoutTrailingSlash(folder), true};
}

SpaceTree::SpaceTree(std::filesystem::path root) : rootPath(withoutTrailingSlash(root)) {}

bool SpaceTree::walk(const std::vector<SpaceMark> &marks,
                     const std::vector<std::filesystem::path> &kept, const std::atomic<bool> *stop)
{
    if (scan)
        return false;
    const int fd = open(rootPath.c_str(), dirFlags);
    struct statx st {};
    if (fd < 0 || statx(fd, "", AT_EMPTY_PATH | statFlags, Walker::statMask, &st) != 0) {
        if (fd >= 0)
            close(fd);
        walkDone = true;
        return false;
    }
    {
        std::lock_guard held(lock);
        markPaths = marks;
        identifyMarks();
        for (const std::filesystem::path &folder : kept) {
            if (const auto id = identityOf(folder))
                keptFolders.insert(*id);
        }
        rootDevice = makedev(st.stx_dev_major, st.stx_dev_minor);
        rootMount = (st.stx_mask & STATX_MNT_ID) ? st.stx_mnt_id : 0;
        Node root;
        root.flags = isFolder;
        root.size = Walker::allocated(st);
        root.apparent = static_cast<qint64>(st.stx_size);
        root.newest = Walker::modified(st);
        nodes.clear();
        names.clear();
        figures.clear();
        nodes.push_back(root);
        const FileId id = Walker::fileId(st);
        markEntry(rootIndex, id);
        if (nodes[rootIndex].kind != SpaceKind::none && keptFolders.contains(id))
            nodes[rootIndex].flags |= isKept;
    }
    walkedEntries = 1;
    walkedBytes = Walker::allocated(st);
    Walker walker(*this, stop);
    const bool ended = walker.run(fd, rootIndex);
    close(fd);
    if (ended)
        settleWalk(walker, rootIndex);
    walkDone = true;
    return true;
}

void SpaceTree::settleWalk(Walker &walker, Index walked)
{
    std::lock_guard held(lock);
    settleLinks(walker.met, walked);
    for (const Index folder : walker.holding)
        nodes[folder].flags |= isComplete;
}

SpaceTree::Progress SpaceTree::progress() const
{
    return {walkedEntries.load(std::memory_order_relaxed),
            walkedBytes.load(std::memory_order_relaxed), walkDone.load()};
}

std::string_view SpaceTree::nameOf(const Node &node) const
{
    return names.at(node.nameOffset, node.nameLength);
}

SpaceTree::Entry SpaceTree::entryLocked(Index index) const
{
    if (index >= nodes.size())
        return {};
    const Node &node = nodes[index];
    Entry entry;
    entry.index = index;
    entry.parent = node.parent;
    entry.name = index == rootIndex ? rootPath.native() : std::string(nameOf(node));
    entry.size = node.size;
    entry.reclaimable = node.reclaimable;
    entry.apparent = node.apparent;
    entry.count = node.count;
    entry.newest = node.newest;
    entry.kind = node.kind;
    entry.folder = node.flags & isFolder;
    entry.otherMount = node.flags & isOtherMount;
    entry.unreadable = node.flags & isUnreadable;
    entry.complete = node.flags & isComplete;
    entry.kept = node.flags & isKept;
    return entry;
}

SpaceTree::Entry SpaceTree::entry(Index index) const
{
    std::lock_guard held(lock);
    if (index >= nodes.size() || !attached(index))
        return {};
    return entryLocked(index);
}

std::vector<SpaceTree::Entry> SpaceTree::children(Index folder) const
{
    std::vector<Entry> entries;
    {
        std::lock_guard held(lock);
        if (folder >= nodes.size())
            return entries;
        for (Index child = nodes[folder].firstChild; child != noEntry;
             child = nodes[child].nextSibling)
            entries.push_back(entryLocked(child));
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.size != b.size ? a.size > b.size : a.name < b.name;
    });
    return entries;
}

std::filesystem::path SpaceTree::path(Index index) const
{
    std::vector<std::string> parts;
    {
        std::lock_guard held(lock);
        if (index >= nodes.size())
            return {};
        // An entry taken out of the tree (moved away, or in a folder measured again) has no
        // path left: its folders no longer lead up to the root.
        for (Index at = index; at != rootIndex; at = nodes[at].parent) {
            if (nodes[at].parent == noEntry)
                return {};
            parts.emplace_back(nameOf(nodes[at]));
        }
    }
    std::filesystem::path result = rootPath;
    for (auto part = parts.rbegin(); part != parts.rend(); ++part)
        result /= *part;
    return result;
}

bool SpaceTree::onOtherMount(const struct ::statx &st, std::uint64_t device, std::uint64_t mount)
{
    return makedev(st.stx_dev_major, st.stx_dev_minor) != device
           || ((st.stx_mask & STATX_MNT_ID) && mount != 0 && st.stx_mnt_id != mount);
}

SpaceTree::Index SpaceTree::childNamed(Index folder, std::string_view name) const
{
    Index child = nodes[folder].firstChild;
    while (child != noEntry && nameOf(nodes[child]) != name)
        child = nodes[child].nextSibling;
    return child;
}

std::optional<SpaceTree::Index> SpaceTree::find(const std::filesystem::path &path) const
{
    const std::filesystem::path relative =
        withoutTrailingSlash(path.lexically_normal()).lexically_relative(rootPath);
    if (relative.empty() || *relative.begin() == "..")
        return std::nullopt;
    std::lock_guard held(lock);
    if (nodes.empty())
        return std::nullopt;
    Index at = rootIndex;
    for (const std::filesystem::path &part : relative) {
        if (part == ".")
            continue;
        at = childNamed(at, part.native());
        if (at == noEntry)
            return std::nullopt;
    }
    return at;
}

std::vector<std::pair<SpaceKind, qint64>> SpaceTree::reclaimableParts(Index index) const
{
    std::map<SpaceKind, qint64> parts;
    {
        std::lock_guard held(lock);
        if (index >= nodes.size() || nodes[index].reclaimable <= 0)
            return {};
        if (nodes[index].flags & isInsideMark) {
            Index at = nodes[index].parent;
            while (at != noEntry
                   && !(wholeReclaimable(nodes[at]) && !(nodes[at].flags & isInsideMark)))
                at = nodes[at].parent;
            if (at != noEntry)
                parts[nodes[at].kind] += nodes[index].size;
        } else {
            std::vector<Index> stack{index};
            while (!stack.empty()) {
                const Node &node = nodes[stack.back()];
                const Index at = stack.back();
                stack.pop_back();
                if (node.reclaimable <= 0)
                    continue;
                if (wholeReclaimable(node)) {
                    parts[node.kind] += node.size;
                    continue;
                }
                if ((node.flags & (isPartial | isKept)) == isPartial) {
                    parts[node.kind] += node.reclaimable;
                    continue;
                }
                for (Index child = nodes[at].firstChild; child != noEntry;
                     child = nodes[child].nextSibling)
                    stack.push_back(child);
            }
        }
    }
    std::vector<std::pair<SpaceKind, qint64>> sorted(parts.begin(), parts.end());
    std::sort(sorted.begin(), sorted.end(),
              [](const auto &a, const auto &b) { return a.second > b.second; });
    return sorted;
}

void SpaceTree::settleMarks(Index folder)
{
    Node &node = nodes[folder];
    if (wholeReclaimable(node)) {
        node.reclaimable = node.size;
        return;
    }
    if ((node.flags & (isPartial | isKept)) == isPartial) {
        const auto figure = figures.find(folder);
        node.reclaimable = std::min(node.size, figure != figures.end() ? figure->second : 0);
        return;
    }
    qint64 sum = 0;
    for (Index child = node.firstChild; child != noEntry; child = nodes[child].nextSibling)
        sum += nodes[child].reclaimable;
    node.reclaimable = sum;
}

void SpaceTree::settleUpwards(Index folder, const Sums &change)
{
    for (Index at = folder; at != noEntry; at = nodes[at].parent) {
        Node &node = nodes[at];
        node.size += change.size;
        node.apparent += change.apparent;
        node.count = static_cast<std::uint32_t>(node.count + change.count);
        node.newest = std::max(node.newest, change.newest);
        settleMarks(at);
    }
}

// A folder keeps no time of its own apart from the newest below it, so one that lost its newest
// entry reads its own again: a stat of it and of each folder above, rather than a walk of what
// they hold. Taking an entry out changes its folder's time anyway.
void SpaceTree::renewNewest(Index folder)
{
    std::vector<Index> chain; // the folder, then each one above it up to the root
    std::vector<std::string> parts;
    {
        std::lock_guard held(lock);
        if (folder >= nodes.size() || !(nodes[folder].flags & isFolder) || !attached(folder))
            return;
        for (Index at = folder; at != noEntry; at = nodes[at].parent) {
            chain.push_back(at);
            if (at != rootIndex)
                parts.emplace_back(nameOf(nodes[at]));
        }
    }
    // Down from the root without following a link; a folder not reached keeps what it has.
    std::vector<std::optional<std::uint32_t>> own(chain.size());
    int fd = open(rootPath.c_str(), dirFlags);
    for (std::size_t i = chain.size(); fd >= 0 && i-- > 0;) {
        struct statx st {};
        if (statx(fd, "", AT_EMPTY_PATH | statFlags, STATX_MTIME, &st) == 0)
            own[i] = Walker::modified(st);
        const int next = i > 0 ? openat(fd, parts[i - 1].c_str(), dirFlags) : -1;
        close(fd);
        fd = next;
    }
    std::lock_guard held(lock);
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
        if (nodes[chain[i]].parent != chain[i + 1])
            return; // taken out meanwhile
    }
    for (std::size_t i = 0; i < chain.size(); ++i) {
        Node &node = nodes[chain[i]];
        std::uint32_t newest = own[i].value_or(node.newest);
        for (Index child = node.firstChild; child != noEntry; child = nodes[child].nextSibling)
            newest = std::max(newest, nodes[child].newest);
        node.newest = newest;
    }
}

bool SpaceTree::attached(Index index) const
{
    while (index != rootIndex && index != noEntry)
        index = nodes[index].parent;
    return index == rootIndex;
}

bool SpaceTree::inside(Index index, Index folder) const
{
    for (Index at = index; at != noEntry; at = nodes[at].parent) {
        if (at == folder)
            return true;
    }
    return false;
}

void SpaceTree::detach(Index index)
{
    const Index parent = nodes[index].parent;
    for (Index *link = &nodes[parent].firstChild; *link != noEntry;
         link = &nodes[*link].nextSibling) {
        if (*link == index) {
            *link = nodes[index].nextSibling;
            break;
        }
    }
    nodes[index].parent = noEntry;
}

void SpaceTree::forget(Index index)
{
    Index parent = noEntry;
    {
        std::lock_guard held(lock);
        parent = forgetLocked(index);
    }
    if (parent != noEntry)
        renewNewest(parent);
}

SpaceTree::Index SpaceTree::forgetLocked(Index index)
{
    if (index == rootIndex || index >= nodes.size() || nodes[index].parent == noEntry)
        return noEntry;
    // A linked file counted here counts at one of its names left in the tree.
    std::vector<FileId> counted;
    std::map<FileId, std::pair<qint64, qint64>> bytes; // allocated, apparent
    for (auto item = linked.begin(); item != linked.end();) {
        if (inside(item->second, index)) {
            counted.push_back(item->first);
            bytes[item->first] = {nodes[item->second].size, nodes[item->second].apparent};
            item = linked.erase(item);
        } else {
            ++item;
        }
    }
    const Index parent = nodes[index].parent;
    const Node &gone = nodes[index];
    const Sums change{-gone.size, -gone.apparent, -1 - qint64(gone.count)};
    detach(index);
    settleUpwards(parent, change);
    if (counted.empty())
        return parent;
    std::vector<LinkSeen> left = namesElsewhere(counted, index);
    std::sort(left.begin(), left.end(),
              [](const LinkSeen &x, const LinkSeen &y) { return x.id < y.id; });
    for (auto group = left.begin(); group != left.end();) {
        const auto end = std::find_if(
            group, left.end(), [&group](const LinkSeen &seen) { return seen.id != group->id; });
        std::vector<Index> at;
        for (auto seen = group; seen != end; ++seen)
            at.push_back(seen->index);
        const auto [size, apparent] = bytes[group->id];
        countAtFirst(group->id, std::move(at), size, apparent);
        group = end;
    }
    return parent;
}

int SpaceTree::openFolder(Index folder) const
{
    std::vector<std::string> parts;
    {
        std::lock_guard held(lock);
        if (folder >= nodes.size() || !(nodes[folder].flags & isFolder)
            || (nodes[folder].flags & isOtherMount) || !attached(folder)) {
            errno = EINVAL;
            return -1;
        }
        for (Index at = folder; at != rootIndex; at = nodes[at].parent)
            parts.emplace_back(nameOf(nodes[at]));
    }
    // Down from the root without following a link: the folder opened is the one in the tree.
    int fd = open(rootPath.c_str(), dirFlags);
    for (auto part = parts.rbegin(); fd >= 0 && part != parts.rend(); ++part) {
        const int next = openat(fd, part->c_str(), dirFlags);
        close(fd);
        fd = next;
    }
    return fd;
}

bool SpaceTree::stillAsMeasured(Index index) const
{
    if (scan)
        return false;
    Index parent = noEntry;
    std::string name;
    std::uint32_t inode = 0;
    bool folder = false;
    {
        std::lock_guard held(lock);
        if (index == rootIndex || index >= nodes.size() || !attached(index))
            return false;
        parent = nodes[index].parent;
        name = nameOf(nodes[index]);
        inode = nodes[index].inode;
        folder = nodes[index].flags & isFolder;
    }
    const int fd = openFolder(parent);
    if (fd < 0)
        return false;
    struct statx st {};
    const bool there = statx(fd, name.c_str(), statFlags, STATX_TYPE | STATX_INO, &st) == 0;
    close(fd);
    return there && static_cast<std::uint32_t>(st.stx_ino) == inode
           && S_ISDIR(st.stx_mode) == folder && !S_ISLNK(st.stx_mode);
}

bool SpaceTree::measure(const std::filesystem::path &path)
{
    if (scan)
        return false;
    const std::filesystem::path relative =
        withoutTrailingSlash(path.lexically_normal()).lexically_relative(rootPath);
    if (relative.empty() || *relative.begin() == "..")
        return false;
    Index at = rootIndex;
    std::string missing; // the first name on the way the tree has no entry for
    {
        std::lock_guard held(lock);
        if (nodes.empty())
            return false;
        for (const std::filesystem::path &part : relative) {
            if (part == ".")
                continue;
            const Index child = childNamed(at, part.native());
            if (child == noEntry) {
                missing = part.native();
                break;
            }
            at = child;
        }
    }
    if (missing.empty())
        return remeasure(at);
    // Made since the walk (the Trash, by a move): only what was made is walked.
    const std::optional<Index> added = addEntry(at, missing);
    return added && (!(entry(*added).folder) || remeasure(*added));
}

std::optional<SpaceTree::Index> SpaceTree::addEntry(Index folder, const std::string &name)
{
    const int fd = openFolder(folder);
    if (fd < 0)
        return std::nullopt;
    struct statx st {};
    const bool there = statx(fd, name.c_str(), statFlags, Walker::statMask, &st) == 0;
    struct statx own {}; // the folder's time changed with what was made in it
    const bool timed = statx(fd, "", AT_EMPTY_PATH | statFlags, STATX_MTIME, &own) == 0;
    close(fd);
    if (!there || name.size() > UINT16_MAX)
        return std::nullopt;
    std::lock_guard held(lock);
    if (!attached(folder))
        return std::nullopt;
    if (const Index child = childNamed(folder, name); child != noEntry)
        return child; // added meanwhile
    identifyMarks();
    Node node;
    node.parent = folder;
    node.nextSibling = nodes[folder].firstChild;
    node.inode = static_cast<std::uint32_t>(st.stx_ino);
    node.newest = Walker::modified(st);
    node.nameLength = static_cast<std::uint16_t>(name.size());
    node.nameOffset = names.take(std::array{std::string_view(name)}).put(name);
    const FileId id = Walker::fileId(st);
    if (marked.contains(id) && keptFolders.contains(id))
        node.flags |= isKept;
    node.flags |= inheritedFlags(nodes[folder]);
    if (onOtherMount(st, rootDevice, rootMount)) {
        node.flags |= isOtherMount | isComplete;
    } else if (S_ISDIR(st.stx_mode)) {
        node.flags |= isFolder; // its sums come with its walk
    } else {
        node.flags |= isComplete;
        node.size = Walker::allocated(st);
        node.apparent = static_cast<qint64>(st.stx_size);
    }
    const Index index = static_cast<Index>(nodes.push_back(node));
    markEntry(index, id);
    settleMarks(index);
    nodes[folder].firstChild = index;
    settleUpwards(folder, {node.size, node.apparent, 1,
                           std::max(node.newest, timed ? Walker::modified(own) : 0u)});
    return index;
}

bool SpaceTree::remeasure(Index folder)
{
    if (scan)
        return false;
    int fd = openFolder(folder);
    if (fd < 0 && errno == EINVAL)
        return false;
    struct statx st {};
    if (fd < 0 || statx(fd, "", AT_EMPTY_PATH | statFlags, Walker::statMask, &st) != 0) {
        const bool gone = errno == ENOENT || errno == ENOTDIR || errno == ELOOP;
        if (fd >= 0)
            close(fd);
        if (gone)
            forget(folder);
        return gone && folder != rootIndex;
    }
    Sums before;
    walkedEntries = 1;
    walkedBytes = Walker::allocated(st);
    {
        std::lock_guard held(lock);
        identifyMarks();
        std::erase_if(linked,
                      [this, folder](const auto &item) { return inside(item.second, folder); });
        Node &node = nodes[folder];
        before = {node.size, node.apparent, node.count};
        for (Index child = node.firstChild; child != noEntry;) {
            const Index next = nodes[child].nextSibling;
            nodes[child].parent = noEntry;
            child = next;
        }
        node.firstChild = noEntry;
        node.size = Walker::allocated(st);
        node.apparent = static_cast<qint64>(st.stx_size);
        node.count = 0;
        node.newest = Walker::modified(st);
        node.reclaimable = 0;
        node.flags &= static_cast<std::uint8_t>(~(isComplete | isUnreadable));
        // Its mark as the panes give it now: a clean changes what they offer.
        markEntry(folder, Walker::fileId(st));
    }
    Walker walker(*this, currentStop());
    const bool ended = walker.run(fd, folder);
    close(fd);
    Index parent = noEntry;
    {
        std::lock_guard held(lock);
        const Node &node = nodes[folder];
        parent = node.parent;
        if (parent != noEntry)
            settleUpwards(parent, {node.size - before.size, node.apparent - before.apparent,
                                   qint64(node.count) - before.count});
    }
    if (ended)
        settleWalk(walker, folder);
    if (parent != noEntry)
        renewNewest(parent);
    return true;
}

void SpaceTree::setKept(Index index, bool kept)
{
    std::lock_guard held(lock);
    if (index >= nodes.size() || nodes[index].kind == SpaceKind::none)
        return;
    Node &node = nodes[index];
    if (kept)
        node.flags |= isKept;
    else
        node.flags &= static_cast<std::uint8_t>(~isKept);
    // What lies inside follows: all of it comes back, or only what is marked of its own.
    std::vector<Index> folders;
    std::vector<Index> stack{index};
    while (!stack.empty()) {
        const Index at = stack.back();
        stack.pop_back();
        for (Index child = nodes[at].firstChild; child != noEntry;
             child = nodes[child].nextSibling) {
            Node &inner = nodes[child];
            if (wholeReclaimable(nodes[at]))
                inner.flags |= isInsideMark;
            else
                inner.flags &= static_cast<std::uint8_t>(~isInsideMark);
            if (inner.flags & isFolder) {
                stack.push_back(child);
                folders.push_back(child);
            } else {
                settleMarks(child);
            }
        }
    }
    // Inner folders settle before the ones holding them.
    for (auto at = folders.rbegin(); at != folders.rend(); ++at)
        settleMarks(*at);
    settleUpwards(index, 0);
}

void SpaceTree::setMarks(const std::vector<SpaceMark> &marks)
{
    std::lock_guard held(lock);
    markPaths = marks;
    marked.clear();
    identifyMarks();
}

void SpaceTree::identifyMarks()
{
    for (const SpaceMark &mark : markPaths) {
        if (const auto id = identityOf(mark.path))
            marked.emplace(*id, MarkAt{mark.kind, mark.frees});
    }
}

void SpaceTree::markEntry(Index index, const FileId &id)
{
    Node &node = nodes[index];
    node.kind = SpaceKind::none;
    node.flags &= static_cast<std::uint8_t>(~isPartial);
    figures.erase(index);
    const auto mark = marked.find(id);
    if (mark == marked.end())
        return;
    node.kind = mark->second.kind;
    if (mark->second.frees) {
        node.flags |= isPartial;
        figures[index] = *mark->second.frees;
    }
}

std::size_t SpaceTree::memoryBytes() const
{
    std::lock_guard held(lock);
    // A map node holds its value and about four words of links and colour.
    constexpr std::size_t mapNode = sizeof(std::pair<FileId, Index>) + 4 * sizeof(void *);
    return sizeof(*this) + nodes.memoryBytes() + names.memoryBytes() + linked.size() * mapNode
           + marked.size() * mapNode + figures.size() * mapNode;
}

} // namespace Engine
