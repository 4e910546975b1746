#include "Projects.h"

#include "ActivityLog.h"
#include "Paths.h"
#include "ProcessTable.h"
#include "Removal.h"
#include "RunningApps.h"
#include "Settings.h"
#include "Shell.h"
#include "Text.h"
#include "TreeSize.h"

#include <QStandardPaths>

#include <algorithm>
#include <sys/stat.h>

namespace Engine {

namespace {

namespace fs = std::filesystem;

// What git says about the repository at `folder`: which of `candidates` hold tracked files,
// whether anything is not committed, and when the last commit was.
struct RepositoryState {
    std::vector<bool> tracked;
    bool dirty = false;
    std::optional<QDateTime> lastCommit;
    bool known = false;
};

RepositoryState askGit(const fs::path &folder, const std::vector<Artifact> &candidates)
{
    RepositoryState state;
    state.tracked.assign(candidates.size(), true); // unknown: never an artifact
    const QString git = QStandardPaths::findExecutable("git");
    if (git.isEmpty())
        return state;
    const QString where = displayPath(folder);
    QStringList arguments{"-C", where, "ls-files", "-z", "--"};
    for (const Artifact &artifact : candidates)
        arguments << displayPath(artifact.path.lexically_relative(folder));
    const ShellResult listed = shell(git, arguments);
    if (listed.code != 0)
        return state;
    const QStringList files = listed.out.split(QChar(0), Qt::SkipEmptyParts);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const QString prefix = displayPath(candidates[i].path.lexically_relative(folder)) + '/';
        state.tracked[i] = std::any_of(files.begin(), files.end(), [&prefix](const QString &file) {
            return file.startsWith(prefix);
        });
    }
    const ShellResult status = shell(git, {"-C", where, "status", "--porcelain", "-z"});
    state.dirty = status.code == 0 && !status.out.isEmpty();
    const ShellResult log = shell(git, {"-C", where, "log", "-1", "--format=%ct"});
    bool ok = false;
    const qint64 seconds = log.out.trimmed().toLongLong(&ok);
    if (log.code == 0 && ok)
        state.lastCommit = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    state.known = true;
    return state;
}

bool insideRepository(const fs::path &folder)
{
    for (fs::path at = folder; at.has_relative_path(); at = at.parent_path()) {
        struct stat st {};
        if (lstat((at / ".git").c_str(), &st) == 0)
            return true;
    }
    return false;
}

} // namespace

std::vector<fs::path> projectRoots()
{
    const fs::path home = homeDir();
    std::vector<fs::path> candidates;
    for (const QString &root :
         Settings::instance().value(Settings::Key::projectRoots).toStringList())
        candidates.push_back(url(root.toStdString()));
    if (candidates.empty())
        for (const char *name :
             {"src", "code", "projects", "Projects", "work", "dev", "git", "repos", "workspace"})
            candidates.push_back(home / name);
    std::vector<fs::path> roots;
    for (const fs::path &candidate : candidates) {
        const fs::path root = withoutTrailingSlash(candidate.lexically_normal());
        if (root.is_absolute() && isFolderHere(root))
            roots.push_back(root);
    }
    std::sort(roots.begin(), roots.end());
    std::vector<fs::path> outermost;
    for (const fs::path &root : roots)
        if (outermost.empty() || !isSameOrInside(root, outermost.back()))
            outermost.push_back(root);
    return outermost;
}

std::vector<fs::path> workingPlaces()
{
    std::vector<fs::path> places;
    for (const std::string &pid : userProcessIds()) {
        if (fs::path cwd = processLink(pid, "cwd"); !cwd.empty())
            places.push_back(std::move(cwd));
        const fs::path fds = fs::path("/proc") / pid / "fd";
        for (const std::string &fd : folderEntries(fds).value_or(std::vector<std::string>{})) {
            std::error_code error;
            fs::path target = fs::read_symlink(fds / fd, error);
            if (!error && target.is_absolute())
                places.push_back(std::move(target));
        }
    }
    return places;
}

bool inUse(const fs::path &folder, const std::vector<fs::path> &places)
{
    return std::any_of(places.begin(), places.end(),
                       [&folder](const fs::path &place) { return isSameOrInside(place, folder); });
}

std::vector<Project> projects(const std::vector<fs::path> &roots,
                              const std::vector<fs::path> &places)
{
    std::vector<Project> found;
    for (FoundProject &candidate : findProjects(roots)) {
        Project project;
        project.path = candidate.path;
        project.kind = candidate.kind;
        QDateTime newest = QDateTime::fromSecsSinceEpoch(candidate.newestSource, Qt::UTC);
        // In a repository, git says which candidates hold tracked files (and when it cannot
        // answer, none is taken); outside one, nothing is tracked.
        RepositoryState git;
        if (candidate.repository || insideRepository(candidate.path))
            git = askGit(candidate.path, candidate.artifacts);
        else
            git.tracked.assign(candidate.artifacts.size(), false);
        std::vector<fs::path> paths;
        for (std::size_t i = 0; i < candidate.artifacts.size(); ++i) {
            if (git.tracked[i])
                continue;
            const Artifact &artifact = candidate.artifacts[i];
            project.artifacts.push_back(
                {artifact.path, artifact.kind, reclaimableSize({artifact.path})});
            paths.push_back(artifact.path);
        }
        if (paths.empty())
            continue;
        project.size = reclaimableSize(paths);
        project.dirty = git.dirty;
        if (git.lastCommit && *git.lastCommit > newest)
            newest = *git.lastCommit;
        project.lastActivity = newest;
        project.inUse = inUse(project.path, places);
        found.push_back(std::move(project));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Project &a, const Project &b) { return a.size > b.size; });
    return found;
}

int idleDays(const Project &project, const QDateTime &now)
{
    return static_cast<int>(std::max<qint64>(0, project.lastActivity.secsTo(now) / 86400));
}

ProjectCleaning cleanProject(const Project &project, const std::vector<fs::path> &places)
{
    ProjectCleaning cleaning;
    if (inUse(project.path, places)) {
        cleaning.inUse = true;
        return cleaning;
    }
    for (const Project::Part &artifact : project.artifacts) {
        const RemovalResult removed = removeItem(artifact.path);
        cleaning.freed += removed.freed;
        if (removed.failure && !cleaning.failure)
            cleaning.failure = removed.failure;
    }
    log("proyek: " + displayPath(project.path) + ": dibebaskan " + fmt(cleaning.freed));
    return cleaning;
}

} // namespace Engine
