#include "Child.h"
#include "DesktopEntry.h"
#include "RunningApps.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

void writeEntry(const fs::path &file, const QByteArray &body)
{
    TreeBuilder::write(file, "# written by a test\n[Desktop Entry]\nType=Application\n" + body);
}

// A program of our own to run: a copy of sleep, so its executable is exactly this path.
void installSleeper(const fs::path &path)
{
    TreeBuilder::folder(path.parent_path());
    fs::copy_file("/bin/sleep", path, fs::copy_options::overwrite_existing);
    chmod(path.c_str(), 0755);
}

fs::path applications()
{
    return TestHome::home() / ".local/share/applications";
}

QByteArray pathText(const fs::path &path)
{
    return QByteArray::fromStdString(path.native());
}

} // namespace

class RunningAppsTest : public QObject {
    Q_OBJECT

    fs::path apps = TestHome::root() / "apps";
    fs::path bin = TestHome::root() / "bin";

private slots:
    void initTestCase()
    {
        // A private PATH folder: what lies in it is shared, like /usr/bin.
        TreeBuilder::folder(bin);
        qputenv("PATH", pathText(bin) + ":" + qgetenv("PATH"));
    }

    void init()
    {
        fs::remove_all(applications());
        fs::remove_all(TestHome::root() / "share/applications");
    }

    // Only a process started from an entry's program counts: not one without an entry, nor a
    // neighbour in a shared folder of the entry's program (a PATH folder, like /usr/bin).
    void programStartedFromItsEntry()
    {
        const fs::path program = apps / "sleeper/ampa-sleeper";
        installSleeper(program);
        writeEntry(applications() / "ampa-sleeper.desktop",
                   "Name=Ampa Sleeper\nName[id]=Ampa Tidur\nExec=" + pathText(program) + " %U\n");
        installSleeper(apps / "lonely/lonely-sleeper");
        writeEntry(applications() / "other.desktop",
                   "Name=Not Running\nExec=" + pathText(apps / "elsewhere/other") + "\n");
        writeEntry(bin / "tool-a", "#!/bin/sh\n");
        chmod((bin / "tool-a").c_str(), 0755);
        installSleeper(bin / "tool-b");
        writeEntry(applications() / "tool-a.desktop", "Name=Tool A\nExec=tool-a\n");

        const Child lonely(
            {QString::fromStdString((apps / "lonely/lonely-sleeper").native()), "60"});
        const Child neighbour({QString::fromStdString((bin / "tool-b").native()), "60"});
        QVERIFY(lonely.started() && neighbour.started());
        QCOMPARE(Engine::runningAppNames(), QSet<QString>());
        const Child sleeper({QString::fromStdString((program).native()), "60"});
        QVERIFY(sleeper.started());
        QCOMPARE(Engine::runningAppNames(), QSet<QString>{"Ampa Sleeper"});
    }

    // A browser: the entry names a launcher link on PATH, which resolves to a script in the
    // application's own folder; what really runs is another binary in that folder.
    void launcherLinkAndApplicationFolder()
    {
        const fs::path folder = apps / "opt/browser";
        writeEntry(folder / "browser-launcher", "#!/bin/sh\n");
        chmod((folder / "browser-launcher").c_str(), 0755);
        installSleeper(folder / "browser-main");
        TreeBuilder::symlink(folder / "browser-launcher", bin / "ampa-browser");
        writeEntry(applications() / "ampa-browser.desktop",
                   "Name=Ampa Browser\nExec=ampa-browser %U\n");

        const Child browser({QString::fromStdString((folder / "browser-main").native()), "60"});
        QVERIFY(browser.started());
        QCOMPARE(Engine::runningAppNames(), QSet<QString>{"Ampa Browser"});
    }

    // The user's own entry hides the system's of the same ID, and a Hidden one counts as deleted.
    void entryPrecedenceAndHiddenEntries()
    {
        const fs::path program = apps / "editor/ampa-editor";
        installSleeper(program);
        const QByteArray exec = "Exec=" + pathText(program) + "\n";
        writeEntry(TestHome::root() / "share/applications/ampa-editor.desktop",
                   "Name=System Editor\n" + exec);
        writeEntry(applications() / "ampa-editor.desktop", "Name=My Editor\n" + exec);
        writeEntry(applications() / "gone.desktop", "Name=Gone Editor\nHidden=true\n" + exec);
        writeEntry(applications() / "kde/editor.desktop", "Name=Nested Editor\n" + exec);

        const Child editor({QString::fromStdString((program).native()), "60"});
        QVERIFY(editor.started());
        QCOMPARE(Engine::runningAppNames(), (QSet<QString>{"My Editor", "Nested Editor"}));
    }

    void execWords_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << "/opt/app/run %U" << QStringList{"/opt/app/run", "%U"};
        QTest::newRow("quoted space")
            << "\"/opt/My App/run\" --flag" << QStringList{"/opt/My App/run", "--flag"};
        QTest::newRow("escaped quote") << "\"/opt/a\\\"b/run\"" << QStringList{"/opt/a\"b/run"};
        QTest::newRow("extra spaces") << "  run   a  " << QStringList{"run", "a"};
        QTest::newRow("empty quotes") << "run \"\"" << QStringList{"run", ""};
        QTest::newRow("escapes in quotes")
            << "\"/opt/a\\$b\\\\c\\`d\"" << QStringList{"/opt/a$b\\c`d"};
        QTest::newRow("unclosed quote") << "\"/opt/My App/run --flag" << QStringList();
    }
    void execWords()
    {
        QFETCH(QString, exec);
        QFETCH(QStringList, words);
        QCOMPARE(Engine::execWords(exec), words);
    }

    void programsOfAnEntry()
    {
        installSleeper(bin / "ampa-tool");
        Engine::DesktopEntry entry{"x.desktop", "X", "env LANG=C GDK_BACKEND=x11 ampa-tool --a", "",
                                   ""};
        QCOMPARE(Engine::entryPrograms(entry), std::vector<fs::path>{bin / "ampa-tool"});
        entry.tryExec = "/opt/other/tool";
        QCOMPARE(Engine::entryPrograms(entry),
                 (std::vector<fs::path>{bin / "ampa-tool", "/opt/other/tool"}));
        entry = {"y.desktop", "Y", "not-installed-anywhere", "", ""};
        QVERIFY(Engine::entryPrograms(entry).empty());
    }
};

AMPA_TEST_MAIN(RunningAppsTest)
#include "tst_runningapps.moc"
