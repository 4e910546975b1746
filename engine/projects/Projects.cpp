#include "Projects.h"

#include "ActivityLog.h"
#include "BuildFolder.h"
#include "Paths.h"
#include "ProcessTable.h"
#include "Removal.h"
#include "Repository.h"
#include "RunningApps.h"
#include "Settings.h"
#include "SizeText.h"
#include "TreeSize.h"

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

namespace {

namespace fs = std::filesystem;

bool insideRepository(const fs::path &folder)
{
    for (fs::path at = folder; at.has_relative_path(); at = at.parent_path()) {
        struct stat st {};
        if (lstat((at / ".git").c_str(), &st) == 0)
            return true;
    }
    return false;
}

// A path as the keep-list and the places compare it: links resolved where it exists.
fs::path resolved(const fs::path &path)
{
    std::error_code error;
    fs::path real = fs::weakly_canonical(path, error);
    return withoutTrailingSlash(error ? path.lexically_normal() : real);
}

fs::path storedPath(const QString &entry)
{
    return resolved(fs::path(entry.toStdString()));
}

std::vector<fs::path> keptFolders()
{
    std::vector<fs::path> folders;
    for (const QString &entry : Settings::instance().projectKeep())
        if (!entry.isEmpty() && entry.startsWith('/'))
            folders.push_back(storedPath(entry));
    return folders;
}

// The keep-list holds texts: a name that is not valid UTF-8 is compared as it is shown, which
// can only keep more, never less.
bool isKept(const fs::path &realPath, const std::vector<fs::path> &kept)
{
    const fs::path shown(displayPath(realPath).toStdString());
    return std::any_of(kept.begin(), kept.end(),
                       [&shown](const fs::path &folder) { return isSameOrInside(shown, folder); });
}

bool isRepository(std::string_view name)
{
    return name == ".git";
}

// Why a build folder outside a repository is not shown to be the build tool's alone.
Withheld buildFolderWithheld(const fs::path &folder)
{
    const std::optional<fs::path> file = userFileInBuildFolder(folder);
    if (!file)
        return {};
    if (file->empty() || file->is_absolute())
        return {Withheld::Why::unreadable};
    return {Withheld::Why::notMadeByBuild, *file};
}

Withheld notIgnoredWithheld(const std::optional<fs::path> &file)
{
    if (!file)
        return {};
    if (file->empty())
        return {Withheld::Why::unreadable};
    return {Withheld::Why::notIgnored, *file};
}

bool worksIn(const Project &project, const std::optional<WorkingPlaces> &places)
{
    struct stat st {};
    if (!places || stat(project.scope.c_str(), &st) != 0)
        return true; // not known: taken as in use
    return places->contains({st.st_dev, st.st_ino});
}

// Adds the folder open at `fd` (closed here) and every folder above it, as far as the kernel
// climbs from it, to `places`; a folder already there has all above it there too.
void addWithFoldersAbove(int fd, WorkingPlaces &places)
{
    while (fd >= 0) {
        struct stat st {};
        if (fstat(fd, &st) != 0 || !places.insert({st.st_dev, st.st_ino}).second)
            break; // the root's ".." is the root itself
        const int up = openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = up;
    }
    if (fd >= 0)
        close(fd);
}

// The folder holding `file` (a path as the process names it), reached through its own root.
void addFolderOf(const std::string &pid, const fs::path &file, WorkingPlaces &places,
                 std::set<fs::path> &done)
{
    if (!file.is_absolute() || !done.insert(file.parent_path()).second)
        return;
    const fs::path seen = fs::path("/proc") / pid / "root" / file.parent_path().relative_path();
    addWithFoldersAbove(open(seen.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC), places);
}

} // namespace

const std::vector<std::string> &usualProjectFolders()
{
    static const std::vector<std::string> names{"src", "code", "projects", "Projects", "work",
                                                "dev", "git",  "repos",    "workspace"};
    return names;
}

