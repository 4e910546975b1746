// ampa-bench: how fast Ampa measures, removes and scans, against the tools a user would compare
// it with, on generated trees; and what the waiting window program costs. Prints each figure and
// each ratio on a line of its own. Asserts no timing; exits non-zero only when totals disagree.
//
//   ampa-bench [--quick] [FOLDER]   everything (FOLDER defaults to $TMPDIR/ampa-bench)
//   ampa-bench walk PATH            one measuring walk: ms, bytes, peak and baseline memory (KiB)
//                                   (--after-drop: first says "ready" and waits for a line; so
//                                   does space)
//   ampa-bench remove PATH          one removal: ms, bytes freed
//   ampa-bench projects PATH        one search for projects: ms, found, peak and baseline KiB
//   ampa-bench scan                 one scan of $HOME: ms to the sizes, ms to the end, peak KiB
//   ampa-bench clean                one quick clean of $HOME: ms, peak KiB
//   ampa-bench space PATH           one space map walk: ms, entries, peak and baseline KiB, the
//                                   tree's bytes

#include "ColdRuns.h"
#include "HistoryBench.h"
#include "Model.h"
#include "ProcessMemory.h"
#include "ProjectFinder.h"
#include "Removal.h"
#include "Shell.h"
#include "SpaceBench.h"
#include "SpaceExportBench.h"
#include "TreeGenerator.h"
#include "TreeSize.h"
#include "WindowStart.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

double elapsedMs(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void line(const char *name, double value, const char *unit = "")
{
    std::printf("%s: %.2f%s\n", name, value, unit);
    std::fflush(stdout);
}

// The command's wall time, run through the same child-process code Ampa uses.
// A comparison with a tool that failed would be a figure of nothing: stop loudly instead.
double timeCommand(const QString &program, const QStringList &arguments)
{
    QElapsedTimer timer;
    timer.start();
    const Engine::ShellResult result = Engine::shell(program, arguments);
    const double ms = elapsedMs(timer);
    if (result.code != 0) {
        std::fprintf(stderr, "ampa-bench: %s %s failed with %d: %s\n", qPrintable(program),
                     qPrintable(arguments.join(' ')), result.code, qPrintable(result.out));
        std::exit(1);
    }
    return ms;
}

QStringList child(const QStringList &arguments, const QProcessEnvironment &environment = {})
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
}

// A generated tree is kept with its expected total beside it, and reused while they match.
template<typename Make> qint64 cached(const fs::path &root, const std::string &shape, Make make)
{
    QFile marker(QString::fromStdString(root.native() + ".done"));
    if (marker.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> fields = marker.readAll().split(' ');
        if (fields.value(0).toStdString() == shape && fs::exists(root))
            return fields.value(1).toLongLong();
        marker.close();
    }
    const qint64 total = make();
    if (marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        marker.write(QByteArray::fromStdString(shape) + ' ' + QByteArray::number(total));
    return total;
}

int walkCommand(const fs::path &path, bool afterDrop)
{
    // Fault in the code and start the workers once on an empty folder: the baseline is the
    // program ready to walk, and what follows is the walk's own memory.
    const fs::path empty =
        fs::temp_directory_path() / ("ampa-bench-empty-" + std::to_string(getpid()));
    fs::create_directories(empty);
    Engine::size(empty);
    fs::remove(empty);
    const long baseline = currentKiB();
    if (afterDrop)
        readyForTheDrop();
    QElapsedTimer timer;
    timer.start();
    const qint64 bytes = Engine::size(path);
    std::printf("%.1f %lld %ld %ld\n", elapsedMs(timer), static_cast<long long>(bytes), peakKiB(),
                baseline);
    return 0;
}

int projectsCommand(const fs::path &path)
{
    Engine::findProjects({fs::temp_directory_path()}); // fault the code in
    const long baseline = currentKiB();
    QElapsedTimer timer;
    timer.start();
    const std::size_t found = Engine::findProjects({path}).size();
    std::printf("%.1f %zu %ld %ld\n", elapsedMs(timer), found, peakKiB(), baseline);
    return 0;
}

// Finding projects against find, pruning the same artifact names, its output thrown away.
void compareProjectFinding(const fs::path &base, bool quick)
{
    const int files = quick ? 100000 : 1000000;
    const fs::path root = base / "projects";
    cached(root, "projects-" + std::to_string(files), [&] {
        TreeGenerator::projects(root, files / 2500, files);
        return qint64(0);
    });
    const QString path = QString::fromStdString(root.native());
    auto timeFind = [&path] {
        QProcess find;
        find.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        find.start("/usr/bin/find", {path, "-name", "node_modules", "-prune", "-o", "-name",
                                     "target", "-prune", "-print"});
        find.waitForFinished(-1);
        return elapsedMs(timer);
    };
    timeFind(); // warm the caches
    std::vector<double> ampa, find;
    std::size_t found = 0;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        found = Engine::findProjects({root}).size();
        ampa.push_back(elapsedMs(timer));
        find.push_back(timeFind());
    }
    line("projects_found", double(found));
    line("find_projects_ms", median(ampa));
    line("find_prune_ms", median(find));
    line("find_projects_vs_find", median(find) / median(ampa), "x");
    const QStringList walk = child({"projects", path});
    line("find_projects_peak_mb_above_baseline",
         (walk.value(2).toDouble() - walk.value(3).toDouble()) / 1024.0);
}

