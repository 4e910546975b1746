#include "PnpmStore.h"

#include "TreeSize.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Engine {

namespace {

constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int statFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
// An index file is a small JSON list of a package's files; a larger one is not pnpm's.
constexpr qint64 maxIndexBytes = 16 * 1024 * 1024;

struct Entry {
    std::string name;
    struct stat st;
};

// The entries of the folder `name` in `dirFd`, each with its metadata, links not followed.
std::vector<Entry> listing(int dirFd, const char *name)
{
    std::vector<Entry> entries;
    const int fd = openat(dirFd, name, dirFlags);
    if (fd < 0)
        return entries;
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return entries;
    }
    while (const dirent *entry = readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (entryName == "." || entryName == "..")
            continue;
        Entry found{entryName, {}};
        if (fstatat(fd, entry->d_name, &found.st, statFlags) == 0)
            entries.push_back(std::move(found));
    }
    closedir(dir);
    return entries;
}

qint64 allocated(const struct stat &st)
{
    return static_cast<qint64>(st.st_blocks) * 512;
}

QByteArray readSmallFile(int dirFd, const std::string &name)
{
    const int fd = openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray text;
    char buffer[64 * 1024];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0 && text.size() < maxIndexBytes;)
        text.append(buffer, got);
    close(fd);
    return text;
}

// The content file that holds a package's package.json, named by the hex of its sha512 as
// files/<first two>/<rest>; empty when the index names none.
std::string packageJsonFile(const QByteArray &index)
{
    const QJsonObject files = QJsonDocument::fromJson(index).object().value("files").toObject();
    const QString integrity = files.value("package.json").toObject().value("integrity").toString();
    if (!integrity.startsWith(QLatin1String("sha512-")))
        return {};
    const QByteArray digest = QByteArray::fromBase64(integrity.mid(7).toLatin1());
    if (digest.size() != 64)
        return {};
    const std::string hex = digest.toHex().toStdString();
    return hex.substr(0, 2) + "/" + hex.substr(2);
}

// One layout of the store, open at `fd`.
qint64 pruneOfLayout(int fd, const std::filesystem::path &layout)
{
    qint64 total = 0;
    std::vector<std::pair<int, std::string>> indexFiles; // (folder, name)
    std::vector<int> folders;
    std::vector<std::string> unlinked; // "<first two>/<rest>" of the content files that go
    const int files = openat(fd, "files", dirFlags);
    for (const Entry &group : files >= 0 ? listing(files, ".") : std::vector<Entry>{}) {
        if (!S_ISDIR(group.st.st_mode))
            continue;
        const int groupFd = openat(files, group.name.c_str(), dirFlags);
        if (groupFd < 0)
            continue;
        folders.push_back(groupFd);
        for (const Entry &file : listing(groupFd, ".")) {
            if (!S_ISREG(file.st.st_mode))
                continue; // a folder in there is not pnpm's, and its prune leaves it
            if (file.name.ends_with("-index.json")) {
                indexFiles.emplace_back(groupFd, file.name);
            } else if (file.st.st_nlink == 1) {
                total += allocated(file.st);
                unlinked.push_back(group.name + "/" + file.name);
            }
        }
    }
    // Newer layouts keep the index files apart, in index/<first two>/.
    const int index = openat(fd, "index", dirFlags);
    for (const Entry &group : index >= 0 ? listing(index, ".") : std::vector<Entry>{}) {
        const int groupFd =
            S_ISDIR(group.st.st_mode) ? openat(index, group.name.c_str(), dirFlags) : -1;
        if (groupFd < 0)
            continue;
        folders.push_back(groupFd);
        for (const Entry &file : listing(groupFd, "."))
            if (S_ISREG(file.st.st_mode) && file.name.ends_with(".json"))
                indexFiles.emplace_back(groupFd, file.name);
    }
    std::sort(unlinked.begin(), unlinked.end());
    for (const auto &[folder, name] : indexFiles) {
        const std::string content = packageJsonFile(readSmallFile(folder, name));
        if (content.empty() || !std::binary_search(unlinked.begin(), unlinked.end(), content))
            continue;
        struct stat st {};
        if (fstatat(folder, name.c_str(), &st, statFlags) == 0 && st.st_nlink == 1)
            total += allocated(st);
    }
    for (const int folder : folders)
        close(folder);
    if (files >= 0)
        close(files);
    if (index >= 0)
        close(index);
    return total + size(layout / "tmp"); // the prune removes it whole
}

} // namespace

qint64 pnpmPruneSize(const std::filesystem::path &store)
{
    qint64 total = 0;
    const int fd = open(store.c_str(), dirFlags);
    if (fd >= 0) {
        for (const Entry &layout : listing(fd, ".")) {
            if (!S_ISDIR(layout.st.st_mode) || !layout.name.starts_with('v'))
                continue;
            const int layoutFd = openat(fd, layout.name.c_str(), dirFlags);
            if (layoutFd < 0)
                continue;
            total += pruneOfLayout(layoutFd, store / layout.name);
            close(layoutFd);
        }
        close(fd);
    }
    return total;
}

} // namespace Engine
