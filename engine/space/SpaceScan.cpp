#include "SpaceTree.h"

#include <algorithm>
#include <array>
#include <limits>

// Trees of a scan saved elsewhere: filled entry by entry, then summed once.

namespace Engine {

namespace {

// Sums stay sane whatever a file claims: a total past the largest figure stops there.
qint64 saturatedAdd(qint64 a, qint64 b)
{
    return b > std::numeric_limits<qint64>::max() - a ? std::numeric_limits<qint64>::max() : a + b;
}

std::uint32_t secondsHeld(qint64 seconds)
{
    return static_cast<std::uint32_t>(
        std::clamp<qint64>(seconds, 0, std::numeric_limits<std::uint32_t>::max()));
}

} // namespace

std::unique_ptr<SpaceTree> SpaceTree::fromScan(const Scanned &root)
{
    auto tree = std::make_unique<SpaceTree>(std::filesystem::path(std::string(root.name)));
    tree->scan = true;
    Node node;
    node.flags = isFolder | (root.unreadable ? isUnreadable : 0);
    node.size = std::max<qint64>(root.size, 0);
    node.apparent = std::max<qint64>(root.apparent, 0);
    node.newest = secondsHeld(root.mtime);
    tree->nodes.push_back(node);
    return tree;
}

SpaceTree::Index SpaceTree::addScanned(Index folder, const Scanned &entry)
{
    std::lock_guard held(lock);
    if (!scan || folder >= nodes.size() || !(nodes[folder].flags & isFolder)
        || nodes.size() >= noEntry || entry.name.size() > UINT16_MAX)
        return noEntry;
    Node node;
    node.parent = folder;
    node.nextSibling = nodes[folder].firstChild;
    node.nameLength = static_cast<std::uint16_t>(entry.name.size());
    node.nameOffset = names.take(std::array{entry.name}).put(entry.name);
    node.newest = secondsHeld(entry.mtime);
    node.flags = isComplete | (entry.folder ? isFolder : 0) | (entry.unreadable ? isUnreadable : 0);
    if (entry.otherMount) {
        node.flags |= isOtherMount;
    } else {
        node.size = std::max<qint64>(entry.size, 0);
        node.apparent = std::max<qint64>(entry.apparent, 0);
    }
    const Index index = static_cast<Index>(nodes.push_back(node));
    nodes[folder].firstChild = index;
    if (entry.link && !entry.folder && !entry.otherMount) {
        nodes[index].inode = static_cast<std::uint32_t>(entry.link->second);
        const auto [counted, first] = linked.try_emplace(*entry.link, index);
        // Entries come in the file's order, so the name met first is normally `du`'s; a caller
        // that fills folders out of order still gets the name `du` meets first.
        if (!first) {
            Node &before = nodes[counted->second];
            if (listedBefore(index, counted->second)) {
                nodes[index].size = before.size;
                nodes[index].apparent = before.apparent;
                before.size = before.apparent = 0;
                counted->second = index;
            } else {
                nodes[index].size = nodes[index].apparent = 0;
            }
        }
    }
    return index;
}

void SpaceTree::endScan()
{
    {
        std::lock_guard held(lock);
        if (!scan || nodes.empty())
            return;
        // A folder comes before what it holds, so from the last entry back each one is whole
        // when it is added to its folder.
        for (std::size_t at = nodes.size() - 1; at > rootIndex; --at) {
            Node &node = nodes[at];
            Node &parent = nodes[node.parent];
            parent.size = saturatedAdd(parent.size, node.size);
            parent.apparent = saturatedAdd(parent.apparent, node.apparent);
            parent.count += 1 + node.count;
            parent.newest = std::max(parent.newest, node.newest);
        }
        for (std::size_t at = 0; at < nodes.size(); ++at)
            nodes[at].flags |= isComplete;
    }
    walkedEntries = static_cast<qint64>(nodes.size());
    walkedBytes = nodes[rootIndex].size;
    walkDone = true;
}

std::map<SpaceTree::Index, SpaceTree::FileId> SpaceTree::countedLinks() const
{
    std::lock_guard held(lock);
    std::map<Index, FileId> links;
    for (const auto &[id, index] : linked) {
        if (attached(index))
            links.emplace(index, id);
    }
    return links;
}

} // namespace Engine
