#include "SpaceTree.h"

#include <algorithm>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// Where a file with several names counts. The walk goes through folders in parallel, so the name
// it meets first is not the one `du` meets first; the walk counts the first it meets, and once it
// has ended the bytes move to the name `du` counts.

namespace Engine {

bool SpaceTree::listedBefore(Index a, Index b) const
{
    auto chain = [this](Index at) {
        std::vector<Index> down;
        for (; at != noEntry; at = nodes[at].parent)
            down.push_back(at);
        std::reverse(down.begin(), down.end());
        return down;
    };
    const std::vector<Index> first = chain(a);
    const std::vector<Index> second = chain(b);
    const auto [left, right] =
        std::mismatch(first.begin(), first.end(), second.begin(), second.end());
    if (left == first.end() || right == second.end())
        return left == first.end() && right != second.end(); // a folder comes before its entries
    // Entries of one folder: their indices follow its listing.
    return *left < *right;
}

void SpaceTree::settleLinks(std::vector<LinkSeen> &met, Index walked)
{
    std::sort(met.begin(), met.end(), [](const LinkSeen &x, const LinkSeen &y) {
        return x.id != y.id ? x.id < y.id : x.index < y.index;
    });
    // A part walked again may hold a name of a file whose others lie outside it, counted or
    // not: made after the walk, or counted here before.
    if (walked != rootIndex && !met.empty()) {
        std::vector<FileId> ids;
        for (const LinkSeen &seen : met) {
            if (ids.empty() || ids.back() != seen.id)
                ids.push_back(seen.id);
        }
        const std::vector<LinkSeen> elsewhere = namesElsewhere(ids, walked);
        met.insert(met.end(), elsewhere.begin(), elsewhere.end());
        std::sort(met.begin(), met.end(), [](const LinkSeen &x, const LinkSeen &y) {
            return x.id != y.id ? x.id < y.id : x.index < y.index;
        });
    }
    for (auto group = met.begin(); group != met.end();) {
        const auto end = std::find_if(
            group, met.end(), [&group](const LinkSeen &seen) { return seen.id != group->id; });
        // Where it counts now: the first name this walk met, or one outside the part walked.
        const auto counted = linked.find(group->id);
        if (counted != linked.end()) {
            std::vector<Index> at{counted->second};
            for (auto seen = group; seen != end; ++seen)
                at.push_back(seen->index);
            countAtFirst(group->id, std::move(at), nodes[counted->second].size,
                         nodes[counted->second].apparent);
        }
        group = end;
    }
    met.clear();
    met.shrink_to_fit();
}

std::vector<SpaceTree::LinkSeen> SpaceTree::namesElsewhere(const std::vector<FileId> &ids,
                                                           Index folder) const
{
    std::set<std::uint32_t> inodes;
    for (const FileId &id : ids)
        inodes.insert(static_cast<std::uint32_t>(id.second));
    std::vector<LinkSeen> found;
    for (Index at = 0; at < nodes.size(); ++at) {
        const Node &node = nodes[at];
        if ((node.flags & (isFolder | isOtherMount)) || !inodes.contains(node.inode)
            || !attached(at) || inside(at, folder))
            continue;
        std::filesystem::path path = rootPath;
        std::vector<Index> down;
        for (Index up = at; up != rootIndex; up = nodes[up].parent)
            down.push_back(up);
        for (auto part = down.rbegin(); part != down.rend(); ++part)
            path /= std::string(nameOf(nodes[*part]));
        struct statx st {};
        if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_INO, &st)
            != 0)
            continue;
        const FileId id{makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino};
        if (std::binary_search(ids.begin(), ids.end(), id))
            found.push_back({id, at});
    }
    return found;
}

void SpaceTree::countAtFirst(const FileId &id, std::vector<Index> at, qint64 bytes, qint64 apparent)
{
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    Index first = at.front();
    for (const Index name : at) {
        if (listedBefore(name, first))
            first = name;
    }
    for (const Index name : at) {
        Node &node = nodes[name];
        const Sums now{name == first ? bytes : 0, name == first ? apparent : 0};
        if (node.size == now.size && node.apparent == now.apparent)
            continue;
        const Sums change{now.size - node.size, now.apparent - node.apparent};
        node.size = now.size;
        node.apparent = now.apparent;
        settleMarks(name);
        settleUpwards(node.parent, change);
    }
    linked[id] = first;
}

} // namespace Engine
