#include "SpaceHistory.h"

#include "EngineLogging.h"
#include "OwnFolder.h"
#include "Paths.h"
#include "SpaceGrowth.h"
#include "SpaceTree.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <unordered_map>

namespace Engine {

namespace {

// What this Ampa writes; a history with a higher user_version is a newer Ampa's.
constexpr int historyVersion = 1;
constexpr int busyMilliseconds = 5000;
constexpr qint64 day = 24 * 60 * 60;

constexpr const char *schema[] = {
    "CREATE TABLE walks(id INTEGER PRIMARY KEY, root BLOB NOT NULL, time INTEGER NOT NULL,"
    " size INTEGER NOT NULL, free INTEGER NOT NULL, total INTEGER NOT NULL,"
    " depth INTEGER NOT NULL, threshold INTEGER NOT NULL)",
    "CREATE INDEX walks_by_root ON walks(root, time)",
    // A path below the root, once for every walk that recorded it.
    "CREATE TABLE paths(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE)",
    "CREATE TABLE sizes(walk INTEGER NOT NULL, path INTEGER NOT NULL, size INTEGER NOT NULL,"
    " apparent INTEGER NOT NULL, folder INTEGER NOT NULL, PRIMARY KEY(walk, path))"
    " WITHOUT ROWID",
};

// Bytes as SQLite holds them: a BLOB, never text. Qt binds a null QByteArray as NULL, so the
// root's empty path is made a non-null empty one.
QByteArray blob(const std::string &bytes)
{
    return bytes.empty() ? QByteArray("", 0) : QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// A root as the history knows it: "/home/ana/" and "/home/ana" are one.
QByteArray rootKey(const std::filesystem::path &root)
{
    return blob(withoutTrailingSlash(root).native());
}

std::string bytes(const QVariant &value)
{
    const QByteArray data = value.toByteArray();
    return std::string(data.constData(), std::size_t(data.size()));
}

// SQLite's primary result code of a failure (SQLITE_CORRUPT, SQLITE_NOTADB...); 0 when none.
int sqliteCode(const QSqlError &error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}
constexpr int sqliteCorrupt = 11;
constexpr int sqliteNotADatabase = 26;

// What lies at `name` in the folder, not following a link.
enum class Found { nothing, file, other };
Found lookAt(int folder, const std::string &name, struct stat *st = nullptr)
{
    struct stat own {};
    struct stat &at = st ? *st : own;
    if (fstatat(folder, name.c_str(), &at, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Found::nothing : Found::other;
    return S_ISREG(at.st_mode) ? Found::file : Found::other;
}

// Whether the regular file starts as an SQLite database does. An empty file is a fresh one.
bool looksLikeDatabase(int folder, const std::string &name)
{
    // Not waiting on anything: only a regular file comes here, and no link is followed.
    const int fd =
        openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return true; // an open that fails here fails SQLite's open too, and says why
    char header[16] = {};
    ssize_t got = 0;
    do
        got = pread(fd, header, sizeof header, 0);
    while (got < 0 && errno == EINTR);
    close(fd);
    return got == 0 || (got == sizeof header && std::memcmp(header, "SQLite format 3", 16) == 0);
}

std::atomic<int> connections{0};

const char *kindName(HistoryProblem::Kind kind)
{
    switch (kind) {
    case HistoryProblem::Kind::newer:
        return "newer";
    case HistoryProblem::Kind::damaged:
        return "damaged";
    case HistoryProblem::Kind::notDatabase:
        return "not-a-history";
    default:
        return "unusable";
    }
}

} // namespace

std::filesystem::path historyPath()
{
    return xdgDir("XDG_STATE_HOME", ".local/state") / "Ampa" / "history.sqlite";
}

bool historyPresent(const std::filesystem::path &file)
{
    std::error_code unknown;
    return std::filesystem::symlink_status(file, unknown).type()
           != std::filesystem::file_type::not_found;
}

std::optional<qint64> recordWalk(SpaceHistory &history, const SpaceTree &tree)
{
    struct statvfs fs {};
    const bool known = statvfs(tree.root().c_str(), &fs) == 0;
    const qint64 unit = known ? qint64(fs.f_frsize) : 0;
    return history.record(tree, QDateTime::currentSecsSinceEpoch(),
                          known ? qint64(fs.f_bavail) * unit : -1,
                          known ? qint64(fs.f_blocks) * unit : -1);
}

struct SpaceHistory::Store {
    std::filesystem::path file;
    std::string name; // the file's name in its folder
    int folder = -1;  // kept open: SQLite may reach the file through it (see `connect`)
    QString connection;
    QSqlDatabase db;
    HistoryProblem problem;
    bool usable = false;

    ~Store()
    {
        disconnect();
        if (folder >= 0)
            close(folder);
    }

    void open();
    // Something other than a history is in the file's place: the problem's kind, or none.
    HistoryProblem::Kind inspect(QString &detail) const;
    // Opens the file as a history, making it when missing. The problem's kind when it is none.
    HistoryProblem::Kind connect(QString &detail);
    // What an existing file is, read without changing it.
    HistoryProblem::Kind check(QString &detail) const;
    QSqlDatabase database(const QString &name, const QString &options) const;
    void disconnect();
    // Moves the file and its -wal and -shm aside, never over anything. False when the file
    // could not be moved (then nothing else was).
    bool keepAside(HistoryProblem::Kind kind);

    QSqlQuery query() const { return QSqlQuery(db); }
    bool exec(const char *statement, QString *detail = nullptr) const
    {
        QSqlQuery q = query();
        const bool done = q.exec(QString::fromLatin1(statement));
        if (!done && detail)
            *detail = q.lastError().text();
        return done;
    }
    void rollback() const { exec("ROLLBACK"); }
};

void SpaceHistory::Store::open()
{
    folder = openOwnFolder(file.parent_path());
    if (folder < 0 || name.empty()) {
        problem = {HistoryProblem::Kind::unusable,
                   {},
                   QStringLiteral("no folder of the user's for %1").arg(displayPath(file))};
        return;
    }
    QString detail;
    HistoryProblem::Kind kind = inspect(detail);
    if (kind == HistoryProblem::Kind::none) {
        kind = connect(detail);
        if (kind == HistoryProblem::Kind::none) {
            usable = true;
            return;
        }
        disconnect();
    }
    problem.kind = kind;
    problem.detail = detail;
    if (kind == HistoryProblem::Kind::unusable || !keepAside(kind)) {
        problem.kind = HistoryProblem::Kind::unusable;
        qCWarning(lcEngine, "the space history %s cannot be used: %s",
                  qPrintable(displayPath(file)), qPrintable(detail));
        return;
    }
    qCWarning(lcEngine, "the space history %s was set aside as %s (%s): %s",
              qPrintable(displayPath(file)), qPrintable(displayPath(problem.keptAs)),
              kindName(kind), qPrintable(detail));
    QString again;
    if (inspect(again) != HistoryProblem::Kind::none
        || connect(again) != HistoryProblem::Kind::none) {
        disconnect();
        problem.kind = HistoryProblem::Kind::unusable;
        problem.detail = again;
        return;
    }
    usable = true;
}

HistoryProblem::Kind SpaceHistory::Store::inspect(QString &detail) const
{
    const Found main = lookAt(folder, name);
    const Found wal = lookAt(folder, name + "-wal");
    const Found shm = lookAt(folder, name + "-shm");
    if (main == Found::other || wal == Found::other || shm == Found::other) {
        // SQLite would follow a link, and wait forever on a FIFO.
        detail = QStringLiteral("not a regular file");
        return HistoryProblem::Kind::notDatabase;
    }
    struct stat st {};
    const bool empty =
        main == Found::nothing || (lookAt(folder, name, &st) == Found::file && st.st_size == 0);
    if (empty && wal == Found::file) {
        // A log of changes left by another database of that name: applied to a fresh one, it
        // would bring that one back, or half of it.
        detail = QStringLiteral("a write-ahead log without its database");
        return HistoryProblem::Kind::notDatabase;
    }
    if (main == Found::file && !looksLikeDatabase(folder, name)) {
        detail = QStringLiteral("not an SQLite database");
        return HistoryProblem::Kind::notDatabase;
    }
    return HistoryProblem::Kind::none;
}

namespace {

// What SQLite's failure says of the file. Only its own verdict on the file sets it aside: being
// busy or read-only is no fault of the file's.
HistoryProblem::Kind failure(const QSqlQuery &q, QString &detail)
{
    detail = q.lastError().text();
    const int code = sqliteCode(q.lastError());
    return code == sqliteNotADatabase ? HistoryProblem::Kind::notDatabase
           : code == sqliteCorrupt    ? HistoryProblem::Kind::damaged
                                      : HistoryProblem::Kind::unusable;
}

} // namespace

QSqlDatabase SpaceHistory::Store::database(const QString &named, const QString &options) const
{
    QSqlDatabase opened = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), named);
    // SQLite takes the name as UTF-8: a folder whose name is not is reached through the
    // descriptor held open.
    const QString asText = QString::fromUtf8(file.c_str());
    const bool utf8 = asText.toUtf8() == QByteArray(file.c_str());
    opened.setDatabaseName(utf8 ? asText
                                : QStringLiteral("/proc/self/fd/%1/%2")
                                      .arg(folder)
                                      .arg(QString::fromUtf8(name.c_str())));
    opened.setConnectOptions(
        QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;%2").arg(busyMilliseconds).arg(options));
    opened.open();
    return opened;
}

HistoryProblem::Kind SpaceHistory::Store::check(QString &detail) const
{
    // Read only: a file that is set aside goes as it was found, its log of changes not merged
    // into it at the end.
    const QString checking = connection + QStringLiteral("-check");
    HistoryProblem::Kind kind = HistoryProblem::Kind::none;
    {
        const QSqlDatabase checked = database(checking, QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery q(checked);
        if (!checked.isOpen()) {
            detail = checked.lastError().text();
            kind = HistoryProblem::Kind::unusable;
        } else if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
            kind = failure(q, detail);
        } else if (const int version = q.value(0).toInt(); version > historyVersion) {
            detail = QStringLiteral("version %1").arg(version);
            kind = HistoryProblem::Kind::newer;
        } else if (!q.exec(QStringLiteral("PRAGMA quick_check"))) {
            kind = failure(q, detail);
        } else {
            QStringList faults;
            while (q.next())
                if (q.value(0).toString() != QLatin1String("ok"))
                    faults << q.value(0).toString();
            // An empty database is made a history; one of ours holds its tables.
            if (!faults.isEmpty()) {
                detail = faults.mid(0, 3).join(QLatin1String("; "));
                kind = HistoryProblem::Kind::damaged;
            } else if (!q.exec(QStringLiteral(
                           "SELECT count(*), count(CASE WHEN name IN ('walks', 'paths', 'sizes')"
                           " THEN 1 END) FROM sqlite_schema WHERE type = 'table'"))
                       || !q.next()) {
                kind = failure(q, detail);
            } else if (version == 0 ? q.value(0).toInt() != 0 : q.value(1).toInt() != 3) {
                detail = QStringLiteral("another program's database");
                kind = HistoryProblem::Kind::notDatabase;
            }
        }
    }
    QSqlDatabase::removeDatabase(checking);
    return kind;
}

HistoryProblem::Kind SpaceHistory::Store::connect(QString &detail)
{
    struct stat st {};
    const Found found = lookAt(folder, name, &st);
    if (found == Found::file && st.st_size > 0) {
        const HistoryProblem::Kind kind = check(detail);
        if (kind != HistoryProblem::Kind::none)
            return kind;
    } else if (found == Found::nothing) {
        // The names of the user's folders are theirs alone; SQLite gives its -wal and -shm the
        // database's mode.
        const int fd = openat(folder, name.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0)
            close(fd);
    }
    db = database(connection, {});
    if (!db.isOpen()) {
        detail = db.lastError().text();
        return HistoryProblem::Kind::unusable;
    }
    QSqlQuery q = query();
    // A process killed at any moment loses at most the transaction it was in; NORMAL loses
    // nothing more to a kill, only (the last walks) to a power cut.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))
        || !q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"))
        || !q.exec(QStringLiteral("PRAGMA journal_size_limit=1048576"))
        || !q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failure(q, detail);
    // Made by whichever process comes first.
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_schema")) || !q.next()) {
        const HistoryProblem::Kind kind = failure(q, detail);
        rollback();
        return kind;
    }
    if (q.value(0).toInt() == 0) {
        for (const char *statement : schema) {
            if (!q.exec(QString::fromLatin1(statement))) {
                const HistoryProblem::Kind kind = failure(q, detail);
                rollback();
                return kind;
            }
        }
        if (!q.exec(QStringLiteral("PRAGMA user_version=%1").arg(historyVersion))) {
            const HistoryProblem::Kind kind = failure(q, detail);
            rollback();
            return kind;
        }
    }
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const HistoryProblem::Kind kind = failure(q, detail);
        rollback();
        return kind;
    }
    return HistoryProblem::Kind::none;
}

void SpaceHistory::Store::disconnect()
{
    if (!db.isValid())
        return;
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection);
}

