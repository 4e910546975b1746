#include "ActivityLog.h"

#include "Paths.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

namespace {

// mkdir -p, with private permissions for what it creates (as XDG asks of base folders).
void makeFolders(const std::filesystem::path &folder)
{
    std::filesystem::path partial;
    for (const auto &part : folder) {
        partial /= part;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return;
    }
}

// Enough for 200 entries of any sane length; a larger log is read from its tail.
constexpr qint64 tailBytes = 4 * 1024 * 1024;

} // namespace

std::filesystem::path logPath()
{
    return xdgDir("XDG_STATE_HOME", ".local/state") / "Ampa" / "Ampa.log";
}

void log(const QString &message)
{
    const std::filesystem::path path = logPath();
    const QByteArray line =
        (QDateTime::currentDateTimeUtc().toString(Qt::ISODate) + QLatin1Char(' ') + message)
            .toUtf8()
        + '\n';

    constexpr int flags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY;
    int fd = open(path.c_str(), flags, 0600);
    if (fd < 0 && errno == ENOENT) {
        makeFolders(path.parent_path());
        fd = open(path.c_str(), flags, 0600);
    }
    if (fd < 0)
        return;
    ssize_t written = -1;
    do
        written = write(fd, line.constData(), static_cast<size_t>(line.size()));
    while (written < 0 && errno == EINTR);
    close(fd);
}

QStringList logLines(int limit)
{
    QFile file(QString::fromUtf8(logPath().native()));
    if (limit <= 0 || !file.open(QIODevice::ReadOnly))
        return {};
    const qint64 start = std::max<qint64>(0, file.size() - tailBytes);
    if (start > 0 && !file.seek(start))
        return {};
    return logEntries(file.readAll(), start > 0, limit);
}

QStringList logEntries(QByteArray text, bool fromMiddle, int limit)
{
    // Reading from the middle of the file: the first piece is a partial line, unless it is the
    // only one (a line longer than the tail), whose end is still worth showing.
    const qsizetype firstBreak = text.indexOf('\n');
    if (fromMiddle && firstBreak >= 0 && firstBreak < text.size() - 1)
        text.remove(0, firstBreak + 1);
    // NUL bytes (a damaged or sparse file) carry nothing to show.
    text.replace('\0', QByteArray());

    QStringList lines;
    const QList<QByteArray> pieces = text.split('\n');
    for (auto piece = pieces.crbegin(); piece != pieces.crend() && lines.size() < limit; ++piece) {
        if (!piece->isEmpty())
            lines.append(QString::fromUtf8(*piece));
    }
    return lines;
}

} // namespace Engine
