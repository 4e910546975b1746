#pragma once

#include <QString>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace Engine {

class SpaceTree;

// $XDG_STATE_HOME/Ampa/history.sqlite (default ~/.local/state/Ampa/history.sqlite).
std::filesystem::path historyPath();

// Whether anything lies in the history's place (a link or a FIFO too): where the history is
// turned off, it is opened only to read, and only then, so that nothing is made on disk.
bool historyPresent(const std::filesystem::path &file = historyPath());

// One walk the history holds.
struct HistoryWalk {
    qint64 id = 0;
    qint64 time = 0; // seconds since 1970, when the walk ended
    std::filesystem::path root;
    qint64 size = 0;  // the root's disk use
    qint64 free = -1; // of the root's file system then; -1 when not known
    qint64 total = -1;
    // What the walk recorded: every folder down to `depth` below the root, and every deeper
    // entry of at least `threshold` bytes (see SpaceGrowth.h).
    int depth = 0;
    qint64 threshold = 0;
};

// An entry a walk recorded.
struct RecordedSize {
    qint64 size = 0; // disk use
    qint64 apparent = 0;
    bool folder = true;
};
// By path below the root: "" is the root, names joined by '/', the bytes as on disk.
using RecordedSizes = std::unordered_map<std::string, RecordedSize>;

// Why the history file found could not be used. It was moved aside, with its -wal and -shm, to
// `keptAs` (never deleted), and a fresh history begun.
struct HistoryProblem {
    enum class Kind {
        none,
        newer,       // written by a newer Ampa
        damaged,     // a database that fails its integrity check
        notDatabase, // no SQLite database, or not a regular file (a link, a FIFO, a folder)
        unusable,    // could not be opened or begun afresh at all: nothing is recorded
    };
    Kind kind = Kind::none;
    std::filesystem::path keptAs; // empty when nothing was moved
    QString detail;               // SQLite's own words, for the log
};

// The space map's history: each recorded walk with its time, the free space then and the sizes
// of the entries that matter, in SQLite (WAL mode, each walk in one transaction: a process
// killed at any moment loses at most the walk it was recording). Older walks are thinned: the
// two newest stay, then the newest of each day for a month, of each week for a year, of each
// month after.
//
// One object per thread that uses it (an SQL connection belongs to its thread); several
// processes may use the same file at once.
class SpaceHistory {
public:
    // Opens the history at `file`, making it and its folder when missing (the folder only below
    // an existing one of the effective user's). Never throws and never waits on the file (a
    // FIFO in its place is moved aside unopened); see `problem()`.
    explicit SpaceHistory(std::filesystem::path file = historyPath());
    ~SpaceHistory();
    SpaceHistory(const SpaceHistory &) = delete;
    SpaceHistory &operator=(const SpaceHistory &) = delete;

    // False when the history could not be opened or begun afresh: every call below does
    // nothing and returns its empty value.
    bool usable() const;
    const HistoryProblem &problem() const;
    const std::filesystem::path &file() const;

    // Records the tree's walk as ended at `time` (seconds), with its file system's `free` and
    // `total` bytes (-1 when not known), then thins the root's older walks. The tree must be a
    // walk that ended (not stopped, not a saved scan). The walk's id; nothing when it could
    // not be recorded (then nothing of it was).
    std::optional<qint64> record(const SpaceTree &tree, qint64 time, qint64 free, qint64 total);
    // The walks of `root` (by its path as walked), the newest first.
    std::vector<HistoryWalk> walks(const std::filesystem::path &root) const;
    // What the walk recorded; empty for an id the history does not hold.
    RecordedSizes sizes(qint64 walk) const;
    // Forgets every walk. False when it could not.
    bool clear();
    // The walks of `root` kept by the thinning above, as of `now`; the others are dropped.
    void thin(const std::filesystem::path &root, qint64 now);
    // The bytes the history takes on disk now, its -wal included, for the bench.
    qint64 diskBytes() const;

private:
    struct Store;
    std::unique_ptr<Store> store;
};

// Records the tree's ended walk as ended now, with its file system's free and total bytes read
// now (-1 when they cannot be); as `SpaceHistory::record`.
std::optional<qint64> recordWalk(SpaceHistory &history, const SpaceTree &tree);

// The walk to compare with: the newest one before `current` (its id: the walk just recorded,
// which is itself no comparison), or, with `daysAgo`, the one nearest to that many days before
// `now`, other than `current`. Nothing when the history holds no other.
std::optional<HistoryWalk> walkToCompare(const std::vector<HistoryWalk> &walks,
                                         std::optional<qint64> current, std::optional<int> daysAgo,
                                         qint64 now);

} // namespace Engine
