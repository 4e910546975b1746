#include "Removal.h"

#include "Paths.h"
#include "RemovalParallel.h"
#include "RemovalWalker.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <type_traits>
#include <unistd.h>

// The public calls: each opens the item's parent, checks that the item is still the one meant,
// then lets the parallel pass take the bulk and the walker the rest, and reports what stays.
namespace Engine {

namespace {

using namespace removal;

// Removes (or, with `keepFolder`, empties) the entry `name` of the folder open at `parentFd`.
RemovalResult removeAt(int parentFd, const std::string &name, const std::filesystem::path &shown,
                       const std::filesystem::path *byPath, bool keepFolder,
                       const FolderIdentity *expected = nullptr)
{
    auto failure = [&shown](auto why) {
        if constexpr (std::is_same_v<decltype(why), int>)
            return RemovalResult{0, Failure::ofErrno(why, shown)};
        else
            return RemovalResult{0, Failure{why, 0, shown, {}}};
    };
    if (name.empty() || isDotOrDotDot(name.c_str()) || name.find('/') != std::string::npos)
        return failure(EINVAL);
    const std::optional<FolderIdentity> parentId = identify(parentFd);
    if (!parentId)
        return failure(errno);
    const std::optional<FolderIdentity> found = identifyAt(parentFd, name.c_str());
    if (!found)
        return errno == ENOENT ? RemovalResult{} : failure(errno);
    // A mount point, of another file system or a bind mount, is not ours to remove or empty.
    if (!found->sameMount(*parentId))
        return failure(Failure::Kind::mountPoint);
    if (expected && !found->sameFolder(*expected))
        return failure(Failure::Kind::moved);
    if (!found->isDirectory) {
        if (keepFolder)
            return failure(ENOTDIR);
        const qint64 bytes = lastLinkBytes(parentFd, name.c_str());
        if (unlinkat(parentFd, name.c_str(), 0) == 0)
            return {bytes, std::nullopt};
        return errno == ENOENT ? RemovalResult{} : failure(errno);
    }

    int fd = openat(parentFd, name.c_str(), dirFlags);
    if (fd < 0 && errno == EACCES && makeWritable(parentFd, name.c_str(), *parentId))
        fd = openat(parentFd, name.c_str(), dirFlags);
    if (fd < 0) {
        const int code = errno;
        // Replaced by a link or a file since it was looked at: remove that as it is.
        if ((code == ELOOP || code == ENOTDIR) && !keepFolder
            && unlinkat(parentFd, name.c_str(), 0) == 0)
            return {};
        return code == ENOENT ? RemovalResult{} : failure(code);
    }
    std::optional<FolderIdentity> id = identify(fd);
    if (!id || !id->sameMount(*parentId)) {
        const int code = errno;
        close(fd);
        return id ? failure(Failure::Kind::mountPoint) : failure(code);
    }
    // Swapped for another folder since it was looked at: not the one the user was shown.
    if (expected && !id->sameFolder(*expected)) {
        close(fd);
        return failure(Failure::Kind::moved);
    }
    openUp(fd, *id);
    // Kept to tell, at the end, a folder moved away from one that another removal took.
    const int witness = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    const Place place{parentFd, name, byPath, *id};

    RemovalResult result;
    const std::optional<Failure> stopped = removeEntriesInParallel(fd, place, shown, result.freed);
    // The final pass takes what is left and reports what stays.
    const Walk walk = walkAndEmpty(fd, shown, *id, [&place] { return place.holds(); });
    result.freed += walk.freed;
    if (!walk.emptied && !walk.gone)
        result.failure = walk.error;
    else if (stopped)
        result.failure = stopped;
    else if (!keepFolder && !walk.gone) {
        if (place.holds()) {
            if (!removeFolderEntry(parentFd, name.c_str(), result.freed) && errno != ENOENT)
                result.failure = failure(errno).failure;
        } else if (witness < 0 || !removedMeanwhile(witness)) {
            result.failure = failure(Failure::Kind::moved).failure;
        }
    }
    if (witness >= 0)
        close(witness);
    return result;
}

// The folder holding `path`, opened to act in, and the path's last component; -1 when the path
// names nothing that can be removed.
std::pair<int, std::string> parentOf(const std::filesystem::path &path)
{
    const std::filesystem::path parent = path.has_parent_path() ? path.parent_path() : ".";
    return {open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC), path.filename().native()};
}

RemovalResult removeByPath(const std::filesystem::path &path, bool keepFolder)
{
    const std::filesystem::path target = withoutTrailingSlash(path);
    const auto [parentFd, name] = parentOf(target);
    if (parentFd < 0) {
        const int code = errno;
        if (code == ENOENT)
            return {};
        return {0, Failure::ofErrno(code, target)};
    }
    RemovalResult result = removeAt(parentFd, name, target, &target, keepFolder);
    close(parentFd);
    return result;
}

} // namespace

RemovalResult removeItem(const std::filesystem::path &path)
{
    return removeByPath(path, false);
}

RemovalResult removeItemAt(int parentFd, const std::string &name,
                           const std::filesystem::path &shown)
{
    return removeAt(parentFd, name, shown, nullptr, false);
}

RemovalResult emptyFolder(const std::filesystem::path &path)
{
    return removeByPath(path, true);
}

RemovalResult removeFolderAsSeen(const std::filesystem::path &anchor,
                                 const FolderIdentity &anchorId,
                                 const std::filesystem::path &relative,
                                 const FolderIdentity &expected)
{
    const std::filesystem::path shown = anchor / relative;
    const std::filesystem::path normal = relative.lexically_normal();
    if (!anchor.is_absolute() || normal.empty() || normal.is_absolute() || *normal.begin() == "..")
        return {0, Failure::ofErrno(EINVAL, shown)};
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const int anchorFd = static_cast<int>(
        syscall(SYS_openat2, AT_FDCWD, withoutTrailingSlash(anchor).c_str(), &how, sizeof how));
    if (anchorFd < 0)
        return {0, Failure::ofErrno(errno, anchor)};
    const std::optional<FolderIdentity> anchorHere = identify(anchorFd);
    if (!anchorHere || !anchorHere->sameFolder(anchorId)) {
        close(anchorFd);
        return {0, Failure{Failure::Kind::moved, 0, anchor, {}}};
    }
    const std::filesystem::path parent = normal.parent_path();
    const int parentFd =
        parent.empty() ? anchorFd
                       : openBeneath(anchorFd, parent.native(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0) {
        const int code = errno;
        close(anchorFd);
        return {0, Failure::ofErrno(code, shown)};
    }
    RemovalResult result = removeAt(parentFd, withoutTrailingSlash(normal).filename().native(),
                                    shown, nullptr, false, &expected);
    if (parentFd != anchorFd)
        close(parentFd);
    close(anchorFd);
    return result;
}

} // namespace Engine
