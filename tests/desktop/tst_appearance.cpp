// The desktop's light or dark preference, read from the settings portal on a private session bus:
// asked early at start and taken when the views first need it, or asked then.

#include "Appearance.h"
#include "TestHome.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

namespace {

const QString portal = "org.freedesktop.portal.Desktop";

} // namespace

class AppearanceTest : public QObject {
    Q_OBJECT

    QProcess standIn;

    void startPortal(const QString &answer)
    {
        standIn.start(AMPA_DESKTOP_STANDIN,
                      {portal, "/org/freedesktop/portal/desktop",
                       QString::fromStdString((TestHome::root() / "calls").native()), answer});
        QVERIFY(standIn.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            QDBusConnection::sessionBus().interface()->isServiceRegistered(portal), 10000);
    }

private slots:
    void cleanup()
    {
        standIn.kill();
        standIn.waitForFinished();
        QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(portal));
    }

    void followsThePortal_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("early");
        QTest::addColumn<bool>("dark");
        QTest::newRow("dark, asked early") << "read=1" << true << true;
        QTest::newRow("dark, asked when needed") << "read=1" << false << true;
        QTest::newRow("light, asked early") << "read=2" << true << false;
        // No preference, or no answer: the desktop palette's lightness, light here.
        QTest::newRow("no preference") << "read=0" << true << false;
        QTest::newRow("portal fails") << "fail" << true << false;
    }
    void followsThePortal()
    {
        QFETCH(QString, answer);
        QFETCH(bool, early);
        QFETCH(bool, dark);
        startPortal(answer);
        if (early)
            Appearance::askDesktopEarly();
        Appearance appearance;
        QCOMPARE(appearance.systemDark(), dark);
    }

    // An early question nobody took is not answered to the next one that asks.
    void anEarlyQuestionIsTakenOnce()
    {
        startPortal("read=1");
        Appearance::askDesktopEarly();
        QVERIFY(Appearance().systemDark());
        cleanup();
        startPortal("read=2");
        QVERIFY(!Appearance().systemDark());
    }
};

int main(int argc, char **argv)
{
    TestHome home;
    QGuiApplication app(argc, argv);
    AppearanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appearance.moc"
