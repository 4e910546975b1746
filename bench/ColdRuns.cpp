#include "ColdRuns.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

bool dropPageCache()
{
    sync();
    QFile control("/proc/sys/vm/drop_caches");
    return geteuid() == 0 && control.open(QIODevice::WriteOnly) && control.write("3\n") == 2;
}

void readyForTheDrop()
{
    std::puts("ready");
    std::fflush(stdout);
    std::getchar();
}

QList<QByteArray> coldChild(const QString &command, const QString &path)
{
    QProcess walker;
    walker.start(QCoreApplication::applicationFilePath(), {"--after-drop", command, path});
    walker.waitForReadyRead(-1);
    walker.readLine(); // ready
    dropPageCache();
    walker.write("\n");
    walker.waitForFinished(-1);
    return walker.readAllStandardOutput().trimmed().split(' ');
}
