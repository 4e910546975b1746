#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The one mapping from the symbol names the views use to names of the icon theme, for the views
// and for the tray icon.
class Icons : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // The icon theme's name for a symbol; an unknown symbol is taken as a theme name itself.
    Q_INVOKABLE static QString name(const QString &symbol);
    // An image source for the symbol drawn in `tint`; without a valid tint, in its own colours.
    Q_INVOKABLE static QString source(const QString &symbol, const QColor &tint = QColor());
};
