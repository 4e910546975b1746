#include "Helper.h"

#include <QCoreApplication>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

HelperRun run(const QStringList &arguments, int milliseconds)
{
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + "/ampa-test-helper", arguments);
    helper.closeWriteChannel();
    HelperRun run;
    run.finished = helper.waitForFinished(milliseconds);
    if (!run.finished) {
        helper.kill();
        helper.waitForFinished();
    }
    run.code = helper.exitCode();
    run.out = helper.readAllStandardOutput();
    run.err = helper.readAllStandardError();
    return run;
}

} // namespace

QByteArray runHelper(const QStringList &arguments)
{
    const HelperRun helper = run(arguments, 120000);
    if (!helper.finished || helper.code != 0)
        qFatal("ampa-test-helper %s failed: %s", qPrintable(arguments.join(' ')),
               helper.err.constData());
    return helper.out;
}

HelperRun runSteps(const QStringList &steps)
{
    return run(QStringList{"steps"} + steps, 30000);
}

qint64 deepChain(const std::filesystem::path &top, int levels)
{
    if (mkdir(top.c_str(), 0755) != 0)
        qFatal("cannot make %s", top.c_str());
    int level = open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    qint64 allocated = 0;
    for (int i = 0; i < levels && level >= 0; ++i) {
        struct stat self {};
        if (fstat(level, &self) == 0)
            allocated += self.st_blocks * 512;
        const int fd = openat(level, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        struct stat st {};
        if (fd < 0 || write(fd, "0123456789", 10) != 10 || fsync(fd) != 0 || fstat(fd, &st) != 0
            || mkdirat(level, "d", 0755) != 0)
            qFatal("cannot make level %d below %s", i, top.c_str());
        close(fd);
        allocated += st.st_blocks * 512;
        const int next = openat(level, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(level);
        level = next;
    }
    if (level < 0)
        qFatal("cannot open a level below %s", top.c_str());
    struct stat last {};
    if (fstat(level, &last) == 0)
        allocated += last.st_blocks * 512;
    close(level);
    return allocated;
}
