#include "Failure.h"

#include "Paths.h"
#include "Text.h"

#include <QMetaEnum>

#include <cerrno>
#include <cstring>

namespace Engine {

Failure Failure::ofErrno(int code, std::filesystem::path path)
{
    const Kind kind = code == EACCES || code == EPERM || code == EROFS ? Kind::notAllowed
                      : code == ENOTDIR                                ? Kind::notAFolder
                                                                       : Kind::failed;
    return {kind, code, std::move(path), {}};
}

QString Failure::text() const
{
    QString why;
    switch (kind) {
    case Kind::failed:
    case Kind::notAllowed:
    case Kind::notAFolder:
        why = QString::fromLocal8Bit(std::strerror(code));
        break;
    case Kind::mountPoint:
        why = mountPointText();
        break;
    case Kind::otherMount:
        why = bilingual("ada di sistem file lain dan tidak disentuh",
                        "is on another file system and was left alone");
        break;
    case Kind::moved:
        why = bilingual("folder dipindahkan saat dihapus; penghapusan dihentikan",
                        "a folder was moved during removal; removal stopped");
        break;
    case Kind::stopped:
        why = bilingual("penghapusan dihentikan", "removal stopped");
        break;
    case Kind::refused:
        why = reason;
        break;
    case Kind::commandFailed:
        why = code < 0 ? bilingual("tidak bisa dijalankan", "could not be started")
                       : bilingual("berakhir dengan status %1", "ended with status %1").arg(code);
        break;
    }
    return displayPath(path) + QStringLiteral(": ") + why;
}

QString Failure::kindName() const
{
    return QString::fromLatin1(QMetaEnum::fromType<Kind>().valueToKey(int(kind)));
}

QString mountPointText()
{
    return bilingual("titik mount, tidak disentuh", "is a mount point and was left alone");
}

} // namespace Engine
