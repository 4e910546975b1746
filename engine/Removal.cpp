#include "Removal.h"

#include "FolderIdentity.h"
#include "Paths.h"
#include "Text.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace Engine {

namespace {

constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Folders deeper than this below the current one are closed and reopened through "..".
constexpr std::size_t maxOpenFolders = 48;
// A folder that keeps filling while it is emptied is given up after this many passes.
constexpr int maxPasses = 3;
// How many entries go between two checks that the folder being emptied is still in place.
constexpr int entriesPerCheck = 64;

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

QString errorText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Adds owner read, write and search permission to the folder `name` in `parentFd`, only when it
// is a folder of ours on the removal's own mount. Works through an O_PATH descriptor, so a link
// or a mount point put in its place is never changed.
bool makeWritable(int parentFd, const char *name, const FolderIdentity &root)
{
    const int fd = openat(parentFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::optional<FolderIdentity> id = identify(fd);
    bool changed = false;
    if (id && id->isDirectory && id->sameMount(root) && id->owner == geteuid()) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        changed = chmod(self.c_str(), id->mode | S_IRWXU) == 0;
    }
    close(fd);
    return changed;
}

// Opens `relative` below `rootFd` without following any link or leaving the root's mount.
int openBeneath(int rootFd, const std::string &relative)
{
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH | RESOLVE_NO_XDEV;
    return static_cast<int>(syscall(SYS_openat2, rootFd, relative.c_str(), &how, sizeof how));
}

class Remover {
public:
    Remover(std::filesystem::path root, FolderIdentity rootIdentity)
        : rootPath(std::move(root)), rootId(rootIdentity)
    {}

    // Empties the folder open at `fd` (taken over). False when something inside stays.
    bool empty(int fd)
    {
        frames.push_back({fd, nullptr, rootId, {}, {}, 1});
        openCount = 1;
        bool clean = false;
        while (!frames.empty() && !aborted) {
            Frame &frame = frames.back();
            if (!frame.dir && !openStream(frame))
                break;
            const dirent *entry = readdir(frame.dir);
            if (!entry && frames.size() == 1) {
                clean = frame.kept.empty();
                break;
            }
            if (!entry) {
                finishFrame();
            } else if (!isDotOrDotDot(entry->d_name) && !frame.kept.contains(entry->d_name)) {
                if (++sinceCheck >= entriesPerCheck && !stillInPlace())
                    break;
                removeEntry(entry->d_name, entry->d_type);
            }
        }
        for (Frame &frame : frames)
            closeFrame(frame);
        frames.clear();
        return clean && !aborted;
    }

    std::optional<QString> error;
    bool stopped() const { return aborted; }

private:
    struct Frame {
        int fd; // -1 while closed to save descriptors
        DIR *dir;
        FolderIdentity id;
        std::string name; // in the parent folder
        std::unordered_set<std::string> kept;
        int pass;
    };

    std::filesystem::path rootPath;
    FolderIdentity rootId;
    std::vector<Frame> frames;
    std::size_t openCount = 0;
    std::size_t shallowestOpen = 1; // no open frame between the root and this index
    int sinceCheck = 0;
    bool aborted = false;

    std::filesystem::path pathOf(const std::string &name) const
    {
        std::filesystem::path path = rootPath;
        for (std::size_t i = 1; i < frames.size(); ++i)
            path /= frames[i].name;
        return name.empty() ? path : path / name;
    }

    void fail(const std::string &name, const QString &why)
    {
        error = displayPath(pathOf(name)) + QStringLiteral(": ") + why;
    }

    void stop(const std::string &name)
    {
        fail(name, ::tr("folder dipindahkan saat dihapus; penghapusan dihentikan",
                        "a folder was moved during removal; removal stopped"));
        aborted = true;
    }