bool SpaceHistory::Store::keepAside(HistoryProblem::Kind kind)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const std::string base = name + '.' + kindName(kind) + '-' + stamp.toStdString();
    std::string kept;
    for (int attempt = 1; attempt < 1000 && kept.empty(); ++attempt) {
        const std::string candidate = attempt == 1 ? base : base + '.' + std::to_string(attempt);
        // What is already there under one of the names is never replaced.
        if (lookAt(folder, candidate) != Found::nothing
            || lookAt(folder, candidate + "-wal") != Found::nothing
            || lookAt(folder, candidate + "-shm") != Found::nothing)
            continue;
        if (lookAt(folder, name) == Found::nothing)
            kept = candidate; // only a -wal or -shm to move
        else if (renameat2(folder, name.c_str(), folder, candidate.c_str(), RENAME_NOREPLACE) == 0)
            kept = candidate;
        else if (errno == ENOENT)
            kept = candidate; // set aside by another process meanwhile
        else if (errno != EEXIST)
            return false;
    }
    if (kept.empty())
        return false;
    for (const char *suffix : {"-wal", "-shm"})
        renameat2(folder, (name + suffix).c_str(), folder, (kept + suffix).c_str(),
                  RENAME_NOREPLACE);
    problem.keptAs = file.parent_path() / kept;
    return true;
}

