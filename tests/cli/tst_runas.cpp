// Whose home Ampa cleans: both programs refuse a home folder that belongs to another user (root
// started with sudo -E, or any other user's HOME) before touching anything in it.

#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t nobody = 65534;

struct Run {
    bool finished = false;
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program as a login would: HOME as given, no XDG_* variables (so every folder Ampa uses
// falls under that home) and no display. A program that does not finish is killed, failing the
// test instead of stalling it.
Run run(const QString &program, const QStringList &arguments, const fs::path &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : environment.keys()) {
        if (name.startsWith("XDG_") || name.startsWith("QT_QPA") || name == "DISPLAY"
            || name == "WAYLAND_DISPLAY")
            environment.remove(name);
    }
    environment.insert("HOME", QString::fromStdString(home.native()));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.closeWriteChannel();
    Run result;
    result.finished = process.waitForFinished(60000);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// A home with settings in `language` and a cache worth cleaning, all of it owned by nobody.
fs::path theirHome(const std::string &name, const QByteArray &language)
{
    const fs::path home = TestHome::root() / name;
    TreeBuilder::write(home / ".config/Ampa/Ampa.conf", "[General]\nlanguage=" + language + "\n");
    TreeBuilder::file(home / ".cache/pip/http/a", 40000);
    for (const auto &entry : fs::recursive_directory_iterator(home)) {
        if (lchown(entry.path().c_str(), nobody, nobody) != 0)
            qFatal("cannot give %s to nobody", entry.path().c_str());
    }
    if (chown(home.c_str(), nobody, nobody) != 0)
        qFatal("cannot give %s to nobody", home.c_str());
    return home;
}

} // namespace

class RunAsTest : public QObject {
    Q_OBJECT

    int caseNumber = 0;

private slots:
    void init() { ++caseNumber; }

    // Refused with the reason, in the home's language, before anything in it is touched. Asking
    // how to call the program changes nothing anywhere, so that still answers.
    void anotherUsersHomeIsRefused_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QString>("message"); // none: answered
        const QString english = "Ampa cleans the home folder of the user who runs it, and %1 "
                                "belongs to another user. Run Ampa as that user, without sudo.\n";
        const QString indonesian =
            "Ampa membersihkan folder home pengguna yang menjalankannya, dan %1 milik pengguna "
            "lain. Jalankan Ampa sebagai pengguna itu, tanpa sudo.\n";
        QTest::newRow("cli status")
            << AMPA_CLI_PATH << QStringList{"status"} << QByteArray("en") << english;
        QTest::newRow("cli clean")
            << AMPA_CLI_PATH << QStringList{"clean", "--yes"} << QByteArray("en") << english;
        QTest::newRow("cli log, Indonesian")
            << AMPA_CLI_PATH << QStringList{"log"} << QByteArray("id") << indonesian;
        QTest::newRow("window") << AMPA_WINDOW_PATH << QStringList{} << QByteArray("en") << english;
        QTest::newRow("window at login, Indonesian")
            << AMPA_WINDOW_PATH << QStringList{"--login"} << QByteArray("id") << indonesian;
        QTest::newRow("cli help") << AMPA_CLI_PATH << QStringList{"--help"} << QByteArray("en")
                                  << QString();
    }
    void anotherUsersHomeIsRefused()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, language);
        QFETCH(QString, message);
        if (geteuid() != 0)
            QSKIP("giving a home folder to another user needs root");
        const fs::path home = theirHome("their-home-" + std::to_string(caseNumber), language);
        const auto before = TreeBuilder::manifest(home);

        const Run result = run(program, arguments, home);
        QVERIFY2(result.finished, "the program did not stop by itself");
        if (message.isNull()) {
            QCOMPARE(result.code, 0);
            QVERIFY2(result.out.startsWith("Usage: ampa-cli"), result.out.constData());
        } else {
            QCOMPARE(result.code, 2);
            QCOMPARE(QString::fromUtf8(result.err), message.arg(QString::fromStdString(home)));
            QCOMPARE(result.out, QByteArray());
        }
        QCOMPARE(TreeBuilder::manifest(home), before);
    }

    // Whoever runs Ampa, root included, may clean a home of their own.
    void ownHomeRuns()
    {
        TreeBuilder::file(TestHome::home() / ".cache/pip/http/a", 40000);
        const Run result = run(AMPA_CLI_PATH, {"clean", "--yes"}, TestHome::home());
        QVERIFY(result.finished);
        QCOMPARE(result.code, 0);
        QVERIFY(!fs::exists(TestHome::home() / ".cache/pip/http/a"));
        QVERIFY(fs::exists(TestHome::home() / ".local/state/Ampa/Ampa.log"));
    }
};

AMPA_TEST_MAIN(RunAsTest)
#include "tst_runas.moc"
