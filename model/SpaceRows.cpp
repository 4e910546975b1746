#include "SpaceRows.h"

#include "Paths.h"
#include "Text.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>
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

namespace {

void sortByShownName(std::vector<SpaceTree::Entry> &entries)
{
    QCollator collator(isIndonesian() ? QLocale(QLocale::Indonesian, QLocale::Indonesia)
                                      : QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(entries.size());
    for (const SpaceTree::Entry &entry : entries)
        keys.push_back(collator.sortKey(Engine::displayPath(entry.name)));
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::ranges::sort(order, [&](std::size_t a, std::size_t b) {
        const int by = keys[a].compare(keys[b]);
        return by != 0 ? by < 0 : entries[a].name < entries[b].name;
    });
    std::vector<SpaceTree::Entry> sorted;
    sorted.reserve(entries.size());
    for (const std::size_t i : order)
        sorted.push_back(std::move(entries[i]));
    entries = std::move(sorted);
}

} // namespace

std::vector<SpaceTree::Entry> arranged(std::vector<SpaceTree::Entry> listed, const SpaceView &view)
{
    if (!view.filter.isEmpty())
        std::erase_if(listed, [&view](const SpaceTree::Entry &entry) {
            return !shownName(Engine::displayPath(entry.name))
                        .contains(view.filter, Qt::CaseInsensitive);
        });
    if (view.order == Engine::SpaceOrder::name)
        sortByShownName(listed);
    else
        Engine::sortEntries(listed, view.order, view.apparent);
    return listed;
}

void sortByGrowth(std::vector<SpaceTree::Entry> &entries, std::vector<std::optional<qint64>> &grown)
{
    std::vector<std::size_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    // Unknown growth sorts below any known one, however much it shrank.
    std::ranges::stable_sort(order, [&grown](std::size_t a, std::size_t b) {
        return grown[a].has_value() && (!grown[b].has_value() || *grown[a] > *grown[b]);
    });
    std::vector<SpaceTree::Entry> sortedEntries;
    std::vector<std::optional<qint64>> sortedGrown;
    sortedEntries.reserve(entries.size());
    sortedGrown.reserve(grown.size());
    for (const std::size_t i : order) {
        sortedEntries.push_back(std::move(entries[i]));
        sortedGrown.push_back(grown[i]);
    }
    entries = std::move(sortedEntries);
    grown = std::move(sortedGrown);
}