SpaceHistory::SpaceHistory(std::filesystem::path file) : store(std::make_unique<Store>())
{
    store->file = std::move(file);
    store->name = store->file.filename().native();
    store->connection = QStringLiteral("ampa-history-%1").arg(++connections);
    store->open();
}

SpaceHistory::~SpaceHistory() = default;

bool SpaceHistory::usable() const
{
    return store->usable;
}

const HistoryProblem &SpaceHistory::problem() const
{
    return store->problem;
}

const std::filesystem::path &SpaceHistory::file() const
{
    return store->file;
}

std::optional<qint64> SpaceHistory::record(const SpaceTree &tree, qint64 time, qint64 free,
                                           qint64 total)
{
    const SpaceTree::Entry root = tree.entry(SpaceTree::rootIndex);
    if (!store->usable || tree.isScan() || !tree.progress().done || !root.complete)
        return std::nullopt;
    const HistoryReach reach = historyReach(tree);
    const RecordedSizes sizes = recordedSizes(tree, reach);

    if (!store->exec("BEGIN IMMEDIATE"))
        return std::nullopt;
    QSqlQuery walk = store->query();
    walk.prepare(QStringLiteral("INSERT INTO walks(root, time, size, free, total, depth, threshold)"
                                " VALUES(?, ?, ?, ?, ?, ?, ?)"));
    walk.addBindValue(rootKey(tree.root()));
    walk.addBindValue(time);
    walk.addBindValue(root.size);
    walk.addBindValue(free);
    walk.addBindValue(total);
    walk.addBindValue(reach.depth);
    walk.addBindValue(reach.threshold);
    if (!walk.exec()) {
        store->rollback();
        return std::nullopt;
    }
    const qint64 id = walk.lastInsertId().toLongLong();

    // The paths held already, read at once: a walk's are mostly the walk before's.
    std::unordered_map<std::string, qint64> pathIds;
    QSqlQuery paths = store->query();
    paths.setForwardOnly(true);
    if (!paths.exec(QStringLiteral("SELECT path, id FROM paths"))) {
        store->rollback();
        return std::nullopt;
    }
    while (paths.next())
        pathIds.emplace(bytes(paths.value(0)), paths.value(1).toLongLong());
    paths.finish();
    QSqlQuery addPath = store->query();
    QSqlQuery addSize = store->query();
    if (!addPath.prepare(QStringLiteral("INSERT INTO paths(path) VALUES(?)"))
        || !addSize.prepare(QStringLiteral(
            "INSERT INTO sizes(walk, path, size, apparent, folder) VALUES(?, ?, ?, ?, ?)"))) {
        store->rollback();
        return std::nullopt;
    }
    for (const auto &[path, size] : sizes) {
        auto known = pathIds.find(path);
        if (known == pathIds.end()) {
            addPath.bindValue(0, blob(path));
            if (!addPath.exec()) {
                store->rollback();
                return std::nullopt;
            }
            known = pathIds.emplace(path, addPath.lastInsertId().toLongLong()).first;
        }
        const qint64 pathId = known->second;
        addSize.bindValue(0, id);
        addSize.bindValue(1, pathId);
        addSize.bindValue(2, size.size);
        addSize.bindValue(3, size.apparent);
        addSize.bindValue(4, size.folder ? 1 : 0);
        if (!addSize.exec()) {
            store->rollback();
            return std::nullopt;
        }
    }
    if (!store->exec("COMMIT")) {
        store->rollback();
        return std::nullopt;
    }
    thin(tree.root(), time);
    return id;
}

