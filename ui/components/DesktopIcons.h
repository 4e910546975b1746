#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

// Icon names from the icon theme for what the views show: an application's own icon from its
// installed desktop entry, and a file's type icon.
class DesktopIcons : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // The Icon= of the first installed application entry named one of `names`; "" when none.
    Q_INVOKABLE QString appIcon(const QStringList &names);
    // The icon of the file's type ("folder" for folders, "application-x-executable" for an
    // AppImage), from its name and contents.
    Q_INVOKABLE QString fileIcon(const QString &path) const;

private:
    QHash<QString, QString> iconsByName;
    bool loaded = false;
};
