#include "CacheTarget.h"
#include "CodexReleases.h"
#include "TargetCleaning.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>

namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;

namespace {

fs::path standalone()
{
    return TestHome::home() / ".codex/packages/standalone";
}

fs::path daemon()
{
    return TestHome::home() / ".codex/packages/app-server-daemon";
}

void install(const fs::path &root, const QStringList &versions)
{
    for (const QString &version : versions)
        TreeBuilder::file(root / "releases" / version.toStdString() / "bin/codex", 5000);
}

} // namespace

class CodexReleasesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fs::remove_all(TestHome::home() / ".codex"); }

    void keepsActiveAndTwoNewest()
    {
        install(standalone(), {"1.2.0", "1.10.0", "1.9.3", "1.3.1"});
        TreeBuilder::symlink(standalone() / "releases/1.2.0", standalone() / "current");
        QCOMPARE(Engine::codexOldReleases(), Paths{standalone() / "releases/1.3.1"});
    }

    // A process whose command line names the release folder followed by "/" is using it.
    void releaseInUseByARunningProcess()
    {
        install(standalone(), {"1.2.0", "1.10.0", "1.9.3", "1.3.1"});
        TreeBuilder::symlink(standalone() / "releases/1.2.0", standalone() / "current");
        const QString inUse = QString::fromUtf8((standalone() / "releases/1.3.1/").native());
        QProcess user;
        // The shell stays alive (no exec) so its argument list keeps the path.
        user.start("/bin/sh", {"-c", "sleep 30; :", "codex-user", inUse + "bin/codex"});
        QVERIFY(user.waitForStarted());
        const Paths result = Engine::codexOldReleases();
        user.kill();
        user.waitForFinished();
        QCOMPARE(result, Paths{});
    }

    // The same path without the slash is another folder's prefix, not a use.
    void pathWithoutSlashIsNoUse()
    {
        install(standalone(), {"1.0", "2.0", "3.0"});
        QProcess user;
        user.start("/bin/sh",
                   {"-c", "sleep 30; :", "x",
                    QString::fromUtf8((standalone() / "releases/1.0").native()) + "-other"});
        QVERIFY(user.waitForStarted());
        const Paths result = Engine::codexOldReleases();
        user.kill();
        user.waitForFinished();
        QCOMPARE(result, Paths{standalone() / "releases/1.0"});
    }

    void hiddenNamesAreIgnored()
    {
        install(standalone(), {"0.5.0"});
        TreeBuilder::file(standalone() / "releases/.DS_Store", 10);
        TreeBuilder::file(standalone() / "releases/.partial-0.1/x", 10);
        QCOMPARE(Engine::codexOldReleases(), Paths{});
    }

    void noCurrentLinkKeepsTheTwoNewest()
    {
        install(standalone(), {"2.0.0", "1.0.0", "3.0.0"});
        QCOMPARE(Engine::codexOldReleases(), Paths{standalone() / "releases/1.0.0"});
        // A dangling or odd "current" protects nothing more.
        TreeBuilder::symlink("releases/9.9.9/", standalone() / "current");
        QCOMPARE(Engine::codexOldReleases(), Paths{standalone() / "releases/1.0.0"});
    }

    void numericOrderAndOddNames()
    {
        install(standalone(), {"0.10.0", "0.9.1", "0.2.0", "0.0.1 beta build", "0.9.10"});
        TreeBuilder::symlink(standalone() / "releases/0.2.0/", standalone() / "current");
        QCOMPARE(Engine::codexOldReleases(), (Paths{standalone() / "releases/0.0.1 beta build",
                                                    standalone() / "releases/0.9.1"}));
    }

    void bothRootsInOrder()
    {
        install(daemon(), {"1", "2", "3", "4"});
        install(standalone(), {"5", "6", "7"});
        QCOMPARE(
            Engine::codexOldReleases(),
            (Paths{standalone() / "releases/5", daemon() / "releases/1", daemon() / "releases/2"}));
        // The catalogue's codex target resolves to exactly these folders.
        const CacheTarget codex = quickTargets().first();
        QCOMPARE(Engine::urls(codex), Engine::codexOldReleases());
    }

    void processListIsReadOnceEvenWithNoRoot()
    {
        const fs::path counter = TestHome::root() / "ps-calls";
        const fs::path ps = TestHome::root() / "fake-ps";
        QFile script(QString::fromUtf8(ps.native()));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho call >> '" + QByteArray::fromStdString(counter.native())
                     + "'\nexec /bin/ps \"$@\"\n");
        script.close();
        chmod(ps.c_str(), 0755);

        QCOMPARE(Engine::codexOldReleases(QString::fromUtf8(ps.native())), Paths{});
        QFile calls(QString::fromUtf8(counter.native()));
        QVERIFY(calls.open(QIODevice::ReadOnly));
        QCOMPARE(calls.readAll(), "call\n");
    }

    // Unknown use is no proof of disuse: when the process list fails, nothing goes.
    void failingProcessListRemovesNothing()
    {
        install(standalone(), {"1.0", "2.0", "3.0", "4.0"});
        const fs::path ps = TestHome::root() / "failing-ps";
        QFile script(QString::fromUtf8(ps.native()));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho 'ps: cannot read /proc' >&2\nexit 1\n");
        script.close();
        chmod(ps.c_str(), 0755);
        QCOMPARE(Engine::codexOldReleases(QString::fromUtf8(ps.native())), Paths{});
        QCOMPARE(Engine::codexOldReleases("/nonexistent/ps"), Paths{});
        QCOMPARE(Engine::codexOldReleases().size(), 2u);
    }

    // Only folders are releases: a stray file or link is neither kept as "newest" nor removed.
    void strayFilesAreNotReleases()
    {
        install(standalone(), {"0.10.0", "0.11.0", "0.9.0"});
        TreeBuilder::file(standalone() / "releases/notes.txt", 10);
        TreeBuilder::symlink("0.11.0", standalone() / "releases/zz-latest");
        QCOMPARE(Engine::codexOldReleases(), Paths{standalone() / "releases/0.9.0"});
    }

    void numericCompare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("digits by value") << "0.9.1"
                                         << "0.10.0" << -1;
        QTest::newRow("longer number") << "1.10.0"
                                       << "1.9.3" << 1;
        QTest::newRow("equal") << "1.2.0"
                               << "1.2.0" << 0;
        QTest::newRow("leading zeros") << "1.02"
                                       << "1.2" << 0;
        QTest::newRow("prefix") << "1.2"
                                << "1.2.1" << -1;
        QTest::newRow("case sensitive") << "B"
                                        << "a" << -1;
        QTest::newRow("letters after digits") << "1a"
                                              << "1b" << -1;
        QTest::newRow("huge numbers") << "99999999999999999999"
                                      << "100000000000000000000" << -1;
    }
    void numericCompare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        const int result = Engine::numericCompare(a, b);
        QCOMPARE((result > 0) - (result < 0), sign);
        const int reverse = Engine::numericCompare(b, a);
        QCOMPARE((reverse > 0) - (reverse < 0), -sign);
    }
};

AMPA_TEST_MAIN(CodexReleasesTest)
#include "tst_codexreleases.moc"
