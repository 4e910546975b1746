#include "RemovalWalker.h"

#include "Paths.h"
#include "Stop.h"
#include "WorkCount.h"

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace Engine::removal {

namespace {

// Folders deeper than this below the current one are closed and reopened through "..".
constexpr std::size_t maxOpenFolders = 48;
// A folder that keeps filling while it is emptied is given up after this many passes.
constexpr int maxPasses = 3;

} // namespace

bool outOfDescriptors()
{
    return errno == EMFILE || errno == ENFILE;
}

qint64 lastLinkBytes(int dirFd, const char *name)
{
    struct statx info {};
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
              STATX_TYPE | STATX_NLINK | STATX_BLOCKS, &info)
        != 0)
        return 0;
    const bool counts = !S_ISDIR(info.stx_mode) && info.stx_nlink <= 1;
    return counts ? static_cast<qint64>(info.stx_blocks) * 512 : 0;
}

bool removeFolderEntry(int dirFd, const char *name, qint64 &freed)
{
    const std::optional<FolderIdentity> id = identifyAt(dirFd, name);
    if (unlinkat(dirFd, name, AT_REMOVEDIR) != 0)
        return false;
    if (id && id->isDirectory) {
        freed += id->allocated;
        countRemoved(0, id->allocated);
    }
    return true;
}

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

void openUp(int fd, FolderIdentity &id)
{
    if (id.owner == geteuid() && (id.mode & S_IRWXU) != S_IRWXU
        && fchmod(fd, id.mode | S_IRWXU) == 0)
        id.mode |= S_IRWXU;
}

int openBeneath(int rootFd, const std::string &relative, int flags)
{
    open_how how{};
    how.flags = static_cast<unsigned long long>(flags);
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH | RESOLVE_NO_XDEV;
    return static_cast<int>(syscall(SYS_openat2, rootFd, relative.c_str(), &how, sizeof how));
}

bool Place::holds() const
{
    const std::optional<FolderIdentity> here = identifyAt(parentFd, name.c_str());
    if (!here || !here->sameFolder(id))
        return false;
    if (!path)
        return true;
    const int fd = open(path->c_str(), pathFlags);
    if (fd < 0)
        return outOfDescriptors(); // the descriptor check above has held
    const std::optional<FolderIdentity> there = identify(fd);
    close(fd);
    return there && there->sameFolder(id);
}

namespace {

class Remover {
public:
    // `rootInPlace` tells whether the root folder still lies where the removal found it.
    Remover(std::filesystem::path root, FolderIdentity rootIdentity,
            std::function<bool()> rootInPlace)
        : rootPath(std::move(root)), rootId(rootIdentity), inPlace(std::move(rootInPlace)),
          stop(currentStop())
    {}

    // Empties the folder open at `fd` (taken over). False when something inside stays, when the
    // removal stopped, or when another process removed the folder meanwhile (see `gone`).
    bool empty(int fd)
    {
        frames.push_back({fd, nullptr, rootId, {}, {}, 1});
        openCount = 1;
        // The first entry is checked: the root may have moved before this pass began.
        sinceCheck = entriesPerCheck - 1;
        bool clean = false;
        while (!frames.empty() && !aborted && !rootGone) {
            if (stopRequested(stop)) {
                abort({}, Failure::Kind::stopped);
                break;
            }
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
                if (checkDue() && !stillInPlace())
                    continue; // stopped, or the folder went with everything in it
                removeEntry(entry->d_name, entry->d_type);
            }
        }
        for (Frame &frame : frames)
            closeFrame(frame);
        frames.clear();
        return clean && !aborted && !rootGone;
    }

    std::optional<Failure> error;
    qint64 freed = 0;
    bool stopped() const { return aborted; }
    // Another process removed the root folder, and with it everything left to remove.
    bool gone() const { return rootGone; }

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
    std::function<bool()> inPlace;
    const std::atomic<bool> *stop;
    std::vector<Frame> frames;
    std::size_t openCount = 0;
    std::size_t shallowestOpen = 1; // no open frame between the root and this index
    std::size_t sinceCheck = 0;
    bool aborted = false;
    bool rootGone = false;

    std::filesystem::path pathOf(const std::string &name) const
    {
        std::filesystem::path path = rootPath;
        for (std::size_t i = 1; i < frames.size(); ++i)
            path /= frames[i].name;
        return name.empty() ? path : path / name;
    }

    void fail(const std::string &name, int code) { error = Failure::ofErrno(code, pathOf(name)); }

