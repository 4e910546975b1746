#include "ActivityLog.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace fs = std::filesystem;

namespace {

QByteArray contents(const fs::path &path)
{
    QFile file(QString::fromUtf8(path.native()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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

    void firstLineCreatesFileAndFolders()
    {
        QCOMPARE(Engine::logPath().parent_path().filename(), "Ampa");
        QVERIFY(!fs::exists(Engine::logPath().parent_path()));
        Engine::log("cepat: dibebaskan 0 MB");
        const QByteArray text = contents(Engine::logPath());
        QVERIFY(text.endsWith('\n'));
        QCOMPARE(text.count('\n'), 1);
        const auto match = stampedLine.match(QString::fromUtf8(text.chopped(1)));
        QVERIFY2(match.hasMatch(), text.constData());
        QCOMPARE(match.captured(1), "cepat: dibebaskan 0 MB");
    }

    void defaultLocationIsUnderTheHomeFolder()
    {
        qunsetenv("XDG_STATE_HOME");
        QCOMPARE(Engine::logPath(), TestHome::home() / ".local/state/Ampa/Ampa.log");
        qputenv("XDG_STATE_HOME", "not/absolute");
        QCOMPARE(Engine::logPath(), TestHome::home() / ".local/state/Ampa/Ampa.log");
    }

    void newestFirstAndOnlyTheLast200()
    {
        Engine::log("first");
        Engine::log("second");
        QCOMPARE(Engine::logLines().size(), 2);
        QVERIFY(Engine::logLines().at(0).endsWith(" second"));

        for (int i = 2; i < 250; ++i)
            Engine::log("entry " + QString::number(i));
        const QStringList lines = Engine::logLines();
        QCOMPARE(lines.size(), 200);
        QVERIFY(lines.first().endsWith(" entry 249"));
        QVERIFY(lines.last().endsWith(" entry 50"));
        QCOMPARE(Engine::logLines(3).size(), 3);
    }

    void blankLinesAndLineFeedsInMessages()
    {
        TreeBuilder::write(Engine::logPath(),
                           "2026-01-01T00:00:00Z one\n\n\n2026-01-02T00:00:00Z two\n\n");
        Engine::log("lanjutan: trash /home/x/first\nsecond part");
        const QStringList lines = Engine::logLines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0), "second part");
        QVERIFY(lines.at(1).endsWith(" lanjutan: trash /home/x/first"));
        QCOMPARE(lines.at(2), "2026-01-02T00:00:00Z two");
        QCOMPARE(lines.at(3), "2026-01-01T00:00:00Z one");
    }

    // A damaged byte must not hide the whole history.
    void invalidUtf8StillShows()
    {
        TreeBuilder::write(Engine::logPath(),
                           "2026-01-01T00:00:00Z good\n2026-01-02T00:00:00Z bad \xff\xfe\n");
        const QStringList lines = Engine::logLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).contains(QChar::ReplacementCharacter));
        QCOMPARE(lines.at(1), "2026-01-01T00:00:00Z good");
    }

    void missingLogReadsAsNothing()
    {
        QVERIFY(Engine::logLines().isEmpty());
        QVERIFY(Engine::logLines(0).isEmpty());
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
        QCOMPARE(contents(blocker), "x");
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
        const QList<QByteArray> lines = contents(Engine::logPath()).split('\n');
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
};

AMPA_TEST_MAIN(ActivityLogTest)
#include "tst_activitylog.moc"
