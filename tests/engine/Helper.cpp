#include "Helper.h"

#include <QCoreApplication>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray runHelper(const QStringList &arguments)
{
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + "/ampa-test-helper", arguments);
    if (!helper.waitForFinished(120000) || helper.exitCode() != 0)
        qFatal("ampa-test-helper %s failed: %s", qPrintable(arguments.join(' ')),
               helper.readAllStandardError().constData());
    return helper.readAllStandardOutput();
}

qint64 deepChain(const std::filesystem::path &top, int levels)
{
    if (mkdir(top.c_str(), 0755) != 0)
        qFatal("cannot make %s", top.c_str());
    int level = open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    qint64 allocated = 0;
    for (int i = 0; i < levels && level >= 0; ++i) {
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
    close(level);
    return allocated;
}
