#include "SymbolMasks.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSvgRenderer>

#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace SymbolMasks {

QImage draw(const QString &resource, const QSize &size)
{
    QImage drawing(size, QImage::Format_ARGB32);
    drawing.fill(Qt::transparent);
    {
        QSvgRenderer svg(resource);
        QPainter painter(&drawing);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    QImage ink(size, QImage::Format_Alpha8);
    for (int y = 0; y < size.height(); ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(drawing.constScanLine(y));
        uchar *to = ink.scanLine(y);
        for (int x = 0; x < size.width(); ++x)
            to[x] = uchar(qAlpha(from[x]) * (255 - qGray(from[x])) / 255);
    }
    return ink;
}

namespace {

// The kept mask, when a regular file of exactly its length stands at `name`. Opened without
// waiting: a FIFO planted under the name must not hold the start.
std::optional<QImage> kept(const QString &name, const QSize &size)
{
    const int fd =
        ::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const auto width = std::size_t(size.width());
    QByteArray bytes(qsizetype(width) * size.height(), Qt::Uninitialized);
    struct stat st {};
    const bool whole = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == bytes.size()
                       && ::read(fd, bytes.data(), std::size_t(bytes.size())) == bytes.size();
    ::close(fd);
    if (!whole)
        return std::nullopt;
    // Read in one go; the image's lines are padded to whole words.
    QImage ink(size, QImage::Format_Alpha8);
    for (int y = 0; y < size.height(); ++y)
        std::memcpy(ink.scanLine(y), bytes.constData() + std::size_t(y) * width, width);
    return ink;
}

} // namespace

QImage mask(const QString &resource, const QSize &size)
{
    QFile file(resource);
    if (size.isEmpty() || !file.open(QIODevice::ReadOnly))
        return draw(resource, size);
    const QByteArray digest =
        QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/Ampa/symbols";
    const QString name = QStringLiteral("%1/%2-%3x%4")
                             .arg(folder, QString::fromLatin1(digest))
                             .arg(size.width())
                             .arg(size.height());
    if (auto ink = kept(name, size))
        return *ink;
    const QImage ink = draw(resource, size);
    QSaveFile out(name);
    if (QDir().mkpath(folder) && out.open(QIODevice::WriteOnly)) {
        for (int y = 0; y < size.height(); ++y)
            out.write(reinterpret_cast<const char *>(ink.constScanLine(y)), size.width());
        out.commit();
    }
    return ink;
}

} // namespace SymbolMasks
