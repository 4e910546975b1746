#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The symbols the views use: the program's own monochrome drawings (ui/symbols), the same with
// any icon theme; a name that is not one of them is an icon of the theme, or an icon's file.
class Icons : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // The resource path of the program's own drawing of the symbol; empty when it has none.
    static QString ownSymbol(const QString &symbol);
    // An image source for the symbol drawn in `tint`; without a valid tint, in its own colours.
    Q_INVOKABLE static QString source(const QString &symbol, const QColor &tint = QColor());
};
