#include "SymbolImageProvider.h"

#include <QIcon>
#include <QPainter>
#include <QQmlEngine>

SymbolImageProvider::SymbolImageProvider() : QQuickImageProvider(QQuickImageProvider::Pixmap) {}

QPixmap SymbolImageProvider::requestPixmap(const QString &id, QSize *size,
                                           const QSize &requestedSize)
{
    const QString name = id.section(QLatin1Char('/'), 0, 0);
    const QString colour = QLatin1Char('#') + id.section(QLatin1Char('/'), 1, 1);
    const QSize wanted =
        requestedSize.isValid() && !requestedSize.isEmpty() ? requestedSize : QSize(32, 32);
    QPixmap pixmap(wanted);
    pixmap.fill(Qt::transparent);
    const QIcon icon = QIcon::fromTheme(name);
    if (!icon.isNull()) {
        // Themes ship fixed sizes: draw the largest one and scale it, so small glyphs fill the
        // square as symbols should.
        QSize largest;
        for (const QSize &available : icon.availableSizes())
            largest = available.width() > largest.width() ? available : largest;
        const QPixmap drawn = icon.pixmap(largest.isValid() ? largest.expandedTo(wanted) : wanted);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(pixmap.rect(), drawn);
        if (QColor::isValidColorName(colour)) {
            // Keep the icon's shape, take the colour: a symbol in the tint.
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(pixmap.rect(), QColor::fromString(colour));
        }
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
