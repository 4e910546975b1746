// ampa-cli schedule [off|daily|weekly|monthly]: the automatic quick clean, chosen or shown.

#include "AutoClean.h"
#include "Commands.h"
#include "Paths.h"
#include "Services.h"
#include "TerminalText.h"
#include "Text.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace Schedule;

namespace {

// What the user should know beyond the choice: a setting that does not read, a timer file that
// is not what the choice wrote.
QStringList notes(const AutoClean &autoClean)
{
    QStringList lines;
    if (const auto stored = autoClean.unreadableSetting())
        lines << bilingual(QStringLiteral("Pengaturan autoClean berisi \"%1\", bukan off, daily, "
                                          "weekly atau monthly: dibaca sebagai off."),
                           QStringLiteral("The autoClean setting holds \"%1\", none of off, daily, "
                                          "weekly or monthly: read as off."))
                     .arg(*stored);
    const auto timer = installedTimer();
    const bool off = autoClean.choice() == frequencyName(Frequency::off);
    if (off && timer)
        lines << bilingual(QStringLiteral("Ada file timer %1 walau jadwal mati: \"ampa-cli "
                                          "schedule off\" menghapusnya."),
                           QStringLiteral("A timer file is at %1 although the schedule is off: "
                                          "\"ampa-cli schedule off\" removes it."))
                     .arg(Engine::displayPath(timerPath()));
    else if (!off && timer && timer->onCalendar != autoClean.choice())
        lines << bilingual(QStringLiteral("File timer diubah dengan tangan: OnCalendar=%1"),
                           QStringLiteral("The timer file was changed by hand: OnCalendar=%1"))
                     .arg(timer->onCalendar);
    else if (!off && !timer)
        lines << bilingual(QStringLiteral("File timer %1 tidak ada."),
                           QStringLiteral("The timer file %1 is missing."))
                     .arg(Engine::displayPath(timerPath()));
    return lines;
}

void show(AutoClean &autoClean)
{
    autoClean.refresh();
    QTextStream out(stdout);
    out << bilingual("Bersihkan otomatis: ", "Clean automatically: ") << autoClean.choice() << '\n';
    for (const QString &line : {autoClean.nextRunText(), autoClean.lastRunText()}) {
        if (!line.isEmpty())
            out << printable(line) << '\n';
    }
    for (const QString &line : notes(autoClean))
        out << printable(line) << '\n';
}

} // namespace

int runSchedule(const QStringList &arguments)
{
    QTextStream err(stderr);
    if (arguments.size() > 1) {
        err << "ampa-cli: "
            << bilingual(QStringLiteral("argumen tak dikenal: %1"),
                         QStringLiteral("unexpected argument: %1"))
                   .arg(printable(arguments[1]))
            << "\n\n"
            << usage();
        return exitUsage;
    }
    if (!arguments.isEmpty() && !frequencyNamed(arguments[0])) {
        err << "ampa-cli: "
            << bilingual(QStringLiteral("jadwal tak dikenal: %1 (off, daily, weekly, monthly)"),
                         QStringLiteral("unknown schedule: %1 (off, daily, weekly, monthly)"))
                   .arg(printable(arguments[0]))
            << '\n';
        return exitUsage;
    }
    // The timer runs this very program, wherever it was installed.
    AutoClean autoClean(linuxServices().schedule,
                        QCoreApplication::applicationFilePath().toStdString());
    if (!arguments.isEmpty() && !autoClean.choose(arguments[0])) {
        err << "ampa-cli: " << printable(autoClean.error()) << '\n';
        return exitPartlyFailed;
    }
    show(autoClean);
    return exitOk;
}
