#pragma once

#include <QString>

#include <ctime>
#include <filesystem>
#include <vector>

namespace Engine {

// A folder of build output or dependencies that its project makes again ("node_modules" beside a
// package.json, "target" beside a Cargo.toml, a folder holding a pyvenv.cfg, …).
struct Artifact {
    std::filesystem::path path;
    QString kind; // the folder's kind: "node_modules", "target", "venv", "cmake", …
};

// A project found under the roots, with its artifacts.
struct FoundProject {
    std::filesystem::path path;
    QString kind;                    // "node", "rust", "maven", "python", "cmake", "gradle", …
    std::vector<Artifact> artifacts; // in the order found
    std::time_t newestSource = 0;    // newest modification of its files outside the artifacts
    bool repository = false;         // a git repository's top folder
};

// The projects under `roots` that hold at least one artifact, sorted by path. The walk follows no
// link, stays on each root's mount, never enters an artifact, ".git" or another user's folder it
// cannot read, and keeps in memory only the folders waiting to be read. A folder with a project's
// marker file starts a project of its own (nested ones too); an artifact outside any project
// makes its parent folder one. Whether an artifact holds files a repository tracks is not known
// here (see `Projects`). Blocks: never on the main thread.
std::vector<FoundProject> findProjects(const std::vector<std::filesystem::path> &roots);

} // namespace Engine
