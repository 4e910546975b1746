// Folders their owners tagged as caches (CACHEDIR.TAG) that no other entry names: found where
// tools keep their files, offered only as a knowing choice, removed only while still as found.

#include "TaggedCaches.h"

#include "BaseFolders.h"
#include "CacheDirTag.h"
#include "FolderIdentity.h"
#include "FolderRules.h"
#include "HomePlaces.h"
#include "Paths.h"
#include "ProjectMarkers.h"
#include "Repository.h"

#include <QByteArray>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Engine {

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;

// Where tagged folders are looked for, kept small so that a scan lists a few hundred folders
// rather than walking the home: the cache folder to three levels below it, and the home's hidden
// folders at its top (~/.local, ~/.config, a tool's ~/.name) to three levels below the home. The
// rest of the home is the user's own work and the Projects pane's. A link is never followed,
// another file system never entered, nothing another entry covers (or the Trash) entered, and a
// tagged folder is one entry with all it holds.
constexpr int cacheDepth = 3;
constexpr int homeDepth = 3;

fs::path real(const fs::path &path)
{
    std::error_code error;
    return withoutTrailingSlash(fs::weakly_canonical(path, error));
}

bool insideAny(const fs::path &path, const Paths &folders)
{
    return std::any_of(folders.begin(), folders.end(),
                       [&path](const fs::path &folder) { return isSameOrInside(path, folder); });
}

bool holdsAny(const fs::path &folder, const Paths &paths)
{
    return std::any_of(paths.begin(), paths.end(),
                       [&folder](const fs::path &path) { return isSameOrInside(path, folder); });
}

// The folders no clean takes whole: the home and the base folders tools keep their files in.
// Whether the folder holds, at any depth, a project's marker or a repository, or lies in a
// repository that tracks a file in it. Unknown (unreadable, too large to look through, a
// repository that cannot be read) counts as holding work.
bool holdsWork(const fs::path &path)
{
    constexpr std::size_t maxEntries = 2'000'000;
    std::size_t seen = 0;
    std::error_code error;
    fs::recursive_directory_iterator it(path, fs::directory_options::none, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (++seen > maxEntries || marksProject(it->path().filename().native()))
            return true;
    }
    if (error)
        return true;
    for (fs::path at = path.parent_path(); at.has_relative_path(); at = at.parent_path()) {
        struct stat st {};
        if (lstat((at / ".git").c_str(), &st) != 0)
            continue;
        const RepositoryView git = readRepository(path, {path});
        return !git.readable || git.tracked.front();
    }
    return false;
}

std::optional<Refusal> unsafeTagged(const fs::path &path)
{
    if (const auto why = unsafeFolder(path))
        return why;
    if (holdsAny(path, baseFolders()))
        return Refusal{Refusal::Why::baseFolder};
    if (keysPlace(path))
        return Refusal{Refusal::Why::keysPlace};
    if (holdsWork(path))
        return Refusal{Refusal::Why::holdsWork};
    return std::nullopt;
}

// The names of the folder open at `fd` that may be folders (links and files left out), and
// whether it holds a project's file.
bool listFolders(int fd, std::vector<std::string> &folders)
{
    const int own = openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = own >= 0 ? fdopendir(own) : nullptr;
    if (!dir) {
        if (own >= 0)
            close(own);
        return false;
    }
    bool project = false;
    while (const dirent *entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        project = project || marksProject(name);
        if (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN)
            folders.emplace_back(name);
    }
    closedir(dir);
    std::sort(folders.begin(), folders.end());
    return project;
}

const QLatin1String idPrefix("cachedir:");

QString idOf(const fs::path &shown)
{
    // Percent-encoded raw bytes: two names that differ only in bytes that are not UTF-8 keep
    // two ids, and an id is one word on a command line.
    return idPrefix
           + QString::fromLatin1(QByteArray::fromStdString(shown.native()).toPercentEncoding("/"));
}

struct Search {
    Paths covered;
    fs::path home = real(homeDir());
    fs::path from;     // the folder this walk started at, which the folder rules vet from
    Paths walkedApart; // searched on their own: not entered again
    std::vector<DevCache> found;

