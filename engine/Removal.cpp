#include "Removal.h"

#include "FolderIdentity.h"
#include "Paths.h"
#include "Text.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
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

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Adds owner write and search permission to a folder we own, through an O_PATH descriptor so
// that a link put in its place is never followed to something else.
bool makeWritable(int parentFd, const char *name)
{
    const int fd = openat(parentFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool changed = false;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid()) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        changed = chmod(self.c_str(), (st.st_mode & 07777) | S_IRWXU) == 0;
    }
    close(fd);
    return changed;
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
            if (!entry)
                finishFrame();
            else if (!isDotOrDotDot(entry->d_name) && !frame.kept.contains(entry->d_name))
                removeEntry(entry->d_name, entry->d_type);
        }
        for (Frame &frame : frames)
            closeFrame(frame);
        frames.clear();
        return clean && !aborted;
    }

    std::optional<QString> error;

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

    void failErrno(const std::string &name, int code)
    {
        fail(name, QString::fromLocal8Bit(std::strerror(code)));
    }

    static void closeFrame(Frame &frame)
    {
        if (frame.dir)
            closedir(frame.dir); // closes frame.fd too
        else if (frame.fd >= 0)
            close(frame.fd);
        frame.dir = nullptr;
        frame.fd = -1;
    }

    bool openStream(Frame &frame)
    {
        frame.dir = fdopendir(frame.fd);
        if (!frame.dir) {
            failErrno({}, errno);
            aborted = true;
        }
        return frame.dir != nullptr;
    }

    // Closes the shallowest open folder between the root and the current one; it is reopened
    // through ".." from its child when the walk comes back to it.
    bool closeShallowest()
    {
        for (std::size_t i = 1; i + 1 < frames.size(); ++i) {
            if (frames[i].fd >= 0) {
                closeFrame(frames[i]);
                return true;
            }
        }
        return false;
    }

    std::size_t openFolders() const
    {
        std::size_t open = 0;
        for (const Frame &frame : frames)
            open += frame.fd >= 0;
        return open;
    }

    void removeEntry(const std::string &name, unsigned char type)
    {
        Frame &frame = frames.back();
        if (type != DT_DIR) {
            if (unlinkat(frame.fd, name.c_str(), 0) == 0 || errno == ENOENT)
                return;
            if (errno != EISDIR) {
                if ((errno == EACCES || errno == EPERM) && makeCurrentWritable()
                    && unlinkat(frame.fd, name.c_str(), 0) == 0)
                    return;
                failErrno(name, errno);
                frame.kept.insert(name);
                return;
            }
        }
        descend(name, 1);
    }

    // Entries go only from a folder we may write to.
    bool makeCurrentWritable()
    {
        if (frames.size() == 1)
            return makeWritable(AT_FDCWD, rootPath.c_str());
        const Frame &parent = frames[frames.size() - 2];
        return parent.fd >= 0 && makeWritable(parent.fd, frames.back().name.c_str());
    }

    int openChild(int parent, const std::string &name)
    {
        int fd = openat(parent, name.c_str(), dirFlags);
        if (fd < 0 && errno == EACCES && makeWritable(parent, name.c_str()))
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
                failErrno(name, code);
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
        if (openFolders() > maxOpenFolders)
            closeShallowest();
    }

    // The folder on top has been read to its end: remove it from its parent, reopening the
    // parent through ".." when it was closed, after making sure it is still the folder we left.
    void finishFrame()
    {
        Frame done = std::move(frames.back());
        frames.pop_back();
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
        if ((errno == EACCES || errno == EPERM) && makeCurrentWritable()
            && unlinkat(parent.fd, done.name.c_str(), AT_REMOVEDIR) == 0)
            return;
        const int code = errno;
        if (code == ENOTEMPTY && done.pass < maxPasses) {
            descend(done.name, done.pass + 1); // filled again meanwhile: one more pass
            return;
        }
        failErrno(done.name, code);
        parent.kept.insert(done.name);
    }

    bool reopenParent(const Frame &child, Frame &parent)
    {
        const int fd = openat(child.fd, "..", dirFlags);
        const std::optional<FolderIdentity> id = fd >= 0 ? identify(fd) : std::nullopt;
        if (id && id->sameFolder(parent.id)) {
            parent.fd = fd;
            parent.dir = nullptr; // read again from the start: what was removed is gone
            return true;
        }
        if (fd >= 0)
            close(fd);
        fail(child.name, ::tr("folder dipindahkan saat dihapus; penghapusan dihentikan",
                              "a folder was moved during removal; removal stopped"));
        aborted = true;
        return false;
    }
};

} // namespace

std::optional<QString> removeItem(const std::filesystem::path &path)
{
    const std::filesystem::path target = withoutTrailingSlash(path);
    auto failure = [&target](int code) {
        return std::optional(displayPath(target) + QStringLiteral(": ")
                             + QString::fromLocal8Bit(std::strerror(code)));
    };
    struct stat st {};
    if (lstat(target.c_str(), &st) != 0)
        return errno == ENOENT ? std::nullopt : failure(errno);
    if (!S_ISDIR(st.st_mode))
        return unlink(target.c_str()) == 0 || errno == ENOENT ? std::nullopt : failure(errno);

    int fd = open(target.c_str(), dirFlags);
    if (fd < 0 && errno == EACCES && makeWritable(AT_FDCWD, target.c_str()))
        fd = open(target.c_str(), dirFlags);
    if (fd < 0) {
        // Replaced by a link or a file since the lstat: remove that as it is.
        if ((errno == ELOOP || errno == ENOTDIR) && unlink(target.c_str()) == 0)
            return std::nullopt;
        return errno == ENOENT ? std::nullopt : failure(errno);
    }
    const std::optional<FolderIdentity> id = identify(fd);
    if (!id) {
        const int code = errno;
        close(fd);
        return failure(code);
    }
    Remover remover(target, *id);
    if (!remover.empty(fd))
        return remover.error;
    if (rmdir(target.c_str()) != 0 && errno != ENOENT)
        return failure(errno);
    return std::nullopt;
}

} // namespace Engine
