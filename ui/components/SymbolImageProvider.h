#pragma once

#include <QQuickImageProvider>

// "image://symbol/NAME" draws icon NAME of the icon theme; "image://symbol/NAME/rrggbb" draws its
// shape in that colour, as a symbol. A name the theme lacks gives a transparent image.
class SymbolImageProvider : public QQuickImageProvider {
public:
    SymbolImageProvider();
    QPixmap requestPixmap(const QString &id, QSize *size, const QSize &requestedSize) override;
};

class QQmlEngine;

// Everything a QML engine needs before it loads Ampa's views: the import path of the module,
// the symbol images, and an icon theme that exists (breeze when the desktop names none).
void prepareEngine(QQmlEngine &engine);