    void closeFrame(Frame &frame)
    {
        if (frame.dir)
            closedir(frame.dir); // closes frame.fd too
        else if (frame.fd >= 0)
            close(frame.fd);
        if (frame.fd >= 0)
            --openCount;
        frame.dir = nullptr;
        frame.fd = -1;
    }

    bool openStream(Frame &frame)
    {
        frame.dir = fdopendir(frame.fd);
        if (!frame.dir) {
            fail({}, errorText(errno));
            aborted = true;
        }
        return frame.dir != nullptr;
    }

    // Closes the shallowest open folder between the root and the current one; it is reopened
    // through ".." from its child when the walk comes back to it.
    bool closeShallowest()
    {
        for (; shallowestOpen + 1 < frames.size(); ++shallowestOpen) {
            if (frames[shallowestOpen].fd >= 0) {
                closeFrame(frames[shallowestOpen]);
                return true;
            }
        }
        return false;
    }

    // Whether the folder being emptied still lies where the walk found it, below the root,
    // reached without links. A folder moved away is not ours to empty any more.
    bool stillInPlace()
    {
        sinceCheck = 0;
        if (frames.size() < 2)
            return true;
        std::string relative;
        for (std::size_t i = 1; i < frames.size(); ++i)
            relative += (i > 1 ? "/" : "") + frames[i].name;
        int fd = openBeneath(frames.front().fd, relative);
        while (fd < 0 && (errno == EMFILE || errno == ENFILE) && closeShallowest())
            fd = openBeneath(frames.front().fd, relative);
        if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
            // Out of descriptors is not a move: say what it is.
            fail({}, errorText(errno));
            aborted = true;
            return false;
        }
        if (fd < 0 && (errno == ENOSYS || errno == ENAMETOOLONG || errno == E2BIG)) {
            // No openat2, or too long a path for it: the same walk, one folder at a time.
            fd = fcntl(frames.front().fd, F_DUPFD_CLOEXEC, 0);
            for (std::size_t i = 1; fd >= 0 && i < frames.size(); ++i) {
                const int next = openat(fd, frames[i].name.c_str(),
                                        O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                const auto id = next >= 0 ? identify(next) : std::nullopt;
                close(fd);
                fd = next;
                if (!id || !id->sameFolder(frames[i].id)) {
                    if (fd >= 0)
                        close(fd);
                    fd = -1;
                }
            }
        }
        const auto id = fd >= 0 ? identify(fd) : std::nullopt;
        if (fd >= 0)
            close(fd);
        if (id && id->sameFolder(frames.back().id))
            return true;
        stop({});
        return false;
    }

    // Entries go only from a folder we may write to: the current one, through its descriptor.
    bool makeCurrentWritable()
    {
        const Frame &frame = frames.back();
        if (frame.id.owner != geteuid())
            return false;
        return fchmod(frame.fd, frame.id.mode | S_IRWXU) == 0;
    }

    void removeEntry(const std::string &name, unsigned char type)
    {
        Frame &frame = frames.back();
        if (type != DT_DIR) {
            if (unlinkat(frame.fd, name.c_str(), 0) == 0 || errno == ENOENT)
                return;
            int code = errno;
            if (code == EISDIR) {
                descend(name, 1);
                return;
            }
            if ((code == EACCES || code == EPERM) && makeCurrentWritable()) {
                if (unlinkat(frame.fd, name.c_str(), 0) == 0)
                    return;
                code = errno;
            }
            fail(name, errorText(code));
            frame.kept.insert(name);
            return;
        }
        descend(name, 1);
    }

    int openChild(int parent, const std::string &name)
    {
        int fd = openat(parent, name.c_str(), dirFlags);
        if (fd < 0 && errno == EACCES && makeWritable(parent, name.c_str(), rootId))
            fd = openat(parent, name.c_str(), dirFlags);
        while (fd < 0 && (errno == EMFILE || errno == ENFILE) && closeShallowest())
            fd = openat(parent, name.c_str(), dirFlags);
        return fd;
    }

