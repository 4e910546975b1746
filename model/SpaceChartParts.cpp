#include "SpaceChartParts.h"

#include "Stop.h"

#include <queue>

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>

using Engine::FileKind;
using Engine::SpaceTree;

namespace {

using Sums = std::array<qint64, Engine::fileKindCount>;

// The parts an entry lies in, one a ring: as many as a chart has rings.
struct Chain {
    std::array<int, 8> parts{};
    int size = 0;
};

// A folder below the chart's, to look at for the kinds: the parts whose bytes it adds to.
struct Below {
    qint64 size = 0;
    SpaceTree::Index index = SpaceTree::noEntry;
    Chain parts;
    bool operator<(const Below &other) const { return size < other.size; }
};

// What a folder marked, or lying in a marked folder, is as a whole.
std::optional<FileKind> kindOfMark(const SpaceTree::Entry &entry, std::optional<FileKind> above)
{
    return above ? above : Engine::markedKind(entry.kind);
}

} // namespace

ChartParts chartParts(const SpaceTree &tree, SpaceTree::Index folder, const ChartBounds &bounds)
{
    ChartParts chart;
    const auto bytes = [&bounds](const SpaceTree::Entry &entry) {
        return bounds.apparent ? entry.apparent : entry.size;
    };
    const SpaceTree::Entry top = tree.entry(folder);
    if (top.index == SpaceTree::noEntry || bytes(top) <= 0)
        return chart;
    chart.total = bytes(top);
    const double total = double(chart.total);
    std::optional<FileKind> above;
    for (SpaceTree::Entry at = top; at.index != SpaceTree::noEntry && !above;
         at = at.parent == SpaceTree::noEntry ? SpaceTree::Entry() : tree.entry(at.parent))
        above = Engine::markedKind(at.kind);

    Engine::FileKinds names;
    std::vector<ChartPart> &parts = chart.parts;
    // The part each entry of a folder laid out lies in: its own, or its folder's small items.
    std::unordered_map<SpaceTree::Index, int> partOf;
    std::vector<bool> decided; // the part's kind is its mark's or its name's

    // Ring by ring, so that each part comes after the one it lies in.
    struct Folder {
        SpaceTree::Index index;
        int part;
        int level;
        double start;
        double end;
        std::optional<FileKind> marked;
    };
    std::vector<Folder> folders{{folder, -1, 1, 0.0, 1.0, above}};
    for (std::size_t next = 0; next < folders.size() && !Engine::stopRequested(); ++next) {
        const Folder here = folders[next];
        std::vector<SpaceTree::Entry> entries = tree.children(here.index);
        if (bounds.apparent)
            Engine::sortEntries(entries, Engine::SpaceOrder::size, true);
        double at = here.start;
        std::size_t shown = 0;
        for (; shown < entries.size(); ++shown) {
            const SpaceTree::Entry &entry = entries[shown];
            const double span = std::min(double(bytes(entry)) / total, here.end - at);
            if (span < bounds.smallest || int(shown) >= bounds.perFolder)
                break;
            ChartPart part;
            part.index = entry.index;
            part.parent = here.part;
            part.level = here.level;
            part.start = at;
            part.span = span;
            part.size = bytes(entry);
            part.onDisk = entry.size;
            part.reclaimable = entry.reclaimable;
            part.folder = entry.folder && !entry.otherMount;
            part.name = entry.name;
            const std::optional<FileKind> marked = kindOfMark(entry, here.marked);
            if (marked)
                part.kind = *marked;
            else if (!entry.folder)
                part.kind = names.of(entry.name);
            const int index = int(parts.size());
            parts.push_back(std::move(part));
            decided.push_back(marked || !entry.folder);
            partOf.emplace(entry.index, index);
            if (parts.back().folder && here.level < bounds.levels)
                folders.push_back({entry.index, index, here.level + 1, at, at + span, marked});
            at += span;
        }
        if (shown == entries.size())
            continue;
        ChartPart rest;
        rest.parent = here.part;
        rest.level = here.level;
        rest.start = at;
        rest.merged = int(entries.size() - shown);
        for (std::size_t small = shown; small < entries.size(); ++small) {
            rest.size += bytes(entries[small]);
            rest.onDisk += entries[small].size;
            rest.reclaimable += entries[small].reclaimable;
        }
        if (rest.size <= 0)
            continue;
        for (std::size_t small = shown; small < entries.size(); ++small)
            partOf.emplace(entries[small].index, int(parts.size()));
        rest.span = std::min(double(rest.size) / total, here.end - at);
        if (here.marked)
            rest.kind = *here.marked;
        parts.push_back(std::move(rest));
        decided.push_back(here.marked.has_value());
    }

    // The kinds of the folders shown and of small items merged, from what lies below them: one
    // pass over the folder's tree, the largest folders first, each entry adding its bytes to the
    // parts it lies in. A marked folder is all of its mark's kind: not entered.
    std::vector<Sums> sums(parts.size(), Sums{});
    std::priority_queue<Below> waiting;
    waiting.push({top.size, folder, {}});
    qint64 budget = bounds.budget;
    while (!waiting.empty() && !Engine::stopRequested()) {
        if (budget <= 0) {
            chart.exact = false;
            break;
        }
        const Below here = waiting.top();
        waiting.pop();
        if (above && here.index == folder)
            break; // all of it is the mark's
        for (const SpaceTree::Entry &entry : tree.children(here.index)) {
            --budget;
            Chain in = here.parts;
            if (const auto found = partOf.find(entry.index);
                found != partOf.end() && in.size < int(in.parts.size()))
                in.parts[in.size++] = found->second;
            const std::optional<FileKind> marked = Engine::markedKind(entry.kind);
            if (entry.folder && !entry.otherMount && !marked) {
                waiting.push({entry.size, entry.index, std::move(in)});
                continue;
            }
            const FileKind kind = marked         ? *marked
                                  : entry.folder ? FileKind::other
                                                 : names.of(entry.name);
            for (int at = 0; at < in.size; ++at)
                sums[std::size_t(in.parts[std::size_t(at)])][std::size_t(kind)] += entry.size;
        }
    }
    for (std::size_t part = 0; part < parts.size(); ++part) {
        if (decided[part])
            continue;
        const Sums &by = sums[part];
        const auto most = std::max_element(by.begin(), by.end());
        parts[part].kind = *most > 0 ? FileKind(most - by.begin()) : FileKind::other;
    }
    return chart;
}
