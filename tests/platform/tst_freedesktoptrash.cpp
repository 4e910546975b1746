#include "FreedesktopTrash.h"
#include "LinuxDesktop.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

QByteArray read(const fs::path &path)
{
    QFile file(QString::fromStdString(path.native()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

fs::path homeTrash()
{
    return TestHome::home() / ".local/share/Trash";
}

} // namespace

class FreedesktopTrashTest : public QObject {
    Q_OBJECT

    fs::path work = TestHome::home() / "work";

private slots:
    void cleanup()
    {
        fs::remove_all(homeTrash());
        fs::remove_all(work);
    }

    void moveWritesTheTrashLayout()
    {
        const fs::path item = work / "report 100%.pdf";
        TreeBuilder::write(item, "pdf");
        FreedesktopTrash trash(std::vector<fs::path>{}); // the home trash only
        QCOMPARE(trash.moveToTrash(item), std::nullopt);
        QVERIFY(!fs::exists(item));
        QCOMPARE(read(homeTrash() / "files/report 100%.pdf"), "pdf");
        const QByteArray info = read(homeTrash() / "info/report 100%.pdf.trashinfo");
        QVERIFY2(info.startsWith("[Trash Info]\n"), info.constData());
        // Path= is percent-encoded.
        QVERIFY2(info.contains("Path=" + QByteArray::fromStdString(work.native())
                               + "/report%20100%25.pdf\n"),
                 info.constData());
        QVERIFY(info.contains("DeletionDate="));
    }

    // Names that are not UTF-8, links and folders given with a slash all go as they are.
    void awkwardItems()
    {
        FreedesktopTrash trash(std::vector<fs::path>{}); // the home trash only
        const fs::path odd = work / "caf\xe9.txt";
        TreeBuilder::write(odd, "data");
        QCOMPARE(trash.moveToTrash(odd), std::nullopt);
        QVERIFY(fs::exists(homeTrash() / "files/caf\xe9.txt"));

        TreeBuilder::write(work / "target/keep.txt", "data");
        fs::create_symlink(work / "target", work / "link");
        fs::create_symlink(work / "nowhere", work / "dangling");
        QCOMPARE(trash.moveToTrash(work / "dangling"), std::nullopt);
        QCOMPARE(trash.moveToTrash(fs::path((work / "link").native() + "/")), std::nullopt);
        QVERIFY(fs::is_symlink(homeTrash() / "files/link"));
        QVERIFY(fs::exists(work / "target/keep.txt")); // the link went, not what it names

        TreeBuilder::write(work / "folder/inner.txt", "data");
        QCOMPARE(trash.moveToTrash(fs::path((work / "folder").native() + "/")), std::nullopt);
        QVERIFY(fs::exists(homeTrash() / "files/folder/inner.txt"));
    }

    void missingItemReportsAndDeletesNothing()
    {
        FreedesktopTrash trash(std::vector<fs::path>{}); // the home trash only
        const auto error = trash.moveToTrash(work / "gone");
        QVERIFY(error.has_value());
        QVERIFY(!error->isEmpty());
    }

    void trashFoldersTheUserOwns()
    {
        const fs::path volume = TestHome::root() / "volume";
        const std::string uid = std::to_string(geteuid());
        fs::create_directories(homeTrash() / "files");
        fs::create_directories(volume / (".Trash-" + uid) / "files");
        fs::create_directories(volume / ".Trash" / uid / "files");
        // A shared .Trash counts only with its sticky bit.
        chmod((volume / ".Trash").c_str(), 01777);

        const fs::path linked = TestHome::root() / "linked-volume";
        fs::create_directories(TestHome::root() / "elsewhere/files");
        fs::create_directories(linked);
        fs::create_directory_symlink(TestHome::root() / "elsewhere", linked / (".Trash-" + uid));

        const fs::path unsticky = TestHome::root() / "unsticky";
        fs::create_directories(unsticky / ".Trash" / uid);
        chmod((unsticky / ".Trash").c_str(), 0777);

        FreedesktopTrash trash({{volume, linked, unsticky, TestHome::root() / "no-volume"}});
        QCOMPARE(trash.trashFolders(), (std::vector<fs::path>{homeTrash(), volume / ".Trash" / uid,
                                                              volume / (".Trash-" + uid)}));
    }

    void foreignOwnedTrashIsRefused()
    {
        if (geteuid() != 0)
            QSKIP("making a folder of another user needs root");
        const fs::path volume = TestHome::root() / "foreign";
        const fs::path planted = volume / (".Trash-" + std::to_string(geteuid()));
        fs::create_directories(planted / "files");
        TreeBuilder::write(planted / "files/their-file", "data");
        QVERIFY(chown(planted.c_str(), 65534, 65534) == 0);
        FreedesktopTrash trash({{volume}});
        QVERIFY(trash.trashFolders().empty() || trash.trashFolders() == std::vector{homeTrash()});
        QCOMPARE(trash.empty(), std::nullopt);
        QVERIFY(fs::exists(planted / "files/their-file"));
    }

    void selfBundleIsTheAppImageWhenThereIsOne()
    {
        LinuxDesktop desktop;
        qputenv("APPIMAGE", "/home/u/Applications/Ampa.AppImage");
        QCOMPARE(desktop.selfBundle(), fs::path("/home/u/Applications/Ampa.AppImage"));
        qunsetenv("APPIMAGE");
        QCOMPARE(QString::fromStdString(desktop.selfBundle().native()),
                 QCoreApplication::applicationFilePath());
        QCOMPARE(desktop.adminRunner(), "/usr/bin/pkexec");
    }
};

AMPA_TEST_MAIN(FreedesktopTrashTest)
#include "tst_freedesktoptrash.moc"
