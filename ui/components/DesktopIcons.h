#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Icon names from the icon theme for a file's type. (An application's own icon comes from the
// model: Model.appIcon.)
class DesktopIcons : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // The icon of the file's type ("folder" for folders, "application-x-executable" for an
    // AppImage), from its name and contents.
    Q_INVOKABLE QString fileIcon(const QString &path) const;
};
