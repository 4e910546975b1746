#include "LargeItems.h"

#include "Paths.h"
#include "Stop.h"
#include "TreeSize.h"

#include <QStandardPaths>

#include <algorithm>
#include <sys/stat.h>

FileItem::FileItem(std::filesystem::path url, qint64 size, QDateTime modified)
    : itemId(QUuid::createUuid()), itemUrl(std::move(url)), itemSize(size),
      itemModified(std::move(modified))
{}

namespace Engine {

namespace {

// The folder's visible entries in listing order, those with `extension` when one is given.
void listVisible(const std::filesystem::path &folder, std::vector<std::filesystem::path> &out,
                 const std::string &extension = {})
{
    for (const std::string &name : folderEntries(folder).value_or(std::vector<std::string>{})) {
        if (name.starts_with('.'))
            continue;
        if (!extension.empty() && std::filesystem::path(name).extension() != "." + extension)
            continue;
        out.push_back(folder / name);
    }
}

QDateTime modifiedTime(const std::filesystem::path &path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return distantPast();
    const qint64 ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

std::vector<FileItem> largest(const std::vector<std::filesystem::path> &entries, int count)
{
    std::vector<FileItem> items;
    items.reserve(entries.size());
    for (const std::filesystem::path &entry : entries) {
        if (stopRequested())
            break;
        items.emplace_back(entry, size(entry), modifiedTime(entry));
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const FileItem &a, const FileItem &b) { return a.size() > b.size(); });
    const auto keep = std::min(items.size(), static_cast<std::size_t>(std::max(count, 0)));
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(keep), items.end());
    return items;
}

} // namespace

AppFolders linuxAppFolders()
{
    return {{"/Applications", url("~/Applications")}, "AppImage"};
}

AppFolders macAppFolders()
{
    return {{"/Applications", url("~/Applications")}, "app"};
}

QDateTime distantPast()
{
    return QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
}

std::filesystem::path downloadsDir()
{
    const std::filesystem::path home = withoutTrailingSlash(homeDir());
    const std::filesystem::path location = withoutTrailingSlash(
        QStandardPaths::writableLocation(QStandardPaths::DownloadLocation).toStdString());
    // xdg-user-dirs points a disabled folder at the home folder itself, which is no Downloads.
    return location.empty() || location == home ? home / "Downloads" : location;
}

std::vector<FileItem> downloadsTop(int count)
{
    std::vector<std::filesystem::path> entries;
    listVisible(downloadsDir(), entries);
    return largest(entries, count);
}

std::vector<FileItem> appsTop(int count, const AppFolders &folders)
{
    std::vector<std::filesystem::path> entries;
    for (const std::filesystem::path &root : folders.roots)
        listVisible(root, entries, folders.extension);
    return largest(entries, count);
}

QString appName(const std::filesystem::path &app)
{
    return QString::fromUtf8(app.stem().native());
}

} // namespace Engine
