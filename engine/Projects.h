#pragma once

#include "Failure.h"
#include "ProjectFinder.h"

#include <QDateTime>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

namespace Engine {

// A project as it is offered: its artifacts with what each would give back, how long it has been
// idle, and whether it may be cleaned now.
struct Project {
    std::filesystem::path path;
    QString kind;
    struct Part {
        std::filesystem::path path;
        QString kind;
        qint64 size = 0; // hard-linked files counted only when all their links lie in it
    };
    std::vector<Part> artifacts;
    qint64 size = 0;        // all artifacts together, counted the same way
    QDateTime lastActivity; // the newest of its files outside the artifacts and its last commit
    bool dirty = false;     // a repository with changes not committed
    bool inUse = false;     // a process of the user works or holds a file inside
};

// The folders searched: the `projectRoots` setting when it names any, else those of ~/src,
// ~/code, ~/projects, ~/Projects, ~/work, ~/dev, ~/git, ~/repos and ~/workspace that exist; a
// root inside another is searched once.
std::vector<std::filesystem::path> projectRoots();

// Where the user's processes work: each one's working folder and the files it holds open.
std::vector<std::filesystem::path> workingPlaces();

// The projects under the roots with their artifacts measured, the largest first. An artifact that
// holds files its repository tracks is not one (asked of git, when git is installed; without git,
// a repository's artifacts are left out). Blocks.
std::vector<Project> projects(const std::vector<std::filesystem::path> &roots,
                              const std::vector<std::filesystem::path> &places);

// Whether one of the places lies inside `folder`.
bool inUse(const std::filesystem::path &folder, const std::vector<std::filesystem::path> &places);

// Whole days since the project's last activity, at `now`.
int idleDays(const Project &project, const QDateTime &now = QDateTime::currentDateTimeUtc());

struct ProjectCleaning {
    qint64 freed = 0;
    bool inUse = false;             // skipped: in use now
    std::optional<Failure> failure; // the first artifact that stayed, partly or whole
};

// Removes the project's artifacts with the quick clean's removal, unless the project is in use
// now; logs one line. Blocks.
ProjectCleaning cleanProject(const Project &project,
                             const std::vector<std::filesystem::path> &places);

} // namespace Engine
