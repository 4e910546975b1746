#pragma once

#include "ActivityLog.h"
#include "BackgroundTasks.h"
#include "Services.h"
#include "SpaceHistory.h"

#include <QObject>
#include <QVariantList>

#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

// The home's space over the last days, for the views: the walks of the space map's default root
// the history holds, each with the used and free space of its file system then, and the cleans
// the activity log holds for the same span. Read in the background, each read with a history
// of its own (an SQL connection belongs to the thread that made it), and read again when the
// history or the setting changes. Clearing forgets every walk, after the confirmation.
class SpaceHistoryModel : public QObject {
    Q_OBJECT
    // How many days back it looks (30 or 90 in the views); anything below 1 is ignored.
    Q_PROPERTY(int days READ days WRITE setDays NOTIFY daysChanged)
    // The walks of that span, the oldest first: {time (seconds), used, free, total} (bytes). A
    // walk whose free space was not known is left out.
    Q_PROPERTY(QVariantList points READ points NOTIFY pointsChanged)
    // The cleans of that span, the oldest first: {time (seconds), entry (the log line, without
    // its time)}.
    Q_PROPERTY(QVariantList cleans READ cleans NOTIFY pointsChanged)
    // The walks of the home the history holds, in the span or not.
    Q_PROPERTY(int walkCount READ walkCount NOTIFY pointsChanged)
    // The first read has ended.
    Q_PROPERTY(bool loaded READ loaded NOTIFY pointsChanged)
    // The setting: whether walks are recorded.
    Q_PROPERTY(bool recording READ recording NOTIFY recordingChanged)
    // What the points show, in a sentence for a screen reader, in the language chosen now.
    Q_PROPERTY(QString summary READ summary NOTIFY summaryChanged)
    // Why the history found could not be used and what became of it, until it is dismissed;
    // each such finding is shown once.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)
    // The last clear: "" (none, or one runs), "done" or "failed"; whether one runs.
    Q_PROPERTY(QString clearState READ clearState NOTIFY clearStateChanged)
    Q_PROPERTY(bool clearing READ clearing NOTIFY clearStateChanged)

public:
    // The file is the history's (the usual one unless a test says otherwise); `confirmation`
    // asks before a clear.
    explicit SpaceHistoryModel(std::shared_ptr<Confirmation> confirmation,
                               QObject *parent = nullptr,
                               std::filesystem::path file = Engine::historyPath());
    ~SpaceHistoryModel() override;

    struct Point {
        qint64 time = 0;
        qint64 used = 0;
        qint64 free = 0;
        qint64 total = 0;
    };

    int days() const { return m_days; }
    void setDays(int days);
    QVariantList points() const;
    QVariantList cleans() const;
    int walkCount() const { return m_walkCount; }
    bool loaded() const { return m_loaded; }
    bool recording() const;
    QString summary() const;
    QString problem() const;
    QString clearState() const { return m_clearState; }
    bool clearing() const { return m_clearing; }

    // The summary of `points` (oldest first) and `cleans` over `days`, in the language chosen
    // now; "" for no point.
    static QString summaryOf(const std::vector<Point> &points, int cleans, int days);

    // Asks, then forgets every walk and reads again; nothing without the confirmation, or while
    // a clear runs.
    Q_INVOKABLE void clear();
    Q_INVOKABLE void dismissProblem();

public Q_SLOTS:
    // Reads again; a read asked for while one runs follows it.
    void reload();

Q_SIGNALS:
    void daysChanged();
    void pointsChanged();
    void recordingChanged();
    void summaryChanged();
    void problemChanged();
    void clearStateChanged();

private:
    struct Read;
    void take(Read read);
    void noteProblem(const Engine::HistoryProblem &found);
    void setClearing(bool on, const QString &state);

    std::shared_ptr<Confirmation> confirmation;
    std::filesystem::path file;
    std::unique_ptr<BackgroundTasks> tasks;
    int m_days = 30;
    std::vector<Point> m_points;
    std::vector<Engine::LoggedClean> m_cleans;
    int m_walkCount = 0;
    bool m_loaded = false;
    bool reading = false;
    bool owed = false;
    bool m_clearing = false;
    Engine::HistoryProblem m_problem;
    // Each finding shown already, by its kind and the file kept aside.
    std::vector<std::pair<Engine::HistoryProblem::Kind, std::filesystem::path>> problemsShown;
    QString m_clearState;
};