std::vector<HistoryWalk> SpaceHistory::walks(const std::filesystem::path &root) const
{
    std::vector<HistoryWalk> found;
    if (!store->usable)
        return found;
    QSqlQuery q = store->query();
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, time, size, free, total, depth, threshold FROM walks"
                             " WHERE root = ? ORDER BY time DESC, id DESC"));
    q.addBindValue(rootKey(root));
    if (!q.exec())
        return found;
    while (q.next()) {
        HistoryWalk walk;
        walk.id = q.value(0).toLongLong();
        walk.time = q.value(1).toLongLong();
        walk.root = root;
        walk.size = q.value(2).toLongLong();
        walk.free = q.value(3).toLongLong();
        walk.total = q.value(4).toLongLong();
        walk.depth = q.value(5).toInt();
        walk.threshold = q.value(6).toLongLong();
        found.push_back(std::move(walk));
    }
    return found;
}

RecordedSizes SpaceHistory::sizes(qint64 walk) const
{
    RecordedSizes found;
    if (!store->usable)
        return found;
    QSqlQuery q = store->query();
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT paths.path, sizes.size, sizes.apparent, sizes.folder"
                             " FROM sizes JOIN paths ON paths.id = sizes.path"
                             " WHERE sizes.walk = ?"));
    q.addBindValue(walk);
    if (!q.exec())
        return found;
    while (q.next())
        found.emplace(
            bytes(q.value(0)),
            RecordedSize{q.value(1).toLongLong(), q.value(2).toLongLong(), q.value(3).toBool()});
    return found;
}

