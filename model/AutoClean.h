#pragma once

#include "CleanSchedule.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>
#include <optional>

// The quick clean on a schedule, for the settings view and `ampa-cli schedule`: the choice (the
// autoClean setting), the last automatic clean (from the log) and the next run (from the timer).
// A choice that cannot be put in place leaves the setting as it was, says why in `error`, and
// announces the choice again so that a view that moved by itself springs back.
class AutoClean : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString choice READ choice NOTIFY choiceChanged)
    Q_PROPERTY(QString error READ error NOTIFY errorChanged)
    // "Last automatic clean: <date>, <size> freed"; empty when the log holds none.
    Q_PROPERTY(QString lastRun READ lastRunText NOTIFY runsChanged)
    // "Next: <date>", or why nothing will run although a frequency is chosen; empty when off.
    Q_PROPERTY(QString nextRun READ nextRunText NOTIFY runsChanged)

public:
    // `cli`: the terminal program the timer runs. A null `schedule` refuses every change.
    AutoClean(std::shared_ptr<CleanSchedule> schedule, std::filesystem::path cli,
              QObject *parent = nullptr);

    // The setting: "off", "daily", "weekly" or "monthly"; a value it cannot be is read as off.
    QString choice() const;
    // The stored value when it is none of those, to say so.
    std::optional<QString> unreadableSetting() const;
    QString error() const { return m_error; }
    QString lastRunText() const;
    QString nextRunText() const;
    std::optional<QDateTime> nextRun() const { return m_next; }
    const std::filesystem::path &program() const { return cli; }

    // Puts the timer in place for `value` (or takes it away for "off") and then records the
    // choice. False, with `error` set, when either could not be done.
    Q_INVOKABLE bool choose(const QString &value);
    // Reads the log and asks the manager again: another process (the timer's clean) writes them.
    Q_INVOKABLE void refresh();

    // A moment as the schedule's lines show it, local time, in the user's language.
    static QString timeText(const QDateTime &when);

Q_SIGNALS:
    void choiceChanged();
    void errorChanged();
    void runsChanged();

private:
    void setError(const QString &text);

    std::shared_ptr<CleanSchedule> schedule;
    std::filesystem::path cli;
    QString m_error;
    std::optional<Schedule::AutomaticRun> m_last;
    std::optional<QDateTime> m_next;
};
