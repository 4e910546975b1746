#include "SpaceGrowth.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace Engine {

namespace {

constexpr qint64 leastThreshold = 1024 * 1024;

std::string below(const std::string &folder, const std::string &name)
{
    return folder.empty() ? name : folder + '/' + name;
}

// The folder holding the entry at `path` ("" for one in the root); `path` is not the root.
std::string holderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// How the walk then knew an entry it did not record: absent where it recorded every folder
// means the folder was not there. `depth` is the entry's depth below the root.
bool newSince(const HistoryWalk &then, int depth, bool folder)
{
    return folder && depth <= then.depth;
}

} // namespace

HistoryReach historyReach(const SpaceTree &tree)
{
    HistoryReach reach;
    reach.threshold = std::max(leastThreshold, tree.entry(SpaceTree::rootIndex).size / 1000);
    return reach;
}

RecordedSizes recordedSizes(const SpaceTree &tree, const HistoryReach &reach)
{
    RecordedSizes sizes;
    const SpaceTree::Entry root = tree.entry(SpaceTree::rootIndex);
    if (root.index == SpaceTree::noEntry)
        return sizes;
    sizes.emplace(std::string(), RecordedSize{root.size, root.apparent, root.folder});
    struct Todo {
        SpaceTree::Index index;
        std::string path;
        int depth;
    };
    std::vector<Todo> todo{{SpaceTree::rootIndex, std::string(), 0}};
    while (!todo.empty()) {
        const Todo folder = std::move(todo.back());
        todo.pop_back();
        for (const SpaceTree::Entry &entry : tree.children(folder.index)) {
            const int depth = folder.depth + 1;
            const bool big = entry.size >= reach.threshold;
            if (!big && !(entry.folder && depth <= reach.depth))
                continue;
            std::string path = below(folder.path, entry.name);
            sizes.emplace(path, RecordedSize{entry.size, entry.apparent, entry.folder});
            // What lies in a folder is no larger than it: below a small one deeper than the
            // depth nothing is recorded.
            if (entry.folder && (depth < reach.depth || big))
                todo.push_back({entry.index, std::move(path), depth});
        }
    }
    return sizes;
}

std::optional<qint64> grownSince(const SpaceTree &tree, SpaceTree::Index index,
                                 const HistoryWalk &then, const RecordedSizes &sizesThen,
                                 bool apparent)
{
    if (tree.isScan() || tree.root() != then.root)
        return std::nullopt;
    const SpaceTree::Entry entry = tree.entry(index);
    if (entry.index == SpaceTree::noEntry)
        return std::nullopt;
    // The names down from the root: the entry's own last.
    std::vector<std::string> names;
    for (SpaceTree::Entry at = entry; at.index != SpaceTree::rootIndex;) {
        names.push_back(at.name);
        at = tree.entry(at.parent);
        if (at.index == SpaceTree::noEntry)
            return std::nullopt; // taken out of the tree meanwhile
    }
    std::reverse(names.begin(), names.end());
    const qint64 now = apparent ? entry.apparent : entry.size;
    std::string path;
    for (std::size_t depth = 1; depth <= names.size(); ++depth) {
        path = below(path, names[depth - 1]);
        const bool itself = depth == names.size();
        // A folder on the way down that the walk then would have recorded and did not: nothing
        // of what lies in it now was there.
        if (!sizesThen.count(path)
            && newSince(then, static_cast<int>(depth), !itself || entry.folder))
            return now;
    }
    const auto found = sizesThen.find(path);
    if (found == sizesThen.end())
        return std::nullopt;
    return now - (apparent ? found->second.apparent : found->second.size);
}

std::vector<Growth> whatGrew(const SpaceTree &tree, const HistoryWalk &then,
                             const RecordedSizes &sizesThen, std::size_t limit)
{
    if (tree.isScan() || tree.root() != then.root)
        return {};
    // Every folder whose growth is known, by path, the gone ones too.
    std::map<std::string, Growth> known;
    struct Todo {
        SpaceTree::Entry entry;
        std::string path;
        int depth;
        bool isNew; // not there then, nor anything in it
    };
    const SpaceTree::Entry root = tree.entry(SpaceTree::rootIndex);
    const auto rootThen = sizesThen.find(std::string());
    if (root.index == SpaceTree::noEntry || rootThen == sizesThen.end())
        return {};
    std::vector<Todo> todo{{root, std::string(), 0, false}};
    while (!todo.empty()) {
        const Todo folder = std::move(todo.back());
        todo.pop_back();
        const qint64 before = folder.isNew ? 0 : sizesThen.at(folder.path).size;
        known[folder.path] = Growth{folder.path, folder.entry.index, folder.entry.size - before,
                                    folder.entry.size, folder.entry.reclaimable};
        for (const SpaceTree::Entry &child : tree.children(folder.entry.index)) {
            if (!child.folder)
                continue;
            std::string path = below(folder.path, child.name);
            const int depth = folder.depth + 1;
            const bool isNew =
                folder.isNew || (!sizesThen.count(path) && newSince(then, depth, true));
            // Growth below a folder that was too small to record then is not known.
            if (isNew || sizesThen.count(path))
                todo.push_back({child, std::move(path), depth, isNew});
        }
    }
    for (const auto &[path, was] : sizesThen)
        if (was.folder && !known.count(path) && !tree.find(tree.root() / path))
            known[path] = Growth{path, SpaceTree::noEntry, -was.size, 0, 0};

    // From the deepest up, what the folders below each grew and shrank by at most: a path's
    // folders below it sort after it, so they come first going backwards.
    struct Below {
        qint64 grew = 0;
        qint64 shrank = 0;
    };
    std::unordered_map<std::string, Below> inside;
    std::vector<Growth> listed;
    for (auto it = known.rbegin(); it != known.rend(); ++it) {
        const Growth &growth = it->second;
        const Below most = inside[growth.path];
        const bool held = growth.grown > 0 ? 4 * most.grew >= 3 * growth.grown
                                           : 4 * most.shrank <= 3 * growth.grown;
        if (growth.grown != 0 && !held)
            listed.push_back(growth);
        if (!growth.path.empty()) {
            Below &holder = inside[holderOf(growth.path)];
            holder.grew = std::max({holder.grew, most.grew, growth.grown});
            holder.shrank = std::min({holder.shrank, most.shrank, growth.grown});
        }
    }
    std::sort(listed.begin(), listed.end(), [](const Growth &a, const Growth &b) {
        return a.grown != b.grown ? a.grown > b.grown : a.path < b.path;
    });
    if (listed.size() > limit)
        listed.resize(limit);
    return listed;
}

} // namespace Engine