bool SpaceHistory::clear()
{
    if (!store->usable || !store->exec("BEGIN IMMEDIATE"))
        return false;
    if (!store->exec("DELETE FROM sizes") || !store->exec("DELETE FROM walks")
        || !store->exec("DELETE FROM paths") || !store->exec("COMMIT")) {
        store->rollback();
        return false;
    }
    // The pages the walks took go back to the file system (best effort: another process
    // reading keeps them a while).
    store->exec("VACUUM");
    store->exec("PRAGMA wal_checkpoint(TRUNCATE)");
    return true;
}

namespace {

// The walks kept of one root, as of `now`: the two newest, then the newest of each day for a
// month, of each week for a year and of each month before that. Days, weeks (from Monday) and
// months are the local calendar's.
std::set<qint64> keptWalks(const std::vector<std::pair<qint64, qint64>> &newestFirst, qint64 now)
{
    std::set<qint64> kept;
    std::set<std::pair<int, qint64>> periods; // (length, which) taken by a newer walk
    for (std::size_t i = 0; i < newestFirst.size(); ++i) {
        const auto [id, time] = newestFirst[i];
        const QDate date = QDateTime::fromSecsSinceEpoch(time).date();
        const qint64 age = now - time;
        const std::pair<int, qint64> period =
            age <= 31 * day    ? std::pair<int, qint64>{0, date.toJulianDay()}
            : age <= 365 * day ? std::pair<int, qint64>{1, date.toJulianDay() / 7}
                               : std::pair<int, qint64>{2, date.year() * 12 + date.month()};
        if (periods.insert(period).second || i < 2)
            kept.insert(id);
    }
    return kept;
}

} // namespace

