#include "SymbolImageProvider.h"

#include "Icons.h"
#include "SymbolMasks.h"

#include <QIcon>
#include <QPainter>
#include <QQmlEngine>
#include <QUrl>

SymbolImageProvider::SymbolImageProvider() : QQuickImageProvider(QQuickImageProvider::Pixmap) {}

namespace {

// A theme's icon drawn to fill `pixmap`: themes ship fixed sizes, so the largest is drawn and
// scaled, and small glyphs fill the square as symbols should.
void drawIcon(QPixmap &pixmap, const QIcon &icon)
{
    QSize largest;
    for (const QSize &available : icon.availableSizes())
        largest = available.width() > largest.width() ? available : largest;
    const QPixmap drawn =
        icon.pixmap(largest.isValid() ? largest.expandedTo(pixmap.size()) : pixmap.size());
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(pixmap.rect(), drawn);
}

// One of the program's symbols in `tint`.
QImage ownSymbolImage(const QString &path, const QSize &size, const QColor &tint)
{
    const QImage ink = SymbolMasks::mask(path, size);
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        const uchar *from = ink.constScanLine(y);
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qRgba(tint.red(), tint.green(), tint.blue(), from[x] * tint.alpha() / 255);
    }
    return image;
}

} // namespace

QPixmap SymbolImageProvider::requestPixmap(const QString &id, QSize *size,
                                           const QSize &requestedSize)
{
    const QString name = QUrl::fromPercentEncoding(id.section(QLatin1Char('/'), 0, 0).toUtf8());
    const QString colour = QLatin1Char('#') + id.section(QLatin1Char('/'), 1, 1);
    const QSize wanted =
        requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : QSize(32, 32);
    QPixmap pixmap(wanted);
    pixmap.fill(Qt::transparent);
    // The program's own symbols look the same with any icon theme; they alone take a tint
    // (a full-colour icon tinted would be a silhouette).
    const QString own = Icons::ownSymbol(name);
    if (!own.isEmpty()) {
        pixmap = QPixmap::fromImage(ownSymbolImage(
            own, wanted,
            QColor::isValidColorName(colour) ? QColor::fromString(colour) : QColor(Qt::black)));
    } else if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String(":/"))) {
        // A desktop entry that names its icon by its file, or one of the program's resources.
        drawIcon(pixmap, QIcon(name));
    } else {
        drawIcon(pixmap, QIcon::fromTheme(name));
    }
    if (size)
        *size = pixmap.size();
    return pixmap;
}

void prepareEngine(QQmlEngine &engine)
{
    engine.addImportPath("qrc:/");
    if (!engine.imageProvider("symbol"))
        engine.addImageProvider("symbol", new SymbolImageProvider);
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains("/usr/share/icons"))
        paths << "/usr/share/icons";
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName("breeze");
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName("breeze");
}
