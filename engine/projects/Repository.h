#pragma once

#include <QDateTime>
#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

namespace Engine {

// What a git repository says about a folder inside its working tree. Read by a library in this
// process: nothing the repository configures (hooks, filters, fsmonitor, external diff,
// credential helpers) is ever run, since a home holds repositories cloned from anywhere.
struct RepositoryView {
    // False when the repository could not be read (damaged, owned by another user, a bare one):
    // nothing else here is known, and nothing that depends on it may be offered.
    bool readable = false;
    QString problem;           // why it could not be read, as the library says it
    std::filesystem::path top; // the working tree's top folder, links resolved
    // For each candidate folder: whether it holds a tracked file or is itself a gitlink (a
    // submodule or an embedded repository). Names are compared as bytes.
    std::vector<bool> tracked;
    // For each candidate asked to be proven ignored: the first file in it (relative to the
    // candidate) that is neither tracked nor ignored by the repository's own rules, which makes
    // it the user's new work.
    std::vector<std::optional<std::filesystem::path>> unignored;
    bool dirty = false; // anything not committed, untracked files included
    std::optional<QDateTime> lastCommit;
};

// The repository whose working tree holds `folder` (searched upwards, on the same file system),
// read only from its own files, and only when that is bounded: a configuration that includes
// what is not a regular file (a FIFO would block for good), or an index or configuration too
// large, makes it unreadable, with the reason;
// asked about `candidates`, folders at or below `folder`; those whose `proveIgnored` is set are
// searched for files the repository does not ignore. Blocks on the disk.
RepositoryView readRepository(const std::filesystem::path &folder,
                              const std::vector<std::filesystem::path> &candidates,
                              const std::vector<bool> &proveIgnored = {});

} // namespace Engine
