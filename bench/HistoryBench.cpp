#include "HistoryBench.h"

#include "ColdRuns.h"
#include "SpaceGrowth.h"
#include "SpaceHistory.h"
#include "SpaceTree.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace HistoryBench {

namespace {

constexpr qint64 day = 24 * 60 * 60;
constexpr qint64 firstDay = 1'800'000'000;

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// A history file of the bench's own, begun afresh.
fs::path freshHistory(const fs::path &scratch, const char *name)
{
    fs::create_directories(scratch);
    const fs::path file = scratch / (std::string("history-") + name + ".sqlite");
    for (const char *suffix : {"", "-wal", "-shm"})
        fs::remove(file.native() + suffix);
    return file;
}

} // namespace

void compare(const char *name, const fs::path &tree, const fs::path &scratch, int rounds)
{
    const fs::path file = freshHistory(scratch, name);
    QElapsedTimer timer;
    timer.start();
    Engine::SpaceHistory history(file);
    const double openMs = elapsedMs(timer);
    if (!history.usable()) {
        std::printf("history_%s: cannot open %s\n", name, file.c_str());
        return;
    }
    std::vector<double> walks, walksRecorded, records, reaches;
    std::size_t rows = 0;
    for (int round = 0; round < rounds; ++round) {
        // Alone, then recorded: each pair under the same conditions.
        {
            Engine::SpaceTree walked(tree);
            timer.restart();
            walked.walk({});
            walks.push_back(elapsedMs(timer));
        }
        Engine::SpaceTree walked(tree);
        timer.restart();
        walked.walk({});
        const double walkMs = elapsedMs(timer);
        timer.restart();
        const auto id = history.record(walked, firstDay + round * day, -1, -1);
        const double recordMs = elapsedMs(timer);
        if (!id) {
            std::printf("history_%s: not recorded\n", name);
            return;
        }
        records.push_back(recordMs);
        timer.restart();
        Engine::recordedSizes(walked, Engine::historyReach(walked));
        reaches.push_back(elapsedMs(timer));
        walksRecorded.push_back(walkMs + recordMs);
        rows = history.sizes(*id).size();
    }
    const double alone = median(walks);
    const double recorded = median(walksRecorded);
    std::printf("history_%s_rows_per_walk: %zu\n", name, rows);
    std::printf("history_%s_open_ms: %.1f\n", name, openMs);
    std::printf("history_%s_walk_ms: %.1f\n", name, alone);
    std::printf("history_%s_record_ms: %.1f\n", name, median(records));
    std::printf("history_%s_of_it_choosing_rows_ms: %.1f\n", name, median(reaches));
    // Walks alone and walks recorded, each the median of its rounds: two walks differ by more
    // than the recording costs, so the ratio goes by the recording's own time.
    std::printf("history_%s_walk_then_record_ms: %.1f\n", name, recorded);
    std::printf("history_%s_walk_and_record_ratio: %.3f (aim: at most 1.10)\n", name,
                alone > 0 ? (alone + median(records)) / alone : 0.0);
    std::fflush(stdout);
}

void year(const fs::path &tree, const fs::path &scratch, int days)
{
    // Files that change from day to day: every 4000th of the tree's.
    std::vector<fs::path> changing;
    std::size_t seen = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator
             it(tree, fs::directory_options::skip_permission_denied, error),
         end;
         !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && !it->is_symlink(error) && seen++ % 4000 == 0)
            changing.push_back(it->path());
    }
    const fs::path file = freshHistory(scratch, "year");
    Engine::SpaceHistory history(file);
    Engine::SpaceTree walked(tree);
    if (changing.empty() || !history.usable() || !walked.walk({})) {
        std::printf("history_year: cannot run on %s\n", tree.c_str());
        return;
    }
    QRandomGenerator random(42);
    std::vector<double> records;
    QElapsedTimer timer;
    for (int i = 0; i < days; ++i) {
        // A few files each day take a size from 4 KiB to 256 KiB, allocated.
        for (int j = 0; j < 20; ++j) {
            const fs::path &path = changing[random.bounded(quint32(changing.size()))];
            const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0)
                continue;
            ftruncate(fd, 0);
            posix_fallocate(fd, 0, off_t(random.bounded(4, 257)) * 1024);
            close(fd);
            walked.measure(path);
        }
        timer.restart();
        if (!history.record(walked, firstDay + i * day, -1, -1)) {
            std::printf("history_year: day %d not recorded\n", i);
            break;
        }
        records.push_back(elapsedMs(timer));
    }
    for (const fs::path &path : changing)
        fs::resize_file(path, 0, error);
    const std::vector<Engine::HistoryWalk> kept = history.walks(tree);
    std::size_t rows = 0;
    for (const Engine::HistoryWalk &walk : kept)
        rows += history.sizes(walk.id).size();
    std::printf("history_year_days: %d\n", days);
    std::printf("history_year_walks_kept: %zu\n", kept.size());
    std::printf("history_year_rows: %zu\n", rows);
    std::printf("history_year_record_ms: %.1f\n", median(records));
    std::printf("history_year_mb: %.2f\n", double(history.diskBytes()) / 1e6);
    // Opening checks the file whole: what that costs once it holds a year.
    timer.restart();
    const Engine::SpaceHistory reopened(file);
    std::printf("history_year_open_ms: %.1f\n", reopened.usable() ? elapsedMs(timer) : -1.0);
    std::fflush(stdout);
}

} // namespace HistoryBench
