// The desktop's services as a real session bus offers them: a file manager that D-Bus starts
// when asked, the folder opened when there is none, and the session managers' restart prompts.
// The bus is run.sh's private dbus-daemon, whose only services are the stand-ins this test puts
// in its service folder: an installed file manager or session manager is never started.

#include "LinuxDesktop.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <optional>

namespace fs = std::filesystem;

namespace {

fs::path services()
{
    return qEnvironmentVariable("AMPA_TEST_BUS_SERVICES").toStdString();
}

fs::path notes()
{
    return TestHome::root() / "calls";
}

QStringList calls()
{
    return QString::fromUtf8(TreeBuilder::read(notes())).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class LinuxDesktopTest : public QObject {
    Q_OBJECT

    fs::path report = TestHome::home() / "Downloads/report.pdf";
    QByteArray searchPath = qgetenv("PATH");

    std::optional<QString> reveal()
    {
        std::optional<std::optional<QString>> answer;
        LinuxDesktop().revealFile(
            report, [&answer](std::optional<QString> error) { answer = std::move(error); });
        if (!QTest::qWaitFor([&answer] { return answer.has_value(); }, 30000))
            return QString("no answer");
        return *answer;
    }

    void reloadBus()
    {
        QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                           "org.freedesktop.DBus", "ReloadConfig"));
    }

private slots:
    void initTestCase() { TreeBuilder::file(report, 10); }
    void init() { fs::remove(notes()); }
    void cleanup() { qputenv("PATH", searchPath); }

    // Neither a file manager nor anything to open the folder with: said, not silent.
    void revealWithNothingToShowItFails()
    {
        const fs::path empty = TestHome::root() / "empty-bin";
        fs::create_directories(empty);
        qputenv("PATH", empty.c_str());
        const std::optional<QString> error = reveal();
        QVERIFY(error.has_value());
        QVERIFY2(error->contains(QString::fromStdString(report.parent_path().native())),
                 qPrintable(*error));
    }

    // No file manager: the folder opens with the desktop's opener.
    void revealWithoutAFileManagerOpensTheFolder()
    {
        const fs::path bin = TestHome::root() / "opener-bin";
        TreeBuilder::write(bin / "xdg-open",
                           QByteArray::fromStdString("#!/bin/sh\necho \"xdg-open $*\" >> '"
                                                     + notes().native() + "'\n"));
        fs::permissions(bin / "xdg-open", fs::perms(0755));
        qputenv("PATH", bin.c_str());
        QCOMPARE(reveal(), std::nullopt);
        QTRY_COMPARE(calls(), QStringList{"xdg-open file://"
                                          + QString::fromStdString(report.parent_path().native())});
    }

    // A file manager that is installed but not running: D-Bus starts it for the call.
    void revealStartsAnInstalledFileManager()
    {
        TreeBuilder::write(
            services() / "org.freedesktop.FileManager1.service",
            QByteArray::fromStdString(
                "[D-BUS Service]\nName=org.freedesktop.FileManager1\nExec=" AMPA_DESKTOP_STANDIN
                " org.freedesktop.FileManager1 /org/freedesktop/FileManager1 "
                + notes().native() + "\n"));
        reloadBus();
        QCOMPARE(reveal(), std::nullopt);
        QCOMPARE(calls(), QStringList{"org.freedesktop.FileManager1.ShowItems file://"
                                      + QString::fromStdString(report.native()) + " "});
    }

    void restartAsksTheSessionManager_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("call");
        QTest::newRow("GNOME, MATE") << "org.gnome.SessionManager"
                                     << "/org/gnome/SessionManager"
                                     << "org.gnome.SessionManager.Reboot";
        QTest::newRow("KDE") << "org.kde.LogoutPrompt"
                             << "/LogoutPrompt"
                             << "org.kde.LogoutPrompt.promptReboot";
        QTest::newRow("XFCE") << "org.xfce.SessionManager"
                              << "/org/xfce/SessionManager"
                              << "org.xfce.Session.Manager.Logout true true";
    }
    void restartAsksTheSessionManager()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, call);
        QProcess standIn;
        standIn.start(AMPA_DESKTOP_STANDIN, {name, path, QString::fromStdString(notes().native())});
        QVERIFY(standIn.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            QDBusConnection::sessionBus().interface()->isServiceRegistered(name), 10000);
        std::optional<bool> prompted;
        LinuxDesktop().requestRestart([&prompted](bool shown) { prompted = shown; });
        QTRY_VERIFY_WITH_TIMEOUT(prompted.has_value(), 30000);
        standIn.kill();
        standIn.waitForFinished();
        QVERIFY(*prompted);
        QCOMPARE(calls(), QStringList{call});
    }

    void restartWithNoSessionManagerSaysSo()
    {
        std::optional<bool> prompted;
        LinuxDesktop().requestRestart([&prompted](bool shown) { prompted = shown; });
        QTRY_VERIFY_WITH_TIMEOUT(prompted.has_value(), 30000);
        QVERIFY(!*prompted);
        QVERIFY(calls().isEmpty());
    }
};

int main(int argc, char **argv)
{
    TestHome testHome;
    if (services().empty()) {
        std::fputs("run through run.sh: no private session bus\n", stderr);
        return 1;
    }
    QGuiApplication app(argc, argv);
    LinuxDesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_linuxdesktop.moc"
