#include "RemovalParallel.h"

#include "Paths.h"
#include "Stop.h"
#include "WorkCount.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <dirent.h>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace Engine::removal {

namespace {

// Removes the folder `name` in the target open at `parentFd`, with everything in it, and adds
// what it freed to `freed`. What stays is left for the target's final pass to find and report;
// only a removal that stopped (a folder moved, no descriptors left) comes back, as what it
// stopped at is no longer there for the final pass to see.
std::optional<Failure> removeSubfolder(int parentFd, const std::string &name, const Place &target,
                                       const std::filesystem::path &path, qint64 &freed)
{
    const int fd = openat(parentFd, name.c_str(), dirFlags);
    if (fd < 0)
        return std::nullopt;
    std::optional<FolderIdentity> id = identify(fd);
    if (!id || !id->sameMount(target.id)) {
        close(fd);
        return std::nullopt;
    }
    openUp(fd, *id);
    const Place place{parentFd, name, nullptr, *id};
    const Walk walk = walkAndEmpty(fd, path, *id, [&] { return target.holds() && place.holds(); });
    freed += walk.freed;
    if (walk.stopped)
        return walk.error;
    if (walk.emptied && target.holds() && place.holds())
        removeFolderEntry(parentFd, name.c_str(), freed);
    return std::nullopt;
}

// Entries of one folder, read in rounds of a bounded number so that a folder of millions costs
// little memory: names packed one after another, folders apart from the rest.
struct Listing {
    std::vector<char> names;
    std::vector<std::size_t> folders; // offsets into names
    std::vector<std::size_t> files;

    static constexpr std::size_t round = 65536;
    bool full() const { return folders.size() + files.size() >= round; }
    void add(const dirent &entry)
    {
        (entry.d_type == DT_DIR ? folders : files).push_back(names.size());
        names.insert(names.end(), entry.d_name, entry.d_name + std::strlen(entry.d_name) + 1);
    }
    const char *name(std::size_t offset) const { return names.data() + offset; }
};

} // namespace

std::optional<Failure> removeEntriesInParallel(int fd, const Place &target,
                                               const std::filesystem::path &path, qint64 &freed)
{
    const int reading = openat(fd, ".", dirFlags); // its own reading position
    DIR *dir = reading >= 0 ? fdopendir(reading) : nullptr;
    if (!dir) {
        if (reading >= 0)
            close(reading);
        return std::nullopt;
    }
    std::mutex lock;
    std::optional<Failure> stopped;
    const std::atomic<bool> *stop = currentStop();
    const std::size_t maxThreads = std::max(4u, std::thread::hardware_concurrency());
    Listing listing;
    bool more = true;
    while (more && !stopped) {
        listing = {};
        while (!listing.full()) {
            const dirent *entry = readdir(dir);
            if (!entry) {
                more = false;
                break;
            }
            if (!isDotOrDotDot(entry->d_name))
                listing.add(*entry);
        }
        const std::size_t fileTasks =
            (listing.files.size() + entriesPerCheck - 1) / entriesPerCheck;
        const std::size_t tasks = listing.folders.size() + fileTasks;
        // One folder alone, or a few files, are the final pass's work.
        if (listing.folders.size() < 2 && listing.files.size() < 2 * entriesPerCheck)
            break;
        std::atomic<std::size_t> next = 0;
        auto work = [&] {
            const StopScope scope(stop);
            qint64 mine = 0;
            std::optional<Failure> error;
            for (std::size_t task = next++; task < tasks; task = next++) {
                if (task < listing.folders.size()) {
                    const char *name = listing.name(listing.folders[task]);
                    error = removeSubfolder(fd, name, target, path / name, mine);
                    continue;
                }
                if (stopRequested(stop)) {
                    error = Failure{Failure::Kind::stopped, 0, path, {}};
                    break;
                }
                if (!target.holds())
                    break; // the final pass finds out what happened and says so
                const std::size_t first = (task - listing.folders.size()) * entriesPerCheck;
                const std::size_t last = std::min(listing.files.size(), first + entriesPerCheck);
                const qint64 mineBefore = mine;
                qint64 removed = 0;
                for (std::size_t i = first; i < last; ++i) {
                    const char *name = listing.name(listing.files[i]);
                    const qint64 bytes = lastLinkBytes(fd, name);
                    if (unlinkat(fd, name, 0) == 0) {
                        mine += bytes;
                        ++removed;
                    }
                }
                countRemoved(removed, mine - mineBefore);
            }
            std::lock_guard guard(lock);
            freed += mine;
            if (error)
                stopped = std::move(error);
        };
        std::vector<std::thread> helpers;
        for (std::size_t i = 1; i < std::min(tasks, maxThreads); ++i)
            helpers.emplace_back(work);
        work();
        for (std::thread &helper : helpers)
            helper.join();
    }
    closedir(dir);
    return stopped;
}

} // namespace Engine::removal
