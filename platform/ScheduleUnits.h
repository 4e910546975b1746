#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>

// The quick clean on a schedule, as the user's systemd manager runs it: the texts of the two unit
// files, and what can be read back without asking the manager. Plain functions, no D-Bus.
namespace Schedule {

enum class Frequency { off, daily, weekly, monthly };

// "off", "daily", "weekly", "monthly": the setting's values, the command's words and the
// timer's OnCalendar= (but off).
QString frequencyName(Frequency frequency);
// None for anything else (case and spaces are not forgiven: the setting is written by Ampa).
std::optional<Frequency> frequencyNamed(const QString &name);

inline constexpr char timerUnit[] = "ampa-clean.timer";
inline constexpr char serviceUnit[] = "ampa-clean.service";
// Set by the service, so that the clean logs itself as the automatic one.
inline constexpr char scheduledVariable[] = "AMPA_SCHEDULED";
// The quick clean's log label when the timer started it; the manual one is "cepat".
inline constexpr char automaticLabel[] = "cepat (otomatis)";

// $XDG_CONFIG_HOME/systemd/user: the user's own units, first in the user manager's search path.
std::filesystem::path unitFolder();
std::filesystem::path timerPath();
std::filesystem::path servicePath();
// Where the manager keeps the last run of a persistent timer ($XDG_DATA_HOME/systemd/timers).
std::filesystem::path timerStamp();

// Why `cli` cannot be named in a unit file (not absolute, not UTF-8, a line break, a quote, a
// backslash or "$", which the manager would read as something else); none when it can.
std::optional<QString> unusableProgram(const std::filesystem::path &cli);
// The service: `cli clean --yes` at a low CPU and I/O priority, only while `cli` is there (the
// package may have been removed since; the timer stays the user's). `cli` must be usable.
QByteArray serviceText(const std::filesystem::path &cli);
// The timer: calendar `frequency` (not off), caught up after the machine was off, spread by a
// random delay so that machines do not all clean at midnight.
QByteArray timerText(Frequency frequency);

// What a timer file's text says: its OnCalendar= (the last one given, as systemd reads it),
// and the frequency when that is one of ours.
struct TimerFile {
    QString onCalendar; // empty when the file has none
    std::optional<Frequency> frequency;
};
TimerFile readTimer(const QByteArray &text);
// The timer file as it is on disk; none when there is none (or it cannot be read).
std::optional<TimerFile> installedTimer();

// A timer's NextElapseUSecRealtime (microseconds since the epoch, UTC) as a time; none for 0
// and for "infinity", which both mean that nothing is waiting.
std::optional<QDateTime> elapseTime(quint64 microseconds);

// The newest automatic clean in log lines given newest first ("<UTC time> cepat (otomatis):
// dibebaskan 1.5 GB"): when, and what it freed as the line wrote it.
struct AutomaticRun {
    QDateTime when;
    QString freed;
};
std::optional<AutomaticRun> lastAutomaticRun(const QStringList &newestFirst);

} // namespace Schedule
