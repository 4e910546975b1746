#include "FakeServices.h"
#include "ModelTesting.h"
#include "Settings.h"
#include "SpaceMarks.h"
#include "StoredSettings.h"
#include "TestHome.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>

namespace fs = std::filesystem;
using Engine::SpaceTree;

namespace {

SpaceTree::Scanned scanned(std::string_view name, qint64 size, qint64 apparent, qint64 mtime,
                           bool folder = false)
{
    SpaceTree::Scanned entry;
    entry.name = name;
    entry.size = size;
    entry.apparent = apparent;
    entry.mtime = mtime;
    entry.folder = folder;
    return entry;
}

} // namespace

// A scan saved elsewhere in the window's model: shown as a walk is, and read only. Its paths
// name real files here, so that an action it let through would touch them.
class SpaceScanTest : public QObject {
    Q_OBJECT

    FakeServices fakes;
    std::unique_ptr<Model> model;
    std::string rootName;

    SpaceModel &space() { return *model->space(); }

    int idOf(const QString &name)
    {
        for (int row = 0; row < space().rowCount(); ++row) {
            const QModelIndex index = space().index(row);
            if (space().data(index, SpaceModel::NameRole).toString() == name)
                return space().data(index, SpaceModel::IdRole).toInt();
        }
        return -1;
    }
    double role(const QString &name, int role)
    {
        return space().data(space().index(space().rowOf(idOf(name))), role).toDouble();
    }

    void walk()
    {
        QSignalSpy settled(&space(), &SpaceModel::settled);
        space().start();
        QVERIFY(settled.wait(30000));
    }

