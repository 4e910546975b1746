#include "CacheTarget.h"
#include "Child.h"
#include "CodexReleases.h"
#include "TargetCleaning.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

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

QString text(const fs::path &path)
{
    return QString::fromUtf8(path.native());
}

// A real program inside the release, as a tool's installer leaves it: a copy of the shell.
fs::path installProgram(const fs::path &release)
{
    const fs::path program = release / "bin/codex";
    std::error_code error;
    fs::copy_file(fs::canonical("/bin/sh"), program, fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::permissions(program, fs::perms::owner_all, fs::perm_options::add, error);
    if (error)
        qFatal("cannot install %s: %s", program.c_str(), error.message().c_str());
    return program;
}

// Takes a capability out of this thread's effective set (the engine runs on it) and puts it back.
class WithoutCapability {
public:
    explicit WithoutCapability(int capability)
    {
        if (syscall(SYS_capget, &header, saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved[0], saved[1]};
        reduced[capability / 32].effective &= ~(1u << (capability % 32));
        dropped = syscall(SYS_capset, &header, reduced) == 0;
    }
    ~WithoutCapability()
    {
        if (dropped)
            syscall(SYS_capset, &header, saved);
    }
    WithoutCapability(const WithoutCapability &) = delete;
    WithoutCapability &operator=(const WithoutCapability &) = delete;

    bool dropped = false;

private:
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2]{};
};

} // namespace

class CodexReleasesTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        for (const fs::path &left : {TestHome::home() / ".codex", TestHome::home() / "bin",
                                     TestHome::root() / "elsewhere"})
            fs::remove_all(left);
    }

    // Which releases go, by name and by what "current" names; only real, non-hidden folders are
    // releases. Extras: files in the releases folder, or links written "name->target".
    void whichReleasesGo_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("extras");
        QTest::addColumn<QStringList>("old");
        const QString releases = text(standalone() / "releases") + "/";
        QTest::newRow("the active and the two newest stay")
            << QStringList{"1.2.0", "1.10.0", "1.9.3", "1.3.1"} << releases + "1.2.0"
            << QStringList() << QStringList{"1.3.1"};
        QTest::newRow("no current link") << QStringList{"2.0.0", "1.0.0", "3.0.0"} << QString()
                                         << QStringList() << QStringList{"1.0.0"};
        QTest::newRow("dangling current link")
            << QStringList{"2.0.0", "1.0.0", "3.0.0"} << "releases/9.9.9/" << QStringList()
            << QStringList{"1.0.0"};
        QTest::newRow("numeric order and odd names")
            << QStringList{"0.10.0", "0.9.1", "0.2.0", "0.0.1 beta build", "0.9.10"}
            << releases + "0.2.0/" << QStringList() << QStringList{"0.0.1 beta build", "0.9.1"};
        QTest::newRow("hidden names")
            << QStringList{"0.5.0"} << QString() << QStringList{".DS_Store", ".partial-0.1/x"}
            << QStringList();
        QTest::newRow("stray files and links")
            << QStringList{"0.10.0", "0.11.0", "0.9.0"} << QString()
            << QStringList{"notes.txt", "zz-latest->0.11.0"} << QStringList{"0.9.0"};
    }

    void whichReleasesGo()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, current);
        QFETCH(QStringList, extras);
        QFETCH(QStringList, old);
        install(standalone(), installed);
        if (!current.isEmpty())
            TreeBuilder::symlink(current.toStdString(), standalone() / "current");
        for (const QString &extra : extras) {
            const QStringList link = extra.split("->");
            const fs::path at = standalone() / "releases" / link.first().toStdString();
            if (link.size() == 2)
                TreeBuilder::symlink(link.last().toStdString(), at);
            else
                TreeBuilder::file(at, 10);
        }
        Paths expected;
        for (const QString &name : old)
            expected.push_back(standalone() / "releases" / name.toStdString());
        QCOMPARE(Engine::codexOldReleases(), expected);
    }

    // A running process uses release 1.0 (or seems to): by an argument, its working folder or its
    // executable, reached through a launcher link, which its command line does not show.
    void releaseInUse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("launcher");
        QTest::addColumn<bool>("used");
        const QString release = text(standalone() / "releases/1.0");
        QTest::newRow("a path inside it")
            << QStringList{release + "/bin/codex"} << QString() << false << true;
        QTest::newRow("it as a whole argument (--cd)")
            << QStringList{"--cd", release} << QString() << false << true;
        // The same path without the slash is another folder's prefix, not a use.
        QTest::newRow("a longer name it is a prefix of")
            << QStringList{release + "-other"} << QString() << false << false;
        QTest::newRow("working folder inside it")
            << QStringList() << "releases/1.0/bin" << false << true;
        QTest::newRow("working folder is it") << QStringList() << "releases/1.0" << false << true;
        QTest::newRow("started through a launcher link")
            << QStringList() << QString() << true << true;
    }

    void releaseInUse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, folder);
        QFETCH(bool, launcher);
        QFETCH(bool, used);
        install(standalone(), {"1.0", "2.0", "3.0"});
        const fs::path release = standalone() / "releases/1.0";
        QString program = "/bin/sh";
        if (launcher) {
            program = text(TestHome::home() / "bin/codex");
            TreeBuilder::symlink(installProgram(release), program.toStdString());
        }
        Child user(QStringList{program, "-c", Child::readyScript, "x"} + arguments,
                   folder.isEmpty() ? TestHome::root() : standalone() / folder.toStdString());
        QVERIFY(user.ready());
        if (launcher)
            QCOMPARE(fs::read_symlink(user.proc("exe")), release / "bin/codex");
        QCOMPARE(Engine::codexOldReleases(), used ? Paths{} : Paths{release});
    }

    // The root is a link to where the tool really lives: the kernel names the executable by its
    // real path, a command line may use either.
    void rootReachedThroughALink()
    {
        const fs::path real = TestHome::root() / "elsewhere/standalone";
        TreeBuilder::folder(real);
        TreeBuilder::symlink(real, standalone());
        install(standalone(), {"1", "2", "3", "4", "5", "6"});
        const fs::path launcher = TestHome::home() / "bin/codex";
        TreeBuilder::symlink(installProgram(standalone() / "releases/1"), launcher);
        Child byExecutable({text(launcher), "-c", Child::readyScript});
        QVERIFY(byExecutable.ready());
        Child byRealPath(
            {"/bin/sh", "-c", Child::readyScript, "x", text(real / "releases/2/bin/codex")});
        QVERIFY(byRealPath.ready());
        Child byLinkedPath(
            {"/bin/sh", "-c", Child::readyScript, "x", text(standalone() / "releases/3")});
        QVERIFY(byLinkedPath.ready());
        QCOMPARE(Engine::codexOldReleases(), Paths{standalone() / "releases/4"});
    }

    // Another user's executable and working folder are hidden from an ordinary user; its command
    // line still shows the release it runs.
    void releaseInUseByAnotherUser()
    {
        if (geteuid() != 0)
            QSKIP("starting a process as another user needs root");
        install(standalone(), {"1.0", "2.0", "3.0"});
        Child other({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                     "/bin/sh", "-c", Child::readyScript, "codex-user",
                     text(standalone() / "releases/1.0/bin/codex")});
        QVERIFY(other.ready());
        // Without this capability root sees other users' processes as an ordinary user does.
        const WithoutCapability ordinary(CAP_SYS_PTRACE);
        QVERIFY(ordinary.dropped);
        std::error_code hidden;
        QVERIFY(fs::read_symlink(other.proc("exe"), hidden).empty());
        QCOMPARE(hidden, std::make_error_code(std::errc::permission_denied));
        QCOMPARE(Engine::codexOldReleases(), Paths{});
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

    // Unknown use is no proof of disuse: when no process can be listed, nothing goes.
    void noProcessListRemovesNothing()
    {
        install(standalone(), {"1.0", "2.0", "3.0", "4.0"});
        // The neutral result says why under ampa.engine, for a user's report.
        static QStringList engineWarnings;
        engineWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                if (type == QtWarningMsg && QByteArray(context.category) == "ampa.engine")
                    engineWarnings << message;
            });
        QCOMPARE(Engine::codexOldReleases(TestHome::root() / "no-proc"), Paths{});
        qInstallMessageHandler(previous);
        QCOMPARE(engineWarnings.size(), 1);
        QVERIFY(engineWarnings.first().contains("no-proc"));
        TreeBuilder::file(TestHome::root() / "proc-file", 10);
        QCOMPARE(Engine::codexOldReleases(TestHome::root() / "proc-file"), Paths{});
        QCOMPARE(Engine::codexOldReleases().size(), 2u);
    }

    void numericCompare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        const auto row = [](const char *name, const char *a, const char *b, int sign) {
            QTest::newRow(name) << QString(a) << QString(b) << sign;
        };
        row("digits by value", "0.9.1", "0.10.0", -1);
        row("longer number", "1.10.0", "1.9.3", 1);
        row("equal", "1.2.0", "1.2.0", 0);
        row("leading zeros", "1.02", "1.2", 0);
        row("prefix", "1.2", "1.2.1", -1);
        row("case sensitive", "B", "a", -1);
        row("letters after digits", "1a", "1b", -1);
        row("huge numbers", "99999999999999999999", "100000000000000000000", -1);
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
