#pragma once

#include "Failure.h"
#include "FolderIdentity.h"
#include "ProjectFinder.h"

#include <QDateTime>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <set>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace Engine {

// Why an artifact cannot be shown to be what rebuilds itself; words/ says it.
struct Withheld {
    Q_GADGET

public:
    enum class Why {
        none,            // offered
        otherUser,       // another user's
        readOnly,        // made read-only: a tool's own copy
        holdsRepository, // holds a .git, perhaps with work not committed
        unreadable,      // its files could not be read
        notMadeByBuild,  // a build folder outside a repository holding `file`, not CMake's
        notIgnored,      // holds `file`, which its repository neither tracks nor ignores
    };
    Q_ENUM(Why)

    Why why = Why::none;
    std::filesystem::path file = {}; // from the artifact
};

// A project as it is offered: its artifacts with what each would give back, how long it has been
// idle, and whether it may be cleaned now. Every rule of what is offered, kept, idle and in use
// lives here, for the window and the terminal alike.
struct Project {
    std::filesystem::path path;     // as found under its root
    std::filesystem::path realPath; // links resolved: what places and the keep-list compare with
    // The folder whose processes count as working in the project: its repository's top (a
    // monorepo's root holds its packages' work), else the project itself. Links resolved.
    std::filesystem::path scope;
    FolderIdentity id;
    QString kind;
    struct Part {
        std::filesystem::path path;
        QString kind;
        qint64 size = 0; // hard-linked files counted only when all their links lie in it
        FolderIdentity id;
        bool noLockfile = false; // node_modules that may not reinstall to the same tree
        bool shared = false; // holds files linked from elsewhere too: `size` is less than it holds
        // Why it cannot be shown to be what rebuilds itself: then it is listed, never removed,
        // and counts in no figure.
        Withheld withheld;
        bool offered() const { return withheld.why == Withheld::Why::none; }
    };
    std::vector<Part> artifacts;
    qint64 size = 0;        // all offered artifacts together, counted the same way
    QDateTime lastActivity; // the newest of its files outside the artifacts and its last commit
    bool dirty = false;     // a repository with changes not committed
    bool inUse = false;     // a process of the user works in it, runs from it or holds a file
    bool kept = false;      // it or a folder holding it is on the keep-list
    // Its repository could not be read, and why: then what it tracks is not known and nothing of
    // the project is offered.
    std::optional<QString> unreadable;
};

// Why a project is not cleaned when asked.
enum class ProjectHold {
    none,       // it may be cleaned
    kept,       // on the keep-list
    inUse,      // a process works in it, or the processes could not be read
    unreadable, // its repository could not be read
    withheld,   // none of its artifacts can be shown to be what rebuilds itself
};

// Where projects usually lie, as names of folders in the home: src, code, projects, Projects,
// work, dev, git, repos and workspace.
const std::vector<std::string> &usualProjectFolders();

// The folders searched: the `projectRoots` setting when it names any, else the usual ones that
// exist; a root inside another is searched once.
std::vector<std::filesystem::path> projectRoots();

// Where the user's processes work: every folder that holds, at any depth, one's working folder,
// its program, a file it maps or a file it holds open, by identity (device and inode). Each is
// reached through the process's own view of the file system, so that a bind mount, a folder seen
// from another mount namespace (a container, a sandbox) or a link names the same folders.
using WorkingPlaces = std::set<std::pair<dev_t, ino_t>>;

// The places of every process of the user's but this one; nothing when the process table cannot
// be read.
std::optional<WorkingPlaces> workingPlaces();

// The projects under the roots with their artifacts measured, the largest first. An artifact that
// holds a file its repository tracks is not one. One that holds a repository at any depth, or a
// build folder that holds a file its build tool did not make (outside a repository) or a file
// its repository neither tracks nor ignores, or another user's, is listed with the reason and not
// offered. Only the user's own projects are listed. `places` is
// what `workingPlaces` read; nothing there counts every project as in use. Blocks.
std::vector<Project> projects(const std::vector<std::filesystem::path> &roots,
                              const std::optional<WorkingPlaces> &places);

// Whole days since the project's last activity, at `now`.
int idleDays(const Project &project, const QDateTime &now = QDateTime::currentDateTimeUtc());

// Why the project may not be cleaned as it was listed; `none` when it may.
ProjectHold hold(const Project &project);

// Whether "delete idle ones" takes the project: it may be cleaned, has been idle for `days`, and
// every artifact reinstalls as it was (a node_modules without a lockfile may not).
bool inIdleBatch(const Project &project, int days,
                 const QDateTime &now = QDateTime::currentDateTimeUtc());

// The projects "delete idle ones" takes, in the order given.
std::vector<Project> idleBatch(const std::vector<Project> &projects, int days);

// The project among `projects` that is the folder at `path` (compared as the same folder, links
// resolved); nothing when none is.
const Project *projectAt(const std::vector<Project> &projects, const std::filesystem::path &path);

// The keep-list: folders whose projects, nested ones included, are never offered.
enum class KeepChange {
    done,
    notAFolder, // keep: nothing is at the path, or it is not a folder
    notKept,    // release: the path is not on the list
    notSaved,   // the settings file could not be written
};
KeepChange keepProject(const std::filesystem::path &folder);
KeepChange releaseProject(const std::filesystem::path &folder);

struct ProjectCleaning {
    qint64 freed = 0;
    ProjectHold held = ProjectHold::none; // not cleaned, and why
    std::optional<Failure> failure;       // the first artifact that stayed, partly or whole
};

// Removes the project's artifacts, each only while it is still the folder that was measured,
// reached without following links; asks again right before, since time has passed since the
// listing, whether the project is kept or in use. Logs one line. Blocks.
ProjectCleaning cleanProject(const Project &project);

} // namespace Engine
