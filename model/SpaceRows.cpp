#include "SpaceRows.h"

#include <unordered_map>

using Engine::SpaceTree;

std::vector<SpaceTree::Entry> inPlace(const std::vector<SpaceTree::Entry> &shown,
                                      std::vector<SpaceTree::Entry> listed)
{
    std::unordered_map<SpaceTree::Index, std::size_t> at;
    for (std::size_t i = 0; i < listed.size(); ++i)
        at.emplace(listed[i].index, i);
    std::vector<SpaceTree::Entry> ordered;
    ordered.reserve(listed.size());
    std::vector<bool> taken(listed.size(), false);
    for (const SpaceTree::Entry &row : shown) {
        if (const auto found = at.find(row.index); found != at.end()) {
            ordered.push_back(std::move(listed[found->second]));
            taken[found->second] = true;
        }
    }
    for (std::size_t i = 0; i < listed.size(); ++i)
        if (!taken[i])
            ordered.push_back(std::move(listed[i]));
    return ordered;
}
