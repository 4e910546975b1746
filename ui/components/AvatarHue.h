#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The hue of an initials avatar: it depends on the initials alone, so the same initials always
// get the same colour ("AB" gives 281/360, "" gives 0).
class AvatarHue : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;
    Q_INVOKABLE static double of(const QString &initials);
};
