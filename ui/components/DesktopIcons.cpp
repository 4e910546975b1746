#include "DesktopIcons.h"

#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>

QString DesktopIcons::fileIcon(const QString &path) const
{
    const QFileInfo info(path);
    if (info.isDir())
        return "folder";
    if (path.endsWith(QLatin1String(".AppImage")))
        return "application-x-executable";
    // By name first: a download's contents may be incomplete or empty.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    for (const QString &name : {type.iconName(), type.genericIconName()}) {
        if (type.isValid() && !name.isEmpty() && QIcon::hasThemeIcon(name))
            return name;
    }
    return "text-x-generic";
}