    void descend(const std::string &name, int pass)
    {
        Frame &frame = frames.back();
        const int fd = openChild(frame.fd, name);
        if (fd < 0) {
            const int code = errno;
            // Swapped for a file or a link since it was listed: remove that, never follow it.
            if ((code == ENOTDIR || code == ELOOP) && unlinkat(frame.fd, name.c_str(), 0) == 0)
                return;
            if (code != ENOENT) {
                fail(name, errorText(code));
                frame.kept.insert(name);
            }
            return;
        }
        const std::optional<FolderIdentity> id = identify(fd);
        if (!id || !id->sameMount(rootId)) {
            close(fd);
            fail(name, ::tr("ada di sistem file lain dan tidak disentuh",
                            "is on another file system and was left alone"));
            frame.kept.insert(name);
            return;
        }
        frames.push_back({fd, nullptr, *id, name, {}, pass});
        ++openCount;
        if (openCount > maxOpenFolders)
            closeShallowest();
    }

    // The folder on top has been read to its end: remove it from its parent, reopening the
    // parent through ".." when it was closed, after making sure it is still the folder we left.
    void finishFrame()
    {
        if (!stillInPlace())
            return;
        Frame done = std::move(frames.back());
        frames.pop_back();
        shallowestOpen = std::min(shallowestOpen, std::max<std::size_t>(1, frames.size() - 1));
        Frame &parent = frames.back();
        const bool reachable = parent.fd >= 0 || reopenParent(done, parent);
        closeFrame(done);
        if (!reachable)
            return;
        if (!done.kept.empty()) {
            parent.kept.insert(done.name);
            return;
        }
        if (unlinkat(parent.fd, done.name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT)
            return;
        int code = errno;
        if ((code == EACCES || code == EPERM) && makeCurrentWritable()) {
            if (unlinkat(parent.fd, done.name.c_str(), AT_REMOVEDIR) == 0)
                return;
            code = errno;
        }
        if (code == ENOTEMPTY && done.pass < maxPasses) {
            descend(done.name, done.pass + 1); // filled again meanwhile: one more pass
            return;
        }
        fail(done.name, errorText(code));
        parent.kept.insert(done.name);
    }

    bool reopenParent(const Frame &child, Frame &parent)
    {
        int fd = openat(child.fd, "..", dirFlags);
        while (fd < 0 && (errno == EMFILE || errno == ENFILE) && closeShallowest())
            fd = openat(child.fd, "..", dirFlags);
        if (fd < 0) {
            fail(child.name, errorText(errno));
            aborted = true;
            return false;
        }
        const std::optional<FolderIdentity> id = identify(fd);
        if (!id || !id->sameFolder(parent.id)) {
            close(fd);
            stop(child.name);
            return false;
        }
        parent.fd = fd;
        parent.dir = nullptr; // read again from the start: what was removed is gone
        ++openCount;
        return true;
    }
};

// Removes the folder `name` in `parentFd` with everything in it. What stays is left for the
// caller's final pass to find and report; only a removal stopped because a folder moved comes
// back, as that folder is no longer there for the final pass to see.
std::optional<QString> removeSubfolder(int parentFd, const std::string &name,
                                       const FolderIdentity &rootId,
                                       const std::filesystem::path &path)
{
    const int fd = openat(parentFd, name.c_str(), dirFlags);
    if (fd < 0)
        return std::nullopt;
    const std::optional<FolderIdentity> id = identify(fd);
    if (!id || !id->sameMount(rootId)) {
        close(fd);
        return std::nullopt;
    }
    Remover remover(path, *id);
    if (!remover.empty(fd))
        return remover.stopped() ? remover.error : std::nullopt;
    // Still the folder that was emptied, in its place: then it goes.
    struct stat st {};
    if (fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)
        && st.st_ino == id->inode && st.st_dev == id->device)
        unlinkat(parentFd, name.c_str(), AT_REMOVEDIR);
    return std::nullopt;
}

// Removing is mostly waiting for the file system, which serves separate folders at once: the
// sub-folders directly in the folder open at `fd` go on several threads.
std::optional<QString> removeSubfoldersInParallel(int fd, const FolderIdentity &id,
                                                  const std::filesystem::path &path)
{
    const int listing = openat(fd, ".", dirFlags); // its own reading position
    DIR *dir = listing >= 0 ? fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0)
            close(listing);
        return std::nullopt;
    }
    std::vector<std::string> folders;
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_type == DT_DIR && !isDotOrDotDot(entry->d_name))
            folders.emplace_back(entry->d_name);
    }
    closedir(dir);
    if (folders.size() < 2)
        return std::nullopt;

    std::atomic<std::size_t> next = 0;
    std::mutex lock;
    std::optional<QString> stopped;
    auto work = [&] {
        for (std::size_t i = next++; i < folders.size(); i = next++) {
            if (auto error = removeSubfolder(fd, folders[i], id, path / folders[i])) {
                std::lock_guard guard(lock);
                stopped = std::move(error);
            }
        }
    };
    const std::size_t threads =
        std::min<std::size_t>(folders.size(), std::max(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < threads; ++i)
        helpers.emplace_back(work);
    work();
    for (std::thread &helper : helpers)
        helper.join();
    return stopped;
}

