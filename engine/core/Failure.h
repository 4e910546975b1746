#pragma once

#include <QObject>
#include <QString>

#include <filesystem>

namespace Engine {

// Why a clean leaves a folder alone, as data.
struct Refusal {
    Q_GADGET

public:
    enum class Why {
        unreadable,     // it cannot be examined
        notAFolder,     // a folder was expected
        otherUser,      // it belongs to another user
        homeOrAbove,    // the home folder or a folder above it
        userFolder,     // one of the user's own folders (Documents, …) or a folder holding one
        mountPoint,     // a mount point
        outside,        // outside the folders the clean works in
        linkTo,         // a link, to `to`, that leads where the clean does not go
        unlikeTheCache, // a link, to `to`, that leads to a folder without the cache's shape
        holdsKeptPart,  // it holds a part that must stay
        notInstalled,   // the program that cleans it is not installed
        notAsShown,     // no longer the folder that was found and shown (replaced, moved, a link)
        noCacheTag,     // its CACHEDIR.TAG, the only reason it was offered, is gone or not valid
        baseFolder,     // a base folder tools keep their files in (cache, data, …) or holds one
        keysPlace,      // a place of keys, credentials or configuration (~/.ssh, ~/.config/x, …)
        holdsWork,      // holds a project, a repository or a file a repository tracks
    };
    Q_ENUM(Why)

    Why why = Why::unreadable;
    std::filesystem::path to = {}; // for `linkTo` and `unlikeTheCache`

    bool operator==(const Refusal &) const = default;
};

// Why something was not done, as data: the kind decides (an exit status, a symbol), the text is
// made where it is shown, in the language of that moment (by words/, which defines text()).
struct Failure {
    Q_GADGET

public:
    enum class Kind {
        failed,        // the system refused, for the reason its error number gives
        notAllowed,    // no permission (EACCES, EPERM, EROFS)
        mountPoint,    // a mount point: never removed or emptied
        otherMount,    // lies on another file system, mounted inside: never entered
        notAFolder,    // a folder was expected
        moved,         // a folder moved away while it was emptied
        stopped,       // the program was quitting
        refused,       // the clean does not go there (`refusal` says why)
        commandFailed, // an owner's command ended with the status in `code`; `path` is the program
    };
    Q_ENUM(Kind)

    Kind kind = Kind::failed;
    int code = 0; // the system's error number, when it gave one
    std::filesystem::path path;
    Refusal refusal = {}; // for `refused`

    // The kind that fits a system error number.
    static Failure ofErrno(int code, std::filesystem::path path);

    // "<path>: <why>", the path as the user reads it. Defined with the program's words
    // (words/EngineWords.cpp): the engine itself never calls it.
    QString text() const;
    // A stable name for scripts: "failed", "notAllowed", "mountPoint", …
    QString kindName() const;
    // For the program's own log, in no user's language: "<path>: <kind> (<detail>)".
    QString logLine() const;

    bool operator==(const Failure &) const = default;
};

} // namespace Engine
