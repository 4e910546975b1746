#include "ActivityLog.h"
#include "Helper.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t nobody = 65534;

const QRegularExpression stampedLine(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ (.*)$)");

} // namespace

class ActivityLogTest : public QObject {
    Q_OBJECT

    int caseNumber = 0;

private slots:
    // Each case gets a state folder of its own that does not exist yet.
    void init()
    {
        const fs::path state = TestHome::root() / ("state-" + std::to_string(++caseNumber));
        qputenv("XDG_STATE_HOME", state.c_str());
    }

    // No log yet reads as nothing; the first line makes the file and its folders.
    void firstLineCreatesFileAndFolders()
    {
        QVERIFY(Engine::logLines().isEmpty());
        QVERIFY(!fs::exists(Engine::logPath().parent_path()));
        Engine::log("cepat: dibebaskan 0 MB");
        const QByteArray text = TreeBuilder::read(Engine::logPath());
        QVERIFY(text.endsWith('\n'));
        QCOMPARE(text.count('\n'), 1);
        const auto match = stampedLine.match(QString::fromUtf8(text.chopped(1)));
        QVERIFY2(match.hasMatch(), text.constData());
        QCOMPARE(match.captured(1), "cepat: dibebaskan 0 MB");
    }

    // A relative XDG_STATE_HOME is not followed: the log stays under the home folder.
    void relativeStateFolderIsNotFollowed()
    {
        qputenv("XDG_STATE_HOME", "not/absolute");
        QCOMPARE(Engine::logPath(), TestHome::home() / ".local/state/Ampa/Ampa.log");
    }

    void newestFirstAndOnlyTheLast200()
    {
        for (int i = 0; i < 250; ++i)
            Engine::log("entry " + QString::number(i));
        const QStringList lines = Engine::logLines();
        QCOMPARE(lines.size(), 200);
        QVERIFY(lines.first().endsWith(" entry 249"));
        QVERIFY(lines.last().endsWith(" entry 50"));
        QCOMPARE(Engine::logLines(3), lines.first(3));
        QVERIFY(Engine::logLines(0).isEmpty());
    }

