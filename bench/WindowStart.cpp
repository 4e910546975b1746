#include "WindowStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace WindowStart {

namespace {

// How long a program is left alone after its first scan (hello world: its first frame) before
// its memory is read: the allocations of the start settle, the heap does not shrink further.
constexpr int settleMs = 2000;
constexpr int startTimeoutMs = 30000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void line(const std::string &name, double value, const char *unit = "")
{
    std::printf("%s: %.2f%s\n", name.c_str(), value, unit);
    std::fflush(stdout);
}

// A helper process that prints one line when it is ready (Xvfb's display number, the bus's
// address); empty when it printed none in time.
QString startAndReadLine(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.start(program, arguments);
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine() && timer.elapsed() < 20000
           && process.state() != QProcess::NotRunning)
        process.waitForReadyRead(1000);
    return QString::fromUtf8(process.readLine()).trimmed();
}

// Writes and frees `megabytes` of memory. A virtual machine may hand memory that stays free for a
// moment back to its host (free page reporting); a program that then allocates spends as much
// time again on the host's page faults as on its own work, a cost of the machine that swamps the
// difference being measured. Done just before each timed start, and through each tour of the
// panes, whose openings follow pauses of the program's own.
void warmMemory(std::size_t megabytes = 256)
{
    const std::vector<char> block(megabytes << 20, 1);
    // Read back, so the writes are not left out.
    volatile char sink = block[block.size() / 2];
    (void)sink;
}

long rssKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &row : status.readAll().split('\n')) {
        if (row.startsWith("VmRSS:"))
            return row.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Waits until the process prints `expected` on a line of its own; false when it ends or takes
// too long first.
bool waitForLine(QProcess &process, const QByteArray &expected)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < startTimeoutMs) {
        while (process.canReadLine()) {
            if (process.readLine().trimmed() == expected)
                return true;
        }
        if (process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(50);
    }
    return false;
}

// Reads "pane-frame KEY MS" lines until "panes-done"; false when the program ends or takes too
// long first.
bool readPanes(QProcess &process, std::vector<std::pair<std::string, double>> &panes)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < startTimeoutMs) {
        while (process.canReadLine()) {
            const QList<QByteArray> words = process.readLine().trimmed().split(' ');
            if (words.value(0) == "panes-done")
                return true;
            if (words.size() == 3 && words[0] == "pane-frame") {
                bool ok = false;
                const double ms = words[2].toDouble(&ok);
                panes.emplace_back(words[1].toStdString(), ok ? ms : -1);
            }
        }
        if (process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(50);
    }
    return false;
}

struct Run {
    double firstFrameMs = 0;
    double rssMb = 0;
    // The pane-opening runs: each pane's key and the milliseconds to its first frame, or a
    // negative number when it never showed.
    std::vector<std::pair<std::string, double>> panes;
};

struct Desktop {
    QString display;
    QString bus;
};

// What a start waits for after its first frame: the end of its first scan (whose child processes
// would otherwise outlive it and slow the next start), then its memory once settled; or each
// pane's first opening.
enum class After { scan, memory, panes };

// A home as a start finds it: something for the first scan to find.
std::unique_ptr<QTemporaryDir> makeHome(const fs::path &base)
{
    auto home = std::make_unique<QTemporaryDir>(
        QString::fromStdString((base / "window-home-XXXXXX").native()));
    if (!home->isValid())
        return nullptr;
    const QString root = home->path();
    QDir().mkpath(root + "/runtime");
    QFile::setPermissions(root + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir().mkpath(root + "/.cache/pip/http");
    QDir().mkpath(root + "/Downloads");
    QFile cache(root + "/.cache/pip/http/wheel");
    if (cache.open(QIODevice::WriteOnly))
        cache.write(QByteArray(2'000'000, 'x'));
    return home;
}

// One start of `program` in `root`: how long to its first frame, then its memory once settled
// or each pane's first opening. Nothing when it printed no first frame.
std::optional<Run> runOnce(const QString &program, bool ampa, bool software, const Desktop &desktop,
                           const QString &root, After after)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", root);
    environment.insert("XDG_CONFIG_HOME", root + "/.config");
    environment.insert("XDG_CACHE_HOME", root + "/.cache");
    environment.insert("XDG_DATA_HOME", root + "/.local/share");
    environment.insert("XDG_STATE_HOME", root + "/.local/state");
    environment.insert("XDG_RUNTIME_DIR", root + "/runtime");
    environment.insert("DISPLAY", desktop.display);
    environment.insert("DBUS_SESSION_BUS_ADDRESS", desktop.bus);
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("AMPA_REPORT_FIRST_FRAME", "1");
    if (after == After::panes)
        environment.insert("AMPA_REPORT_PANE_OPENING", "1");
    environment.remove("QT_QUICK_BACKEND");
    environment.remove("LIBGL_ALWAYS_SOFTWARE");
    if (software)
        environment.insert("QT_QUICK_BACKEND", "software");
    else
        environment.insert("LIBGL_ALWAYS_SOFTWARE", "1"); // llvmpipe, as on a machine without GPU

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    warmMemory();
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    std::optional<Run> run;
    if (waitForLine(process, "first-frame")) {
        run = Run{static_cast<double>(timer.nsecsElapsed()) / 1e6, 0, {}};
        if (after == After::panes) {
            // A few percent of one processor, against pane openings several times slower.
            std::jthread warmer([](std::stop_token stop) {
                while (!stop.stop_requested()) {
                    warmMemory(128);
                    std::this_thread::sleep_for(std::chrono::milliseconds(250));
                }
            });
            if (!readPanes(process, run->panes))
                run.reset();
        } else if (!ampa || waitForLine(process, "first-scan")) {
            if (after == After::memory) {
                QThread::msleep(settleMs);
                run->rssMb = static_cast<double>(rssKiB(process.processId())) / 1024.0;
            }
        } else {
            run.reset();
        }
    }
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    return run;
}

} // namespace