int removeCommand(const fs::path &path)
{
    QElapsedTimer timer;
    timer.start();
    const Engine::RemovalResult result = Engine::removeItem(path);
    std::printf("%.1f %lld%s\n", elapsedMs(timer), static_cast<long long>(result.freed),
                result.failure ? qPrintable(" " + result.failure->text()) : "");
    return result.failure ? 1 : 0;
}

int scanCommand()
{
    QElapsedTimer timer;
    timer.start();
    double sizesMs = 0;
    Model model;
    model.start();
    QObject::connect(&model, &Model::sizesChanged, &model,
                     [&] { sizesMs = sizesMs ? sizesMs : elapsedMs(timer); });
    QEventLoop loop;
    QObject::connect(&model, &Model::scanningAdvChanged, &loop, [&] {
        if (!model.scanningAdv())
            loop.quit();
    });
    if (model.scanningAdv())
        loop.exec();
    std::printf("%.1f %.1f %ld\n", sizesMs, elapsedMs(timer), peakKiB());
    return 0;
}

int cleanCommand()
{
    Model model;
    model.start();
    QEventLoop loop;
    QObject::connect(&model, &Model::busyChanged, &loop, [&] {
        if (!model.busy())
            loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    model.cleanQuick();
    loop.exec();
    std::printf("%.1f %ld\n", elapsedMs(timer), peakKiB());
    return 0;
}

struct Tree {
    const char *name;
    fs::path path;
    qint64 expected;
};

// Times Engine::size, du and ncdu on the tree: warm, interleaved, median of `rounds`.
bool compareWalks(const Tree &tree, int rounds)
{
    const QString path = QString::fromStdString(tree.path.native());
    const bool haveNcdu = access("/usr/bin/ncdu", X_OK) == 0;
    std::vector<double> ampa, du, ncdu;
    qint64 measured = Engine::size(tree.path); // warm the caches
    timeCommand("/usr/bin/du", {"-s", "-B1", "-l", "--", path});
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        measured = Engine::size(tree.path);
        ampa.push_back(elapsedMs(timer));
        du.push_back(timeCommand("/usr/bin/du", {"-s", "-B1", "-l", "--", path}));
        if (haveNcdu)
            ncdu.push_back(timeCommand("/usr/bin/ncdu", {"-0", "-o", "/dev/null", "--", path}));
    }
    const std::string prefix = tree.name;
    line(("size_" + prefix + "_ms").c_str(), median(ampa));
    line(("du_" + prefix + "_ms").c_str(), median(du));
    line(("size_vs_du_" + prefix).c_str(), median(du) / median(ampa), "x");
    if (haveNcdu) {
        line(("ncdu_" + prefix + "_ms").c_str(), median(ncdu));
        line(("size_vs_ncdu_" + prefix).c_str(), median(ncdu) / median(ampa), "x");
    }
    const QStringList walk = child({"walk", path});
    line(("walk_" + prefix + "_peak_mb_above_baseline").c_str(),
         (walk.value(2).toDouble() - walk.value(3).toDouble()) / 1024.0);
    // What removing the tree gives back is what du counts: folders' own blocks included, a file
    // with several names inside once.
    QProcess counting;
    counting.start("/usr/bin/du", {"-s", "-x", "-B1", "--", path});
    counting.waitForFinished(-1);
    const qint64 duBytes = counting.readAllStandardOutput().split('\t').value(0).toLongLong();
    const bool agree = measured == duBytes;
    std::printf("total_%s: %lld (du %lld: %s; regular files alone %lld)\n", tree.name,
                static_cast<long long>(measured), static_cast<long long>(duBytes),
                agree ? "equal" : "DIFFERENT", static_cast<long long>(tree.expected));
    return agree;
}

// The first scan after login reads the disk, not the page cache: the walks again, the cache
// emptied before each. Ampa's figure is its walk's own time, in a child started before the cache
// is emptied (the program is running when it scans); du and ncdu start with the cache empty.
void compareColdWalks(const Tree &tree, int rounds)
{
    const std::string name = tree.name;
    if (geteuid() != 0 || !dropPageCache()) {
        std::printf("cold_%s: skipped (emptying the page cache needs root)\n", name.c_str());
        return;
    }
    const QString path = QString::fromStdString(tree.path.native());
    const bool haveNcdu = access("/usr/bin/ncdu", X_OK) == 0;
    std::vector<double> ampa, du, ncdu;
    for (int i = 0; i < rounds; ++i) {
        ampa.push_back(coldChild("walk", path).value(0).toDouble());
        dropPageCache();
        du.push_back(timeCommand("/usr/bin/du", {"-s", "-B1", "-l", "--", path}));
        if (haveNcdu) {
            dropPageCache();
            ncdu.push_back(timeCommand("/usr/bin/ncdu", {"-0", "-o", "/dev/null", "--", path}));
        }
    }
    line(("cold_size_" + name + "_ms").c_str(), median(ampa));
    line(("cold_du_" + name + "_ms").c_str(), median(du));
    line(("cold_size_vs_du_" + name).c_str(), median(du) / median(ampa), "x");
    if (haveNcdu) {
        line(("cold_ncdu_" + name + "_ms").c_str(), median(ncdu));
        line(("cold_size_vs_ncdu_" + name).c_str(), median(ncdu) / median(ampa), "x");
    }
}

// Free bytes of the file system holding `path`, once what was removed has reached it.
qint64 freeBytes(const fs::path &path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct statvfs info {};
    const bool read = fd >= 0 && syncfs(fd) == 0 && fstatvfs(fd, &info) == 0;
    if (fd >= 0)
        close(fd);
    return read ? static_cast<qint64>(info.f_bfree) * static_cast<qint64>(info.f_frsize) : 0;
}

// Engine's removal against rm -rf on identical trees made by `make`, each going first once.
template<typename Make>
void compareRemoval(const fs::path &base, const std::string &name, Make make)
{
    std::vector<double> ampa, rm;
    for (int round = 0; round < 2; ++round) {
        const fs::path a = base / ("remove-" + name + "-a");
        const fs::path b = base / ("remove-" + name + "-b");
        for (const fs::path &path : {a, b}) {
            Engine::shell("/bin/rm", {"-rf", "--", QString::fromStdString(path.native())});
            make(path);
        }
        sync();
        auto timeAmpa = [&] {
            // The figure shown before, what the removal said it freed and what the file system
            // gained (other writers on the same file system blur the last).
            const qint64 shown = round == 0 ? Engine::size(a) : 0;
            const qint64 before = round == 0 ? freeBytes(base) : 0;
            QElapsedTimer timer;
            timer.start();
            const Engine::RemovalResult removed = Engine::removeItem(a);
            ampa.push_back(elapsedMs(timer));
            if (round == 0) {
                const qint64 gained = freeBytes(base) - before;
                std::printf("freed_%s: shown %lld, said freed %lld, free space gained %lld "
                            "(%+.2f%%)\n",
                            name.c_str(), static_cast<long long>(shown),
                            static_cast<long long>(removed.freed), static_cast<long long>(gained),
                            gained ? 100.0 * static_cast<double>(shown - gained)
                                         / static_cast<double>(gained)
                                   : 0.0);
            }
        };
        auto timeRm = [&] {
            rm.push_back(timeCommand("/bin/rm", {"-rf", "--", QString::fromStdString(b.native())}));
        };
        if (round == 0) {
            timeAmpa();
            timeRm();
        } else {
            timeRm();
            timeAmpa();
        }
        if (fs::exists(a)) {
            std::fprintf(stderr, "ampa-bench: %s was not removed\n", a.c_str());
            std::exit(1);
        }
    }
    line(("remove_" + name + "_ms").c_str(), median(ampa));
    line(("rm_rf_" + name + "_ms").c_str(), median(rm));
    line(("remove_vs_rm_" + name).c_str(), median(rm) / median(ampa), "x");
}

// A home whose caches hold `files` files, for the whole scan.
fs::path makeHome(const fs::path &base, int files)
{
    const fs::path home = base / ("home-" + std::to_string(files));
    const fs::path marker = base / ("home-" + std::to_string(files) + ".done");
    if (fs::exists(marker))
        return home;
    TreeGenerator::Shape shape;
    shape.oddities = false;
    shape.maxFileBytes = 4096;
    const char *caches[] = {".cache/google-chrome", ".npm/_cacache", ".cache/pip",
                            ".cache/go-build", ".cache/ms-playwright"};
    for (const char *cache : caches) {
        shape.files = files / 5;
        shape.folders = std::max(10, shape.files / 15);
        TreeGenerator::nested(home / cache, shape);
    }
    TreeGenerator::flat(home / "Downloads", 200, 1 << 20);
    QFile(QString::fromStdString(marker.native())).open(QIODevice::WriteOnly);
    return home;
}

void compareScan(const fs::path &base, int files)
{
    const fs::path home = makeHome(base, files);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(home.native()));
    for (const char *variable :
         {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME"})
        environment.remove(variable);
    child({"scan"}, environment); // warm
    const QStringList scan = child({"scan"}, environment);
    double walks = 0;
    for (const char *folder : {".cache/google-chrome", ".npm/_cacache", ".cache/pip",
                               ".cache/go-build", ".cache/ms-playwright", "Downloads"})
        walks +=
            child({"walk", QString::fromStdString((home / folder).native())}).value(0).toDouble();
    const std::string suffix = std::to_string(files);
    line(("scan_" + suffix + "_sizes_published_ms").c_str(), scan.value(0).toDouble());
    line(("scan_" + suffix + "_done_ms").c_str(), scan.value(1).toDouble());
    line(("size_alone_" + suffix + "_ms").c_str(), walks);
    line(("scan_vs_size_" + suffix).c_str(), scan.value(1).toDouble() / walks, "x");
    line(("scan_" + suffix + "_peak_mb").c_str(), scan.value(2).toDouble() / 1024.0);
    // The quick clean takes the home's caches away: the home is made anew next time.
    const QStringList clean = child({"clean"}, environment);
    fs::remove(base / ("home-" + std::to_string(files) + ".done"));
    line(("clean_" + suffix + "_ms").c_str(), clean.value(0).toDouble());
    line(("clean_" + suffix + "_peak_mb").c_str(), clean.value(1).toDouble() / 1024.0);
}

// The window program after its first scan: CPU used while it waits, and resident memory.
void idleWindow(const fs::path &base)
{
    const QString program = QCoreApplication::applicationDirPath() + "/../ui/app/ampa";
    if (access("/usr/bin/xvfb-run", X_OK) != 0
        || access(program.toLocal8Bit().constData(), X_OK) != 0) {
        std::printf("idle_window: skipped (needs xvfb-run and the ampa program)\n");
        return;
    }
    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(makeHome(base, 10000).native()));
    environment.insert("QT_QUICK_BACKEND", "software");
    app.setProcessEnvironment(environment);
    app.start("/usr/bin/xvfb-run", {"-a", "-s", "-screen 0 1280x800x24", program});
    QThread::sleep(10); // start-up and the first scan
    const QString pid = Engine::shell("/usr/bin/pgrep", {"-n", "-x", "ampa"}).out.trimmed();
    auto ticks = [&pid] {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            return -1LL;
        const QList<QByteArray> fields = stat.readAll().split(' ');
        return fields.value(13).toLongLong() + fields.value(14).toLongLong();
    };
    const long long before = ticks();
    QThread::sleep(10);
    const long long after = ticks();
    QFile status("/proc/" + pid + "/status");
    long rss = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &row : status.readAll().split('\n')) {
            if (row.startsWith("VmRSS:"))
                rss = row.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    if (before >= 0 && after >= 0)
        line("idle_cpu_ms_per_10s",
             static_cast<double>(after - before) * 1000.0 / sysconf(_SC_CLK_TCK));
    line("idle_rss_mb", rss / 1024.0);
    Engine::shell("/bin/kill", {pid});
    app.waitForFinished(10000);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(AMPA_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "How fast Ampa measures, removes and scans, against du, ncdu and rm -rf.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption quickOption("quick", "A small run.");
    parser.addOption(quickOption);
    const QCommandLineOption onlyOption("only", "Only one group of figures.", "group");
    parser.addOption(onlyOption);
    const QCommandLineOption afterDropOption(
        "after-drop", "With walk: says it is ready and waits for a line before it walks.");
    parser.addOption(afterDropOption);
    parser.addPositionalArgument(
        "folder", "Where the trees are generated ($TMPDIR/ampa-bench).",
        "[FOLDER | walk PATH | remove PATH | projects PATH | space PATH | scan | clean]");
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "ampa-bench: %s\n\n%s", qPrintable(parser.errorText()),
                     qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (parser.isSet("version"))
        parser.showVersion();
    const QStringList arguments = parser.positionalArguments();
    if (arguments.value(0) == QLatin1String("walk") && arguments.size() == 2)
        return walkCommand(arguments[1].toStdString(), parser.isSet(afterDropOption));
    if (arguments.value(0) == QLatin1String("projects") && arguments.size() == 2)
        return projectsCommand(arguments[1].toStdString());
    if (arguments.value(0) == QLatin1String("remove") && arguments.size() == 2)
        return removeCommand(arguments[1].toStdString());
    if (arguments.value(0) == QLatin1String("space") && arguments.size() == 2)
        return SpaceBench::walkCommand(arguments[1].toStdString(), parser.isSet(afterDropOption));
    if (arguments.value(0) == QLatin1String("scan") && arguments.size() == 1)
        return scanCommand();
    if (arguments.value(0) == QLatin1String("clean") && arguments.size() == 1)
        return cleanCommand();
    if (arguments.size() > 1) {
        std::fprintf(stderr, "ampa-bench: unexpected argument: %s\n\n%s", qPrintable(arguments[1]),
                     qPrintable(parser.helpText()));
        return 2;
    }

    const bool quick = parser.isSet(quickOption);
    const char *tmp = std::getenv("TMPDIR");
    const fs::path base =
        fs::absolute(arguments.isEmpty() ? fs::path(tmp && *tmp ? tmp : "/tmp") / "ampa-bench"
                                         : fs::path(arguments.first().toStdString()));
    fs::create_directories(base);

    TreeGenerator::Shape shape;
    if (quick) {
        shape.files = 20000;
        shape.folders = 1500;
    }
    // A million entries, made once: empty files, so it costs inodes, not disk.
    const TreeGenerator::Shape millionShape{930000, 70000, 14, 0, false};
    // One group alone, for working on it: walks, cold, space, history, projects, removal, scan
    // or window.
    const QString only = parser.value(onlyOption);
    auto runs = [&only](const char *group) { return only.isEmpty() || only == group; };
    bool agree = true;
    if (runs("walks") || runs("cold")) {
        std::printf("generating under %s ...\n", base.c_str());
        std::fflush(stdout);
        const Tree nested{"nested", base / "nested", TreeGenerator::nested(base / "nested", shape)};
        const Tree flat{"flat", base / "flat",
                        TreeGenerator::flat(base / "flat", quick ? 10000 : 100000, 64 * 1024)};
        std::printf("cores: %u\n", QThread::idealThreadCount());
        if (runs("walks")) {
            agree = compareWalks(nested, 7);
            agree = compareWalks(flat, 7) && agree;
        }
        if (runs("cold")) {
            compareColdWalks(nested, 3);
            compareColdWalks(flat, 3);
        }
    }
    if (runs("space")) {
        const fs::path tree = base / "space";
        if (!fs::exists(tree))
            TreeGenerator::nested(tree, shape);
        TreeGenerator::unlock(tree);
        const int flatFiles = quick ? 10000 : 100000;
        const fs::path flat = base / "space-flat";
        cached(flat, "flat" + std::to_string(flatFiles),
               [&] { return TreeGenerator::flat(flat, flatFiles, 64 * 1024); });
        // Nine rounds: with five, one walk's ratio to the other swung by a tenth between runs.
        SpaceBench::compare("nested", tree, 9);
        SpaceBench::compare("flat", flat, 9);
        SpaceBench::compareCold("nested", tree, 3);
        SpaceBench::compareCold("flat", flat, 3);
        if (!quick) {
            const fs::path big = base / "space-million";
            cached(big, "million", [&] { return TreeGenerator::nested(big, millionShape); });
            SpaceBench::compare("million", big, 3);
        }
        SpaceExportBench::roundTrip(quick ? tree : base / "space-million");
    }
    if (runs("history")) {
        const fs::path tree = base / "space";
        if (!fs::exists(tree))
            TreeGenerator::nested(tree, shape);
        TreeGenerator::unlock(tree);
        const fs::path scratch = base / "history";
        HistoryBench::compare("nested", tree, scratch, 9);
        if (!quick) {
            const fs::path big = base / "space-million";
            cached(big, "million", [&] { return TreeGenerator::nested(big, millionShape); });
            HistoryBench::compare("million", big, scratch, 3);
        }
        // Its own tree, since some of its files change: others may walk the shared ones.
        const fs::path changing = base / (quick ? "history-tree" : "history-million");
        cached(changing, quick ? "quick" : "million",
               [&] { return TreeGenerator::nested(changing, quick ? shape : millionShape); });
        TreeGenerator::unlock(changing);
        HistoryBench::year(changing, scratch, 365);
    }
    if (runs("projects"))
        compareProjectFinding(base, quick);
    if (runs("removal")) {
        compareRemoval(base, "nested", [&shape](const fs::path &path) {
            TreeGenerator::nested(path, shape);
            TreeGenerator::unlock(path);
        });
        compareRemoval(base, "huge_folder", [quick](const fs::path &path) {
            TreeGenerator::flat(path, quick ? 50000 : 500000, 0);
        });
        compareRemoval(base, "deep_chain", [quick](const fs::path &path) {
            TreeGenerator::chain(path, quick ? 2000 : 10000);
        });
        // An install as pnpm lays it out: many small folders, each with one small file.
        compareRemoval(base, "small_folders", [quick](const fs::path &path) {
            for (int i = 0; i < (quick ? 2000 : 20000); ++i) {
                const fs::path folder = path / ("pkg" + std::to_string(i)) / "lib";
                fs::create_directories(folder);
                QFile file(QString::fromStdString((folder / "index.js").native()));
                if (file.open(QIODevice::WriteOnly))
                    file.write(QByteArray(200, 'x'));
            }
            sync();
        });
    }
    if (runs("scan")) {
        compareScan(base, quick ? 10000 : 100000);
        if (!quick)
            compareScan(base, 1000000);
    }
    if (runs("window")) {
        idleWindow(base);
        WindowStart::measure(base);
    }
    return agree ? 0 : 1;
}
