#include "Paths.h"
#include "SystemProbes.h"
#include "TestHome.h"

#include <QFile>

namespace fs = std::filesystem;

class ProbesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qputenv("HOME", TestHome::home().c_str()); }

    void tildeExpansion_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        const QString home = QString::fromUtf8(TestHome::home().native());
        const auto row = [](const char *name, const char *path, const QString &expected) {
            QTest::newRow(name) << QString(path) << expected;
        };
        row("tilde alone", "~", home);
        row("under home", "~/.npm/_cacache", home + "/.npm/_cacache");
        for (const char *kept : {"/var/tmp/x", "~root/x", "a/~/b", "Downloads"})
            row(kept, kept, kept);
    }
    void tildeExpansion()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(Engine::displayPath(Engine::url(path.toStdString())), expected);
    }

    void homeWithoutVariableComesFromTheAccount()
    {
        qunsetenv("HOME");
        QVERIFY(Engine::homeDir().is_absolute());
        QCOMPARE(Engine::url("~/x").filename(), "x");
    }

    void trailingSlashes()
    {
        QCOMPARE(Engine::withoutTrailingSlash("/a/b///"), fs::path("/a/b"));
        QCOMPARE(Engine::withoutTrailingSlash("/"), fs::path("/"));
        QCOMPARE(Engine::withoutTrailingSlash("a"), fs::path("a"));
    }

    void diskOfTheHomeVolume()
    {
        const Engine::DiskSpace space = Engine::disk();
        QVERIFY(space.total > 0);
        QVERIFY(space.free >= 0);
        QVERIFY(space.free <= space.total);
        qputenv("HOME", (TestHome::root() / "no-such-home").c_str());
        QCOMPARE(Engine::disk().total, 0);
        QCOMPARE(Engine::disk().free, 0);
    }

    // The boot time and the kernel's own uptime counter must tell the same story.
    void bootDateAgreesWithUptime()
    {
        QFile uptimeFile("/proc/uptime");
        if (!uptimeFile.open(QIODevice::ReadOnly))
            QSKIP("no /proc/uptime here");
        const double uptime = uptimeFile.readAll().split(' ').value(0).toDouble();
        const qint64 fromBoot = Engine::bootDate().secsTo(QDateTime::currentDateTimeUtc());
        QVERIFY2(qAbs(fromBoot - qint64(uptime)) <= 60,
                 qPrintable(QString("%1 vs %2").arg(fromBoot).arg(uptime)));
    }
};

AMPA_TEST_MAIN(ProbesTest)
#include "tst_probes.moc"
