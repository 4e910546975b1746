#include "ProjectList.h"

#include "Paths.h"
#include "ProjectWords.h"
#include "Text.h"

#include <QMap>

namespace {

QString projectKindName(const QString &kind)
{
    static const QMap<QString, QString> names{
        {"node", "Node.js"},  {"rust", "Rust"},   {"maven", "Maven"},   {"gradle", "Gradle"},
        {"python", "Python"}, {"cmake", "CMake"}, {"elixir", "Elixir"}, {"dart", "Dart"},
        {"zig", "Zig"},       {"go", "Go"},       {"git", "Git"}};
    return names.value(kind, bilingual("Lainnya", "Other"));
}

// A path under the home folder as "~/…", shorter to read.
QString homeRelative(const std::filesystem::path &path)
{
    const std::filesystem::path home = Engine::homeDir();
    if (!Engine::isSameOrInside(path, home))
        return shownName(Engine::displayPath(path));
    return shownName("~/" + Engine::displayPath(path.lexically_relative(home)));
}

} // namespace

ProjectList::ProjectList(QObject *parent)
    : RecordList({"id", "name", "path", "kind", "artifacts", "size", "idleDays", "dirty", "inUse",
                  "unreadable", "noLockfile", "kept", "withheld", "offered"},
                 parent)
{}

void ProjectList::set(const std::vector<ProjectItem> &items, bool kept)
{
    std::vector<Row> rows;
    for (const ProjectItem &item : items) {
        if (item.kept != kept)
            continue;
        const Engine::Project &project = item.project;
        QStringList artifacts;
        bool noLockfile = false;
        bool offered = false;
        QStringList withheld;
        for (const Engine::Project::Part &part : project.artifacts) {
            artifacts << isolatedName(Engine::displayPath(part.path.filename()));
            noLockfile = noLockfile || part.noLockfile;
            offered = offered || part.offered();
            if (!part.offered())
                withheld << isolatedName(Engine::displayPath(part.path.filename())) + ": "
                                + withheldText(part.withheld);
        }
        rows.push_back({item.id,
                        {item.id, shownName(Engine::displayPath(project.path.filename())),
                         homeRelative(project.path), projectKindName(project.kind),
                         artifacts.join(", "), double(project.size), Engine::idleDays(project),
                         project.dirty, project.inUse, project.unreadable.value_or(QString()),
                         noLockfile, item.kept, withheld.join("; "), offered}});
    }
    replace(std::move(rows));
}
