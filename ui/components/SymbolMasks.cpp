#include "SymbolMasks.h"

#include "FileText.h"
#include "Paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstring>
#include <fcntl.h>

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

QImage mask(const QString &resource, const QSize &size)
{
    QFile file(resource);
    if (size.isEmpty() || !file.open(QIODevice::ReadOnly))
        return draw(resource, size);
    const QByteArray digest =
        QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
    const QString folder = QString::fromStdString(
        (Engine::xdgDir("XDG_CACHE_HOME", ".cache") / "ampa/symbols").native());
    const QString name = QStringLiteral("%1/%2-%3x%4")
                             .arg(folder, QString::fromLatin1(digest))
                             .arg(size.width())
                             .arg(size.height());
    const auto bytes = std::size_t(size.width()) * std::size_t(size.height());
    if (const auto kept =
            Engine::fileText(AT_FDCWD, QFile::encodeName(name).constData(), bytes + 1);
        kept && kept->size() == bytes) {
        QImage ink(size, QImage::Format_Alpha8);
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(ink.scanLine(y), kept->data() + std::size_t(y) * std::size_t(size.width()),
                        std::size_t(size.width()));
        return ink;
    }
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