std::optional<QString> removeByPath(const std::filesystem::path &path)
{
    const std::filesystem::path target = withoutTrailingSlash(path);
    auto failure = [&target](int code) {
        return std::optional(displayPath(target) + QStringLiteral(": ") + errorText(code));
    };
    struct stat st {};
    if (lstat(target.c_str(), &st) != 0)
        return errno == ENOENT ? std::nullopt : failure(errno);
    if (!S_ISDIR(st.st_mode))
        return unlink(target.c_str()) == 0 || errno == ENOENT ? std::nullopt : failure(errno);

    int fd = open(target.c_str(), dirFlags);
    if (fd < 0 && errno == EACCES) {
        // An unreadable folder of ours: open it up, if it is one on the same mount as its place.
        const int parent = open(target.has_parent_path() ? target.parent_path().c_str() : ".",
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const auto parentId = parent >= 0 ? identify(parent) : std::nullopt;
        if (parentId && makeWritable(parent, target.filename().c_str(), *parentId))
            fd = open(target.c_str(), dirFlags);
        if (parent >= 0)
            close(parent);
        if (fd < 0)
            errno = EACCES;
    }
    if (fd < 0) {
        const int code = errno;
        // Replaced by a link or a file since the lstat: remove that as it is.
        if ((code == ELOOP || code == ENOTDIR) && unlink(target.c_str()) == 0)
            return std::nullopt;
        return code == ENOENT ? std::nullopt : failure(code);
    }
    const std::optional<FolderIdentity> id = identify(fd);
    if (!id) {
        const int code = errno;
        close(fd);
        return failure(code);
    }
    const std::optional<QString> stopped = removeSubfoldersInParallel(fd, *id, target);
    // The final pass takes what is left and reports what stays.
    Remover remover(target, *id);
    if (!remover.empty(fd))
        return remover.error;
    if (stopped)
        return stopped;
    if (rmdir(target.c_str()) != 0 && errno != ENOENT)
        return failure(errno);
    return std::nullopt;
}

} // namespace

RemovalResult removeItem(const std::filesystem::path &path)
{
    return {0, removeByPath(path)};
}

RemovalResult removeItemAt(int parentFd, const std::string &name,
                           const std::filesystem::path &shown)
{
    (void)shown;
    return {0, removeByPath("/proc/self/fd/" + std::to_string(parentFd) + "/" + name)};
}

RemovalResult emptyFolder(const std::filesystem::path &path)
{
    return {0, removeByPath(path)};
}

} // namespace Engine
