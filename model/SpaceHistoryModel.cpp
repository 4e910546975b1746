#include "SpaceHistoryModel.h"

#include "HistoryWords.h"
#include "ModelLogging.h"
#include "Paths.h"
#include "Settings.h"
#include "SpaceTree.h"
#include "Text.h"

#include <QDateTime>
#include <QVariantMap>

#include <algorithm>

namespace {

constexpr qint64 day = 86400;

} // namespace

struct SpaceHistoryModel::Read {
    std::vector<Point> points;
    std::vector<Engine::LoggedClean> cleans;
    int walks = 0;
    Engine::HistoryProblem problem;
};

SpaceHistoryModel::SpaceHistoryModel(std::shared_ptr<Confirmation> asks, QObject *parent,
                                     std::filesystem::path history)
    : QObject(parent), confirmation(std::move(asks)), file(std::move(history)),
      tasks(std::make_unique<BackgroundTasks>())
{
    Settings &settings = Settings::instance();
    connect(&settings, &Settings::spaceHistoryChanged, this, [this] {
        Q_EMIT recordingChanged();
        reload();
    });
    connect(&settings, &Settings::languageChanged, this, [this] {
        Q_EMIT summaryChanged();
        if (m_problem.kind != Engine::HistoryProblem::Kind::none)
            Q_EMIT problemChanged();
    });
}

SpaceHistoryModel::~SpaceHistoryModel()
{
    tasks.reset(); // waits for a read or a clear that runs
}

void SpaceHistoryModel::setDays(int days)
{
    if (days < 1 || days == m_days)
        return;
    m_days = days;
    Q_EMIT daysChanged();
    reload();
}

QVariantList SpaceHistoryModel::points() const
{
    QVariantList list;
    for (const Point &point : m_points)
        list << QVariantMap{{"time", double(point.time)},
                            {"used", double(point.used)},
                            {"free", double(point.free)},
                            {"total", double(point.total)}};
    return list;
}

QVariantList SpaceHistoryModel::cleans() const
{
    QVariantList list;
    // The time is said apart, in the reader's words: the entry without its stamp.
    for (const Engine::LoggedClean &clean : m_cleans)
        list << QVariantMap{{"time", double(clean.time)},
                            {"entry", shownName(clean.entry.mid(clean.entry.indexOf(' ') + 1))}};
    return list;
}

bool SpaceHistoryModel::recording() const
{
    return Settings::instance().spaceHistory();
}

QString SpaceHistoryModel::summary() const
{
    return summaryOf(m_points, int(m_cleans.size()), m_days);
}

QString SpaceHistoryModel::problem() const
{
    return historyProblemText(m_problem);
}

void SpaceHistoryModel::reload()
{
    if (reading) {
        owed = true;
        return;
    }
    reading = true;
    const qint64 since = QDateTime::currentSecsSinceEpoch() - qint64(m_days) * day;
    tasks->run(
        [file = file, since] {
            Read read;
            if (Engine::historyPresent(file)) {
                const Engine::SpaceHistory history(file);
                read.problem = history.problem();
                const auto walks = history.walks(Engine::spaceRoot(Engine::homeDir()).folder);
                read.walks = int(walks.size());
                for (const Engine::HistoryWalk &walk : walks) {
                    if (walk.time < since || walk.free < 0 || walk.total < walk.free)
                        continue;
                    read.points.push_back(
                        {walk.time, walk.total - walk.free, walk.free, walk.total});
                }
                std::reverse(read.points.begin(), read.points.end());
            }
            read.cleans = Engine::loggedCleans(since);
            return read;
        },
        [this](Read read) {
            reading = false;
            take(std::move(read));
            if (std::exchange(owed, false))
                reload();
        });
}

void SpaceHistoryModel::take(Read read)
{
    noteProblem(read.problem);
    m_points = std::move(read.points);
    m_cleans = std::move(read.cleans);
    m_walkCount = read.walks;
    m_loaded = true;
    Q_EMIT pointsChanged();
    Q_EMIT summaryChanged();
}

