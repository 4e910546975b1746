#include "SpaceBench.h"

#include "ProcessMemory.h"
#include "SpaceTree.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace SpaceBench {

namespace {

struct ChildRun {
    double ms = 0;
    long peakKiB = 0;
    QByteArray out;
};

// Runs the program with its output in a pipe (or thrown away), and reads its own peak from wait4.
ChildRun run(const std::string &program, const std::vector<std::string> &arguments, bool keepOutput)
{
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
        std::vector<char *> argv{const_cast<char *>(program.c_str())};
        for (const std::string &argument : arguments)
            argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
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
    result.peakKiB = usage.ru_maxrss;
    return result;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int walkCommand(const std::filesystem::path &path)
{
    const long baseline = currentKiB();
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
    struct Tool {
        const char *name;
        std::string program;
        std::vector<std::string> arguments;
    };
    // Each lists every folder with its size, staying on the file system, as the map does.
    std::vector<Tool> tools{
        {"ampa", self, {"space", where}},
        {"du", "/usr/bin/du", {"-x", "-B1", "--", where}},
        {"ncdu", "/usr/bin/ncdu", {"-0", "-x", "-o", "/dev/null", "--", where}},
        {"gdu", "/usr/bin/gdu", {"-n", "-p", "-x", "-o", "/dev/null", where}},
    };
    std::erase_if(tools, [](const Tool &tool) { return access(tool.program.c_str(), X_OK) != 0; });
    for (const Tool &tool : tools) // warm the page cache and each program's own files
        run(tool.program, tool.arguments, false);
    std::vector<std::vector<double>> times(tools.size());
    std::vector<long> peaks(tools.size(), 0);
    qint64 entries = 0;
    std::size_t treeBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < tools.size(); ++i) {
            const ChildRun result = run(tools[i].program, tools[i].arguments, i == 0);
            times[i].push_back(result.ms);
            peaks[i] = std::max(peaks[i], result.peakKiB);
            if (i == 0) {
                const QList<QByteArray> fields = result.out.trimmed().split(' ');
                entries = fields.value(1).toLongLong();
                treeBytes = fields.value(4).toULongLong();
            }
        }
    }
    std::printf("space_%s_entries: %lld\n", name, static_cast<long long>(entries));
    std::printf("space_%s_tree_bytes_per_entry: %.1f\n", name,
                entries ? double(treeBytes) / double(entries) : 0.0);
    for (std::size_t i = 0; i < tools.size(); ++i) {
        std::printf("space_%s_%s_ms: %.1f\n", name, tools[i].name, median(times[i]));
        std::printf("space_%s_%s_peak_bytes_per_entry: %.1f\n", name, tools[i].name,
                    entries ? double(peaks[i]) * 1024.0 / double(entries) : 0.0);
        if (i > 0)
            std::printf("space_%s_vs_%s: %.2fx\n", name, tools[i].name,
                        median(times[i]) / median(times[0]));
    }
    std::fflush(stdout);
}

} // namespace SpaceBench