    // Blank lines are skipped, a line feed in a message (a file's name) stays in its entry as its
    // symbol, and a damaged byte must not hide the whole history.
    void oddLinesStillShow()
    {
        TreeBuilder::write(Engine::logPath(), "2026-01-01T00:00:00Z one\n\n\n2026-01-02T00:00:00Z "
                                              "bad \xff\xfe\n\n");
        Engine::log("lanjutan: trash /home/x/first\nsecond part");
        const QStringList lines = Engine::logLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).endsWith(
            QString::fromUtf8(" lanjutan: trash /home/x/first\u240asecond part")));
        QCOMPARE(lines.at(1), QString("2026-01-02T00:00:00Z bad ") + QChar::ReplacementCharacter
                                  + QChar::ReplacementCharacter);
        QCOMPARE(lines.at(2), "2026-01-01T00:00:00Z one");
    }

    // A folder in the way that cannot be made (here a file stands where it must go).
    void unwritableLocationReturnsNormally()
    {
        const fs::path blocker = TestHome::root() / "a-file";
        TreeBuilder::write(blocker, "x");
        qputenv("XDG_STATE_HOME", (blocker / "state").c_str());
        Engine::log("lost line");
        QVERIFY(!fs::exists(Engine::logPath()));
        QVERIFY(Engine::logLines().isEmpty());
        QCOMPARE(TreeBuilder::read(blocker), "x");
    }

    void concurrentWritersLoseNoLine()
    {
        constexpr int writers = 4;
        constexpr int perWriter = 400;
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int w = 0; w < writers; ++w) {
            auto process = std::make_unique<QProcess>();
            process->start(QCoreApplication::applicationDirPath() + "/ampa-test-helper",
                           {"log", QString::number(perWriter), "writer" + QString::number(w)});
            processes.push_back(std::move(process));
        }
        for (int i = 0; i < perWriter; ++i)
            Engine::log("main " + QString::number(i));
        for (auto &process : processes) {
            QVERIFY(process->waitForFinished(60000));
            QCOMPARE(process->exitCode(), 0);
        }

        QSet<QString> seen;
        const QList<QByteArray> lines = TreeBuilder::read(Engine::logPath()).split('\n');
        QCOMPARE(lines.size(), (writers + 1) * perWriter + 1);
        for (const QByteArray &line : lines.first(lines.size() - 1)) {
            const auto match = stampedLine.match(QString::fromUtf8(line));
            QVERIFY2(match.hasMatch(), line.constData());
            seen.insert(match.captured(1));
        }
        QCOMPARE(seen.size(), (writers + 1) * perWriter);
        QVERIFY(seen.contains("writer3 399"));
        QVERIFY(seen.contains("main 0"));
    }

    // What each clean writes is found among the log's other lines, oldest first, with the time
    // the line gives; what is not a clean, or whose time does not read, is not.
    void cleansAmongOtherLines()
    {
        TreeBuilder::write(Engine::logPath(),
                           "2026-03-01T08:00:00Z cepat: dibebaskan 1.2 GB\n"
                           "2026-03-01T09:00:00Z saran restart: swap 2.0 GB\n"
                           "2026-03-02T10:00:00Z cepat (otomatis): dibebaskan 300 MB\n"
                           "\n"
                           "2026-03-03T11:00:00Z pengembang: npm: dibebaskan 40 MB\n"
                           "2026-03-04T12:00:00Z proyek: /home/u/src/app: dibebaskan 2.1 GB\n"
                           "2026-03-05T13:00:00Z lanjutan: kosongkan trash\n"
                           "2026-03-05T13:30:00Z lanjutan: kembalikan dari trash /home/u/film.mkv\n"
                           "2026-03-06T14:00:00Z ruang: trash /home/u/old\n"
                           "2026-13-07T15:00:00Z cepat: dibebaskan 1 MB\n"   // no such month
                           "2026-03-07T15:00:00 cepat: dibebaskan 2 MB\n"    // not the UTC stamp
                           "2026-03-07 cepat: dibebaskan 3 MB\n"             // no time of day
                           "cepat: dibebaskan 4 MB\n"                        // no time at all
                           "2026-03-08T16:00:00Z cepatan: dibebaskan 5 MB\n" // another label
                           "2026-03-09T17:00:00Z ruang: lihat /home/u\n"
                           "2026-03-10T18:00:00Z lanjutan: trash /home/u/Unduhan/a.iso\n"
                           "2026-03-11T19:00:00Z proyek: /home/u/src/cut"); // a write cut short
        const auto cleans = Engine::loggedCleans(0);
        QStringList entries;
        std::vector<qint64> times;
        for (const Engine::LoggedClean &clean : cleans) {
            entries << clean.entry;
            times.push_back(clean.time);
        }
        QCOMPARE(entries, (QStringList{
                              "2026-03-01T08:00:00Z cepat: dibebaskan 1.2 GB",
                              "2026-03-02T10:00:00Z cepat (otomatis): dibebaskan 300 MB",
                              "2026-03-03T11:00:00Z pengembang: npm: dibebaskan 40 MB",
                              "2026-03-04T12:00:00Z proyek: /home/u/src/app: dibebaskan 2.1 GB",
                              "2026-03-05T13:00:00Z lanjutan: kosongkan trash",
                              "2026-03-06T14:00:00Z ruang: trash /home/u/old",
                              "2026-03-10T18:00:00Z lanjutan: trash /home/u/Unduhan/a.iso",
                          }));
        const auto utc = [](const char *text) {
            return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate).toSecsSinceEpoch();
        };
        QCOMPARE(times.front(), 1772352000); // 2026-03-01T08:00:00Z, whatever the local zone
        QCOMPARE(times.back(), utc("2026-03-10T18:00:00Z"));

        // `since` holds a clean at that very second and none before.
        const auto fromFourth = Engine::loggedCleans(utc("2026-03-04T12:00:00Z"));
        QCOMPARE(fromFourth.size(), 4u);
        QCOMPARE(fromFourth.front().time, utc("2026-03-04T12:00:00Z"));
        QCOMPARE(Engine::loggedCleans(utc("2026-03-04T12:00:01Z")).size(), 3u);
        QVERIFY(Engine::loggedCleans(utc("2026-03-10T18:00:01Z")).empty());

        // The program's own writing reads back, at the time it was written.
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        Engine::log("proyek: /home/u/src/cut: dibebaskan 9 MB");
        const auto now = Engine::loggedCleans(before);
        QCOMPARE(now.size(), 1u);
        QVERIFY(now.front().time >= before);
        QVERIFY(now.front().time <= QDateTime::currentSecsSinceEpoch());
        QVERIFY(now.front().entry.endsWith(" proyek: /home/u/src/cut: dibebaskan 9 MB"));
    }

    // A large log is read from its tail: the piece cut at the tail's start is no entry, even when
    // what is left of it looks like one (a name holding a stamp and a clean's words).
    void cleansOfALargeLogComeFromWholeLines()
    {
        constexpr qsizetype tail = 4 * 1024 * 1024;
        QByteArray text = "2026-01-01T00:00:00Z lanjutan: trash /home/u/";
        const QByteArray planted = "2026-05-05T00:00:00Z proyek: planted\n";
        const QByteArray last = "2026-06-01T00:00:00Z cepat: dibebaskan 7 MB\n";
        const QByteArray filler = "2026-01-02T00:00:00Z saran restart: swap 1 GB\n";
        text += planted;
        qsizetype left = tail - planted.size() - last.size();
        while (left > 2 * filler.size()) {
            text += filler;
            left -= filler.size();
        }
        text += "2026-01-03T00:00:00Z saran restart: " + QByteArray(left - 37, 'x') + '\n';
        text += last;
        QCOMPARE(text.size() - text.indexOf(planted), tail);
        TreeBuilder::write(Engine::logPath(), text);

        const auto cleans = Engine::loggedCleans(0);
        QCOMPARE(cleans.size(), 1u);
        QCOMPARE(cleans.front().entry, QString::fromLatin1(last.chopped(1)));
    }

    // Only a regular log of one's own is read: a link in its place gives nothing.
    void cleansNotReadThroughALink()
    {
        const fs::path target = TestHome::root() / ("target-" + std::to_string(caseNumber));
        TreeBuilder::write(target, "2026-03-01T08:00:00Z cepat: dibebaskan 1.2 GB\n");
        TreeBuilder::symlink(target, Engine::logPath());
        QVERIFY(Engine::loggedCleans(0).empty());
    }

    // A link planted where the log goes: the line is lost, whatever the link names stays as it
    // was (or absent), and its text is not shown as the history.
    void plantedLinkIsNotFollowed_data()
    {
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("to a file") << true;
        QTest::newRow("dangling") << false;
    }
    void plantedLinkIsNotFollowed()
    {
        QFETCH(bool, targetExists);
        const fs::path target = TestHome::root() / ("target-" + std::to_string(caseNumber));
        if (targetExists)
            TreeBuilder::write(target, "precious\n");
        TreeBuilder::symlink(target, Engine::logPath());
        Engine::log("through the link");
        QVERIFY(fs::is_symlink(Engine::logPath()));
        if (targetExists)
            QCOMPARE(TreeBuilder::read(target), "precious\n");
        else
            QVERIFY(!fs::exists(fs::symlink_status(target)));
        QVERIFY(Engine::logLines().isEmpty());
    }

    // Root running for someone else's log (sudo -E) must not append to it.
    void logOfAnotherUserIsLeftAlone()
    {
        if (geteuid() != 0)
            QSKIP("giving the log to another user needs root");
        const QByteArray theirs = "2026-01-01T00:00:00Z theirs\n";
        TreeBuilder::write(Engine::logPath(), theirs);
        QCOMPARE(chown(Engine::logPath().c_str(), nobody, nobody), 0);
        Engine::log("written as root");
        QCOMPARE(TreeBuilder::read(Engine::logPath()), theirs);
    }

    // Folders or a log created as root in another user's home would take their log from them.
    void nothingCreatedInAnotherUsersHome_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::newRow("bare home") << "";
        QTest::newRow("state folder") << ".local/state";
        QTest::newRow("log folder") << ".local/state/Ampa";
    }
    void nothingCreatedInAnotherUsersHome()
    {
        QFETCH(QString, existing);
        if (geteuid() != 0)
            QSKIP("giving a home to another user needs root");
        const fs::path home = TestHome::root() / ("their-home-" + std::to_string(caseNumber));
        TreeBuilder::folder(home / existing.toStdString());
        for (const auto &entry : fs::recursive_directory_iterator(home))
            QCOMPARE(chown(entry.path().c_str(), nobody, nobody), 0);
        QCOMPARE(chown(home.c_str(), nobody, nobody), 0);
        qputenv("XDG_STATE_HOME", (home / ".local/state").c_str());
        const auto before = TreeBuilder::manifest(home);

        Engine::log("written as root");
        QCOMPARE(TreeBuilder::manifest(home), before);
    }

    // A FIFO (or a folder) as the log: reading or writing it must not wait for a partner that
    // never comes. It is left as it is, with one warning however often it is met.
    void notARegularFileReturnsAtOnce_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("fifo, writing") << true << QStringList{"log:one", "log:two"};
        QTest::newRow("fifo, reading") << true << QStringList{"lines", "lines"};
        QTest::newRow("fifo, both") << true << QStringList{"log:one", "lines", "log:two"};
        QTest::newRow("folder, both") << false << QStringList{"log:one", "lines", "log:two"};
    }
    void notARegularFileReturnsAtOnce()
    {
        QFETCH(bool, fifo);
        QFETCH(QStringList, steps);
        const fs::path log = Engine::logPath();
        if (fifo) {
            TreeBuilder::folder(log.parent_path());
            QCOMPARE(mkfifo(log.c_str(), 0600), 0);
        } else {
            TreeBuilder::folder(log);
        }
        const auto before = TreeBuilder::manifest(log.parent_path());

        const HelperRun run = runSteps(steps);
        QVERIFY2(run.finished, "the log's reader or writer blocked");
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err.count("not a regular file"), 1);
        QCOMPARE(TreeBuilder::manifest(log.parent_path()), before);
        QCOMPARE(fs::symlink_status(log).type(),
                 fifo ? fs::file_type::fifo : fs::file_type::directory);
    }
};

AMPA_TEST_MAIN(ActivityLogTest)
#include "tst_activitylog.moc"