    void fail(const std::string &name, Failure::Kind kind)
    {
        error = Failure{kind, 0, pathOf(name), {}};
    }

    template<typename Why> void abort(const std::string &name, Why why)
    {
        fail(name, why);
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
        if (!frame.dir)
            abort({}, errno);
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

    // Opens the folder of frames[depth] again from the root, without links or leaving the mount,
    // and only when it is still the folder the walk found there; -1 otherwise (errno tells an
    // exhausted descriptor table).
    int openInPlace(std::size_t depth, int flags)
    {
        std::string relative;
        for (std::size_t i = 1; i <= depth; ++i)
            relative += (i > 1 ? "/" : "") + frames[i].name;
        int fd = openBeneath(frames.front().fd, relative, flags);
        while (fd < 0 && outOfDescriptors() && closeShallowest())
            fd = openBeneath(frames.front().fd, relative, flags);
        if (fd < 0 && (errno == ENOSYS || errno == ENAMETOOLONG || errno == E2BIG)) {
            // No openat2, or too long a path for it: the same walk, one folder at a time.
            fd = fcntl(frames.front().fd, F_DUPFD_CLOEXEC, 0);
            for (std::size_t i = 1; fd >= 0 && i <= depth; ++i) {
                const int next = openat(fd, frames[i].name.c_str(), i == depth ? flags : pathFlags);
                const auto id = next >= 0 ? identify(next) : std::nullopt;
                close(fd);
                fd = next;
                if (fd >= 0 && (!id || !id->sameFolder(frames[i].id))) {
                    close(fd);
                    fd = -1;
                    errno = ENOENT;
                }
            }
        }
        if (fd < 0)
            return -1;
        const auto id = identify(fd);
        if (!id || !id->sameFolder(frames[depth].id)) {
            close(fd);
            errno = ENOENT;
            return -1;
        }
        return fd;
    }

    bool checkDue() { return ++sinceCheck >= std::max(entriesPerCheck, frames.size()); }

    // Whether the folder being emptied still lies where the walk found it: the root in its place,
    // and the folders down to this one reached from it without links. When it does not, the
    // removal stops, unless the folder was removed by someone else: then it is simply gone.
    bool stillInPlace()
    {
        sinceCheck = 0;
        bool here = inPlace();
        if (here && frames.size() > 1) {
            const int fd = openInPlace(frames.size() - 1, pathFlags);
            if (fd < 0 && outOfDescriptors()) {
                // Out of descriptors is not a move: say what it is.
                abort({}, errno);
                return false;
            }
            here = fd >= 0;
            if (fd >= 0)
                close(fd);
        }
        if (here)
            return true;
        if (removedMeanwhile(frames.back().fd))
            dropRemoved();
        else
            abort({}, Failure::Kind::moved);
        return false;
    }

    // The folder on top was removed by another process, and everything in it with it.
    void dropRemoved()
    {
        if (frames.size() == 1) {
            rootGone = true;
            return;
        }
        Frame done = std::move(frames.back());
        frames.pop_back();
        closeFrame(done);
        shallowestOpen = std::min(shallowestOpen, std::max<std::size_t>(1, frames.size() - 1));
        if (frames.back().fd < 0)
            reopenFromRoot();
    }

    // Reopens the (closed) folder on top through the root, when ".." cannot lead to it.
    bool reopenFromRoot()
    {
        Frame &frame = frames.back();
        const int fd = openInPlace(frames.size() - 1, dirFlags);
        if (fd >= 0) {
            frame.fd = fd;
            frame.dir = nullptr;
            ++openCount;
            return true;
        }
        if (outOfDescriptors())
            abort(frame.name, errno);
        else if (removedMeanwhile(frames.front().fd))
            rootGone = true;
        else
            abort({}, Failure::Kind::moved);
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

    void gave(qint64 bytes)
    {
        freed += bytes;
        countRemoved(1, bytes);
    }

    void removeEntry(const std::string &name, unsigned char type)
    {
        if (type == DT_DIR) {
            descend(name, 1);
            return;
        }
        Frame &frame = frames.back();
        const qint64 bytes = lastLinkBytes(frame.fd, name.c_str());
        if (unlinkat(frame.fd, name.c_str(), 0) == 0) {
            gave(bytes);
            return;
        }
        int code = errno;
        if (code == ENOENT)
            return;
        if (code == EISDIR) {
            descend(name, 1);
            return;
        }
        if ((code == EACCES || code == EPERM) && makeCurrentWritable()) {
            if (unlinkat(frame.fd, name.c_str(), 0) == 0) {
                gave(bytes);
                return;
            }
            code = errno;
        }
        fail(name, code);
        frame.kept.insert(name);
    }

    int openChild(int parent, const std::string &name)
    {
        int fd = openat(parent, name.c_str(), dirFlags);
        if (fd < 0 && errno == EACCES && makeWritable(parent, name.c_str(), rootId))
            fd = openat(parent, name.c_str(), dirFlags);
        while (fd < 0 && outOfDescriptors() && closeShallowest())
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
            if (code == ENOTDIR || code == ELOOP) {
                const qint64 bytes = lastLinkBytes(frame.fd, name.c_str());
                if (unlinkat(frame.fd, name.c_str(), 0) == 0) {
                    gave(bytes);
                    return;
                }
            }
            if (code != ENOENT) {
                // A locked folder of another mount refuses to open before its mount is seen:
                // say what it is, not only that it was locked.
                const std::optional<FolderIdentity> found = identifyAt(frame.fd, name.c_str());
                if (found && !found->sameMount(rootId))
                    fail(name, Failure::Kind::otherMount);
                else
                    fail(name, code);
                frame.kept.insert(name);
            }
            return;
        }
        std::optional<FolderIdentity> id = identify(fd);
        if (!id || !id->sameMount(rootId)) {
            close(fd);
            fail(name, Failure::Kind::otherMount);
            frame.kept.insert(name);
            return;
        }
        openUp(fd, *id);
        frames.push_back({fd, nullptr, *id, name, {}, pass});
        ++openCount;
        if (openCount > maxOpenFolders)
            closeShallowest();
    }

    // The folder on top has been read to its end: remove it from its parent, reopening the
    // parent through ".." when it was closed, after making sure it is still the folder we left.
    void finishFrame()
    {
        if (checkDue() && !stillInPlace())
            return;
        Frame done = std::move(frames.back());
        frames.pop_back();
        shallowestOpen = std::min(shallowestOpen, std::max<std::size_t>(1, frames.size() - 1));
        Frame &parent = frames.back();
        // Between two checks from the root, the folder is at least still where it was in its
        // parent: ".." leads back to the parent, or the parent's entry to the folder.
        const bool reachable =
            parent.fd >= 0 ? stillInParent(done, parent) : reopenParent(done, parent);
        closeFrame(done);
        if (!reachable)
            return;
        if (!done.kept.empty()) {
            parent.kept.insert(done.name);
            return;
        }
        if (removeFolderEntry(parent.fd, done.name.c_str(), freed) || errno == ENOENT)
            return;
        int code = errno;
        if ((code == EACCES || code == EPERM) && makeCurrentWritable()) {
            if (removeFolderEntry(parent.fd, done.name.c_str(), freed))
                return;
            code = errno;
        }
        if (code == ENOTEMPTY && done.pass < maxPasses) {
            descend(done.name, done.pass + 1); // filled again meanwhile: one more pass
            return;
        }
        fail(done.name, code);
        parent.kept.insert(done.name);
    }

    bool stillInParent(const Frame &child, const Frame &parent)
    {
        const std::optional<FolderIdentity> here = identifyAt(parent.fd, child.name.c_str());
        if (here && here->sameFolder(child.id))
            return true;
        if (!removedMeanwhile(child.fd))
            abort(child.name, Failure::Kind::moved);
        return false;
    }

    bool reopenParent(const Frame &child, Frame &parent)
    {
        int fd = openat(child.fd, "..", dirFlags);
        while (fd < 0 && outOfDescriptors() && closeShallowest())
            fd = openat(child.fd, "..", dirFlags);
        const std::optional<FolderIdentity> id = fd >= 0 ? identify(fd) : std::nullopt;
        if (id && id->sameFolder(parent.id)) {
            parent.fd = fd;
            parent.dir = nullptr; // read again from the start: what was removed is gone
            ++openCount;
            return true;
        }
        if (fd >= 0)
            close(fd);
        // The child moved or was removed since it was checked: reach the parent from the root.
        return reopenFromRoot();
    }
};

} // namespace

Walk walkAndEmpty(int fd, const std::filesystem::path &root, const FolderIdentity &id,
                  std::function<bool()> rootInPlace)
{
    Remover remover(root, id, std::move(rootInPlace));
    Walk walk;
    walk.emptied = remover.empty(fd);
    walk.freed = remover.freed;
    walk.error = remover.error;
    walk.stopped = remover.stopped();
    walk.gone = remover.gone();
    return walk;
}

} // namespace Engine::removal
