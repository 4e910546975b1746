#include "SpaceBench.h"

#include "ColdRuns.h"
#include "ProcessMemory.h"
#include "SpaceTree.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace SpaceBench {

namespace {

struct ChildRun {
    double ms = 0;
    double cpuMs = 0; // user and system time: what the walk cost, however busy the machine
    long peakKiB = 0;
    QByteArray out;
};

// Runs the program with its output in a pipe (or thrown away) and reads its peak. A forked
// child's peak starts from the forking process's size, so a small one forks it when it can:
// /usr/bin/time, which writes the peak to a file.
ChildRun run(const std::string &program, const std::vector<std::string> &arguments, bool keepOutput)
{
    static const bool timed = access("/usr/bin/time", X_OK) == 0;
    const std::string peakFile =
        (std::filesystem::temp_directory_path() / ("ampa-bench-peak-" + std::to_string(getpid())))
            .native();
    std::vector<std::string> command;
    if (timed)
        command = {"/usr/bin/time", "-f", "%M", "-o", peakFile};
    command.push_back(program);
    command.insert(command.end(), arguments.begin(), arguments.end());
    int pipeFds[2] = {-1, -1};
    if (keepOutput && pipe(pipeFds) != 0)
        return {};
    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child == 0) {
        const int out = keepOutput ? pipeFds[1] : open("/dev/null", O_WRONLY);
        dup2(out, STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        std::vector<char *> argv;
        for (const std::string &argument : command)
            argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ChildRun result;
    if (keepOutput) {
        close(pipeFds[1]);
        char buffer[4096];
        for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            result.out.append(buffer, got);
        close(pipeFds[0]);
    }
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    result.ms = double(timer.nsecsElapsed()) / 1e6;
    result.cpuMs = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
                   + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    result.peakKiB = usage.ru_maxrss;
    if (timed) {
        QFile peak(QString::fromStdString(peakFile));
        if (peak.open(QIODevice::ReadOnly))
            result.peakKiB = peak.readAll().trimmed().toLong();
        peak.remove();
    }
    return result;
}

// ncdu's export mode writes each folder out and frees it, so its peak there is not what it holds
// while a person browses. Here it runs as a person runs it, in a terminal of its own, until it
// shows the tree; its peak then is what the tree costs it. 0 when it cannot be run.
long ncduBrowsingPeakKiB(const std::string &path)
{
    struct winsize size {};
    size.ws_row = 24;
    size.ws_col = 80;
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
    if (child < 0)
        return 0;
    if (child == 0) {
        setenv("TERM", "xterm", 1);
        execl("/usr/bin/ncdu", "ncdu", "-0", "-x", "--", path.c_str(), nullptr);
        _exit(127);
    }
    QByteArray screen;
    char buffer[4096];
    long peak = 0;
    pollfd ready{terminal, POLLIN, 0};
    for (ssize_t got;
         poll(&ready, 1, 600'000) > 0 && (got = read(terminal, buffer, sizeof buffer)) > 0;) {
        screen.append(buffer, got);
        if (screen.contains("Use the arrow keys")) { // the browser's title: the walk is done
            peak = peakKiBOf(child);
            break;
        }
        screen = screen.right(32);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    close(terminal);
    return peak;
}

void ratio(const std::string &name, double value)
{
    std::printf("%s: %.2fx\n", name.c_str(), value);
}

} // namespace

int walkCommand(const std::filesystem::path &path, bool afterDrop)
{
    const long baseline = currentKiB();
    if (afterDrop)
        readyForTheDrop();
    QElapsedTimer timer;
    timer.start();
    Engine::SpaceTree tree(path);
    tree.walk({});
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%.1f %lld %ld %ld %zu\n", ms, static_cast<long long>(tree.progress().entries),
                peakKiB(), baseline, tree.memoryBytes());
    return 0;
}

void compare(const char *name, const std::filesystem::path &path, int rounds)
{
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    const std::string where = path.native();
    const std::string prefix = std::string("space_") + name + "_";
    struct Tool {
        const char *name;
        std::string program;
        std::vector<std::string> arguments;
    };
    // Each lists every folder with its size, staying on the file system, as the map does; `walk`
    // is Ampa's own measuring walk (one total), the pace the map's walk is held to.
    std::vector<Tool> tools{
        {"ampa", self, {"space", where}},
        {"walk", self, {"walk", where}},
        {"du", "/usr/bin/du", {"-x", "-B1", "--", where}},
        {"ncdu", "/usr/bin/ncdu", {"-0", "-x", "-o", "/dev/null", "--", where}},
        {"gdu", "/usr/bin/gdu", {"-n", "-p", "-x", "-o", "/dev/null", where}},
    };
    std::erase_if(tools, [](const Tool &tool) { return access(tool.program.c_str(), X_OK) != 0; });
    for (const Tool &tool : tools) // warm the page cache and each program's own files
        run(tool.program, tool.arguments, false);
    std::vector<std::vector<double>> times(tools.size());
    std::vector<std::vector<double>> cpu(tools.size());
    std::vector<long> peaks(tools.size(), 0);
    std::vector<double> ownMs[2];
    long aboveBaselineKiB[2] = {0, 0};
    qint64 entries = 0;
    std::size_t treeBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < tools.size(); ++i) {
            const ChildRun result = run(tools[i].program, tools[i].arguments, i < 2);
            times[i].push_back(result.ms);
            cpu[i].push_back(result.cpuMs);
            peaks[i] = std::max(peaks[i], result.peakKiB);
            if (i >= 2)
                continue;
            // Ours print their own time, then for `space`: entries, peak, baseline, tree bytes;
            // for `walk`: bytes, peak, baseline.
            const QList<QByteArray> fields = result.out.trimmed().split(' ');
            ownMs[i].push_back(fields.value(0).toDouble());
            aboveBaselineKiB[i] =
                std::max(aboveBaselineKiB[i], fields.value(2).toLong() - fields.value(3).toLong());
            if (i == 0) {
                entries = fields.value(1).toLongLong();
                treeBytes = fields.value(4).toULongLong();
            }
        }
    }
    auto perEntry = [entries](double kib) {
        return entries ? kib * 1024.0 / double(entries) : 0.0;
    };
    std::printf("%sentries: %lld\n", prefix.c_str(), static_cast<long long>(entries));
    std::printf("%stree_bytes_per_entry: %.1f\n", prefix.c_str(),
                entries ? double(treeBytes) / double(entries) : 0.0);
    for (std::size_t i = 0; i < tools.size(); ++i) {
        std::printf("%s%s_ms: %.1f\n", prefix.c_str(), tools[i].name, median(times[i]));
        std::printf("%s%s_cpu_ms: %.1f\n", prefix.c_str(), tools[i].name, median(cpu[i]));
        std::printf("%s%s_peak_bytes_per_entry: %.1f\n", prefix.c_str(), tools[i].name,
                    perEntry(double(peaks[i])));
        if (i < 2) {
            std::printf("%s%s_own_ms: %.1f\n", prefix.c_str(), tools[i].name, median(ownMs[i]));
            std::printf("%s%s_above_baseline_bytes_per_entry: %.1f\n", prefix.c_str(),
                        tools[i].name, perEntry(double(aboveBaselineKiB[i])));
        }
        if (i > 0)
            ratio(prefix + "vs_" + tools[i].name, median(times[i]) / median(times[0]));
    }
    // Within 15 % of the measuring walk: at most 1.15.
    ratio(prefix + "ampa_over_walk", median(times[0]) / median(times[1]));
    if (std::any_of(tools.begin(), tools.end(),
                    [](const Tool &tool) { return std::string_view(tool.name) == "ncdu"; })) {
        const std::filesystem::path empty = std::filesystem::temp_directory_path()
                                            / ("ampa-bench-empty-" + std::to_string(getpid()));
        std::filesystem::create_directory(empty);
        const long ncduBaseline = ncduBrowsingPeakKiB(empty.native());
        std::filesystem::remove(empty);
        const long ncduHeld = ncduBrowsingPeakKiB(where);
        std::printf("%sncdu_browsing_peak_bytes_per_entry: %.1f\n", prefix.c_str(),
                    perEntry(double(ncduHeld)));
        const double ncduAbove = perEntry(double(ncduHeld - ncduBaseline));
        std::printf("%sncdu_browsing_above_baseline_bytes_per_entry: %.1f\n", prefix.c_str(),
                    ncduAbove);
        // What the map holds per entry against what ncdu holds: at most 1.00.
        if (ncduAbove > 0)
            ratio(prefix + "ampa_over_ncdu_held",
                  perEntry(double(aboveBaselineKiB[0])) / ncduAbove);
    }
    std::fflush(stdout);
}

