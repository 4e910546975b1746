// Putting an item back from the freedesktop.org Trash: the entry found by its .trashinfo, moved
// back only to a free place, its .trashinfo dropped after.

// GLib's headers name struct members "signals": include them before any Qt header.
#include "FreedesktopTrash.h"
#include "Paths.h"
#include "PlatformLogging.h"
#include "Text.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Descriptor = FreedesktopTrash::Descriptor;

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
const std::string infoSuffix = ".trashinfo";

struct Info {
    fs::path path;
    QByteArray deleted; // DeletionDate as written: ISO 8601, so it sorts as text
    // When the info was written, to tell apart two moves within a second.
    std::pair<qint64, qint64> written{0, 0};
};

// A .trashinfo's Path and DeletionDate; none when it is no trash info. A relative Path lies
// under `top`, the volume the trash folder belongs to; none for the home Trash (no `top`),
// whose paths are absolute.
std::optional<Info> readInfo(int infoFolder, const std::string &name, const fs::path &top)
{
    const Descriptor fd(openat(infoFolder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    QByteArray text;
    char buffer[4096];
    ssize_t got = 0;
    while (text.size() < 65536 && (got = read(fd.get(), buffer, sizeof buffer)) > 0)
        text.append(buffer, got);
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.first().trimmed() != "[Trash Info]")
        return std::nullopt;
    Info info;
    info.written = {st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    for (const QByteArray &line : lines) {
        if (line.startsWith("Path="))
            info.path = QByteArray::fromPercentEncoding(line.mid(5).trimmed()).toStdString();
        else if (line.startsWith("DeletionDate="))
            info.deleted = line.mid(13).trimmed();
    }
    if (info.path.empty())
        return std::nullopt;
    if (info.path.is_relative())
        info.path = top / info.path; // stays relative in the home Trash: it names nothing
    info.path = Engine::withoutTrailingSlash(info.path.lexically_normal());
    return info;
}

// The volume a trash folder belongs to: $top/.Trash-$uid and $top/.Trash/$uid.
fs::path topOf(const fs::path &folder)
{
    const fs::path parent = folder.parent_path();
    return parent.filename() == ".Trash" ? parent.parent_path() : parent;
}

QString said(const fs::path &original, const QString &indonesian, const QString &english)
{
    return bilingual(indonesian, english).arg(Engine::displayPath(original));
}

Trash::Identity identityOf(const struct stat &st)
{
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace

std::optional<Trash::Moving> Trash::aboutToMove(const fs::path &path)
{
    const fs::path item = Engine::withoutTrailingSlash(path.lexically_normal());
    struct stat itemSt {};
    struct stat folderSt {};
    if (lstat(item.c_str(), &itemSt) != 0 || stat(item.parent_path().c_str(), &folderSt) != 0)
        return std::nullopt;
    return Moving{identityOf(itemSt), identityOf(folderSt)};
}

std::optional<Trash::Entry> FreedesktopTrash::find(const fs::path &original,
                                                   const Moving &moving) const
{
    const fs::path wanted = Engine::withoutTrailingSlash(original.lexically_normal());
    bool home = true; // openFolders() opens the home Trash first
    for (const OpenFolder &folder : openFolders().open) {
        const fs::path top = home ? fs::path() : topOf(folder.path);
        home = false;
        const Descriptor files(openat(folder.fd.get(), "files", folderFlags));
        const int infoFd = openat(folder.fd.get(), "info", folderFlags);
        if (infoFd < 0 || !files) {
            if (infoFd >= 0)
                close(infoFd);
            continue;
        }
        DIR *listing = fdopendir(infoFd);
        if (!listing) {
            close(infoFd);
            continue;
        }
        std::optional<Entry> found;
        while (const dirent *entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name.size() <= infoSuffix.size() || !name.ends_with(infoSuffix))
                continue;
            const auto info = readInfo(dirfd(listing), name, top);
            if (!info || info->path != wanted)
                continue;
            const std::string item = name.substr(0, name.size() - infoSuffix.size());
            struct stat st {};
            if (fstatat(files.get(), item.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                && identityOf(st) == moving.item) {
                found = Entry{folder.path, item, moving.folder};
                break;
            }
        }
        closedir(listing);
        if (found)
            return found;
    }
    return std::nullopt;
}

std::optional<QString> FreedesktopTrash::restore(const Entry &entry, const fs::path &original)
{
    const fs::path target = Engine::withoutTrailingSlash(original.lexically_normal());
    const std::string leaf = target.filename().native();
    if (entry.name.empty() || entry.name.find('/') != std::string::npos || entry.name == "."
        || entry.name == ".." || !target.is_absolute() || leaf.empty() || leaf == "."
        || leaf == "..")
        return said(target, QStringLiteral("%1 tidak dikembalikan: entri Trash-nya tidak sah."),
                    QStringLiteral("%1 was not put back: its Trash entry is not valid."));
    const Descriptor trashFd(open(entry.folder.c_str(), folderFlags));
    const Descriptor files(trashFd ? openat(trashFd.get(), "files", folderFlags) : -1);
    const Descriptor info(trashFd ? openat(trashFd.get(), "info", folderFlags) : -1);
    struct stat st {};
    if (!files || fstatat(files.get(), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return said(target, QStringLiteral("%1 tidak ada lagi di Trash."),
                    QStringLiteral("%1 is no longer in the Trash."));
    const Descriptor parent(open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent)
        return said(target, QStringLiteral("%1 tidak dikembalikan: foldernya sudah tidak ada."),
                    QStringLiteral("%1 was not put back: its folder is gone."));
    // Back only into the folder it left: a folder put at that path since, or a link to another
    // one, is not where it came from.
    if (fstat(parent.get(), &st) != 0 || identityOf(st) != entry.from)
        return said(target,
                    QStringLiteral("%1 tidak dikembalikan: foldernya bukan lagi folder asalnya."),
                    QStringLiteral("%1 was not put back: its folder is no longer the one it was "
                                   "moved from."));
    // Whatever lies there now stays, and so does the item in the Trash.
    if (fstatat(parent.get(), leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return said(target,
                    QStringLiteral("%1 tidak dikembalikan: sudah ada sesuatu di tempat itu."),
                    QStringLiteral("%1 was not put back: something else is there now."));
    if (renameat2(files.get(), entry.name.c_str(), parent.get(), leaf.c_str(), RENAME_NOREPLACE)
        != 0) {
        const int code = errno;
        qCWarning(lcPlatform, "not put back from the Trash: %s: %s", target.c_str(),
                  std::strerror(code));
        if (code == EEXIST)
            return said(target,
                        QStringLiteral("%1 tidak dikembalikan: sudah ada sesuatu di tempat itu."),
                        QStringLiteral("%1 was not put back: something else is there now."));
        if (code == EXDEV)
            return said(target,
                        QStringLiteral("%1 tidak dikembalikan: Trash-nya ada di volume lain."),
                        QStringLiteral("%1 was not put back: its Trash is on another volume."));
        return said(target, QStringLiteral("%1 tidak dikembalikan: "),
                    QStringLiteral("%1 was not put back: "))
               + QString::fromLocal8Bit(std::strerror(code));
    }
    // The item is back; a .trashinfo left behind would only name nothing.
    if (!info || unlinkat(info.get(), (entry.name + infoSuffix).c_str(), 0) != 0)
        qCWarning(lcPlatform, "put back, but its trash info stays: %s", entry.name.c_str());
    return std::nullopt;
}
