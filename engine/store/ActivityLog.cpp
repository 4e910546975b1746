#include "ActivityLog.h"

#include "EngineLogging.h"
#include "OwnFolder.h"
#include "Paths.h"

#include <QDateTime>
#include <QFile>
#include <QtDebug>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Engine {

namespace {

constexpr const char *logName = "Ampa.log";

// Enough for 200 entries of any sane length; a larger log is read from its tail.
constexpr qint64 tailBytes = 4 * 1024 * 1024;

// A FIFO or a device in place of the log is someone's mistake or trap: say so once, not at every
// line.
void warnNotRegular(const std::filesystem::path &path)
{
    static std::atomic_flag warned;
    if (!warned.test_and_set())
        qCWarning(lcEngine, "%s is not a regular file: the activity log is not used",
                  qPrintable(displayPath(path)));
}

} // namespace

std::filesystem::path logPath()
{
    return xdgDir("XDG_STATE_HOME", ".local/state") / "Ampa" / logName;
}

void log(const QString &message)
{
    const std::filesystem::path path = logPath();
    // One entry a line: a line break in a name is written as its symbol (␊, ␍).
    const QString oneLine = QString(message)
                                .replace(QLatin1Char('\n'), QChar(char16_t(0x240a)))
                                .replace(QLatin1Char('\r'), QChar(char16_t(0x240d)));
    const QByteArray line =
        (QDateTime::currentDateTimeUtc().toString(Qt::ISODate) + QLatin1Char(' ') + oneLine)
            .toUtf8()
        + '\n';

    const int folder = openOwnFolder(path.parent_path());
    if (folder < 0)
        return;
    // No link is followed, and nothing waits: a FIFO without a reader fails at once (ENXIO).
    const int fd = openat(
        folder, logName,
        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat st {};
    if (fd < 0) {
        // A link planted here is lost quietly; anything else in the way deserves the warning.
        if (fstatat(folder, logName, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode)
            && !S_ISLNK(st.st_mode))
            warnNotRegular(path);
        close(folder);
        return;
    }
    close(folder);
    const bool known = fstat(fd, &st) == 0;
    if (known && !S_ISREG(st.st_mode)) {
        warnNotRegular(path);
    } else if (known && st.st_uid == geteuid()) {
        // Someone else's log (root running for another user's home) is left to its owner.
        ssize_t written = -1;
        do
            written = write(fd, line.constData(), static_cast<size_t>(line.size()));
        while (written < 0 && errno == EINTR);
    }
    close(fd);
}

QStringList logLines(int limit)
{
    if (limit <= 0)
        return {};
    const std::filesystem::path path = logPath();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat st {};
    const bool known = fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        if (known)
            warnNotRegular(path);
        close(fd);
        return {};
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(fd);
        return {};
    }
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
