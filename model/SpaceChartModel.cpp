#include "SpaceChartModel.h"

#include "Paths.h"
#include "SpaceModel.h"
#include "Text.h"

#include <algorithm>
#include <array>
#include <chrono>

using Engine::SpaceTree;
using namespace std::chrono_literals;

namespace {

// What a chart made while the walk runs looks at below the folder: enough to see what fills
// its largest folders, little beside the walk.
constexpr qint64 walkingBudget = 50'000;

} // namespace

SpaceChartModel::SpaceChartModel(QObject *parent)
    : QObject(parent), tasks(std::make_unique<BackgroundTasks>())
{
    throttle.setSingleShot(true);
    connect(&throttle, &QTimer::timeout, this, &SpaceChartModel::refresh);
}

SpaceChartModel::~SpaceChartModel()
{
    tasks.reset(); // stops the chart being made and waits for it
}

void SpaceChartModel::setSpace(SpaceModel *space)
{
    if (m_space == space)
        return;
    if (m_space)
        disconnect(m_space, nullptr, this, nullptr);
    m_space = space;
    if (space) {
        connect(space, &SpaceModel::folderChanged, this, &SpaceChartModel::refresh);
        connect(space, &SpaceModel::settled, this, &SpaceChartModel::refresh);
        // While a walk runs the totals change four times a second.
        connect(space, &SpaceModel::totalsChanged, this, &SpaceChartModel::later);
    }
    Q_EMIT spaceChanged();
    refresh();
}

void SpaceChartModel::later()
{
    if (!throttle.isActive())
        throttle.start(m_space && m_space->walking() ? 1000ms : 50ms);
}

void SpaceChartModel::refresh()
{
    throttle.stop();
    const std::shared_ptr<const SpaceTree> tree = m_space ? m_space->spaceTree() : nullptr;
    if (!tree) {
        if (!chart.parts.empty() || treeOf) {
            chart = {};
            treeOf.reset();
            chartOf = SpaceTree::noEntry;
            Q_EMIT partsChanged();
        }
        return;
    }
    if (making) {
        owed = true;
        return;
    }
    making = true;
    const auto folder = SpaceTree::Index(m_space->folderId());
    ChartBounds asked = bounds;
    asked.apparent = m_space->apparent();
    if (m_space->walking())
        asked.budget = std::min(asked.budget, walkingBudget);
    tasks->run([tree, folder, asked] { return chartParts(*tree, folder, asked); },
               [this, tree, folder](ChartParts made) {
                   making = false;
                   // Made for a folder or a tree no longer shown: made again below.
                   if (m_space && m_space->spaceTree() == tree
                       && SpaceTree::Index(m_space->folderId()) == folder) {
                       chart = std::move(made);
                       chartOf = folder;
                       treeOf = tree;
                       Q_EMIT partsChanged();
                   } else {
                       owed = true;
                   }
                   if (std::exchange(owed, false))
                       refresh();
               });
}

QStringList SpaceChartModel::kinds() const
{
    std::array<bool, Engine::fileKindCount> shown{};
    for (const ChartPart &part : chart.parts)
        shown[std::size_t(part.kind)] = true;
    QStringList names;
    for (int kind = 0; kind < Engine::fileKindCount; ++kind) {
        if (shown[std::size_t(kind)])
            names.append(Engine::fileKindName(Engine::FileKind(kind)));
    }
    return names;
}

QVariant SpaceChartModel::part(int index) const
{
    if (index < 0 || index >= count())
        return QVariantMap();
    const ChartPart &part = chart.parts[std::size_t(index)];
    const bool entry = part.index != SpaceTree::noEntry;
    QString path;
    if (treeOf) {
        const SpaceTree::Index at =
            entry ? part.index
                  : (part.parent >= 0 ? chart.parts[std::size_t(part.parent)].index : chartOf);
        path = shownName(Engine::displayPath(treeOf->path(at)));
    }
    return QVariantMap{{"id", entry ? int(part.index) : -1},
                       {"parent", part.parent},
                       {"level", part.level},
                       {"start", part.start},
                       {"span", part.span},
                       {"name", entry ? shownName(Engine::displayPath(part.name)) : QString()},
                       {"path", path},
                       {"size", double(part.size)},
                       {"share", chart.total > 0 ? double(part.size) / double(chart.total) : 0.0},
                       {"reclaimable", double(part.reclaimable)},
                       {"kind", Engine::fileKindName(part.kind)},
                       {"folder", part.folder},
                       {"merged", part.merged}};
}

int SpaceChartModel::beside(int index, int step) const
{
    if (index < 0 || index >= count() || step == 0)
        return index;
    // The ring's parts in turning order: the order they were laid out in.
    std::vector<int> ring;
    const int level = chart.parts[std::size_t(index)].level;
    for (int at = 0; at < count(); ++at) {
        if (chart.parts[std::size_t(at)].level == level)
            ring.push_back(at);
    }
    std::stable_sort(ring.begin(), ring.end(), [this](int a, int b) {
        return chart.parts[std::size_t(a)].start < chart.parts[std::size_t(b)].start;
    });
    const auto here = std::find(ring.begin(), ring.end(), index) - ring.begin();
    const auto size = qsizetype(ring.size());
    return ring[std::size_t(((here + step) % size + size) % size)];
}

int SpaceChartModel::outward(int index) const
{
    for (int at = index + 1; at < count(); ++at) {
        if (chart.parts[std::size_t(at)].parent == index)
            return at;
    }
    return index;
}

int SpaceChartModel::inward(int index) const
{
    return index >= 0 && index < count() ? chart.parts[std::size_t(index)].parent : -1;
}

int SpaceChartModel::indexOf(int id) const
{
    if (id < 0)
        return -1;
    const auto found = std::find_if(chart.parts.begin(), chart.parts.end(),
                                    [id](const ChartPart &part) { return int(part.index) == id; });
    return found == chart.parts.end() ? -1 : int(found - chart.parts.begin());
}
