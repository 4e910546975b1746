#include "SpaceMarks.h"

#include "CacheTarget.h"
#include "DevChoices.h"
#include "Paths.h"
#include "Projects.h"
#include "Settings.h"
#include "TargetCleaning.h"

#include <algorithm>

namespace Engine {

QString spaceKindName(SpaceKind kind)
{
    switch (kind) {
    case SpaceKind::none:
        break;
    case SpaceKind::quick:
        return QStringLiteral("quick");
    case SpaceKind::developer:
        return QStringLiteral("developer");
    case SpaceKind::project:
        return QStringLiteral("project");
    case SpaceKind::trash:
        return QStringLiteral("trash");
    case SpaceKind::cacheTag:
        return QStringLiteral("cachedir");
    }
    return {};
}

std::filesystem::path homeTrashFolder()
{
    return xdgDir("XDG_DATA_HOME", ".local/share") / "Trash";
}

std::vector<SpaceMark> spaceMarks()
{
    std::vector<SpaceMark> marks;
    for (const CacheTarget &target : quickTargets()) {
        for (const std::filesystem::path &path : urls(target))
            marks.push_back({path, SpaceKind::quick, target.id});
    }
    for (const DevEntry &entry : devEntries()) {
        const DevMode mode = entry.cache.mode;
        // A tagged folder is a choice only because its owner is unknown: its owner said it is
        // a cache.
        const bool rebuilds =
            mode == DevMode::Delete || mode == DevMode::Command || entry.cache.tagged;
        // Without its owner's program a command entry cannot be cleaned here.
        if (entry.kept || !rebuilds || !entry.cache.available)
            continue;
        // Each folder counts what the pane's figure counts of it.
        const SpaceKind kind = entry.cache.tagged ? SpaceKind::cacheTag : SpaceKind::developer;
        for (const DevPart &part : entry.parts)
            marks.push_back({part.path, kind, entry.cache.id,
                             part.whole ? std::nullopt : std::optional(part.frees)});
        if (entry.parts.empty())
            for (const std::filesystem::path &path : entry.cache.paths)
                marks.push_back({path, kind, entry.cache.id});
    }
    for (const Project &project : projects(projectRoots(), workingPlaces())) {
        // What Projects would not clean now (kept, in use, unreadable) is not marked.
        if (hold(project) != ProjectHold::none)
            continue;
        for (const Project::Part &part : project.artifacts)
            if (part.offered())
                marks.push_back({part.path, SpaceKind::project, displayPath(project.realPath),
                                 part.shared ? std::optional(part.size) : std::nullopt});
    }
    marks.push_back({homeTrashFolder(), SpaceKind::trash, QStringLiteral("trash")});
    return marks;
}

std::vector<std::filesystem::path> spaceKept()
{
    std::vector<std::filesystem::path> folders;
    for (const QString &text : Settings::instance().value(Settings::Key::spaceKeep).toStringList())
        folders.push_back(withoutTrailingSlash(text.toStdString()));
    return folders;
}

namespace {

bool storeKept(QStringList texts)
{
    texts.removeDuplicates();
    return Settings::instance().set(Settings::Key::spaceKeep, texts);
}

} // namespace

bool keepSpace(const std::filesystem::path &folder)
{
    QStringList texts = Settings::instance().value(Settings::Key::spaceKeep).toStringList();
    texts << QString::fromStdString(withoutTrailingSlash(folder).native());
    return storeKept(texts);
}

bool releaseSpace(const std::filesystem::path &folder)
{
    QStringList texts = Settings::instance().value(Settings::Key::spaceKeep).toStringList();
    texts.removeAll(QString::fromStdString(withoutTrailingSlash(folder).native()));
    return storeKept(texts);
}

} // namespace Engine
