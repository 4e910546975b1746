#include "SpaceTree.h"

#include <algorithm>
#include <tuple>

namespace Engine {

void sortEntries(std::vector<SpaceTree::Entry> &entries, SpaceOrder order, bool apparent)
{
    const auto bytes = [apparent](const SpaceTree::Entry &entry) {
        return apparent ? entry.apparent : entry.size;
    };
    std::ranges::sort(entries, [&](const SpaceTree::Entry &a, const SpaceTree::Entry &b) {
        switch (order) {
        case SpaceOrder::size:
            return std::tuple(bytes(b), a.name) < std::tuple(bytes(a), b.name);
        case SpaceOrder::count:
            return std::tuple(b.count, a.name) < std::tuple(a.count, b.name);
        case SpaceOrder::age:
            return std::tuple(b.newest, a.name) < std::tuple(a.newest, b.name);
        case SpaceOrder::name:
            break;
        }
        return a.name < b.name;
    });
}

std::optional<SpaceOrder> spaceOrderNamed(std::string_view name)
{
    if (name == "size")
        return SpaceOrder::size;
    if (name == "name")
        return SpaceOrder::name;
    if (name == "count")
        return SpaceOrder::count;
    if (name == "age")
        return SpaceOrder::age;
    return std::nullopt;
}

} // namespace Engine