void measure(const fs::path &base, int runs)
{
    const QString bin = QCoreApplication::applicationDirPath();
    const QString ampa = bin + "/../ui/app/ampa";
    const QString hello = bin + "/hello/ampa-hello";
    for (const QString &needed :
         {QStringLiteral("/usr/bin/Xvfb"), QStringLiteral("/usr/bin/dbus-daemon"), ampa, hello}) {
        if (access(needed.toLocal8Bit().constData(), X_OK) != 0) {
            std::printf("window_start: skipped (needs %s)\n", qPrintable(needed));
            return;
        }
    }
    // Without -noreset the server starts over each time a program leaves it alone, and the next
    // program's connection may be refused while it does.
    QProcess xvfb;
    const QString display = startAndReadLine(
        xvfb, "/usr/bin/Xvfb",
        {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"});
    QProcess bus;
    const QString address = startAndReadLine(
        bus, "/usr/bin/dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    if (display.isEmpty() || address.isEmpty()) {
        std::printf("window_start: skipped (Xvfb or the session bus did not start)\n");
        return;
    }
    const Desktop desktop{":" + display, address};

    for (const bool software : {true, false}) {
        const std::string renderer = software ? "software" : "opengl";
        // A program mostly starts in a home it has started in before, where its caches are: the
        // shaders compiled for OpenGL above all, which llvmpipe takes long to build. Such starts
        // give the main figures; the first start in a new home is measured apart.
        const auto ampaHome = makeHome(base), helloHome = makeHome(base), paneHome = makeHome(base);
        if (!ampaHome || !helloHome || !paneHome) {
            std::printf("window_start_%s: failed (no home under %s)\n", renderer.c_str(),
                        base.c_str());
            continue;
        }
        // Once each unmeasured: the programs' files come into the page cache, and each home
        // holds what a first start leaves.
        runOnce(ampa, true, software, desktop, ampaHome->path(), After::memory);
        runOnce(hello, false, software, desktop, helloHome->path(), After::memory);
        runOnce(ampa, true, software, desktop, paneHome->path(), After::panes);
        std::vector<double> ampaFrame, ampaRss, helloFrame, helloRss, ampaFirst, helloFirst;
        for (int i = 0; i < runs; ++i) {
            if (const auto run =
                    runOnce(ampa, true, software, desktop, ampaHome->path(), After::memory)) {
                ampaFrame.push_back(run->firstFrameMs);
                ampaRss.push_back(run->rssMb);
            }
            if (const auto run =
                    runOnce(hello, false, software, desktop, helloHome->path(), After::memory)) {
                helloFrame.push_back(run->firstFrameMs);
                helloRss.push_back(run->rssMb);
            }
            for (const bool isAmpa : {true, false}) {
                const auto fresh = makeHome(base);
                const auto run = fresh ? runOnce(isAmpa ? ampa : hello, isAmpa, software, desktop,
                                                 fresh->path(), After::scan)
                                       : std::nullopt;
                if (run)
                    (isAmpa ? ampaFirst : helloFirst).push_back(run->firstFrameMs);
            }
        }
        if (ampaFrame.empty() || helloFrame.empty()) {
            std::printf("window_start_%s: failed (no first frame reported)\n", renderer.c_str());
            continue;
        }
        line("first_frame_" + renderer + "_ms", median(ampaFrame));
        line("first_frame_hello_" + renderer + "_ms", median(helloFrame));
        line("first_frame_vs_hello_" + renderer, median(ampaFrame) / median(helloFrame), "x");
        line("rss_after_scan_" + renderer + "_mb", median(ampaRss));
        line("rss_hello_" + renderer + "_mb", median(helloRss));
        line("rss_above_hello_" + renderer + "_mb", median(ampaRss) - median(helloRss));
        if (!ampaFirst.empty() && !helloFirst.empty()) {
            line("first_frame_new_home_" + renderer + "_ms", median(ampaFirst));
            line("first_frame_new_home_hello_" + renderer + "_ms", median(helloFirst));
            line("first_frame_new_home_vs_hello_" + renderer,
                 median(ampaFirst) / median(helloFirst), "x");
        }

        // Each pane's first opening, in runs of their own: the memory above is the start's.
        std::map<std::string, std::vector<double>> paneMs;
        std::vector<std::string> order;
        for (int i = 0; i < runs; ++i) {
            if (const auto run =
                    runOnce(ampa, true, software, desktop, paneHome->path(), After::panes)) {
                for (const auto &[key, ms] : run->panes) {
                    if (!paneMs.count(key))
                        order.push_back(key);
                    paneMs[key].push_back(ms);
                }
            }
        }
        if (order.empty()) {
            std::printf("pane_first_frame_%s: failed (no pane opening reported)\n",
                        renderer.c_str());
            continue;
        }
        double slowest = 0;
        for (const std::string &key : order) {
            const std::vector<double> &values = paneMs[key];
            if (std::any_of(values.begin(), values.end(), [](double ms) { return ms < 0; })) {
                std::printf("pane_first_frame_%s_%s: failed (the pane never showed)\n",
                            renderer.c_str(), key.c_str());
                continue;
            }
            slowest = std::max(slowest, median(values));
            line("pane_first_frame_" + renderer + "_" + key + "_ms", median(values));
        }
        line("pane_first_frame_" + renderer + "_slowest_ms", slowest);
    }
    bus.terminate();
    xvfb.terminate();
    bus.waitForFinished(5000);
    xvfb.waitForFinished(5000);
}

} // namespace WindowStart
