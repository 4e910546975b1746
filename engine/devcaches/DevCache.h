#pragma once

#include "Failure.h"
#include "FolderIdentity.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

namespace Engine {

// How a developer cache is cleaned.
enum class DevMode {
    Delete,  // Ampa removes its folders, skipped while its owner runs
    Command, // Ampa runs the owner's own command, without a shell, and shows what it printed
    Choice,  // installed tools or data that cannot be downloaded again: removed only when chosen
    Report,  // owned by the system: its size and the command to run as root
};

// "delete", "command", "choice" or "report".
QString devModeName(DevMode mode);

// How the size of an entry is known before it is cleaned.
enum class DevEstimate {
    folders,   // removing its folders: everything in them and the folders themselves
    files,     // its command empties its folders but keeps them and the kept parts
    pnpmPrune, // what `pnpm store prune` takes of the store, and the `emptied` folders
    unknown,   // only running the command tells
};

// A program run without a shell; its name is looked up on PATH when it runs.
struct DevCommand {
    QString program;
    QStringList arguments;
    // As a person would type it.
    QString text() const;
};

// A sign left by a running owner, surer than a process name.
struct OwnerLock {
    enum class Kind {
        singleton, // a link to "host-pid" (Chromium and Electron profiles)
        firefox,   // a link to "address:+pid" (a Firefox profile)
        pidFile,   // a file holding the pid (Bazel's server)
        flock,     // a file the owner keeps locked (Cargo's package cache)
        flatpak,   // a running instance of the Flatpak application `app` ($XDG_RUNTIME_DIR)
        programs,  // a process whose program lies in the folder (a snap's /snap/<name>)
    };
    Kind kind;
    std::filesystem::path path;
    QString app = {};
};

// A folder the catalogue found but does not offer, and why: reached through a link that leads
// where no clean goes, or one of the user's own folders named by a tool's variable.
struct DevRefusal {
    std::filesystem::path path;
    Refusal why;
};

// A folder its owner tagged as a cache (CACHEDIR.TAG) and no catalogue entry names, as it was
// found: it goes only while it and the folder holding it are still these and the tag still holds.
struct TaggedFolder {
    FolderIdentity parent;
    FolderIdentity folder;
};

// Its name, its note and what a choice loses are words/'s, found by its id.
struct DevCache {
    // Stable key: a catalogue entry's own ("cargo"), "flatpak:" and a Flatpak application's id,
    // "snap:" and a snap's name, or a tagged folder's (TaggedCaches.h).
    QString id;
    QString icon; // a symbol of the views
    DevMode mode = DevMode::Delete;
    // What is measured and, in the delete and choice modes, removed: real folders, each vetted
    // from its tool's folder by the quick clean's rules (FolderRules.h). Only existing ones.
    std::vector<std::filesystem::path> paths;
    // What was found and is not offered, with why; never measured nor removed.
    std::vector<DevRefusal> refused;
    // What lies beside them that no action ever removes, to show. Only existing ones.
    std::vector<std::filesystem::path> keep;
    // Program names whose processes mean the owner runs, and surer signs of it.
    QStringList owners;
    QStringList ownerArguments; // an argument that marks a process (a Java main class)
    std::vector<OwnerLock> locks;
    // Command mode (and a choice that the owner carries out): the owner's own clean. Delete
    // mode: a server of the owner's that is stopped first, since it runs long after the work
    // that started it.
    std::optional<DevCommand> command;
    std::optional<DevCommand> stopFirst;
    QString rootCommand; // report mode: what to run as root
    DevEstimate estimate = DevEstimate::folders;
    // Folders beside the paths that its command empties too (pnpm's metadata cache); measured
    // only, never removed by Ampa.
    std::vector<std::filesystem::path> emptied;
    // The size the owner itself reports (Docker), where the paths are not what is cleaned.
    std::optional<qint64> reportedSize;
    // False for a command-mode entry whose program is not on PATH: it cannot be cleaned here.
    bool available = true;
    // Set for a tagged folder of unknown owner (TaggedCaches.h), whose one path is that folder.
    std::optional<TaggedFolder> tagged;
};

// Where the catalogue looks outside the home folder; only tests pass other folders.
struct DevRoots {
    std::filesystem::path journal = "/var/log/journal";
};

// The developer caches present for the current user now (variables read afresh; missing
// folders, tools and services left out), in catalogue order.
// Runs owners' commands to ask them (Docker, Flatpak): never call it on the main thread.
QList<DevCache> devCaches(const DevRoots &roots = {});

} // namespace Engine
