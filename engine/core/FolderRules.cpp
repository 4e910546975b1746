#include "FolderRules.h"

#include "BaseFolders.h"
#include "FolderIdentity.h"
#include "FolderShape.h"
#include "Paths.h"

#include <QStandardPaths>

#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

namespace {

namespace fs = std::filesystem;

// Whether the folder at `path` is the root of a mount (another file system or a bind mount).
bool isMountPoint(const fs::path &path)
{
    const int fd = open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const int parent = openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    const auto self = identify(fd);
    const auto above = parent >= 0 ? identify(parent) : std::nullopt;
    close(fd);
    if (parent >= 0)
        close(parent);
    return self && above && self->isDirectory && !self->sameMount(*above);
}

// Whether removing or emptying `folder` would take one of the user's own folders (Documents,
// Downloads, …) with it: it is one, or holds one.
bool holdsAUserFolder(const fs::path &folder)
{
    for (const auto location :
         {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation,
          QStandardPaths::DownloadLocation, QStandardPaths::MusicLocation,
          QStandardPaths::PicturesLocation, QStandardPaths::MoviesLocation,
          QStandardPaths::PublicShareLocation, QStandardPaths::TemplatesLocation}) {
        const QString place = QStandardPaths::writableLocation(location);
        std::error_code error;
        const fs::path real = fs::weakly_canonical(place.toStdString(), error);
        if (!place.isEmpty() && !error && isSameOrInside(withoutTrailingSlash(real), folder))
            return true;
    }
    return false;
}

fs::path realHome()
{
    std::error_code error;
    return withoutTrailingSlash(fs::weakly_canonical(homeDir(), error));
}

// The rules both kinds of folder answer to; `real` is resolved already.
std::optional<Refusal> unsafeAsBase(const fs::path &real, const struct stat &st)
{
    if (!S_ISDIR(st.st_mode))
        return Refusal{Refusal::Why::notAFolder};
    if (st.st_uid != geteuid())
        return Refusal{Refusal::Why::otherUser};
    if (isSameOrInside(realHome(), real))
        return Refusal{Refusal::Why::homeOrAbove};
    if (holdsAUserFolder(real))
        return Refusal{Refusal::Why::userFolder};
    return std::nullopt;
}

fs::path real(const fs::path &path)
{
    std::error_code error;
    return withoutTrailingSlash(fs::weakly_canonical(path, error));
}

// Where a link met on the way may lead: outside the home folder, or, inside it, only where tools
// keep their files (the walk's own base, the user's cache, configuration and data folders). The
// rest of the home is the user's own work, a source tree say, never to be reached through a link.
bool withinReach(const fs::path &destination, const fs::path &base)
{
    // The home itself and what lies above it are the other rules' to refuse.
    if (!isSameOrInside(destination, realHome()) || destination == realHome())
        return true;
    for (const fs::path &folder : {base, real(userCacheDir()), real(userConfigDir()),
                                   real(removalBase("XDG_DATA_HOME", ".local/share").folder)})
        if (!isSameOrInside(realHome(), folder) && isSameOrInside(destination, folder))
            return true;
    return false;
}

} // namespace

std::optional<Refusal> unsafeFolder(const fs::path &real)
{
    struct stat st {};
    if (real.empty() || stat(real.c_str(), &st) != 0)
        return Refusal{Refusal::Why::unreadable};
    if (const auto why = unsafeAsBase(withoutTrailingSlash(real), st))
        return why;
    if (isMountPoint(real))
        return Refusal{Refusal::Why::mountPoint};
    return std::nullopt;
}

std::optional<Refusal> unsafeBase(const fs::path &base)
{
    std::error_code error;
    const fs::path real = withoutTrailingSlash(fs::canonical(base, error));
    struct stat st {};
    if (error || stat(real.c_str(), &st) != 0)
        return Refusal{Refusal::Why::unreadable};
    return unsafeAsBase(real, st);
}

std::optional<TargetFolder> vetBelow(const fs::path &base, const fs::path &path,
                                     const FolderShapes &shapes, LastLink lastLink)
{
    const fs::path named = withoutTrailingSlash(path.lexically_normal());
    const fs::path from = withoutTrailingSlash(base.lexically_normal());
    if (!isSameOrInside(named, from))
        return TargetFolder{path, path, false, Refusal{Refusal::Why::outside}};
    std::error_code error;
    const fs::path realBase = withoutTrailingSlash(fs::canonical(from, error));
    if (error)
        return std::nullopt;
    fs::path current = realBase;
    fs::path reached = from; // as named
    bool link = false;
    const fs::path below = named.lexically_relative(from);
    if (below.empty())
        return std::nullopt;
    const auto last = std::prev(below.end());
    for (auto it = below.begin(); it != below.end(); ++it) {
        const fs::path &part = *it;
        if (part.empty() || part == ".")
            continue;
        const fs::path next = current / part;
        reached /= part;
        struct stat st {};
        if (part == ".." || lstat(next.c_str(), &st) != 0)
            return std::nullopt;
        link = S_ISLNK(st.st_mode);
        if (!link) {
            current = next;
            continue;
        }
        const fs::path destination = withoutTrailingSlash(fs::canonical(next, error));
        if (error)
            return std::nullopt;
        // The path itself may be the user's link to a cache kept anywhere of theirs; a link on
        // the way there must also stay within reach.
        if (unsafeFolder(destination) || (it != last && !withinReach(destination, realBase))
            || (it == last && lastLink == LastLink::refused))
            return TargetFolder{path, path, false, Refusal{Refusal::Why::linkTo, destination}};
        // Followed only to what has the cache's own shape: a link can lead to anyone's work.
        const FolderShape *shape = shapeOf(shapes, reached);
        if (!shape || !hasShape(destination, *shape))
            return TargetFolder{path, path, false,
                                Refusal{Refusal::Why::unlikeTheCache, destination}};
        current = destination;
    }
    struct stat st {};
    if (lstat(current.c_str(), &st) != 0)
        return std::nullopt;
    // A file is removed as itself; a folder must be one the clean may take.
    if (S_ISDIR(st.st_mode) && !link) {
        if (const auto why = unsafeFolder(current))
            return TargetFolder{path, path, false, why};
    }
    return TargetFolder{path, current, link, std::nullopt};
}

} // namespace Engine