std::vector<fs::path> projectRoots()
{
    const fs::path home = homeDir();
    std::vector<fs::path> candidates;
    for (const QString &root :
         Settings::instance().value(Settings::Key::projectRoots).toStringList())
        candidates.push_back(url(root.toStdString()));
    if (candidates.empty())
        for (const std::string &name : usualProjectFolders())
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

std::optional<WorkingPlaces> workingPlaces()
{
    const std::string self = std::to_string(getpid());
    const std::vector<std::string> pids = userProcessIds();
    // The table lists at least this process: an empty one was not read.
    if (std::find(pids.begin(), pids.end(), self) == pids.end())
        return std::nullopt;
    WorkingPlaces places;
    for (const std::string &pid : pids) {
        if (pid == self)
            continue;
        const fs::path proc = fs::path("/proc") / pid;
        addWithFoldersAbove(open((proc / "cwd").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC), places);
        std::set<fs::path> done; // folders of this process already added
        if (const fs::path program = processLink(pid, "exe"); !program.empty())
            addFolderOf(pid, program, places, done);
        for (const fs::path &mapped : processMappedFiles(pid))
            addFolderOf(pid, mapped, places, done);
        const fs::path fds = proc / "fd";
        for (const std::string &fd : folderEntries(fds).value_or(std::vector<std::string>{})) {
            std::error_code error;
            fs::path target = fs::read_symlink(fds / fd, error);
            constexpr std::string_view deleted = " (deleted)";
            if (!error && target.native().ends_with(deleted))
                target = target.native().substr(0, target.native().size() - deleted.size());
            if (error)
                continue;
            // A folder held open is a place itself.
            const int held = open((fds / fd).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (held >= 0)
                addWithFoldersAbove(held, places);
            else
                addFolderOf(pid, target, places, done);
        }
    }
    return places;
}

std::vector<Project> projects(const std::vector<fs::path> &roots,
                              const std::optional<WorkingPlaces> &places)
{
    const std::vector<fs::path> kept = keptFolders();
    std::vector<Project> found;
    for (FoundProject &candidate : findProjects(roots)) {
        // Another user's project (the roots may reach past the home) is theirs to clean.
        if (candidate.id.owner != geteuid())
            continue;
        Project project;
        project.path = candidate.path;
        project.realPath = candidate.realPath;
        project.scope = candidate.realPath;
        project.id = candidate.id;
        project.kind = candidate.kind;
        QDateTime newest = QDateTime::fromSecsSinceEpoch(candidate.newestSource, Qt::UTC);
        std::vector<bool> tracked(candidate.artifacts.size(), false);
        std::vector<Withheld> withheld(candidate.artifacts.size());
        const bool inRepository = candidate.repository || insideRepository(candidate.path);
        if (inRepository) {
            std::vector<fs::path> paths;
            std::vector<bool> buildFolders;
            for (const Artifact &artifact : candidate.artifacts) {
                paths.push_back(artifact.path);
                buildFolders.push_back(artifact.kind == QLatin1String("cmake"));
            }
            const RepositoryView git = readRepository(candidate.path, paths, buildFolders);
            if (git.readable) {
                tracked = git.tracked;
                for (std::size_t i = 0; i < withheld.size(); ++i)
                    withheld[i] = notIgnoredWithheld(git.unignored[i]);
                project.dirty = git.dirty;
                project.scope = git.top;
                if (git.lastCommit && *git.lastCommit > newest)
                    newest = *git.lastCommit;
            } else {
                project.unreadable = git.problem;
            }
        }
        std::vector<fs::path> paths;
        for (std::size_t i = 0; i < candidate.artifacts.size(); ++i) {
            if (tracked[i])
                continue;
            const Artifact &artifact = candidate.artifacts[i];
            const SizeSeen measured = sizeWatching(artifact.path, isRepository);
            using Why = Withheld::Why;
            // A folder made read-only is a tool's own copy (Go's module cache, say).
            Withheld reason = artifact.id.owner != geteuid()      ? Withheld{Why::otherUser}
                              : (artifact.id.mode & S_IWUSR) == 0 ? Withheld{Why::readOnly}
                              : !measured.seen.empty()            ? Withheld{Why::holdsRepository}
                                                                  : withheld[i];
            if (reason.why == Why::none && !inRepository && artifact.kind == QLatin1String("cmake"))
                reason = buildFolderWithheld(artifact.path);
            project.artifacts.push_back({artifact.path, artifact.kind, measured.bytes, artifact.id,
                                         artifact.noLockfile, measured.shared, reason});
            if (reason.why == Why::none)
                paths.push_back(artifact.path);
        }
        if (project.artifacts.empty())
            continue;
        project.size = reclaimableSize(paths);
        project.lastActivity = newest;
        project.inUse = worksIn(project, places);
        project.kept = isKept(project.realPath, kept);
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

ProjectHold hold(const Project &project)
{
    if (project.unreadable)
        return ProjectHold::unreadable;
    if (project.kept)
        return ProjectHold::kept;
    if (project.inUse)
        return ProjectHold::inUse;
    if (std::none_of(project.artifacts.begin(), project.artifacts.end(),
                     std::mem_fn(&Project::Part::offered)))
        return ProjectHold::withheld;
    return ProjectHold::none;
}

bool inIdleBatch(const Project &project, int days, const QDateTime &now)
{
    return hold(project) == ProjectHold::none && idleDays(project, now) >= days
           && std::none_of(project.artifacts.begin(), project.artifacts.end(),
                           [](const Project::Part &part) { return part.noLockfile; });
}

std::vector<Project> idleBatch(const std::vector<Project> &projects, int days)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    std::vector<Project> batch;
    for (const Project &project : projects)
        if (inIdleBatch(project, days, now))
            batch.push_back(project);
    return batch;
}

const Project *projectAt(const std::vector<Project> &projects, const fs::path &path)
{
    const fs::path wanted = resolved(path);
    for (const Project &project : projects)
        if (project.realPath == wanted || project.path == path.lexically_normal())
            return &project;
    return nullptr;
}

KeepChange keepProject(const fs::path &folder)
{
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    if (error || !fs::is_directory(real, error) || error)
        return KeepChange::notAFolder;
    const QString entry = displayPath(real);
    QStringList kept = Settings::instance().projectKeep();
    kept.removeIf([&real](const QString &stored) { return storedPath(stored) == real; });
    kept << entry;
    Settings::instance().setProjectKeep(kept);
    return Settings::instance().projectKeep() == kept ? KeepChange::done : KeepChange::notSaved;
}

KeepChange releaseProject(const fs::path &folder)
{
    const fs::path real = resolved(folder);
    const QString typed = displayPath(folder);
    QStringList kept = Settings::instance().projectKeep();
    const qsizetype removed = kept.removeIf(
        [&](const QString &stored) { return stored == typed || storedPath(stored) == real; });
    if (removed == 0)
        return KeepChange::notKept;
    Settings::instance().setProjectKeep(kept);
    return Settings::instance().projectKeep() == kept ? KeepChange::done : KeepChange::notSaved;
}

ProjectCleaning cleanProject(const Project &project)
{
    ProjectCleaning cleaning;
    if (project.unreadable) {
        cleaning.held = ProjectHold::unreadable;
        return cleaning;
    }
    if (project.kept || isKept(project.realPath, keptFolders())) {
        cleaning.held = ProjectHold::kept;
        return cleaning;
    }
    if (std::none_of(project.artifacts.begin(), project.artifacts.end(),
                     std::mem_fn(&Project::Part::offered))) {
        cleaning.held = ProjectHold::withheld;
        return cleaning;
    }
    if (worksIn(project, workingPlaces())) {
        cleaning.held = ProjectHold::inUse;
        return cleaning;
    }
    for (const Project::Part &artifact : project.artifacts) {
        if (!artifact.offered())
            continue;
        const RemovalResult removed =
            removeFolderAsSeen(project.realPath, project.id,
                               artifact.path.lexically_relative(project.path), artifact.id);
        cleaning.freed += removed.freed;
        if (removed.failure && !cleaning.failure)
            cleaning.failure = removed.failure;
    }
    log("proyek: " + displayPath(project.path) + ": dibebaskan " + fmt(cleaning.freed));
    return cleaning;
}

} // namespace Engine
