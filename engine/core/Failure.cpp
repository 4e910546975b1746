#include "Failure.h"

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

QString Failure::kindName() const
{
    return QString::fromLatin1(QMetaEnum::fromType<Kind>().valueToKey(int(kind)));
}

QString Failure::logLine() const
{
    QString detail = QString::number(code);
    if (kind == Kind::refused)
        detail =
            QString::fromLatin1(QMetaEnum::fromType<Refusal::Why>().valueToKey(int(refusal.why)));
    else if (code > 0)
        detail = QString::fromLocal8Bit(std::strerror(code));
    return QString::fromStdString(path.native()) + QStringLiteral(": ") + kindName()
           + QStringLiteral(" (") + detail + QLatin1Char(')');
}

} // namespace Engine
