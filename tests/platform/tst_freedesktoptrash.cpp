#include "FreedesktopTrash.h"
#include "LinuxDesktop.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path homeTrash()
{
    return TestHome::home() / ".local/share/Trash";
}

// A trashed item as the freedesktop.org layout keeps it.
void seed(const fs::path &trash, const std::string &name)
{
    TreeBuilder::write(trash / "files" / name, "trashed");
    TreeBuilder::write(trash / "info" / (name + ".trashinfo"),
                       "[Trash Info]\nPath=/somewhere/" + QByteArray::fromStdString(name)
                           + "\nDeletionDate=2026-01-01T00:00:00\n");
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

    // Into the home trash in its layout, with Path= percent-encoded. Names that are not UTF-8,
    // links and folders given with a slash all go as they are; a missing item is reported.
    void moveToTrash()
    {
        FreedesktopTrash trash(std::vector<fs::path>{}); // the home trash only
        const fs::path item = work / "report 100%.pdf";
        TreeBuilder::write(item, "pdf");
        QCOMPARE(trash.moveToTrash(item), std::nullopt);
        QVERIFY(!fs::exists(item));
        QCOMPARE(TreeBuilder::read(homeTrash() / "files/report 100%.pdf"), "pdf");
        const QByteArray info = TreeBuilder::read(homeTrash() / "info/report 100%.pdf.trashinfo");
        QVERIFY2(info.startsWith("[Trash Info]\n"), info.constData());
        QVERIFY2(info.contains("Path=" + QByteArray::fromStdString(work.native())
                               + "/report%20100%25.pdf\n"),
                 info.constData());
        QVERIFY(info.contains("DeletionDate="));

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

        const auto error = trash.moveToTrash(work / "gone");
        QVERIFY(error.has_value() && !error->isEmpty());
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

    // A .Trash-$uid on a top that others may write to without the sticky bit could be any
    // folder of ours renamed into place: it is left whole and named in the result, while the
    // other trash folders are still emptied.
    void writableTopIsLeftAlone_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("emptied");
        QTest::newRow("group-writable, setgid (a shared volume)") << 02775 << false;
        QTest::newRow("group-writable") << 0770 << false;
        QTest::newRow("writable by everyone") << 0777 << false;
        QTest::newRow("writable by everyone, sticky") << 01777 << true;
        QTest::newRow("group-writable, sticky") << 03775 << true;
        QTest::newRow("written only by its owner") << 0755 << true;
    }

    void writableTopIsLeftAlone()
    {
        QFETCH(int, mode);
        QFETCH(bool, emptied);
        const fs::path top = work / "volume";
        const fs::path own = top / (".Trash-" + std::to_string(geteuid()));
        seed(own, "video.mp4");
        seed(homeTrash(), "notes.txt");
        QVERIFY(chmod(top.c_str(), static_cast<mode_t>(mode)) == 0);

        FreedesktopTrash trash({{top}});
        const auto error = trash.empty();
        QVERIFY(!fs::exists(homeTrash() / "files/notes.txt"));
        QVERIFY(!fs::exists(homeTrash() / "info/notes.txt.trashinfo"));
        QCOMPARE(fs::exists(own / "files/video.mp4"), !emptied);
        QCOMPARE(fs::exists(own / "info/video.mp4.trashinfo"), !emptied);
        if (emptied) {
            QCOMPARE(error, std::nullopt);
        } else {
            QVERIFY(error.has_value());
            QVERIFY2(error->contains(QString::fromStdString(own.native())), qPrintable(*error));
        }
    }

    // files/ or info/ replaced by a link out of the trash folder: nothing is reached through it,
    // and the result says so.
    void linkedFilesOrInfoLeadNowhere_data()
    {
        QTest::addColumn<QString>("linked");
        QTest::newRow("info") << "info";
        QTest::newRow("files") << "files";
    }

    void linkedFilesOrInfoLeadNowhere()
    {
        QFETCH(QString, linked);
        const fs::path outside = work / "outside";
        TreeBuilder::write(outside / "item", "mine");
        TreeBuilder::write(outside / "item.trashinfo", "mine");
        TreeBuilder::write(outside / "report.trashinfo", "mine");
        seed(homeTrash(), "item");
        fs::remove_all(homeTrash() / linked.toStdString());
        TreeBuilder::symlink(outside, homeTrash() / linked.toStdString());
        const auto before = TreeBuilder::manifest(outside);

        FreedesktopTrash trash(std::vector<fs::path>{}); // the home trash only
        const auto error = trash.empty();
        QCOMPARE(TreeBuilder::manifest(outside), before);
        QVERIFY(error.has_value());
        QVERIFY2(error->contains("Trash/" + linked), qPrintable(*error));
    }

    void selfBundleIsTheAppImageWhenThereIsOne()
    {
        LinuxDesktop desktop;
        qputenv("APPIMAGE", "/home/u/Applications/Ampa.AppImage");
        QCOMPARE(desktop.selfBundle(), fs::path("/home/u/Applications/Ampa.AppImage"));
        qunsetenv("APPIMAGE");
        QCOMPARE(QString::fromStdString(desktop.selfBundle().native()),
                 QCoreApplication::applicationFilePath());
    }
};

AMPA_TEST_MAIN(FreedesktopTrashTest)
#include "tst_freedesktoptrash.moc"
