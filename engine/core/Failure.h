#pragma once

#include <QObject>
#include <QString>

#include <filesystem>

namespace Engine {

// Why something was not done, as data: the kind decides (an exit status, a symbol), the text is
// made where it is shown, in the language of that moment.
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
        refused,       // the clean does not go there (`reason` says why)
        commandFailed, // an owner's command ended with the status in `code`; `path` is the program
    };
    Q_ENUM(Kind)

    Kind kind = Kind::failed;
    int code = 0; // the system's error number, when it gave one
    std::filesystem::path path;
    QString reason; // for `refused`

    // The kind that fits a system error number.
    static Failure ofErrno(int code, std::filesystem::path path);

    // "<path>: <why>", the path as the user reads it.
    QString text() const;
    // A stable name for scripts: "failed", "notAllowed", "mountPoint", …
    QString kindName() const;

    bool operator==(const Failure &) const = default;
};

// Why a mount point was not removed.
QString mountPointText();

} // namespace Engine
