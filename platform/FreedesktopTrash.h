#pragma once

#include "Services.h"

#include <filesystem>
#include <optional>
#include <vector>

// The Trash in the freedesktop.org layout. Moving goes through GIO, which checks the
// trash folders it uses, encodes Path= and creates a missing Trash. Emptying is Ampa's own: it
// deletes, in every trash folder the user owns, what `files/` holds (never following links, and
// never trusting a .trashinfo to name anything), then the info files, then `directorysizes`.
class FreedesktopTrash : public Trash {
public:
    // `volumeTops` lists the mount points whose trash folders count; by default the mounted file
    // systems of /proc/self/mounts.
    explicit FreedesktopTrash(std::optional<std::vector<std::filesystem::path>> volumeTops = {});

    std::optional<QString> moveToTrash(const std::filesystem::path &path) override;
    std::optional<QString> empty() override;

    // The trash folders emptied, in order: the home trash, then each volume's $top/.Trash/$uid
    // and $top/.Trash-$uid; only real folders (not links) that the user owns, and for .Trash a
    // sticky, non-link parent.
    std::vector<std::filesystem::path> trashFolders() const;

private:
    std::optional<std::vector<std::filesystem::path>> tops;
};
