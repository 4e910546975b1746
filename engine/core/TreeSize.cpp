#include "TreeSize.h"

#include "EngineLogging.h"
#include "FolderIdentity.h"
#include "Paths.h"
#include "ProcessLimits.h"
#include "Stop.h"
#include "WorkCount.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace Engine {

namespace {

constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int statFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
constexpr std::size_t chunkBytes = 64 * 1024;

qint64 allocated(const struct stat &st)
{
    return static_cast<qint64>(st.st_blocks) * 512;
}

// An open folder being read. Several workers may read it at once: the kernel hands each
// getdents64 call the next part of the listing. Closed when the last holder lets go.
struct Folder {
    explicit Folder(int descriptor) : fd(descriptor) {}
    ~Folder() { close(fd); }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    const int fd;
    bool exhausted = false; // guarded by the walk's lock
    int readers = 0;        // likewise
};

// An entry with more than one link: it counts only when the walks found every one of its links.
struct LinkedFile {
    dev_t device;
    ino_t inode;
    nlink_t links;
    qint64 bytes;
    auto operator<=>(const LinkedFile &) const = default;
};

// A sub-folder found but not opened yet: its parent stays open until then, so the number of open
// descriptors follows the work in hand, not the size of the tree.
struct Pending {
    std::shared_ptr<Folder> parent;
    std::string name;
};

// Measures a tree with a pool of workers sharing one queue of folders. Memory follows the
// number of folders waiting, never the number of files.
class Walk {
public:
    // Entries with several links are collected in `linked` instead of counted.
    // Folders' own blocks are left out without `withFolders`.
    // The first entry `watched` accepts is kept in `seen`.
    Walk(int rootFd, const FolderIdentity &root, std::vector<LinkedFile> &collect, bool withFolders,
         NameWatch watched = nullptr)
        : rootId(root), stop(currentStop()), linked(collect), countFolders(withFolders),
          watch(watched)
    {
        active.push_back(std::make_shared<Folder>(rootFd));
    }

    qint64 run()
    {
        const unsigned helpers = walkThreads() - 1;
        std::vector<std::thread> threads;
        threads.reserve(helpers);
        for (unsigned i = 0; i < helpers; ++i)
            threads.emplace_back([this] { work(); });
        work();
        for (std::thread &thread : threads)
            thread.join();
        return total;
    }

    std::string seen; // after `run`

private:
    FolderIdentity rootId;
    const std::atomic<bool> *stop; // the caller's: the helpers look at it too
    std::vector<LinkedFile> &linked;
    const bool countFolders;
    const NameWatch watch;
    std::mutex lock;
    std::condition_variable wake;
    std::vector<std::shared_ptr<Folder>> active; // being read
    std::vector<Pending> pending;                // waiting to be opened, newest last
    int working = 0;
    qint64 total = 0;

    // The next folder to read from: an open one no one is reading, else a waiting one opened
    // now, else one another worker is reading (a huge folder is read by all). Null when the
    // whole tree is done. Folders of their own keep the workers' reads apart: a read from a cold
    // disk waits for the device, and reads of one folder wait for each other.
    std::shared_ptr<Folder> next(std::unique_lock<std::mutex> &held)
    {
        for (;;) {
            if (stopRequested(stop)) {
                wake.notify_all();
                return nullptr;
            }
            for (auto it = active.rbegin(); it != active.rend(); ++it) {
                if ((*it)->readers == 0)
                    return *it;
            }
            if (!pending.empty()) {
                Pending item = std::move(pending.back());
                pending.pop_back();
                ++working;
                held.unlock();
                qint64 folderBytes = 0;
                std::shared_ptr<Folder> opened = open(item, folderBytes);
                item.parent.reset();
                held.lock();
                --working;
                if (countFolders) {
                    total += folderBytes;
                    countMeasured(0, folderBytes);
                }
                if (opened) {
                    active.push_back(opened);
                    wake.notify_all();
                    return opened;
                }
                continue;
            }
            if (!active.empty())
                return active.back();
            if (working == 0) {
                wake.notify_all();
                return nullptr;
            }
            wake.wait(held);
        }
    }

    // Opens the folder and gives its own blocks, which its removal frees, in `bytes`.
    std::shared_ptr<Folder> open(const Pending &item, qint64 &bytes) const
    {
        const int fd = openat(item.parent->fd, item.name.c_str(), dirFlags);
        if (fd < 0) {
            if (errno == ENOENT) // gone meanwhile is no failure
                return nullptr;
            qCWarning(lcEngine, "not measured: folder %s: %s", item.name.c_str(),
                      std::strerror(errno));
            // A locked folder of ours is still removed, and its own blocks with it.
            const std::optional<FolderIdentity> id = identifyAt(item.parent->fd, item.name.c_str());
            if (id && id->isDirectory && id->sameMount(rootId))
                bytes = id->allocated;
            return nullptr;
        }
        const std::optional<FolderIdentity> id = identify(fd);
        if (!id || !id->sameMount(rootId)) {
            close(fd);
            return nullptr;
        }
        bytes = id->allocated;
        return std::make_shared<Folder>(fd);
    }

