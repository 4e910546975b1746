#pragma once

#include "CleanSchedule.h"

#include <QSet>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The desktop services that a person or the desktop answers, each behind an interface so that
// tests can answer in their place. The model receives them; the Linux implementations are below.

// Asks the user to confirm a destructive action. Blocks until answered.
class Confirmation {
public:
    virtual ~Confirmation() = default;
    // True only when the user pressed the confirm button.
    virtual bool confirm(const QString &title, const QString &message,
                         const QString &confirmLabel) = 0;
};

struct RunningApp {
    QString name;
    std::filesystem::path bundle; // the AppImage it runs from; empty for other programs
};

// The applications the user is running.
class RunningApplications {
public:
    virtual ~RunningApplications() = default;
    virtual QSet<QString> names() = 0;
    // Only those that run from a bundle (an AppImage), with its location.
    virtual std::vector<RunningApp> withBundles() = 0;
};

// The user's Trash, in the freedesktop.org layout. Safe to call from any thread.
class Trash {
public:
    virtual ~Trash() = default;
    // Moves the item (never following a link at the path) to the Trash of its volume. On failure
    // the item stays where it is and the error text comes back; it is never deleted instead.
    virtual std::optional<QString> moveToTrash(const std::filesystem::path &path) = 0;
    // Deletes for good everything in the trash folders the user owns; the last error, if any.
    virtual std::optional<QString> empty() = 0;

    // A file or folder by device and inode.
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        bool operator==(const Identity &) const = default;
    };
    // An item about to be moved, read just before: it (its link, if it is one) and the folder
    // that holds it. Nothing when either cannot be read.
    struct Moving {
        Identity item;
        Identity folder;
    };
    static std::optional<Moving> aboutToMove(const std::filesystem::path &path);
    // An item in the Trash: the trash folder, the name of its entry in files/ and info/, and
    // the folder it was moved from.
    struct Entry {
        std::filesystem::path folder;
        std::string name;
        Identity from;
    };
    // The entry a move made of the item `moving` from `original`: its .trashinfo names that
    // path and its file is that item, whatever other entries name the same path.
    virtual std::optional<Entry> find(const std::filesystem::path &original,
                                      const Moving &moving) const = 0;
    // Moves the entry back to `original` and drops its .trashinfo. Refuses, saying why, when
    // anything lies at `original` now, when the folder there is no longer the one it was moved
    // from (replaced, or a link put in its place), when the entry is gone or when it would have
    // to be copied across volumes; the item then stays in the Trash.
    virtual std::optional<QString> restore(const Entry &entry,
                                           const std::filesystem::path &original) = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void openApplication(const std::filesystem::path &app) = 0;
    // Shows the item selected in the file manager (one that is installed but not running is
    // started for it), else opens the folder that holds it. Returns at once; `done` comes later
    // on the main thread, with the failure's text when neither worked.
    virtual void revealFile(const std::filesystem::path &path,
                            std::function<void(std::optional<QString>)> done) = 0;
    // Asks the desktop's session manager for its restart prompt, which lets every program save
    // first; never restarts without it. Returns at once; `done` tells whether a prompt came.
    virtual void requestRestart(std::function<void(bool)> done) = 0;
    // Where Ampa itself runs from: its AppImage, else its executable.
    virtual std::filesystem::path selfBundle() = 0;
    // The program that runs a shell text as the administrator (it asks for the password).
    virtual QString adminRunner() = 0;
};

struct Services {
    std::shared_ptr<Confirmation> confirmation;
    std::shared_ptr<RunningApplications> runningApps;
    std::shared_ptr<Trash> trash;
    std::shared_ptr<Desktop> desktop;
    std::shared_ptr<CleanSchedule> schedule;
};

// The Linux implementations. Confirmation needs a window system, so the one given here declines
// every request; the window program passes its message box instead.
Services linuxServices();