void SpaceHistory::thin(const std::filesystem::path &root, qint64 now)
{
    if (!store->usable)
        return;
    QSqlQuery q = store->query();
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral("SELECT id, time FROM walks WHERE root = ? ORDER BY time DESC, id DESC"));
    q.addBindValue(rootKey(root));
    if (!q.exec())
        return;
    std::vector<std::pair<qint64, qint64>> all;
    while (q.next())
        all.emplace_back(q.value(0).toLongLong(), q.value(1).toLongLong());
    q.finish();
    const std::set<qint64> kept = keptWalks(all, now);
    if (kept.size() == all.size() || !store->exec("BEGIN IMMEDIATE"))
        return;
    QSqlQuery dropSizes = store->query();
    QSqlQuery dropWalk = store->query();
    dropSizes.prepare(QStringLiteral("DELETE FROM sizes WHERE walk = ?"));
    dropWalk.prepare(QStringLiteral("DELETE FROM walks WHERE id = ?"));
    for (const auto &[id, time] : all) {
        if (kept.count(id))
            continue;
        dropSizes.bindValue(0, id);
        dropWalk.bindValue(0, id);
        if (!dropSizes.exec() || !dropWalk.exec()) {
            store->rollback();
            return;
        }
    }
    // Paths no walk holds any more (of any root: one process thins at a time).
    if (!store->exec("DELETE FROM paths WHERE id NOT IN (SELECT path FROM sizes)")
        || !store->exec("COMMIT"))
        store->rollback();
}

qint64 SpaceHistory::diskBytes() const
{
    qint64 total = 0;
    if (store->folder < 0)
        return total;
    for (const char *suffix : {"", "-wal"}) {
        struct stat st {};
        if (lookAt(store->folder, store->name + suffix, &st) == Found::file)
            total += st.st_size;
    }
    return total;
}

std::optional<HistoryWalk> walkToCompare(const std::vector<HistoryWalk> &walks,
                                         std::optional<qint64> current, std::optional<int> daysAgo,
                                         qint64 now)
{
    const auto isCurrent = [&current](const HistoryWalk &walk) {
        return current && walk.id == *current;
    };
    if (!daysAgo) {
        // The newest first: the first one after the current, or the newest when it is not held.
        const auto at = std::find_if(walks.begin(), walks.end(), isCurrent);
        const auto before = at == walks.end() ? walks.begin() : std::next(at);
        if (before == walks.end())
            return std::nullopt;
        return *before;
    }
    const qint64 target = now - qint64(*daysAgo) * day;
    std::optional<HistoryWalk> nearest;
    for (const HistoryWalk &walk : walks)
        if (!isCurrent(walk)
            && (!nearest || std::abs(walk.time - target) < std::abs(nearest->time - target)))
            nearest = walk;
    return nearest;
}

} // namespace Engine
