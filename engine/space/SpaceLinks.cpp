#include "SpaceTree.h"

#include <algorithm>

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

void SpaceTree::settleLinks(std::vector<LinkSeen> &met)
{
    std::sort(met.begin(), met.end(), [](const LinkSeen &x, const LinkSeen &y) {
        return x.id != y.id ? x.id < y.id : x.index < y.index;
    });
    for (auto group = met.begin(); group != met.end();) {
        const auto end = std::find_if(
            group, met.end(), [&group](const LinkSeen &seen) { return seen.id != group->id; });
        const auto counted = linked.find(group->id);
        // Where it counts now: a name met by this walk, or one outside a folder measured again.
        const Index now = counted != linked.end() ? counted->second : noEntry;
        Index first = now;
        for (auto seen = group; seen != end; ++seen) {
            if (first == noEntry || listedBefore(seen->index, first))
                first = seen->index;
        }
        if (now != noEntry && first != now) {
            Node &was = nodes[now];
            const qint64 moved = was.size;
            was.size = 0;
            was.reclaimable = 0;
            settleUpwards(was.parent, -moved);
            Node &becomes = nodes[first];
            becomes.size = moved;
            becomes.reclaimable = wholeReclaimable(becomes) ? becomes.size : 0;
            settleUpwards(becomes.parent, becomes.size);
            counted->second = first;
        }
        group = end;
    }
    met.clear();
    met.shrink_to_fit();
}

} // namespace Engine
