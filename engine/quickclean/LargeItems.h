#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <filesystem>
#include <vector>

// One large item that the user may move to the Trash. Each record gets a fresh id, so two scans of
// the same file give two different ids; the fields do not change after construction.
class FileItem {
public:
    FileItem(std::filesystem::path url, qint64 size, QDateTime modified);

    QUuid id() const { return itemId; }
    const std::filesystem::path &url() const { return itemUrl; }
    qint64 size() const { return itemSize; }
    QDateTime modified() const { return itemModified; }

private:
    QUuid itemId;
    std::filesystem::path itemUrl;
    qint64 itemSize;
    QDateTime itemModified;
};

namespace Engine {

// Where applications live and how they are recognised: the folders, in order, and the exact,
// case-sensitive extension of an application's entry.
struct AppFolders {
    std::vector<std::filesystem::path> roots;
    std::string extension;
};

// AppImages in /Applications and ~/Applications, the conventional homes of AppImages.
AppFolders linuxAppFolders();
// Application bundles (".app") in /Applications and ~/Applications, kept as data.
AppFolders macAppFolders();

// The date that stands for an unreadable modification time.
QDateTime distantPast();

// The `count` largest entries directly in the Downloads folder, largest first; equal sizes keep
// the listing order. Hidden entries are never listed; a folder is one item measured whole. An
// unreadable or missing folder gives an empty list.
std::vector<FileItem> downloadsTop(int count);

// The user's Downloads folder: XDG_DOWNLOAD_DIR of user-dirs.dirs, else ~/Downloads (also
// when that setting names the home folder itself).
std::filesystem::path downloadsDir();

// The `count` largest applications of the folders, in the order of downloadsTop. An application
// in two folders is listed twice; unlistable folders contribute nothing.
std::vector<FileItem> appsTop(int count, const AppFolders &folders = linuxAppFolders());

// An application's name as shown: its file name without the extension.
QString appName(const std::filesystem::path &app);

} // namespace Engine
