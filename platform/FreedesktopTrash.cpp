// GLib's headers name struct members "signals": include them before any Qt header.
#include "FreedesktopTrash.h"

#include "Paths.h"
#include "Removal.h"

#include <gio/gio.h>
#include <mntent.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A real folder (not a link) owned by the user.
bool ownFolder(const fs::path &path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

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

// Empties one trash folder; the last failure's text, if any.
std::optional<QString> emptyTrashFolder(const fs::path &trash)
{
    std::optional<QString> error;
    const fs::path files = trash / "files";
    const fs::path info = trash / "info";
    const std::string suffix = ".trashinfo";
    struct stat st {};
    // Names come from the files/ listing itself, never from an info file's contents.
    if (lstat(files.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        for (const std::string &name :
             Engine::folderEntries(files).value_or(std::vector<std::string>{})) {
            if (auto failure = Engine::removeItem(files / name).error) {
                error = std::move(failure);
                continue;
            }
            unlink((info / (name + suffix)).c_str());
        }
    }
    // Info files whose item is gone describe nothing any more.
    if (lstat(info.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        for (const std::string &name :
             Engine::folderEntries(info).value_or(std::vector<std::string>{})) {
            if (!name.ends_with(suffix))
                continue;
            const std::string item = name.substr(0, name.size() - suffix.size());
            struct stat itemSt {};
            if (item.empty() || item == "." || item == ".."
                || lstat((files / item).c_str(), &itemSt) == 0)
                continue;
            unlink((info / name).c_str());
        }
    }
    unlink((trash / "directorysizes").c_str());
    return error;
}

} // namespace

FreedesktopTrash::FreedesktopTrash(std::optional<std::vector<fs::path>> volumeTops)
    : tops(std::move(volumeTops))
{}

std::optional<QString> FreedesktopTrash::moveToTrash(const fs::path &path)
{
    GFile *file = g_file_new_for_path(Engine::withoutTrailingSlash(path).c_str());
    GError *error = nullptr;
    const bool moved = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (moved)
        return std::nullopt;
    QString text = error ? QString::fromUtf8(error->message) : QStringLiteral("?");
    if (error)
        g_error_free(error);
    return text;
}

std::vector<fs::path> FreedesktopTrash::trashFolders() const
{
    std::vector<fs::path> folders;
    const fs::path home = Engine::xdgDir("XDG_DATA_HOME", ".local/share") / "Trash";
    if (ownFolder(home))
        folders.push_back(home);
    const std::string uid = std::to_string(geteuid());
    for (const fs::path &top : tops ? *tops : mountedTops()) {
        struct stat shared {};
        const fs::path sharedTrash = top / ".Trash";
        if (lstat(sharedTrash.c_str(), &shared) == 0 && S_ISDIR(shared.st_mode)
            && (shared.st_mode & S_ISVTX) && ownFolder(sharedTrash / uid))
            folders.push_back(sharedTrash / uid);
        if (ownFolder(top / (".Trash-" + uid)))
            folders.push_back(top / (".Trash-" + uid));
    }
    // The home trash can lie on a mounted volume's top as well: empty each folder once.
    std::vector<fs::path> unique;
    for (const fs::path &folder : folders) {
        if (std::find(unique.begin(), unique.end(), folder) == unique.end())
            unique.push_back(folder);
    }
    return unique;
}

std::optional<QString> FreedesktopTrash::empty()
{
    std::optional<QString> error;
    for (const fs::path &folder : trashFolders()) {
        if (auto failure = emptyTrashFolder(folder))
            error = std::move(failure);
    }
    return error;
}
