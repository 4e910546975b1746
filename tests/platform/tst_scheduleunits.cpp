// The schedule's unit files as text, and what is read back from a timer file and from the log.

#include "ScheduleUnits.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QTest>

#include <limits>

using namespace Schedule;
namespace fs = std::filesystem;

namespace {

QStringList lines(const QByteArray &text)
{
    return QString::fromUtf8(text).split('\n');
}

} // namespace

class ScheduleUnitsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { fs::remove_all(unitFolder()); }

    void frequencyNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("frequency"); // -1: none
        QTest::newRow("off") << "off" << int(Frequency::off);
        QTest::newRow("daily") << "daily" << int(Frequency::daily);
        QTest::newRow("weekly") << "weekly" << int(Frequency::weekly);
        QTest::newRow("monthly") << "monthly" << int(Frequency::monthly);
        QTest::newRow("capital") << "Weekly" << -1;
        QTest::newRow("space") << " weekly" << -1;
        QTest::newRow("other") << "fortnightly" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void frequencyNames()
    {
        QFETCH(QString, name);
        QFETCH(int, frequency);
        const auto named = frequencyNamed(name);
        QCOMPARE(named ? int(*named) : -1, frequency);
        if (named)
            QCOMPARE(frequencyName(*named), name);
    }

    void serviceRunsTheCleanQuietly()
    {
        const QStringList service = lines(serviceText("/usr/bin/ampa-cli"));
        for (const char *line :
             {"[Unit]", "ConditionPathExists=/usr/bin/ampa-cli", "[Service]", "Type=oneshot",
              "Environment=AMPA_SCHEDULED=1", "ExecStart=/usr/bin/ampa-cli clean --yes", "Nice=19",
              "IOSchedulingClass=idle"})
            QVERIFY2(service.contains(line), line);
        // Started by its timer only: an [Install] section would let it be enabled on its own.
        QVERIFY(!service.contains("[Install]"));
        // Where the program lies decides what the manager must be told literally: "%" starts a
        // specifier in both lines and a space a new word on the command line.
        const QStringList awkward = lines(serviceText("/opt/my apps/100%/ampa-cli"));
        QVERIFY(awkward.contains("ConditionPathExists=/opt/my apps/100%%/ampa-cli"));
        QVERIFY(awkward.contains("ExecStart=\"/opt/my apps/100%%/ampa-cli\" clean --yes"));
    }

    void unusablePrograms_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("usable");
        QTest::newRow("installed") << QByteArray("/usr/bin/ampa-cli") << true;
        QTest::newRow("spaces inside") << QByteArray("/opt/A b/ampa-cli") << true;
        QTest::newRow("only a space") << QByteArray("/opt/my apps/ampa-cli") << true;
        QTest::newRow("percent") << QByteArray("/opt/100%/ampa-cli") << true;
        QTest::newRow("double quote") << QByteArray("/opt/\"q\"/ampa-cli") << false;
        QTest::newRow("single quote") << QByteArray("/opt/it's/ampa-cli") << false;
        QTest::newRow("backslash") << QByteArray("/opt/a\\b/ampa-cli") << false;
        QTest::newRow("dollar") << QByteArray("/opt/$HOME/ampa-cli") << false;
        QTest::newRow("relative") << QByteArray("bin/ampa-cli") << false;
        QTest::newRow("not UTF-8") << QByteArray("/opt/\xff/ampa-cli") << false;
        QTest::newRow("line break") << QByteArray("/opt/a\nExecStartPre=/bin/x/ampa-cli") << false;
        QTest::newRow("trailing space") << QByteArray("/opt/ampa-cli ") << false;
    }
    void unusablePrograms()
    {
        QFETCH(QByteArray, path);
        QFETCH(bool, usable);
        const auto why = unusableProgram(path.toStdString());
        QVERIFY2(why.has_value() != usable, why ? qPrintable(*why) : "usable");
    }

    void timerCatchesUpWithADelay_data()
    {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QString>("calendar");
        QTest::newRow("daily") << int(Frequency::daily) << "daily";
        QTest::newRow("weekly") << int(Frequency::weekly) << "weekly";
        QTest::newRow("monthly") << int(Frequency::monthly) << "monthly";
    }
    void timerCatchesUpWithADelay()
    {
        QFETCH(int, frequency);
        QFETCH(QString, calendar);
        const QByteArray text = timerText(Frequency(frequency));
        const QStringList timer = lines(text);
        for (const QString &line : {QString("[Timer]"), "OnCalendar=" + calendar,
                                    QString("Persistent=true"), QString("RandomizedDelaySec=1h"),
                                    QString("[Install]"), QString("WantedBy=timers.target")})
            QVERIFY2(timer.contains(line), qPrintable(line));
        // What was written reads back as the same choice.
        const TimerFile read = readTimer(text);
        QCOMPARE(read.onCalendar, calendar);
        QVERIFY(read.frequency == Frequency(frequency));
    }

    void timerFilesAsFound_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("calendar");
        QTest::addColumn<int>("frequency"); // -1: not one of ours
        QTest::newRow("edited by hand")
            << QByteArray("[Timer]\nOnCalendar=Mon *-*-* 09:00\nPersistent=true\n")
            << "Mon *-*-* 09:00" << -1;
        QTest::newRow("last one counts")
            << QByteArray("[Timer]\nOnCalendar=daily\n  OnCalendar = monthly  \n") << "monthly"
            << int(Frequency::monthly);
        QTest::newRow("outside [Timer]")
            << QByteArray("[Unit]\nOnCalendar=daily\n[Timer]\nPersistent=true\n") << "" << -1;
        QTest::newRow("commented out")
            << QByteArray("[Timer]\n#OnCalendar=daily\n;OnCalendar=weekly\n") << "" << -1;
        QTest::newRow("reset by an empty one")
            << QByteArray("[Timer]\nOnCalendar=daily\nOnCalendar=\n") << "" << -1;
        QTest::newRow("CRLF line ends")
            << QByteArray("[Timer]\r\nOnCalendar=weekly\r\n") << "weekly" << int(Frequency::weekly);
        QTest::newRow("empty") << QByteArray() << "" << -1;
        QTest::newRow("binary") << QByteArray("\0\xff[Timer\n=\n", 11) << "" << -1;
    }
    void timerFilesAsFound()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, calendar);
        QFETCH(int, frequency);
        const TimerFile read = readTimer(text);
        QCOMPARE(read.onCalendar, calendar);
        QCOMPARE(read.frequency ? int(*read.frequency) : -1, frequency);
    }

    void installedTimerIsReadFromDisk()
    {
        QVERIFY(!installedTimer());
        TreeBuilder::write(timerPath(), timerText(Frequency::daily));
        const auto found = installedTimer();
        QVERIFY(found);
        QVERIFY(found->frequency == Frequency::daily);
    }

    void elapseTimes()
    {
        QVERIFY(!elapseTime(0));
        QVERIFY(!elapseTime(std::numeric_limits<quint64>::max()));
        const auto when = elapseTime(1'765'000'000'123'456ULL);
        QVERIFY(when);
        QCOMPARE(when->toString(Qt::ISODateWithMs), "2025-12-06T05:46:40.123Z");
    }

    void lastAutomaticRunFromTheLog()
    {
        const QString manual = "2026-12-07T09:00:00Z cepat: dibebaskan 3 MB";
        const auto newest =
            lastAutomaticRun({manual, "2026-12-06T00:41:07Z cepat (otomatis): dibebaskan 1.5 GB",
                              "2026-11-29T00:12:00Z cepat (otomatis): dibebaskan 20 MB"});
        QVERIFY(newest);
        QCOMPARE(newest->when, QDateTime(QDate(2026, 12, 6), QTime(0, 41, 7), Qt::UTC));
        QCOMPARE(newest->freed, "1.5 GB");
        QVERIFY(!lastAutomaticRun({}));
        QVERIFY(!lastAutomaticRun({manual}));
        // A line whose time does not read is passed over, not taken for a run at no time.
        const auto last = lastAutomaticRun(
            {"garbage cepat (otomatis): dibebaskan 1 MB", "cepat (otomatis): dibebaskan 2 MB",
             "2026-11-29T00:12:00Z cepat (otomatis): dibebaskan 4 MB"});
        QVERIFY(last);
        QCOMPARE(last->freed, "4 MB");
    }
};

AMPA_TEST_MAIN(ScheduleUnitsTest)
#include "tst_scheduleunits.moc"
