#include "Office.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>

#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

namespace {

fs::path autoRecovery(const char *container)
{
    return TestHome::home() / "Library/Containers" / container
           / "Data/Library/Preferences/AutoRecovery";
}

std::vector<fs::path> userItems()
{
    return {TestHome::home() / "Library/Preferences/com.microsoft.autoupdate2.plist",
            TestHome::home() / "Library/Caches/com.microsoft.autoupdate2",
            TestHome::home() / "Library/Application Support/Microsoft AU Daemon"};
}

} // namespace

class OfficeTest : public QObject {
    Q_OBJECT

    fs::path systemRoot = TestHome::root() / "system";
    fs::path runner = TestHome::root() / "stand-in-runner";
    fs::path runnerArgs = TestHome::root() / "runner-args";

    // A stand-in for the administrator runner: records its arguments, runs `body`, exits `code`.
    Engine::OfficeSystem standIn(const QByteArray &body, int code)
    {
        write(runner, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '"
                          + QByteArray::fromStdString(runnerArgs.native()) + "'\n" + body
                          + "\nexit " + QByteArray::number(code) + "\n");
        chmod(runner.c_str(), 0755);
        return {systemRoot, QString::fromUtf8(runner.native())};
    }

    fs::path mau() const { return systemRoot / "Library/Application Support/Microsoft/MAU2.0"; }

private slots:
    void init()
    {
        fs::remove_all(systemRoot);
        fs::remove_all(TestHome::home() / "Library");
        file(mau() / "Microsoft AutoUpdate.app/Contents/x", 1000);
        for (const fs::path &item : userItems())
            file(item.filename() == "com.microsoft.autoupdate2.plist" ? item : item / "data", 10);
    }

    void autoRecoveryCopies()
    {
        QVERIFY(Engine::autoRecoverFiles().empty());
        file(autoRecovery("com.microsoft.Word") / ".hidden copy", 100);
        file(autoRecovery("com.microsoft.Word") / "Sub Folder/inner.docx", 100);
        file(autoRecovery("com.microsoft.Powerpoint") / "Deck.pptx", 100);
        folder(autoRecovery("com.microsoft.Excel"));
        std::vector<fs::path> found = Engine::autoRecoverFiles();
        std::sort(found.begin(), found.end());
        QCOMPARE(found, (std::vector<fs::path>{
                            autoRecovery("com.microsoft.Powerpoint") / "Deck.pptx",
                            autoRecovery("com.microsoft.Word") / ".hidden copy",
                            autoRecovery("com.microsoft.Word") / "Sub Folder",
                        }));
    }

    void installedApplicationsInListOrder()
    {
        const Engine::OfficeSystem system{systemRoot, {}};
        QVERIFY(Engine::mauInstalled(system));
        folder(systemRoot / "Applications/Microsoft Teams.app");
        folder(systemRoot / "Applications/OneDrive.app");
        folder(TestHome::home() / "Applications/Microsoft Word.app");
        QCOMPARE(Engine::microsoftAppsInstalled(system),
                 (QStringList{"OneDrive", "Microsoft Teams"}));
        fs::remove_all(mau());
        QVERIFY(!Engine::mauInstalled(system));
    }

    // Run with stand-ins for its commands that note their words and fail: the services are
    // stopped first, each path stays one word, nothing but the updater's system items goes, and
    // the whole succeeds though every step failed.
    void removalScriptSteps()
    {
        const fs::path stubs = TestHome::root() / "stubs";
        const QByteArray calls = QByteArray::fromStdString((TestHome::root() / "calls").native());
        for (const char *command : {"launchctl", "rm", "rmdir"}) {
            write(stubs / command, QByteArray("#!/bin/sh\nprintf '%s|' ") + command + " \"$@\" >> '"
                                       + calls + "'\necho >> '" + calls + "'\nexit 1\n");
            chmod((stubs / command).c_str(), 0755);
        }
        QProcess shell;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", QString::fromUtf8(stubs.native()));
        shell.setProcessEnvironment(environment);
        shell.start("/bin/sh", {"-c", Engine::mauRemovalScript()});
        QVERIFY(shell.waitForFinished(30000));
        QCOMPARE(shell.exitCode(), 0);

        const QList<QByteArray> lines = read(calls.toStdString()).trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        for (const QByteArray &line : lines.first(2))
            QVERIFY2(line.startsWith("launchctl|bootout|system|/Library/LaunchDaemons/"),
                     line.constData());
        const QList<QByteArray> removed = lines.at(2).chopped(1).split('|');
        QCOMPARE(removed.first(2), (QList<QByteArray>{"rm", "-rf"}));
        QCOMPARE(removed.at(2), Engine::mauDir);
        QCOMPARE(removed.size(), 11);
        for (const QByteArray &path : removed.sliced(2))
            QVERIFY2(path.startsWith("/Library/") || path.startsWith("/Applications/"),
                     path.constData());
        QCOMPARE(lines.at(3), "rmdir|/Library/Application Support/Microsoft|");
    }

    void removeMAU_data()
    {
        using enum Engine::MauRemoval::Outcome;
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("code");
        QTest::addColumn<Engine::MauRemoval::Outcome>("outcome");
        QTest::addColumn<QString>("output");
        const QByteArray removes = "rm -rf '" + QByteArray::fromStdString(mau().native()) + "'";
        QTest::newRow("removed") << removes << 0 << removed << QString();
        QTest::newRow("some left") << QByteArray(":") << 0 << partlyLeft << QString();
        QTest::newRow("dismissed") << QByteArray(":") << 126 << cancelled << QString();
        QTest::newRow("not authorised")
            << QByteArray("echo 'Error executing command as another user: Not authorized'") << 127
            << failed << "Error executing command as another user: Not authorized\n";
        QTest::newRow("no agent, on standard error")
            << QByteArray("echo 'No authentication agent found.' >&2") << 127 << failed
            << "No authentication agent found.\n";
    }
    void removeMAU()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, code);
        QFETCH(Engine::MauRemoval::Outcome, outcome);
        QFETCH(QString, output);

        const Engine::MauRemoval result = Engine::removeMAU(standIn(body, code));
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.output, output);

        QCOMPARE(QString::fromUtf8(read(runnerArgs)),
                 "/bin/sh\n-c\n" + Engine::mauRemovalScript() + "\n");
        // The user's own updater items go whatever the administrator step answered.
        for (const fs::path &item : userItems())
            QVERIFY2(!fs::exists(fs::symlink_status(item)), item.c_str());
    }

    void runnerThatCannotStart()
    {
        const Engine::OfficeSystem system{systemRoot, "/nonexistent/pkexec"};
        const Engine::MauRemoval result = Engine::removeMAU(system);
        QCOMPARE(result.outcome, Engine::MauRemoval::Outcome::failed);
        QVERIFY(!result.output.isEmpty());
        QVERIFY(Engine::mauInstalled(system));
        QVERIFY(!fs::exists(userItems()[1]));
    }
};

AMPA_TEST_MAIN(OfficeTest)
#include "tst_office.moc"