    // The home as a scan saw it: Videos with two files, and a note.
    std::unique_ptr<SpaceTree> scanOfHome()
    {
        rootName = TestHome::home().native();
        auto tree = SpaceTree::fromScan(scanned(rootName, 4096, 4096, 1'700'000'000, true));
        const auto videos = tree->addScanned(SpaceTree::rootIndex,
                                             scanned("Videos", 4096, 4096, 1'700'000'100, true));
        tree->addScanned(videos, scanned("film.mkv", 901120, 900000, 1'700'000'200));
        tree->addScanned(videos, scanned("clip.mp4", 102400, 100000, 1'700'000'050));
        tree->addScanned(SpaceTree::rootIndex, scanned("notes.txt", 4096, 12, 1'600'000'000));
        tree->endScan();
        return tree;
    }

private slots:
    void init()
    {
        fs::remove_all(TestHome::home());
        fs::create_directories(TestHome::home());
        storeSettings({{"language", "en"}});
        makeFile(TestHome::home() / "Videos/film.mkv", 900000);
        makeFile(TestHome::home() / "Videos/clip.mp4", 100000);
        makeFile(TestHome::home() / ".cache/pip/wheel.bin", 300000);
        fakes = FakeServices();
        model = std::make_unique<Model>(fakes.services());
    }

    // The scan's root, time and file are said; its folders list with their sizes, counts and
    // ages, in either view.
    void showsTheScanAsAWalk()
    {
        walk();
        QSignalSpy scanChanged(&space(), &SpaceModel::scanChanged);
        space().showScan(scanOfHome(), "/srv/exports/home.json", 1'700'000'300);
        QVERIFY(space().savedScan());
        QCOMPARE(scanChanged.count(), 1);
        QCOMPARE(space().scanFile(), "/srv/exports/home.json");
        QCOMPARE(space().scanTime(), 1'700'000'300);
        QCOMPARE(space().crumbs().value(0).toMap().value("name").toString(),
                 QString::fromStdString(rootName));
        QVERIFY(!space().crumbs().value(0).toMap().value("home").toBool());
        QVERIFY(!space().walking());
        QCOMPARE(idOf(".cache"), -1); // the walk's entries are gone
        QCOMPARE(role("Videos", SpaceModel::SizeRole), 4096 + 901120 + 102400);
        QCOMPARE(role("Videos", SpaceModel::CountRole), 2);
        QCOMPARE(role("Videos", SpaceModel::NewestRole), 1'700'000'200);
        QCOMPARE(space().reclaimable(), 0);
        QVERIFY(model->result().contains("home.json"));
        space().setApparent(true);
        QCOMPARE(space().total(), 4096 + 4096 + 900000 + 100000 + 12);
        QCOMPARE(space().data(space().index(0), SpaceModel::NameRole).toString(), "Videos");
        space().open(idOf("Videos"));
        QCOMPARE(space().rowCount(), 2);
        QCOMPARE(space().crumbs().size(), 2);
    }

    // Nothing on disk is a saved scan's: moving to the Trash, revealing, measuring again,
    // keeping and what other panes' cleans ask are all refused, and the real files at its
    // paths stay where they are.
    void refusesEveryActionOnAScan()
    {
        walk();
        space().showScan(scanOfHome(), "/srv/exports/home.json", 0);
        const auto shown = space().spaceTree();
        fakes.confirmation->answer = true;
        space().open(idOf("Videos"));
        const int film = idOf("film.mkv");
        QVERIFY(film >= 0);
        QCOMPARE(space().trashRefusal(film), "savedScan");
        QVERIFY(!space().trash(film));
        QVERIFY(fakes.confirmation->asked.isEmpty());
        QVERIFY(fs::exists(TestHome::home() / "Videos/film.mkv"));
        QVERIFY(!fs::exists(TestHome::home() / ".local/share/Trash"));
        space().reveal(film);
        QVERIFY(fakes.desktop->revealed.isEmpty());
        space().remeasure(film);
        space().remeasure(space().folderId());
        QVERIFY(!space().walking());
        space().measureAgain({TestHome::home() / "Videos"});
        space().cleaned({TestHome::home() / "Videos"});
        QVERIFY(!space().walking());
        space().keep(film);
        QVERIFY(Engine::spaceKept().empty());
        QCOMPARE(space().spaceTree(), shown);
        QCOMPARE(role("film.mkv", SpaceModel::OnDiskRole), 901120);
    }

    // Closing the scan, or scanning again, walks the folder walked before it.
    void closingWalksARealFolderAgain()
    {
        walk();
        for (const bool closing : {true, false}) {
            space().showScan(scanOfHome(), "/srv/exports/home.json", 0);
            QSignalSpy settled(&space(), &SpaceModel::settled);
            if (closing)
                space().closeScan();
            else
                model->scanAgain();
            QVERIFY(!space().savedScan());
            QVERIFY(settled.wait(30000));
            QVERIFY(idOf(".cache") >= 0);
            QVERIFY(space().crumbs().value(0).toMap().value("home").toBool());
        }
    }

    // A file that is no scan is said to be so; what was shown stays.
    void aBrokenScanLosesNothing()
    {
        walk();
        const auto walked = space().spaceTree();
        const fs::path broken = TestHome::root() / "broken.json";
        TreeBuilder::write(broken, "[1,0,{\"progname\":\"x\"},[{\"name\":\"/srv\"},{\"name\"");
        QSignalSpy settled(&space(), &SpaceModel::settled);
        QSignalSpy reading(&space(), &SpaceModel::readingChanged);
        space().openScanAt(broken);
        QVERIFY(!space().reading().isEmpty());
        QVERIFY(settled.wait(30000));
        QVERIFY(space().reading().isEmpty());
        QCOMPARE(reading.count(), 2);
        QCOMPARE(model->resultKind(), Model::ResultKind::failed);
        QVERIFY2(model->result().contains("broken.json"), qPrintable(model->result()));
        QVERIFY(!space().savedScan());
        QCOMPARE(space().spaceTree(), walked);
        QVERIFY(idOf(".cache") >= 0);
    }

    // What ncdu saved of a folder opens with the sizes `du` gives.
    void opensWhatNcduSaved()
    {
        const QString ncdu = QStandardPaths::findExecutable("ncdu");
        if (ncdu.isEmpty())
            QSKIP("ncdu is not installed");
        const fs::path file = TestHome::root() / "home.json";
        QProcess run;
        run.start(ncdu, {"-0", "-x", "-o", QString::fromStdString(file.native()),
                         QString::fromStdString(TestHome::home().native())});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 0);
        QSignalSpy settled(&space(), &SpaceModel::settled);
        space().openScanAt(file);
        QVERIFY(settled.wait(30000));
        QVERIFY2(space().savedScan(), qPrintable(model->result()));
        QVERIFY(space().scanTime() > 0);
        QProcess du;
        du.start("du",
                 {"-s", "-B1", QString::fromStdString((TestHome::home() / "Videos").native())});
        QVERIFY(du.waitForFinished(30000));
        QCOMPARE(role("Videos", SpaceModel::OnDiskRole),
                 du.readAllStandardOutput().split('\t').value(0).toDouble());
        QCOMPARE(role("Videos", SpaceModel::CountRole), 2);
    }
};

AMPA_TEST_MAIN(SpaceScanTest)
#include "tst_spacescan.moc"
