#include "SystemdCleanSchedule.h"

#include "Paths.h"
#include "PlatformLogging.h"
#include "SystemdUserManager.h"
#include "Text.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace Schedule;

namespace {

QString fileName(const fs::path &path)
{
    return QString::fromUtf8(QByteArray::fromStdString(path.native()));
}

std::optional<QByteArray> readFile(const fs::path &path)
{
    QFile file(fileName(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QString> writeFile(const fs::path &path, const QByteArray &text)
{
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error)
        return QString::fromStdString(error.message());
    QSaveFile file(fileName(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> removeFile(const fs::path &path)
{
    if (unlink(path.c_str()) != 0 && errno != ENOENT)
        return QStringLiteral("%1: %2").arg(Engine::displayPath(path),
                                            QString::fromLocal8Bit(std::strerror(errno)));
    return std::nullopt;
}

// Folders that only held what the schedule put there; a folder with anything else in it stays.
void removeIfEmpty(std::initializer_list<fs::path> folders)
{
    for (const fs::path &folder : folders)
        rmdir(folder.c_str());
}

// The unit files as they were, to put back when a change fails half-way.
struct Files {
    std::optional<QByteArray> service;
    std::optional<QByteArray> timer;

    static Files read() { return {readFile(servicePath()), readFile(timerPath())}; }
    void restore() const
    {
        for (const auto &[path, text] : {std::pair{servicePath(), service}, {timerPath(), timer}}) {
            if (const auto failure = text ? writeFile(path, *text) : removeFile(path))
                qCWarning(lcPlatform, "could not put back %s: %s",
                          qPrintable(Engine::displayPath(path)), qPrintable(*failure));
        }
    }
};

QString timer()
{
    return QLatin1String(timerUnit);
}

// A unit that the manager does not know is no failure when the aim is to be rid of it.
bool gone(const SystemdUserManager::Reply &reply)
{
    return reply.ok() || reply.errorName == QLatin1String("org.freedesktop.systemd1.NoSuchUnit")
           || reply.errorName == QLatin1String("org.freedesktop.systemd1.UnitNotLoaded")
           || reply.error.contains(QLatin1String("does not exist"));
}

std::optional<QString> failure(const SystemdUserManager::Reply &reply)
{
    if (reply.ok())
        return std::nullopt;
    return reply.error.isEmpty() ? reply.errorName : reply.error;
}

std::optional<QString> install(SystemdUserManager &manager, Frequency frequency,
                               const fs::path &cli)
{
    const Files before = Files::read();
    const auto undo = [&](const QString &why) -> std::optional<QString> {
        before.restore();
        if (!before.timer) {
            manager.call("StopUnit", {timer(), QStringLiteral("replace")});
            manager.call("DisableUnitFiles", {QStringList{timer()}, false});
            removeIfEmpty({unitFolder() / "timers.target.wants", unitFolder()});
        }
        manager.call("Reload", {});
        if (before.timer)
            manager.call("RestartUnit", {timer(), QStringLiteral("replace")});
        return why;
    };
    if (const auto failed = writeFile(servicePath(), serviceText(cli)))
        return undo(*failed);
    if (const auto failed = writeFile(timerPath(), timerText(frequency)))
        return undo(*failed);
    // Enabled by name: the manager finds the file in the user's unit folder and links it into
    // timers.target, replacing a link of the same name from elsewhere.
    if (const auto failed =
            failure(manager.call("EnableUnitFiles", {QStringList{timer()}, false, true})))
        return undo(*failed);
    if (const auto failed = failure(manager.call("Reload", {})))
        return undo(*failed);
    // A restart, so that a timer already waiting takes its new calendar.
    if (const auto failed =
            failure(manager.call("RestartUnit", {timer(), QStringLiteral("replace")})))
        return undo(*failed);
    // A unit the manager could not read is enabled all the same, and would never run.
    for (const QString &unit : {timer(), QString::fromLatin1(serviceUnit)}) {
        const auto state = manager.unitProperty(
            unit, QStringLiteral("org.freedesktop.systemd1.Unit"), QStringLiteral("LoadState"));
        if (!state || state->toString() != QLatin1String("loaded"))
            return undo(bilingual(QStringLiteral("systemd tidak memuat %1 (%2)"),
                                  QStringLiteral("systemd did not load %1 (%2)"))
                            .arg(unit, state ? state->toString() : QStringLiteral("?")));
    }
    return std::nullopt;
}

std::optional<QString> remove(SystemdUserManager &manager)
{
    const Files before = Files::read();
    const auto stopped = manager.call("StopUnit", {timer(), QStringLiteral("replace")});
    if (!gone(stopped))
        return failure(stopped);
    const auto disabled = manager.call("DisableUnitFiles", {QStringList{timer()}, false});
    if (!gone(disabled)) {
        if (before.timer)
            manager.call("StartUnit", {timer(), QStringLiteral("replace")});
        return failure(disabled);
    }
    for (const fs::path &path : {timerPath(), servicePath()}) {
        if (const auto failed = removeFile(path)) {
            before.restore();
            if (before.timer) {
                manager.call("EnableUnitFiles", {QStringList{timer()}, false, true});
                manager.call("StartUnit", {timer(), QStringLiteral("replace")});
            }
            return failed;
        }
    }
    // The last run's time, kept for catching up; nothing is left to catch up.
    removeFile(timerStamp());
    removeIfEmpty({unitFolder() / "timers.target.wants", unitFolder(), unitFolder().parent_path(),
                   timerStamp().parent_path(), timerStamp().parent_path().parent_path()});
    // The files are gone and the timer stopped: a manager that does not reload now forgets
    // them at its next reload.
    if (const auto failed = failure(manager.call("Reload", {})))
        qCWarning(lcPlatform, "the user manager did not reload: %s", qPrintable(*failed));
    return std::nullopt;
}

} // namespace

std::optional<QString> SystemdCleanSchedule::apply(Frequency frequency, const fs::path &cli)
{
    if (frequency != Frequency::off) {
        if (const auto unusable = unusableProgram(cli))
            return bilingual(QStringLiteral("%1 tidak bisa dijadwalkan: %2"),
                             QStringLiteral("%1 cannot be scheduled: %2"))
                .arg(Engine::displayPath(cli), *unusable);
        if (access(cli.c_str(), X_OK) != 0)
            return bilingual(QStringLiteral("program terminal Ampa tidak ada di %1"),
                             QStringLiteral("Ampa's terminal program is not at %1"))
                .arg(Engine::displayPath(cli));
    }
    SystemdUserManager manager;
    if (const auto why = manager.unreachable()) {
        // Nothing to take away: off holds without a manager.
        if (frequency == Frequency::off && !fs::exists(timerPath()) && !fs::exists(servicePath()))
            return std::nullopt;
        return why;
    }
    return frequency == Frequency::off ? remove(manager) : install(manager, frequency, cli);
}

std::optional<QDateTime> SystemdCleanSchedule::nextRun()
{
    SystemdUserManager manager;
    if (manager.unreachable())
        return std::nullopt;
    const auto next =
        manager.unitProperty(timer(), "org.freedesktop.systemd1.Timer", "NextElapseUSecRealtime");
    return next ? elapseTime(next->toULongLong()) : std::nullopt;
}
