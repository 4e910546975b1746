// GLib's headers name struct members "signals": include them before any Qt header.
#include "FreedesktopTrash.h"

#include "Paths.h"
#include "PlatformLogging.h"
#include "Removal.h"
#include "Text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <mntent.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;
using Descriptor = FreedesktopTrash::Descriptor;

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// GIO's calls, loaded at the first move to the Trash: linked, GIO and what it pulls in (GObject,
// libmount, libblkid, SELinux, libffi) would load with every start of the window program, which
// mostly never moves anything. Null when GIO cannot be loaded; `error` then says why.
struct Gio {
    GFile *(*fileForPath)(const char *path) = nullptr;
    gboolean (*trash)(GFile *file, GCancellable *cancellable, GError **error) = nullptr;
    void (*unref)(gpointer object) = nullptr;
    QString error;
};

const Gio &gio()
{
    static const Gio loaded = [] {
        Gio calls;
        void *library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            calls.error = QString::fromLocal8Bit(dlerror());
            return calls;
        }
        // Looked up through GIO's handle, which reaches the libraries it depends on.
        calls.fileForPath =
            reinterpret_cast<decltype(calls.fileForPath)>(dlsym(library, "g_file_new_for_path"));
        calls.trash = reinterpret_cast<decltype(calls.trash)>(dlsym(library, "g_file_trash"));
        calls.unref = reinterpret_cast<decltype(calls.unref)>(dlsym(library, "g_object_unref"));
        if (!calls.fileForPath || !calls.trash || !calls.unref)
            calls.error = QStringLiteral("GIO lacks g_file_trash");
        return calls;
    }();
    return loaded;
}
const std::string infoSuffix = ".trashinfo";

std::vector<fs::path> mountedTops()
{
    std::vector<fs::path> tops;
    std::set<fs::path> seen;
    if (FILE *mounts = setmntent("/proc/self/mounts", "r")) {
        while (const mntent *entry = getmntent(mounts)) {
            if (seen.insert(entry->mnt_dir).second)
                tops.emplace_back(entry->mnt_dir);
        }
        endmntent(mounts);
    }
    return tops;
}

// The home trash of the data folder that GIO moves into. A relative value that GLib read before
// us is not used: moving refuses then, and the base directory rules' default stands.
fs::path homeTrash()
{
    const gchar *data = g_get_user_data_dir();
    return (g_path_is_absolute(data) ? fs::path(data) : Engine::homeDir() / ".local/share")
           / "Trash";
}

