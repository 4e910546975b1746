// The settings file as the desktop keeps it: in the configuration folder, behind a dotfiles link,
// edited by hand, or replaced by something that is not a file at all.

#include "Helper.h"
#include "Settings.h"
#include "TestHome.h"
#include "Text.h"
#include "TreeBuilder.h"

#include <QSignalSpy>

#include <dirent.h>
#include <set>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

fs::path settingsFile()
{
    return TestHome::home() / ".config/Ampa/Ampa.conf";
}

// Names in /dev that a settings object parked on a device would leave behind (lock and
// temporary files beside it).
std::set<std::string> leftoversInDev()
{
    std::set<std::string> names;
    if (DIR *dev = opendir("/dev")) {
        while (const dirent *entry = readdir(dev)) {
            const std::string name = entry->d_name;
            if ((name.starts_with("null") && name != "null") || name.find("Ampa") != name.npos)
                names.insert(name);
        }
        closedir(dev);
    }
    return names;
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        fs::remove_all(settingsFile().parent_path());
        fs::remove_all(TestHome::root() / "dotfiles");
        Settings::instance().reload();
    }

    // Saved where the desktop keeps it, a change announced once; a file edited by hand is read
    // again on request, and only what changed is announced.
    void savedAndReadAgain()
    {
        QSignalSpy language(&Settings::instance(), &Settings::languageChanged);
        QSignalSpy viewMode(&Settings::instance(), &Settings::viewModeChanged);
        Settings::instance().setLanguage("id");
        Settings::instance().setLanguage("id");
        Settings::instance().setViewMode("halaman");
        QCOMPARE(language.size(), 1);
        QCOMPARE(viewMode.size(), 1);
        QVERIFY(TreeBuilder::read(settingsFile()).contains("[General]\nlanguage=id\n"));
        QCOMPARE(bilingual("ya", "yes"), "ya");

        // Longer than what was saved: within the same millisecond QSettings would otherwise take
        // a file of the same size and time for the one it wrote.
        TreeBuilder::write(settingsFile(), "[General]\nlanguage=en\nviewMode=halaman\nx=1\n");
        Settings::instance().reload();
        QCOMPARE(language.size(), 2);
        QCOMPARE(viewMode.size(), 1);
        QVERIFY(!Settings::instance().indonesian());
    }

    // A settings file kept elsewhere and linked in is a normal dotfiles set-up: read and written
    // through the link, which stays.
    void linkToARegularFileIsUsed()
    {
        const fs::path real = TestHome::root() / "dotfiles/Ampa.conf";
        TreeBuilder::write(real, "[General]\nlanguage=id\n");
        TreeBuilder::symlink(real, settingsFile());
        Settings::instance().reload();
        QCOMPARE(Settings::instance().language(), "id");
        QVERIFY(Settings::instance().set(Settings::Key::viewMode, "halaman"));
        QVERIFY(fs::is_symlink(settingsFile()));
        QVERIFY(TreeBuilder::read(real).contains("viewMode=halaman"));
    }

    // Something that is not a regular file where the settings go (a FIFO would block QSettings
    // forever): defaults are read, a change holds for the run only, nothing is created or
    // removed anywhere, and one warning says why.
    void notARegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("link to a fifo") << "link to a fifo";
        QTest::newRow("folder") << "folder";
    }
    void notARegularFile()
    {
        QFETCH(QString, kind);
        const fs::path fifo = kind == "fifo" ? settingsFile() : TestHome::root() / "dotfiles/fifo";
        if (kind == "folder") {
            TreeBuilder::folder(settingsFile());
        } else {
            TreeBuilder::folder(fifo.parent_path());
            TreeBuilder::folder(settingsFile().parent_path());
            QCOMPARE(mkfifo(fifo.c_str(), 0600), 0);
            if (fifo != settingsFile())
                TreeBuilder::symlink(fifo, settingsFile());
        }
        const auto before = TreeBuilder::manifest(TestHome::root());
        const auto devBefore = leftoversInDev();

        const HelperRun run =
            runSteps({"get:language", "set:language=id", "get:language", "set:viewMode=halaman"});
        QVERIFY2(run.finished, "reading or writing the settings blocked");
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, "(default)\nnot saved\nid\nnot saved\n");
        QCOMPARE(run.err.count("not a regular file"), 1);
        QCOMPARE(TreeBuilder::manifest(TestHome::root()), before);
        QCOMPARE(leftoversInDev(), devBefore);
    }
};

AMPA_TEST_MAIN(SettingsFileTest)
#include "tst_settingsfile.moc"
