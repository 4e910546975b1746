// Measures Engine::size on a generated cache-like tree against `du -s -B1 -l` on the same tree,
// warm cache, best of several runs. Prints figures and ratios and asserts no timing; it exits
// non-zero only when the measured total is wrong.
//
//   ampa-bench-size [FOLDER] [FILES]
// FOLDER (default $TMPDIR/ampa-bench-tree) is generated once and reused while FOLDER.info says
// it has FILES files. du counts folders' own blocks too; Engine::size counts regular files only, so
// the totals are compared with the regular-file sum computed while generating.

#include "Shell.h"
#include "TreeSize.h"

#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Folders nest up to 8 deep, about 13 files each, 5% hidden, sizes 0-8 KiB.
qint64 generate(const fs::path &root, int files)
{
    fs::remove_all(root);
    fs::create_directories(root);
    std::mt19937 random(42);
    std::vector<fs::path> folders{root};
    const std::string data(8192, 'x');
    qint64 regularBytes = 0;
    for (int i = 0; i < files; ++i) {
        if (i % 13 == 0) {
            fs::path parent = folders[random() % folders.size()];
            if (std::distance(parent.begin(), parent.end())
                    - std::distance(root.begin(), root.end())
                >= 8)
                parent = root;
            folders.push_back(parent / ("d" + std::to_string(folders.size())));
            fs::create_directory(folders.back());
        }
        const fs::path &folder =
            folders[folders.size() - 1 - random() % std::min<size_t>(folders.size(), 4)];
        const std::string name =
            (random() % 20 == 0 ? "." : "") + std::string("f") + std::to_string(i);
        const int fd = open((folder / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const size_t length = random() % (data.size() + 1);
        if (fd < 0 || write(fd, data.data(), length) != static_cast<ssize_t>(length)) {
            std::perror("cannot generate the tree");
            std::exit(1);
        }
        close(fd);
    }
    sync();
    for (const auto &entry : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        if (lstat(entry.path().c_str(), &st) == 0 && S_ISREG(st.st_mode))
            regularBytes += static_cast<qint64>(st.st_blocks) * 512;
    }
    QFile marker(QString::fromStdString(root.native() + ".info"));
    if (marker.open(QIODevice::WriteOnly))
        marker.write(QByteArray::number(files) + ' ' + QByteArray::number(regularBytes));
    return regularBytes;
}

// The regular-file sum recorded when the tree was generated, or -1 when it must be generated.
qint64 recordedSum(const fs::path &root, int files)
{
    QFile marker(QString::fromStdString(root.native() + ".info"));
    if (!marker.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = marker.readAll().split(' ');
    return fields.value(0).toInt() == files ? fields.value(1).toLongLong() : -1;
}

template<typename F> double bestMilliseconds(int runs, F &&work)
{
    work(); // warm the cache
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    const char *tmp = std::getenv("TMPDIR");
    const fs::path root =
        argc > 1 ? fs::path(argv[1]) : fs::path(tmp && *tmp ? tmp : "/tmp") / "ampa-bench-tree";
    const int files = argc > 2 ? std::atoi(argv[2]) : 100000;

    qint64 expected = recordedSum(root, files);
    if (expected < 0) {
        std::printf("generating %d files in %s ...\n", files, root.c_str());
        expected = generate(root, files);
    }

    qint64 measured = 0;
    const double engineMs = bestMilliseconds(5, [&] { measured = Engine::size(root); });
    QString duOut;
    const double duMs = bestMilliseconds(5, [&] {
        duOut = Engine::shell("/usr/bin/du", {"-s", "-B1", "-l", QString::fromStdString(root)}).out;
    });

    std::printf("tree: %s, %d files\n", root.c_str(), files);
    std::printf("Engine::size      %8.1f ms  %lld bytes (regular-file sum %lld: %s)\n", engineMs,
                static_cast<long long>(measured), static_cast<long long>(expected),
                measured == expected ? "equal" : "DIFFERENT");
    std::printf("du -s -B1 -l      %8.1f ms  %s bytes (folders' own blocks included)\n", duMs,
                qPrintable(duOut.section(QLatin1Char('\t'), 0, 0)));
    std::printf("ratio Engine::size / du: %.2f\n", engineMs / duMs);
    return measured == expected ? 0 : 1;
}