void compareCold(const char *name, const std::filesystem::path &path, int rounds)
{
    const std::string prefix = std::string("cold_space_") + name + "_";
    if (!dropPageCache()) {
        std::printf("%sskipped: emptying the page cache needs root\n", prefix.c_str());
        return;
    }
    const QString where = QString::fromStdString(path.native());
    struct Tool {
        const char *name;
        std::string program;
        std::vector<std::string> arguments;
    };
    std::vector<Tool> others{
        {"du", "/usr/bin/du", {"-x", "-B1", "--", path.native()}},
        {"ncdu", "/usr/bin/ncdu", {"-0", "-x", "-o", "/dev/null", "--", path.native()}},
        {"gdu", "/usr/bin/gdu", {"-n", "-p", "-x", "-o", "/dev/null", path.native()}},
    };
    std::erase_if(others, [](const Tool &tool) { return access(tool.program.c_str(), X_OK) != 0; });
    std::vector<double> ours[2];
    std::vector<std::vector<double>> times(others.size());
    for (int round = 0; round < rounds; ++round) {
        ours[0].push_back(coldChild("space", where).value(0).toDouble());
        ours[1].push_back(coldChild("walk", where).value(0).toDouble());
        for (std::size_t i = 0; i < others.size(); ++i) {
            dropPageCache();
            times[i].push_back(run(others[i].program, others[i].arguments, false).ms);
        }
    }
    const double ampa = median(ours[0]);
    std::printf("%sampa_ms: %.1f\n", prefix.c_str(), ampa);
    std::printf("%swalk_ms: %.1f\n", prefix.c_str(), median(ours[1]));
    ratio(prefix + "ampa_over_walk", ampa / median(ours[1]));
    for (std::size_t i = 0; i < others.size(); ++i) {
        std::printf("%s%s_ms: %.1f\n", prefix.c_str(), others[i].name, median(times[i]));
        ratio(prefix + "vs_" + others[i].name, median(times[i]) / ampa);
    }
    std::fflush(stdout);
}

} // namespace SpaceBench
