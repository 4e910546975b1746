#include "SpaceExportBench.h"

#include "NcduFormat.h"
#include "SpaceTree.h"

#include <QElapsedTimer>

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace SpaceExportBench {

namespace {

using Engine::SpaceTree;
using Figures = std::tuple<qint64, qint64, qint64, qint64>;

// Every folder's figures, by its path below the root.
std::map<std::string, Figures> folderFigures(const SpaceTree &tree)
{
    std::map<std::string, Figures> figures;
    std::vector<std::pair<SpaceTree::Entry, std::string>> todo{
        {tree.entry(SpaceTree::rootIndex), std::string()}};
    while (!todo.empty()) {
        auto [entry, path] = std::move(todo.back());
        todo.pop_back();
        figures[path] = {entry.size, entry.apparent, entry.count, entry.newest};
        for (const SpaceTree::Entry &child : tree.children(entry.index)) {
            if (child.folder && !child.otherMount)
                todo.emplace_back(child, path + '/' + child.name);
        }
    }
    return figures;
}

} // namespace

void roundTrip(const std::filesystem::path &tree)
{
    SpaceTree walked(tree);
    if (!walked.walk({})) {
        std::printf("space_export: %s could not be walked\n", tree.c_str());
        return;
    }
    std::filesystem::path file = tree;
    file += ".ncdu.json";
    QElapsedTimer timer;
    timer.start();
    std::string error;
    if (!Engine::writeNcdu(walked, file, &error)) {
        std::printf("space_export: not written: %s\n", error.c_str());
        return;
    }
    const qint64 writing = timer.restart();
    const Engine::ScanRead read = Engine::readNcdu(file);
    const qint64 reading = timer.elapsed();
    std::error_code ignored;
    const auto bytes = std::filesystem::file_size(file, ignored);
    std::filesystem::remove(file, ignored);
    std::printf("space_export_ms: %lld\nspace_export_bytes: %llu\nspace_import_ms: %lld\n",
                static_cast<long long>(writing), static_cast<unsigned long long>(bytes),
                static_cast<long long>(reading));
    if (!read.tree) {
        std::printf("space_export_roundtrip: not read (problem %d at byte %lld)\n",
                    static_cast<int>(read.problem), static_cast<long long>(read.offset));
        return;
    }
    const auto before = folderFigures(walked);
    const auto after = folderFigures(*read.tree);
    std::size_t mismatches = before.size() > after.size() ? before.size() - after.size() : 0;
    for (const auto &[path, figures] : after) {
        const auto was = before.find(path);
        mismatches += was == before.end() || was->second != figures;
    }
    if (mismatches == 0)
        std::printf("space_export_roundtrip: exact (%zu folders, %lld entries)\n", before.size(),
                    static_cast<long long>(walked.progress().entries));
    else
        std::printf("space_export_roundtrip: %zu mismatches of %zu folders\n", mismatches,
                    before.size());
}

} // namespace SpaceExportBench
