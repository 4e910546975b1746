#include "GrowthList.h"

#include "Paths.h"
#include "Text.h"

GrowthList::GrowthList(QObject *parent)
    : RecordList({"id", "path", "grown", "size", "rebuilds", "kind"}, parent)
{}

void GrowthList::set(const std::shared_ptr<const Engine::SpaceTree> &tree,
                     const std::vector<Engine::Growth> &grown)
{
    std::vector<Row> rows;
    if (tree) {
        for (const Engine::Growth &growth : grown) {
            // A folder gone since is no way into the map.
            const bool gone = growth.index == Engine::SpaceTree::noEntry
                              || tree->entry(growth.index).index == Engine::SpaceTree::noEntry;
            const std::filesystem::path path =
                growth.path.empty() ? tree->root() : std::filesystem::path(growth.path);
            QString kind;
            if (!gone && growth.reclaimable > 0) {
                const auto parts = tree->reclaimableParts(growth.index);
                if (!parts.empty())
                    kind = Engine::spaceKindName(parts.front().first);
            }
            // The raw bytes as the key: two names that show alike are still two folders.
            rows.push_back(
                {QString::fromLatin1(growth.path),
                 {gone ? -1 : static_cast<int>(growth.index), shownName(Engine::displayPath(path)),
                  static_cast<double>(growth.grown), static_cast<double>(growth.size),
                  growth.reclaimable > 0 && growth.reclaimable >= growth.size, kind}});
        }
    }
    replace(std::move(rows));
}