// The folder `name` in `parent`, opened without following a link, when it is a real folder that
// the user owns; checked through the descriptor, so what is checked is what is used.
Descriptor openOwnFolder(int parent, const char *name)
{
    Descriptor fd(openat(parent, name, folderFlags));
    struct stat st {};
    if (!fd || fstat(fd.get(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
        return Descriptor();
    return fd;
}

// Whether anyone other than the user and root could rename entries of this folder.
bool othersMayRename(const struct stat &folder)
{
    if (folder.st_uid != geteuid() && folder.st_uid != 0)
        return true;
    return (folder.st_mode & (S_IWGRP | S_IWOTH)) && !(folder.st_mode & S_ISVTX);
}

QString failure(const fs::path &path, int code)
{
    const QString why =
        code == ELOOP || code == ENOTDIR
            ? bilingual("bukan folder, dibiarkan", "is not a folder and was left alone")
            : QString::fromLocal8Bit(std::strerror(code));
    return Engine::displayPath(path) + QStringLiteral(": ") + why;
}

// Empties one open trash folder; the last failure's text, if any.
std::optional<QString> emptyTrashFolder(const FreedesktopTrash::OpenFolder &trash)
{
    std::optional<QString> error;
    const fs::path filesPath = trash.path / "files";
    const Descriptor files(openat(trash.fd.get(), "files", folderFlags));
    const bool noFiles = !files && errno == ENOENT;
    if (!files && !noFiles)
        error = failure(filesPath, errno);
    const Descriptor info(openat(trash.fd.get(), "info", folderFlags));
    if (!info && errno != ENOENT)
        error = failure(trash.path / "info", errno);

    // Names come from the files/ listing itself, never from an info file's contents.
    if (files) {
        const auto names = Engine::folderEntries(files.get());
        if (!names)
            error = failure(filesPath, errno);
        for (const std::string &name : names.value_or(std::vector<std::string>{})) {
            if (auto removal = Engine::removeItemAt(files.get(), name, filesPath / name).failure) {
                error = removal->text(); // its info file stays: it still describes something
                continue;
            }
            if (info)
                unlinkat(info.get(), (name + infoSuffix).c_str(), 0);
        }
    }
    // Info files whose item is gone describe nothing any more. With files/ unreadable that is
    // unknown, so they stay.
    if (info && (files || noFiles)) {
        for (const std::string &name :
             Engine::folderEntries(info.get()).value_or(std::vector<std::string>{})) {
            if (!name.ends_with(infoSuffix))
                continue;
            const std::string item = name.substr(0, name.size() - infoSuffix.size());
            if (item.empty() || item == "." || item == "..")
                continue;
            struct stat st {};
            if (files
                && (fstatat(files.get(), item.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                    || errno != ENOENT))
                continue;
            unlinkat(info.get(), name.c_str(), 0);
        }
    }
    unlinkat(trash.fd.get(), "directorysizes", 0);
    return error;
}

} // namespace

FreedesktopTrash::Descriptor::Descriptor(Descriptor &&other) noexcept
    : value(std::exchange(other.value, -1))
{}

FreedesktopTrash::Descriptor &FreedesktopTrash::Descriptor::operator=(Descriptor &&other) noexcept
{
    if (this != &other) {
        if (value >= 0)
            close(value);
        value = std::exchange(other.value, -1);
    }
    return *this;
}

FreedesktopTrash::Descriptor::~Descriptor()
{
    if (value >= 0)
        close(value);
}

FreedesktopTrash::FreedesktopTrash(std::optional<std::vector<fs::path>> volumeTops)
    : tops(std::move(volumeTops))
{
    if (const char *data = std::getenv("XDG_DATA_HOME"); data && data[0] && data[0] != '/')
        unsetenv("XDG_DATA_HOME");
    // GLib keeps the first value it reads for the life of the process: read it now.
    g_get_user_data_dir();
}

std::optional<QString> FreedesktopTrash::moveToTrash(const fs::path &path)
{
    if (const gchar *data = g_get_user_data_dir(); !g_path_is_absolute(data))
        return bilingual(
                   "Folder data (XDG_DATA_HOME) bukan path absolut: %1. Trash tidak dipakai.",
                   "The data folder (XDG_DATA_HOME) is not an absolute path: %1. The Trash was "
                   "not used.")
            .arg(QString::fromLocal8Bit(data));
    const Gio &calls = gio();
    if (!calls.error.isEmpty()) {
        qCWarning(lcPlatform, "not moved to the Trash: %s: %s", path.c_str(),
                  qPrintable(calls.error));
        return calls.error;
    }
    GFile *file = calls.fileForPath(Engine::withoutTrailingSlash(path).c_str());
    GError *error = nullptr;
    const bool moved = calls.trash(file, nullptr, &error);
    calls.unref(file);
    if (moved)
        return std::nullopt;
    QString text = error ? QString::fromUtf8(error->message) : QStringLiteral("?");
    if (error)
        g_error_free(error);
    qCWarning(lcPlatform, "not moved to the Trash: %s: %s", path.c_str(), qPrintable(text));
    return text;
}

FreedesktopTrash::Folders FreedesktopTrash::openFolders() const
{
    Folders folders;
    std::set<std::pair<dev_t, ino_t>> seen;
    // The home trash can lie on a mounted volume's top as well: each folder once.
    auto add = [&](fs::path path, Descriptor fd) {
        struct stat st {};
        if (fstat(fd.get(), &st) == 0 && seen.insert({st.st_dev, st.st_ino}).second)
            folders.open.push_back({std::move(path), std::move(fd)});
    };
    const fs::path home = homeTrash();
    if (Descriptor fd = openOwnFolder(AT_FDCWD, home.c_str()))
        add(home, std::move(fd));

    const std::string uid = std::to_string(geteuid());
    const std::string ownTrash = ".Trash-" + uid;
    for (const fs::path &top : tops ? *tops : mountedTops()) {
        const Descriptor topFd(open(top.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat topSt {};
        if (!topFd || fstat(topFd.get(), &topSt) != 0)
            continue;
        const Descriptor shared(
            openat(topFd.get(), ".Trash", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat sharedSt {};
        if (shared && fstat(shared.get(), &sharedSt) == 0 && (sharedSt.st_mode & S_ISVTX)) {
            if (Descriptor fd = openOwnFolder(shared.get(), uid.c_str()))
                add(top / ".Trash" / uid, std::move(fd));
        }
        if (Descriptor fd = openOwnFolder(topFd.get(), ownTrash.c_str())) {
            if (!othersMayRename(topSt)) {
                add(top / ownTrash, std::move(fd));
                continue;
            }
            folders.refused << bilingual(
                                   "%1 tidak dikosongkan: pengguna lain bisa menulis di %2, jadi "
                                   "belum tentu ini Trash Anda",
                                   "%1 was left alone: others may write to %2, so it may not "
                                   "be your Trash")
                                   .arg(Engine::displayPath(top / ownTrash),
                                        Engine::displayPath(top));
        }
    }
    return folders;
}

std::optional<QString> FreedesktopTrash::emptyFolders(Folders folders)
{
    std::optional<QString> failed;
    for (const OpenFolder &folder : folders.open) {
        if (auto error = emptyTrashFolder(folder))
            failed = std::move(error);
    }
    QStringList errors = std::move(folders.refused);
    if (failed)
        errors << *failed;
    if (errors.isEmpty())
        return std::nullopt;
    qCWarning(lcPlatform, "the Trash was not emptied whole: %s",
              qPrintable(errors.join(QStringLiteral("; "))));
    return errors.join(QStringLiteral("; "));
}

std::optional<QString> FreedesktopTrash::empty()
{
    return emptyFolders(openFolders());
}

std::vector<fs::path> FreedesktopTrash::trashFolders() const
{
    std::vector<fs::path> paths;
    for (const OpenFolder &folder : openFolders().open)
        paths.push_back(folder.path);
    return paths;
}