void SpaceHistoryModel::noteProblem(const Engine::HistoryProblem &found)
{
    if (found.kind == Engine::HistoryProblem::Kind::none)
        return;
    qCWarning(lcModel, "space history: %s (%s)", qPrintable(historyProblemText(found)),
              qPrintable(found.detail));
    const auto seen = std::pair(found.kind, found.keptAs);
    if (std::find(problemsShown.begin(), problemsShown.end(), seen) != problemsShown.end())
        return;
    problemsShown.push_back(seen);
    m_problem = found;
    Q_EMIT problemChanged();
}

void SpaceHistoryModel::dismissProblem()
{
    if (m_problem.kind == Engine::HistoryProblem::Kind::none)
        return;
    m_problem = {};
    Q_EMIT problemChanged();
}

void SpaceHistoryModel::setClearing(bool on, const QString &state)
{
    m_clearing = on;
    m_clearState = state;
    Q_EMIT clearStateChanged();
}

void SpaceHistoryModel::clear()
{
    if (m_clearing)
        return;
    if (!confirmation->confirm(
            bilingual(QStringLiteral("Hapus riwayat ruang?"),
                      QStringLiteral("Clear the space history?")),
            bilingual(QStringLiteral("Setiap pengukuran yang tercatat dilupakan: apa yang "
                                     "bertambah dan gambaran dari waktu ke waktu mulai lagi "
                                     "dari awal. Berkas Anda tidak tersentuh."),
                      QStringLiteral("Every recorded walk is forgotten: what grew and the "
                                     "picture over time start again from nothing. Your files "
                                     "are not touched.")),
            bilingual(QStringLiteral("Hapus riwayat"), QStringLiteral("Clear history"))))
        return;
    setClearing(true, {});
    struct Cleared {
        bool done = false;
        Engine::HistoryProblem problem;
    };
    tasks->run(
        [file = file] {
            Cleared cleared;
            if (!Engine::historyPresent(file)) {
                cleared.done = true;
                return cleared;
            }
            Engine::SpaceHistory history(file);
            cleared.problem = history.problem();
            cleared.done = history.usable() && history.clear();
            return cleared;
        },
        [this](const Cleared &cleared) {
            noteProblem(cleared.problem);
            setClearing(false, cleared.done ? QStringLiteral("done") : QStringLiteral("failed"));
            reload();
        });
}

QString SpaceHistoryModel::summaryOf(const std::vector<Point> &points, int cleans, int days)
{
    if (points.empty())
        return {};
    QString said;
    const Point &first = points.front();
    const Point &last = points.back();
    if (points.size() == 1) {
        said = bilingual(QStringLiteral("Satu pengukuran dalam %1 hari terakhir: %2 terpakai, "
                                        "%3 kosong."),
                         QStringLiteral("One walk in the last %1 days: %2 used, %3 free."))
                   .arg(days)
                   .arg(fmt(last.used), fmt(last.free));
    } else if (fmt(first.used) == fmt(last.used)) {
        said = bilingual(QStringLiteral("Ruang terpakai tetap %1 dalam %2 hari terakhir; kini "
                                        "%3 kosong."),
                         QStringLiteral("Used space stayed at %1 over the last %2 days; %3 "
                                        "free now."))
                   .arg(fmt(last.used))
                   .arg(days)
                   .arg(fmt(last.free));
    } else {
        const bool rose = last.used > first.used;
        said = (rose ? bilingual(QStringLiteral("Ruang terpakai naik dari %1 menjadi %2 dalam %3 "
                                                "hari terakhir; kini %4 kosong."),
                                 QStringLiteral("Used space rose from %1 to %2 over the last %3 "
                                                "days; %4 free now."))
                     : bilingual(QStringLiteral("Ruang terpakai turun dari %1 menjadi %2 dalam "
                                                "%3 hari terakhir; kini %4 kosong."),
                                 QStringLiteral("Used space fell from %1 to %2 over the last %3 "
                                                "days; %4 free now.")))
                   .arg(fmt(first.used), fmt(last.used))
                   .arg(days)
                   .arg(fmt(last.free));
    }
    const QString cleaned =
        cleans == 0
            ? bilingual(QStringLiteral("Tidak ada pembersihan."), QStringLiteral("No cleans."))
        : cleans == 1 ? bilingual(QStringLiteral("1 pembersihan."), QStringLiteral("1 clean."))
                      : bilingual(QStringLiteral("%1 pembersihan."), QStringLiteral("%1 cleans."))
                            .arg(cleans);
    return said + ' ' + cleaned;
}
