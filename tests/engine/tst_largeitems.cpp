#include "LargeItems.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

namespace {

std::vector<fs::path> urls(const std::vector<FileItem> &items)
{
    std::vector<fs::path> out;
    for (const FileItem &item : items)
        out.push_back(item.url());
    return out;
}

// The order in which the file system lists a folder: it alone decides among equal sizes.
std::vector<fs::path> listingOrder(const fs::path &folder)
{
    std::vector<fs::path> out;
    DIR *dir = opendir(folder.c_str());
    while (const dirent *entry = dir ? readdir(dir) : nullptr) {
        if (entry->d_name[0] != '.')
            out.push_back(folder / entry->d_name);
    }
    if (dir)
        closedir(dir);
    return out;
}

fs::path downloads()
{
    return TestHome::home() / "Downloads";
}

} // namespace

class LargeItemsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        fs::remove_all(downloads());
        fs::remove_all(TestHome::home() / ".config/user-dirs.dirs");
    }

    void emptyOrMissingDownloads()
    {
        QVERIFY(Engine::downloadsTop(12).empty());
        folder(downloads());
        QVERIFY(Engine::downloadsTop(12).empty());
    }

    // Every scan gives fresh ids for the same items; the dates are the files' own, to the
    // millisecond.
    void largestFirstFoldersWholeHiddenNever()
    {
        file(downloads() / "small.zip", 10000);
        file(downloads() / "big.iso", 300000);
        file(downloads() / "project/src/a.c", 100000);
        file(downloads() / "project/src/b.c", 100000);
        file(downloads() / "project/.git/pack", 100000);
        file(downloads() / ".hidden-huge", 900000);
        folder(downloads() / ".directory");
        const timespec times[2] = {{1700000000, 0}, {1700000000, 500000000}};
        QVERIFY(utimensat(AT_FDCWD, (downloads() / "small.zip").c_str(), times, 0) == 0);

        const std::vector<FileItem> items = Engine::downloadsTop(12);
        QCOMPARE(urls(items),
                 (std::vector<fs::path>{downloads() / "project", downloads() / "big.iso",
                                        downloads() / "small.zip"}));
        // A folder counts its own blocks and its folders' too, as removing it gives them back.
        const fs::path project = downloads() / "project";
        QCOMPARE(items[0].size(), allocated(project) + allocated(project / "src")
                                      + allocated(project / ".git") + allocated(project / "src/a.c")
                                      + allocated(project / "src/b.c")
                                      + allocated(project / ".git/pack"));
        QCOMPARE(items[1].size(), allocated(downloads() / "big.iso"));
        QCOMPARE(items[2].modified(), QDateTime::fromMSecsSinceEpoch(1700000000500, Qt::UTC));

        const std::vector<FileItem> again = Engine::downloadsTop(2);
        QCOMPARE(urls(again),
                 (std::vector<fs::path>{downloads() / "project", downloads() / "big.iso"}));
        QSet<QUuid> ids;
        for (const auto &list : {items, again}) {
            for (const FileItem &item : list)
                ids.insert(item.id());
        }
        QCOMPARE(ids.size(), 5);
        QVERIFY(Engine::downloadsTop(0).empty());
        QVERIFY(Engine::downloadsTop(-1).empty());
    }

    void equalSizesKeepListingOrder()
    {
        for (const char *name : {"c.bin", "a.bin", "e.bin", "b.bin", "d.bin"})
            file(downloads() / name, 8192);
        file(downloads() / "largest.bin", 65536);
        std::vector<fs::path> expected{downloads() / "largest.bin"};
        for (const fs::path &path : listingOrder(downloads())) {
            if (path.filename() != "largest.bin")
                expected.push_back(path);
        }
        QCOMPARE(urls(Engine::downloadsTop(12)), expected);
    }

    void downloadsFolderFromUserDirs()
    {
        const fs::path unduhan = TestHome::home() / "Unduhan";
        file(unduhan / "berkas.zip", 4096);
        const fs::path dirs = TestHome::home() / ".config/user-dirs.dirs";
        write(dirs, "XDG_DOWNLOAD_DIR=\"$HOME/Unduhan\"\n");
        QCOMPARE(Engine::downloadsDir(), unduhan);
        QCOMPARE(urls(Engine::downloadsTop(12)), std::vector<fs::path>{unduhan / "berkas.zip"});

        // A disabled Downloads folder points at home: the home folder is never listed.
        write(dirs, "XDG_DOWNLOAD_DIR=\"$HOME/\"\n");
        QCOMPARE(Engine::downloadsDir(), downloads());
        fs::remove_all(unduhan);
    }

    void applicationsByExactExtension()
    {
        const fs::path system = TestHome::root() / "Applications";
        const fs::path user = TestHome::home() / "Applications";
        file(system / "Editor.AppImage", 300000);
        file(system / "Small.AppImage", 10000);
        file(system / "Shouting.APPIMAGE", 900000);
        file(system / "Utilities/Inner.AppImage", 900000);
        file(system / ".Hidden.AppImage", 900000);
        file(user / "Editor.AppImage", 200000);
        const Engine::AppFolders folders{{system, user, TestHome::root() / "missing"}, "AppImage"};

        const std::vector<FileItem> apps = Engine::appsTop(12, folders);
        QCOMPARE(urls(apps),
                 (std::vector<fs::path>{system / "Editor.AppImage", user / "Editor.AppImage",
                                        system / "Small.AppImage"}));
        QVERIFY(apps[0].id() != apps[1].id());
        QCOMPARE(Engine::appName(apps[1].url()), "Editor");
        QCOMPARE(Engine::appsTop(1, folders).size(), 1u);
    }

    // The macOS rule: bundles are folders named ".app", measured whole.
    void macBundles()
    {
        const fs::path system = TestHome::root() / "MacApplications";
        file(system / "Safari.app/Contents/MacOS/Safari", 50000);
        file(system / "Safari.app/Contents/Resources/big.car", 150000);
        file(system / "Loud.APP/Contents/x", 500000);
        file(system / "Utilities/Terminal.app/Contents/x", 500000);
        Engine::AppFolders folders = Engine::macAppFolders();
        folders.roots = {system};
        const std::vector<FileItem> apps = Engine::appsTop(12, folders);
        QCOMPARE(urls(apps), std::vector<fs::path>{system / "Safari.app"});
        const fs::path safari = system / "Safari.app";
        QCOMPARE(apps[0].size(), allocated(safari) + allocated(safari / "Contents")
                                     + allocated(safari / "Contents/MacOS")
                                     + allocated(safari / "Contents/Resources")
                                     + allocated(safari / "Contents/MacOS/Safari")
                                     + allocated(safari / "Contents/Resources/big.car"));
    }
};

AMPA_TEST_MAIN(LargeItemsTest)
#include "tst_largeitems.moc"