    void walk(const fs::path &base, int depth, bool hiddenOnly)
    {
        from = base;
        const int fd = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return;
        if (const auto self = identify(fd))
            visit(fd, base, *self, *self, 0, depth, hiddenOnly, false);
        close(fd);
    }

    void visit(int fd, const fs::path &path, const FolderIdentity &self,
               const FolderIdentity &parent, int depth, int maxDepth, bool hiddenOnly,
               bool inProject)
    {
        if (depth > 0 && hasCacheDirTag(fd)) {
            // A tagged repository or project keeps its own work beside what it rebuilds.
            if (inProject || faccessat(fd, ".git", F_OK, AT_SYMLINK_NOFOLLOW) == 0)
                return;
            if (offer(path, self, parent))
                return;
        }
        if (depth == maxDepth)
            return;
        std::vector<std::string> names;
        const bool project = listFolders(fd, names) && depth > 0;
        for (const std::string &name : names) {
            if (hiddenOnly && depth == 0 && !name.starts_with('.'))
                continue;
            const fs::path child = path / name;
            if (insideAny(child, covered) || insideAny(child, walkedApart))
                continue;
            const int childFd =
                openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (childFd < 0)
                continue;
            const auto id = identify(childFd);
            if (id && id->sameMount(self))
                visit(childFd, child, *id, self, depth + 1, maxDepth, hiddenOnly,
                      inProject || project);
            close(childFd);
        }
    }

    // Offers the tagged folder; false when it is not one to offer and the walk goes on inside.
    bool offer(const fs::path &path, const FolderIdentity &self, const FolderIdentity &parent)
    {
        if (holdsAny(path, covered) || unsafeTagged(path))
            return false;
        const std::optional<TargetFolder> vetted = vetBelow(from, path, {}, LastLink::refused);
        if (!vetted || vetted->refused || vetted->folder != path)
            return false;
        const bool inHome = isSameOrInside(path, home);
        const fs::path shown = inHome ? path.lexically_relative(home) : path;
        DevCache cache;
        cache.id = idOf(shown);
        cache.icon = QStringLiteral("folder");
        cache.mode = DevMode::Choice;
        cache.paths = {path};
        cache.tagged = TaggedFolder{parent, self};
        found.push_back(std::move(cache));
        return true;
    }
};

} // namespace

std::vector<DevCache> taggedCaches(const std::vector<fs::path> &covered)
{
    Search search;
    for (const fs::path &path : covered) {
        search.covered.push_back(withoutTrailingSlash(path.lexically_normal()));
        search.covered.push_back(real(path));
    }
    // What the user threw away is theirs until the Trash is emptied.
    search.covered.push_back(real(removalBase("XDG_DATA_HOME", ".local/share").folder / "Trash"));
    const fs::path cache = real(userCacheDir());
    search.walk(cache, cacheDepth, false);
    search.walkedApart.push_back(cache);
    search.walk(search.home, homeDepth, true);
    std::sort(search.found.begin(), search.found.end(),
              [](const DevCache &a, const DevCache &b) { return a.paths < b.paths; });
    return std::move(search.found);
}

fs::path taggedPlace(const QString &id)
{
    if (!id.startsWith(idPrefix))
        return {};
    return QByteArray::fromPercentEncoding(id.mid(idPrefix.size()).toLatin1()).toStdString();
}

std::optional<Refusal> taggedChanged(const DevCache &cache)
{
    if (!cache.tagged || cache.paths.size() != 1)
        return Refusal{Refusal::Why::notAsShown};
    const fs::path &path = cache.paths.front();
    open_how how{};
    how.flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const int fd = static_cast<int>(syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how));
    if (fd < 0)
        return Refusal{Refusal::Why::notAsShown};
    const auto here = identify(fd);
    const bool same = here && here->sameFolder(cache.tagged->folder);
    const bool tagged = same && hasCacheDirTag(fd);
    close(fd);
    if (!same)
        return Refusal{Refusal::Why::notAsShown};
    if (!tagged)
        return Refusal{Refusal::Why::noCacheTag};
    return unsafeTagged(path);
}

} // namespace Engine
