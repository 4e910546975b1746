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
#include <limits>
#include <optional>
#include <sys/file.h>
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
    const int fd =
        openat(folder, logName,
               O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600);
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
        // A line cut short before (a full disk) would run into this one and lend it its time,
        // so it begins a line of its own. The lock keeps other writers from being half-way
        // through a line while the last byte is read.
        while (flock(fd, LOCK_EX) < 0 && errno == EINTR) {
        }
        char lastByte = '\n';
        const QByteArray whole = fstat(fd, &st) == 0 && st.st_size > 0
                                         && pread(fd, &lastByte, 1, st.st_size - 1) == 1
                                         && lastByte != '\n'
                                     ? '\n' + line
                                     : line;
        ssize_t written = -1;
        do
            written = write(fd, whole.constData(), static_cast<size_t>(whole.size()));
        while (written < 0 && errno == EINTR);
    }
    close(fd);
}

namespace {

struct LogTail {
    QByteArray text;
    bool fromMiddle = false;
};

// The log's last `tailBytes`; none when there is no regular log to read.
std::optional<LogTail> readTail()
{
    const std::filesystem::path path = logPath();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    const bool known = fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        if (known)
            warnNotRegular(path);
        close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(fd);
        return std::nullopt;
    }
    const qint64 start = std::max<qint64>(0, file.size() - tailBytes);
    if (start > 0 && !file.seek(start))
        return std::nullopt;
    return LogTail{file.readAll(), start > 0};
}

// The messages a clean writes, by their beginning: the quick clean's by hand or on the timer,
// and the others'. Putting back from the Trash undoes one.
bool isClean(QStringView message)
{
    if (message.startsWith(u"cepat: dibebaskan ")
        || message.startsWith(u"cepat (otomatis): dibebaskan "))
        return true;
    if (message.startsWith(u"lanjutan: "))
        return !message.startsWith(u"lanjutan: kembalikan dari trash ");
    return message.startsWith(u"pengembang: ") || message.startsWith(u"proyek: ")
           || message.startsWith(u"ruang: trash ");
}

} // namespace

QStringList logLines(int limit)
{
    if (limit <= 0)
        return {};
    auto tail = readTail();
    if (!tail)
        return {};
    return logEntries(std::move(tail->text), tail->fromMiddle, limit);
}

std::vector<LoggedClean> loggedCleans(qint64 since)
{
    auto tail = readTail();
    if (!tail)
        return {};
    // Every line goes out whole with its line end: text after the last one is a write cut short.
    const qsizetype end = tail->text.lastIndexOf('\n');
    tail->text.truncate(end + 1);
    const QStringList entries =
        logEntries(std::move(tail->text), tail->fromMiddle, std::numeric_limits<int>::max());

    std::vector<LoggedClean> cleans;
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
        const qsizetype space = entry->indexOf(QLatin1Char(' '));
        if (space <= 0 || !isClean(QStringView(*entry).mid(space + 1)))
            continue;
        // Only the UTC stamp `log` writes; a local or partial time would place it wrongly.
        const QStringView stamp = QStringView(*entry).left(space);
        const QDateTime when = QDateTime::fromString(stamp.toString(), Qt::ISODate);
        if (!stamp.endsWith(u'Z') || stamp.size() != 20 || !when.isValid())
            continue;
        const qint64 time = when.toSecsSinceEpoch();
        if (time >= since)
            cleans.push_back({time, *entry});
    }
    return cleans;
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
