#pragma once

#include "FolderIdentity.h"

#include <QString>

#include <ctime>
#include <filesystem>
#include <vector>

namespace Engine {

// A folder of build output or dependencies that its project makes again ("node_modules" beside a
// package.json, "target" beside a Cargo.toml, a virtual environment in a Python project, …).
struct Artifact {
    std::filesystem::path path;
    QString kind;      // its kind: "node_modules", "target", "venv", "cmake", "yarn", …
    FolderIdentity id; // the folder as it was found: a removal takes only this folder
    // node_modules with no lockfile beside, or a virtual environment with no requirements or lock
    // beside: it may reinstall differently, or not at all
    bool noLockfile = false;
};

// A project found under the roots, with its artifacts.
struct FoundProject {
    std::filesystem::path path;     // under the root as the root was written
    std::filesystem::path realPath; // the same folder, links in the root's path resolved
    FolderIdentity id;
    QString kind;                    // "node", "rust", "maven", "python", "cmake", "gradle", …
    std::vector<Artifact> artifacts; // in the order found
    std::time_t newestSource = 0;    // newest modification of its files outside the artifacts
    bool repository = false;         // a git repository's top folder
    bool python = false;             // holds a Python project's marker
    bool pythonRequirements = false; // names what its virtual environment is made again from
};

// The projects under `roots` that hold at least one artifact and a file of their own, sorted by
// path. The walk follows no link, stays on each root's mount, never enters an artifact, ".git",
// a folder it cannot read, the tools' own places (the XDG base folders, ~/.local, ~/.cache,
// ~/.cargo, ~/go/pkg, hidden folders at the top of the home, and those the environment names:
// GOMODCACHE, GOPATH's pkg, CARGO_HOME, RUSTUP_HOME, npm's prefix, PNPM_HOME, pipx's, Maven's and
// Gradle's homes, …) or a virtual environment, and keeps in memory
// only the folders waiting to be read. A folder with a project's marker file or a ".git" starts a
// project (nested ones too). An artifact is only ever build output inside a project: never a
// folder that holds ".git" or a project's marker; a CMake build folder only when its cache names
// another folder as its source; a virtual environment only in a Python project's or a
// repository's own folder, holding nothing but what a virtual environment holds; Yarn 4's install
// output (.yarn/unplugged, and .yarn/install-state.gz, a file) only in the project's own .yarn,
// never the rest of .yarn, which is the project's. Whether an
// artifact holds files a repository tracks is not known here (see `Projects`). Blocks: never on
// the main thread.
std::vector<FoundProject> findProjects(const std::vector<std::filesystem::path> &roots);

} // namespace Engine
