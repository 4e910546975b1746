#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// The main window's size rules, for the views.
class WindowRules : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // The single page's window height: as tall as its content, at least 320, and never taller
    // than the room the screen has for it less 60 (840 when there is no screen).
    Q_INVOKABLE static double classicHeight(double contentHeight, double roomHeight);
    // The used share as the whole percentage shown: truncated, so 0.999 shows 99.
    Q_INVOKABLE static int usedPercent(double fraction);
};
