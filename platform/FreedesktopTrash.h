#pragma once

#include "Services.h"

#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

// The Trash in the freedesktop.org layout. Moving goes through GIO, which checks the
// trash folders it uses, encodes Path= and creates a missing Trash. Emptying is Ampa's own: it
// deletes, in every trash folder the user owns, what `files/` holds (never following links, and
// never trusting a .trashinfo to name anything), then the info files, then `directorysizes`.
// Each trash folder is opened once and checked through that descriptor; all the work inside it
// goes through descriptors too, so a trash folder renamed or swapped for a link once it is open
// cannot lead the emptying anywhere else.
class FreedesktopTrash : public Trash {
public:
    // `volumeTops` lists the mount points whose trash folders count; by default the mounted file
    // systems of /proc/self/mounts. Takes a relative XDG_DATA_HOME out of the environment (the
    // base directory rules ignore it) before GLib reads and keeps it, so that moving and
    // emptying use the same home Trash. Call it before other threads read the environment.
    explicit FreedesktopTrash(std::optional<std::vector<std::filesystem::path>> volumeTops = {});

    // Also refuses, with the error text, while GLib holds a relative data folder (read before
    // this object existed): GIO would trash into a folder relative to the working folder.
    std::optional<QString> moveToTrash(const std::filesystem::path &path) override;
    // emptyFolders(openFolders()).
    std::optional<QString> empty() override;
    // In the folders openFolders() opens; a volume's Path= is read relative to its top, the
    // home Trash's only as an absolute path.
    std::optional<Entry> find(const std::filesystem::path &original,
                              const Moving &moving) const override;
    // Through descriptors of the trash folder's files/ and info/ and of the original's parent;
    // the move never replaces anything (RENAME_NOREPLACE).
    std::optional<QString> restore(const Entry &entry,
                                   const std::filesystem::path &original) override;

    // An open descriptor, closed with its owner; -1 when there is none.
    class Descriptor {
    public:
        explicit Descriptor(int fd = -1) : value(fd) {}
        Descriptor(Descriptor &&other) noexcept;
        Descriptor &operator=(Descriptor &&other) noexcept;
        Descriptor(const Descriptor &) = delete;
        Descriptor &operator=(const Descriptor &) = delete;
        ~Descriptor();
        int get() const { return value; }
        explicit operator bool() const { return value >= 0; }

    private:
        int value;
    };

    struct OpenFolder {
        std::filesystem::path path; // where it was found; only shown in messages
        Descriptor fd;
    };

    struct Folders {
        std::vector<OpenFolder> open;
        // Trash folders of ours that were left alone, each text naming the folder and why.
        QStringList refused;
    };

    // Finds and opens the trash folders to empty, in order: the home trash, then each volume's
    // $top/.Trash/$uid and $top/.Trash-$uid. Only real folders (not links) that the user owns,
    // for .Trash a sticky, non-link parent; each folder once. A $top/.Trash-$uid whose top
    // someone else may write to (its owner, or its group or everyone without the sticky bit)
    // is refused: they could have renamed any folder of ours into its place.
    Folders openFolders() const;

    // Empties the folders held open, working only through their descriptors. The refused
    // folders' texts and the last removal failure come back, joined; none when all went.
    static std::optional<QString> emptyFolders(Folders folders);

    // The paths of the folders that openFolders() holds open.
    std::vector<std::filesystem::path> trashFolders() const;

private:
    std::optional<std::vector<std::filesystem::path>> tops;
};
