#include "TargetCleaning.h"

#include "CodexReleases.h"
#include "EngineLogging.h"
#include "FolderIdentity.h"
#include "Paths.h"
#include "Stop.h"
#include "Text.h"
#include "TreeSize.h"

#include <QStandardPaths>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

namespace {

namespace fs = std::filesystem;

bool strictlyInside(const fs::path &path, const fs::path &folder)
{
    const fs::path normal = withoutTrailingSlash(path.lexically_normal());
    const fs::path base = withoutTrailingSlash(folder.lexically_normal());
    return normal != base && isSameOrInside(normal, base);
}

// The folders that catalogue paths may lie in, read once for a whole target.
struct Bases {
    fs::path home = homeDir();
    fs::path cache = userCacheDir();
    fs::path config = userConfigDir();

    bool contain(const fs::path &path) const
    {
        return strictlyInside(path, home) || strictlyInside(path, cache)
               || strictlyInside(path, config);
    }
};

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

// Whether emptying `folder` would empty one of the user's own folders (Documents, Downloads, …):
// it is one, or holds one.
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

// The user's own link to a cache kept elsewhere: followed when it leads to a folder of the user's
// that is not "/", the home folder or one of its ancestors, nor one of the user's own folders.
TargetFolder throughLink(const fs::path &path)
{
    std::error_code error;
    const fs::path destination = withoutTrailingSlash(fs::canonical(path, error));
    struct stat st {};
    const fs::path home = withoutTrailingSlash(fs::weakly_canonical(homeDir(), error));
    if (!destination.empty() && stat(destination.c_str(), &st) == 0 && S_ISDIR(st.st_mode)
        && st.st_uid == geteuid() && !isSameOrInside(home, destination)
        && !holdsAUserFolder(destination) && !isMountPoint(destination))
        return {path, destination, true, std::nullopt};
    const QString shown = destination.empty() ? QStringLiteral("?") : displayPath(destination);
    return {path, path, false,
            bilingual(QStringLiteral("tautan ke %1, tidak disentuh"),
                      QStringLiteral("is a link to %1 and was left alone"))
                .arg(shown)};
}

TargetFolder resolveOne(const fs::path &path, const Bases &bases)
{
    if (!bases.contain(path))
        return {path, path, false,
                bilingual("di luar folder yang dibersihkan, tidak disentuh",
                          "is outside the folders Ampa cleans and was left alone")};
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return throughLink(path);
    if (S_ISDIR(st.st_mode) && isMountPoint(path))
        return {path, path, false, mountPointText()};
    return {path, path, false, std::nullopt};
}

} // namespace

std::vector<TargetFolder> resolve(const CacheTarget &target)
{
    std::vector<TargetFolder> found;
    if (target.codexReleases) {
        for (fs::path &release : codexOldReleases())
            found.push_back({release, release, false, std::nullopt});
        return found;
    }
    const Bases bases;
    for (const fs::path &path : target.paths) {
        const fs::path expanded = withoutTrailingSlash(url(path));
        if (Engine::exists(expanded))
            found.push_back(resolveOne(expanded, bases));
    }
    return found;
}

std::vector<fs::path> urls(const CacheTarget &target)
{
    std::vector<fs::path> folders;
    for (TargetFolder &folder : resolve(target)) {
        if (!folder.refused)
            folders.push_back(std::move(folder.folder));
    }
    return folders;
}

qint64 size(const CacheTarget &target)
{
    qint64 total = 0;
    for (const fs::path &folder : urls(target))
        total += size(folder);
    return total;
}

CleanResult clean(const CacheTarget &target, const std::optional<std::vector<fs::path>> &only)
{
    CleanResult result;
    for (const TargetFolder &folder : resolve(target)) {
        if (stopRequested())
            break;
        if (only && std::find(only->begin(), only->end(), folder.path) == only->end())
            continue;
        if (folder.refused) {
            result.failure = folder.refusal();
            qCInfo(lcEngine, "%s: left alone: %s", folder.path.c_str(),
                   qPrintable(*folder.refused));
            continue;
        }
        RemovalResult removed =
            folder.viaLink ? emptyFolder(folder.folder) : removeItem(folder.path);
        result.freed += removed.freed;
        if (removed.failure) {
            qCWarning(lcEngine, "%s: partly removed: %s", target.id.toUtf8().constData(),
                      qPrintable(removed.failure->text()));
            result.failure = std::move(removed.failure);
        }
    }
    return result;
}

} // namespace Engine
