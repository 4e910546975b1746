#include "ScheduleUnits.h"

#include "Paths.h"

#include <QFile>
#include <QRegularExpression>

#include <limits>

namespace Schedule {

namespace {

constexpr const char *names[] = {"off", "daily", "weekly", "monthly"};

// A file name as a unit file may hold it: "%" starts a specifier everywhere.
QString withoutSpecifiers(QString text)
{
    return text.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

// The program as the first word of ExecStart=: quoted when it needs to be, and "$" doubled, or
// the manager would expand a variable there.
QString execWord(const QString &program)
{
    QString word = withoutSpecifiers(program).replace(QLatin1Char('$'), QStringLiteral("$$"));
    if (word.contains(QRegularExpression(R"([\s"'\\;])"))) {
        word.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        word.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        word = QLatin1Char('"') + word + QLatin1Char('"');
    }
    return word;
}

constexpr char header[] = "# Written by Ampa for its automatic quick clean. Turn it off in Ampa's "
                          "settings\n# or with: ampa-cli schedule off\n";

} // namespace

QString frequencyName(Frequency frequency)
{
    return QLatin1String(names[static_cast<int>(frequency)]);
}

std::optional<Frequency> frequencyNamed(const QString &name)
{
    for (int i = 0; i < 4; ++i) {
        if (name == QLatin1String(names[i]))
            return static_cast<Frequency>(i);
    }
    return std::nullopt;
}

std::filesystem::path unitFolder()
{
    return Engine::xdgDir("XDG_CONFIG_HOME", ".config") / "systemd" / "user";
}

std::filesystem::path timerPath()
{
    return unitFolder() / timerUnit;
}

std::filesystem::path servicePath()
{
    return unitFolder() / serviceUnit;
}

std::filesystem::path timerStamp()
{
    return Engine::xdgDir("XDG_DATA_HOME", ".local/share") / "systemd" / "timers"
           / (std::string("stamp-") + timerUnit);
}

std::optional<QString> unusableProgram(const std::filesystem::path &cli)
{
    if (!cli.is_absolute())
        return QStringLiteral("not an absolute path");
    const QByteArray bytes = QByteArray::fromStdString(cli.native());
    const QString text = QString::fromUtf8(bytes);
    // Unit files are UTF-8 and line-based; a name that is neither cannot be written into one.
    if (text.toUtf8() != bytes || text.contains(QChar::ReplacementCharacter))
        return QStringLiteral("its name is not UTF-8");
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("its name holds a control character");
    }
    // The manager reads these its own way in one of the two lines or the other (a "$" stays
    // doubled in the program's path, quotes and backslashes are unescaped in one line and not in
    // the other): the unit would name another file than this one.
    for (const QChar c : {QChar('"'), QChar('\''), QChar('\\'), QChar('$')}) {
        if (text.contains(c))
            return QStringLiteral("its name holds %1, which the service manager reads differently")
                .arg(c);
    }
    // ConditionPathExists= drops the spaces at the end of its value.
    if (text.back().isSpace())
        return QStringLiteral("its name ends in a space");
    return std::nullopt;
}

QByteArray serviceText(const std::filesystem::path &cli)
{
    const QString program = QString::fromUtf8(QByteArray::fromStdString(cli.native()));
    return header
           + QStringLiteral("\n[Unit]\n"
                            "Description=Ampa quick clean\n"
                            // The timer is the user's and outlives the package.
                            "ConditionPathExists=%1\n"
                            "\n[Service]\n"
                            "Type=oneshot\n"
                            "Environment=%2=1\n"
                            "ExecStart=%3 clean --yes\n"
                            "Nice=19\n"
                            "IOSchedulingClass=idle\n")
                 .arg(withoutSpecifiers(program), QLatin1String(scheduledVariable),
                      execWord(program))
                 .toUtf8();
}

QByteArray timerText(Frequency frequency)
{
    return header
           + QStringLiteral("\n[Unit]\n"
                            "Description=Ampa quick clean, %1\n"
                            "\n[Timer]\n"
                            "OnCalendar=%1\n"
                            "Persistent=true\n"
                            "RandomizedDelaySec=1h\n"
                            "\n[Install]\n"
                            "WantedBy=timers.target\n")
                 .arg(frequencyName(frequency))
                 .toUtf8();
}

TimerFile readTimer(const QByteArray &text)
{
    TimerFile file;
    bool inTimer = false;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#') || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            inTimer = line == "[Timer]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inTimer || equals < 0 || line.left(equals).trimmed() != "OnCalendar")
            continue;
        // An empty assignment resets the list, as the manager reads it.
        file.onCalendar = QString::fromUtf8(line.mid(equals + 1).trimmed());
    }
    const auto named = frequencyNamed(file.onCalendar);
    if (named && *named != Frequency::off)
        file.frequency = named;
    return file;
}

std::optional<TimerFile> installedTimer()
{
    QFile file(QString::fromUtf8(QByteArray::fromStdString(timerPath().native())));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // A unit file is small; a huge one is not ours and is not worth reading whole.
    return readTimer(file.read(1 << 20));
}

std::optional<QDateTime> elapseTime(quint64 microseconds)
{
    if (microseconds == 0 || microseconds == std::numeric_limits<quint64>::max())
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(microseconds / 1000), Qt::UTC);
}

std::optional<AutomaticRun> lastAutomaticRun(const QStringList &newestFirst)
{
    const QString marker = QLatin1Char(' ') + QLatin1String(automaticLabel) + ": dibebaskan ";
    for (const QString &line : newestFirst) {
        const qsizetype at = line.indexOf(marker);
        if (at <= 0)
            continue;
        const QDateTime when = QDateTime::fromString(line.left(at), Qt::ISODate);
        if (!when.isValid())
            continue;
        return AutomaticRun{when, line.mid(at + marker.size()).trimmed()};
    }
    return std::nullopt;
}

} // namespace Schedule