    void work()
    {
        std::vector<char> buffer(chunkBytes);
        std::vector<std::string> folders;
        std::vector<LinkedFile> mine;
        std::string mySeen;
        qint64 sum = 0;
        std::unique_lock held(lock);
        while (std::shared_ptr<Folder> folder = next(held)) {
            ++working;
            ++folder->readers;
            held.unlock();
            const long got = syscall(SYS_getdents64, folder->fd, buffer.data(), buffer.size());
            folders.clear();
            const qint64 sumBefore = sum;
            qint64 entries = 0;
            for (long offset = 0; offset < got;) {
                const auto *entry = reinterpret_cast<const dirent64 *>(buffer.data() + offset);
                offset += entry->d_reclen;
                if (isDotOrDotDot(entry->d_name))
                    continue;
                ++entries;
                if (watch && mySeen.empty() && watch(entry->d_name))
                    mySeen = entry->d_name;
                // A folder's blocks are read when it is opened; every other entry, links and
                // special files too, takes blocks of its own.
                bool isFolder = entry->d_type == DT_DIR;
                if (!isFolder) {
                    struct stat st {};
                    if (fstatat(folder->fd, entry->d_name, &st, statFlags) != 0)
                        continue;
                    isFolder = S_ISDIR(st.st_mode);
                    if (!isFolder && st.st_nlink > 1)
                        mine.push_back({st.st_dev, st.st_ino, st.st_nlink, allocated(st)});
                    else if (!isFolder)
                        sum += allocated(st);
                }
                if (isFolder)
                    folders.emplace_back(entry->d_name);
            }
            countMeasured(entries, sum - sumBefore);
            held.lock();
            --working;
            --folder->readers;
            if (got <= 0 && !folder->exhausted) {
                folder->exhausted = true;
                std::erase(active, folder);
            }
            for (std::string &name : folders)
                pending.push_back({folder, std::move(name)});
            if (!folders.empty())
                wake.notify_all();
        }
        total += sum;
        if (seen.empty())
            seen = std::move(mySeen);
        linked.insert(linked.end(), mine.begin(), mine.end());
    }
};

} // namespace

namespace {

// What walks count of a folder's own blocks.
enum class Folders { all, allButTop, none };

// Walks the item at `path`, collecting its linked entries in `linked` and the first entry
// `watch` accepts in `seen`.
qint64 walk(const std::filesystem::path &path, std::vector<LinkedFile> &linked, Folders folders,
            NameWatch watch = nullptr, std::string *seen = nullptr)
{
    const std::filesystem::path target = withoutTrailingSlash(path);
    const int fd = open(target.c_str(), dirFlags);
    if (fd < 0) {
        // Not a folder, a symbolic link, or nothing: its own allocation, never opened.
        struct stat st {};
        if (fstatat(AT_FDCWD, target.c_str(), &st, statFlags) != 0)
            return 0;
        if (S_ISDIR(st.st_mode)) {
            qCWarning(lcEngine, "measured as 0: %s cannot be read", target.c_str());
            return 0;
        }
        if (st.st_nlink > 1) {
            linked.push_back({st.st_dev, st.st_ino, st.st_nlink, allocated(st)});
            return 0;
        }
        return allocated(st);
    }
    const std::optional<FolderIdentity> root = identify(fd);
    if (!root) {
        close(fd);
        return 0;
    }
    const qint64 own = folders == Folders::all ? root->allocated : 0;
    countMeasured(0, own);
    Walk walker(fd, *root, linked, folders != Folders::none, watch);
    const qint64 below = walker.run();
    if (seen)
        *seen = std::move(walker.seen);
    return own + below;
}

// What the walks found, with each linked entry added once when all its links were among them;
// `shared` tells whether any was not.
qint64 withLinked(qint64 total, std::vector<LinkedFile> &linked, bool *shared = nullptr)
{
    std::sort(linked.begin(), linked.end());
    for (auto first = linked.begin(); first != linked.end();) {
        auto last = std::find_if(first, linked.end(), [&first](const LinkedFile &file) {
            return file.device != first->device || file.inode != first->inode;
        });
        if (static_cast<nlink_t>(last - first) >= first->links)
            total += first->bytes;
        else if (shared)
            *shared = true;
        first = last;
    }
    return total;
}

} // namespace

qint64 size(const std::filesystem::path &path)
{
    std::vector<LinkedFile> linked;
    const qint64 total = walk(path, linked, Folders::all);
    return withLinked(total, linked);
}

SizeSeen sizeWatching(const std::filesystem::path &path, NameWatch watch)
{
    std::vector<LinkedFile> linked;
    SizeSeen result;
    const qint64 total = walk(path, linked, Folders::all, watch, &result.seen);
    result.bytes = withLinked(total, linked, &result.shared);
    return result;
}

qint64 contentSize(const std::filesystem::path &path)
{
    std::vector<LinkedFile> linked;
    const qint64 total = walk(path, linked, Folders::allButTop);
    return withLinked(total, linked);
}

namespace {

qint64 reclaimable(const std::vector<std::filesystem::path> &paths, Folders folders)
{
    std::vector<LinkedFile> linked;
    qint64 total = 0;
    for (const std::filesystem::path &path : paths)
        total += walk(path, linked, folders);
    return withLinked(total, linked);
}

} // namespace

qint64 reclaimableSize(const std::vector<std::filesystem::path> &paths)
{
    return reclaimable(paths, Folders::all);
}

qint64 reclaimableFiles(const std::vector<std::filesystem::path> &paths)
{
    return reclaimable(paths, Folders::none);
}

} // namespace Engine
