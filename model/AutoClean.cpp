#include "AutoClean.h"

#include "ActivityLog.h"
#include "ModelLogging.h"
#include "Settings.h"
#include "Text.h"

#include <QLocale>

using namespace Schedule;

AutoClean::AutoClean(std::shared_ptr<CleanSchedule> schedule_, std::filesystem::path cli_,
                     QObject *parent)
    : QObject(parent), schedule(std::move(schedule_)), cli(std::move(cli_))
{}

QString AutoClean::choice() const
{
    return unreadableSetting() ? frequencyName(Frequency::off)
                               : Settings::instance().value(Settings::Key::autoClean).toString();
}

std::optional<QString> AutoClean::unreadableSetting() const
{
    const QString stored = Settings::instance().value(Settings::Key::autoClean).toString();
    if (frequencyNamed(stored))
        return std::nullopt;
    return stored;
}

QString AutoClean::timeText(const QDateTime &when)
{
    const QLocale locale(isIndonesian() ? QLocale::Indonesian : QLocale::English,
                         isIndonesian() ? QLocale::Indonesia : QLocale::UnitedStates);
    return locale.toString(when.toLocalTime(),
                           isIndonesian() ? "d MMM yyyy HH.mm" : "MMM d, yyyy, HH:mm");
}

QString AutoClean::lastRunText() const
{
    if (!m_last)
        return {};
    return bilingual(QStringLiteral("Pembersihan otomatis terakhir: %1, %2 dibebaskan"),
                     QStringLiteral("Last automatic clean: %1, %2 freed"))
        .arg(timeText(m_last->when), m_last->freed);
}

QString AutoClean::nextRunText() const
{
    if (choice() == frequencyName(Frequency::off))
        return {};
    if (!m_next)
        return bilingual(QStringLiteral("Timer tidak aktif. Pilih lagi untuk memasangnya."),
                         QStringLiteral("The timer is not active. Choose again to set it up."));
    return bilingual(QStringLiteral("Berikutnya: %1"), QStringLiteral("Next: %1"))
        .arg(timeText(*m_next));
}

bool AutoClean::choose(const QString &value)
{
    const auto frequency = frequencyNamed(value);
    const Frequency before = frequencyNamed(choice()).value_or(Frequency::off);
    std::optional<QString> failure;
    if (!frequency)
        failure = bilingual(QStringLiteral("pilihan tak dikenal: %1"),
                            QStringLiteral("unknown choice: %1"))
                      .arg(value);
    else if (!schedule)
        failure = bilingual("jadwal tidak tersedia di sini", "no schedule here");
    else
        failure = schedule->apply(*frequency, cli);
    if (!failure && !Settings::instance().set(Settings::Key::autoClean, value)) {
        // The timer must not run while the setting says otherwise: put back what was chosen.
        Settings::instance().set(Settings::Key::autoClean, frequencyName(before));
        if (const auto undone = schedule->apply(before, cli))
            qCWarning(lcModel, "the schedule could not be put back: %s", qPrintable(*undone));
        failure = bilingual("pengaturan tidak bisa disimpan", "the setting could not be saved");
    }
    setError(failure ? bilingual(QStringLiteral("Gagal mengubah jadwal: %1"),
                                 QStringLiteral("Could not change the schedule: %1"))
                           .arg(*failure)
                     : QString());
    refresh();
    // A failed choice springs back; a good one is announced for the views that did not move.
    Q_EMIT choiceChanged();
    return !failure;
}

void AutoClean::refresh()
{
    m_last = lastAutomaticRun(Engine::logLines());
    m_next =
        schedule && choice() != frequencyName(Frequency::off) ? schedule->nextRun() : std::nullopt;
    Q_EMIT runsChanged();
}

void AutoClean::setError(const QString &text)
{
    if (text == m_error)
        return;
    m_error = text;
    Q_EMIT errorChanged();
}
