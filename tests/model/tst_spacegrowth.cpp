#include "FakeServices.h"
#include "HistoryWords.h"
#include "ModelTesting.h"
#include "Settings.h"
#include "SpaceHistory.h"
#include "StoredSettings.h"
#include "TestHome.h"

#include <QDateTime>
#include <QProcess>
#include <QSignalSpy>

#include <cmath>

namespace fs = std::filesystem;
using Engine::SpaceTree;

namespace {

QString pathText(const fs::path &path)
{
    return QString::fromStdString(path.native());
}

// What du counts under `path`: blocks in use, or the bytes the files hold.
qint64 du(const fs::path &path, bool apparent = false)
{
    QProcess tool;
    QStringList arguments{"-s", "-x", "-B1"};
    if (apparent)
        arguments << "--apparent-size";
    tool.start("du", arguments << pathText(path));
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        qFatal("du failed: %s", tool.readAllStandardError().constData());
    return tool.readAllStandardOutput().split('\t').value(0).toLongLong();
}

qint64 walksRecorded()
{
    if (!fs::is_regular_file(Engine::historyPath()))
        return 0;
    const Engine::SpaceHistory history;
    return static_cast<qint64>(history.walks(TestHome::home()).size());
}

} // namespace

// The window's space map and its history: each walk that ends is recorded, and each folder
// shows how it grew since the walk compared with, as du sees the change.
class SpaceGrowthTest : public QObject {
    Q_OBJECT

    FakeServices fakes;
    std::unique_ptr<Model> model;

    SpaceModel &space() { return *model->space(); }

    int rowNamed(const QString &name)
    {
        for (int row = 0; row < space().rowCount(); ++row) {
            if (space().data(space().index(row), SpaceModel::NameRole).toString() == name)
                return row;
        }
        return -1;
    }
    double grown(const QString &name)
    {
        const int row = rowNamed(name);
        if (row < 0)
            qFatal("no row %s", qPrintable(name));
        return space().data(space().index(row), SpaceModel::GrownRole).toDouble();
    }
    QStringList names()
    {
        QStringList list;
        for (int row = 0; row < space().rowCount(); ++row)
            list << space().data(space().index(row), SpaceModel::NameRole).toString();
        return list;
    }

    // Walks the home and waits until the map shows it, compared with the history when it holds
    // a walk to compare with.
    void walk()
    {
        QSignalSpy settled(&space(), &SpaceModel::settled);
        space().start();
        QVERIFY(settled.wait(30000));
    }

private slots:
    void init()
    {
        fs::remove_all(TestHome::home());
        fs::create_directories(TestHome::home());
        storeSettings({{"language", "en"}});
        makeFile(TestHome::home() / "Videos/film.mkv", 3'000'000);
        makeFile(TestHome::home() / "Videos/clip.mp4", 1'500'000);
        makeFile(TestHome::home() / "Documents/thesis.pdf", 2'000'000);
        makeFile(TestHome::home() / "Documents/old/draft.odt", 1'200'000);
        makeFile(TestHome::home() / "Music/song.ogg", 4'000'000);
        makeFile(TestHome::home() / "notes.txt", 500);
        fakes = FakeServices();
        model = std::make_unique<Model>(fakes.services());
    }
    void cleanup() { model.reset(); }

    // Files added and removed, a folder moved and a folder new: each folder grew by what du
    // sees it grew, on disk and in apparent bytes; a file too small to be recorded grew by an
    // unknown amount.
    void growthIsWhatDuSees()
    {
        const fs::path home = TestHome::home();
        const QStringList folders{"Videos", "Documents", "Music"};
        std::map<QString, std::pair<qint64, qint64>> before;
        for (const QString &folder : folders)
            before[folder] = {du(home / folder.toStdString()),
                              du(home / folder.toStdString(), true)};
        QSignalSpy recorded(&space(), &SpaceModel::historyChanged);
        walk();
        QCOMPARE(recorded.count(), 1);
        QVERIFY(!space().comparable());
        QVERIFY(std::isnan(grown("Videos")));

        makeFile(home / "Videos/holiday.mp4", 5'000'000);       // added
        fs::remove(home / "Videos/clip.mp4");                   // removed
        fs::rename(home / "Documents/old", home / "Music/old"); // moved
        makeFile(home / "Projects/app/build.bin", 2'500'000);   // new
        walk();
        QCOMPARE(recorded.count(), 2);
        QVERIFY(space().comparable());
        QCOMPARE(space().since(), QVariant("last"));
        QVERIFY(space().sinceText().startsWith("since "));
        for (const bool apparent : {false, true}) {
            space().setApparent(apparent);
            for (const QString &folder : folders) {
                const qint64 now = du(home / folder.toStdString(), apparent);
                const qint64 then = apparent ? before[folder].second : before[folder].first;
                QCOMPARE(grown(folder), double(now - then));
            }
            QCOMPARE(grown("Projects"), double(du(home / "Projects", apparent)));
        }
        QVERIFY(grown("Videos") > 0 && grown("Documents") < 0 && grown("Music") > 0);
        QVERIFY(std::isnan(grown("notes.txt")));
        // The folder looked at says its own, with the time.
        space().setApparent(false);
        space().open(space().data(space().index(rowNamed("Videos")), SpaceModel::IdRole).toInt());
        QCOMPARE(space().grown(), double(du(home / "Videos") - before["Videos"].first));
        QCOMPARE(space().grownSinceText(),
                 grownText(qint64(space().grown())) + ' ' + space().sinceText());
        QVERIFY(!space().grownSinceText().isEmpty());
    }

    // The order "grown": the largest growth first, what shrank after what did not change, and
    // what is not known last; the other orders and the size order among equals stay.
    void ordersByGrowth()
    {
        const fs::path home = TestHome::home();
        walk();
        makeFile(home / "Music/album/track.ogg", 6'000'000);
        makeFile(home / "Videos/extra.mkv", 1'000'000);
        fs::remove(home / "Documents/thesis.pdf");
        QSignalSpy viewChanged(&space(), &SpaceModel::viewChanged);
        walk();
        space().setOrder("grown");
        QCOMPARE(space().order(), "grown");
        QCOMPARE(viewChanged.count(), 1);
        const QStringList order = names();
        QCOMPARE(order.mid(0, 2), (QStringList{"Music", "Videos"}));
        QCOMPARE(order.last(), "notes.txt");
        double previous = INFINITY;
        for (int row = 0; row < space().rowCount(); ++row) {
            const double bytes = space().data(space().index(row), SpaceModel::GrownRole).toDouble();
            if (std::isnan(bytes)) {
                previous = NAN;
                continue;
            }
            QVERIFY2(!std::isnan(previous) && bytes <= previous,
                     qPrintable(order.join(", ") + " at " + QString::number(row)));
            previous = bytes;
        }
        QVERIFY(grown("Documents") < 0);
        space().setOrder("size");
        QCOMPARE(space().order(), "size");
        QCOMPARE(names().front(), "Music");
        space().setOrder("nonsense");
        QCOMPARE(space().order(), "size");
    }

    // "since": the walk before, or the one nearest some days ago; a choice that is no number
    // of days is ignored.
    void sinceChoosesTheWalk()
    {
        const fs::path home = TestHome::home();
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        // A walk of eight days ago, when Music held less.
        fs::rename(home / "Music/song.ogg", home / "song.ogg");
        {
            SpaceTree weekAgo(home);
            QVERIFY(weekAgo.walk({}));
            Engine::SpaceHistory history;
            QVERIFY(history.record(weekAgo, now - 8 * 86400, -1, -1));
        }
        fs::rename(home / "song.ogg", home / "Music/song.ogg");
        const qint64 song = du(home / "Music/song.ogg");
        walk();
        QVERIFY(space().comparable());
        QCOMPARE(grown("Music"), double(song));
        makeFile(home / "Music/another.ogg", 2'000'000);
        const qint64 another = du(home / "Music/another.ogg");
        walk();
        QCOMPARE(grown("Music"), double(another));

        QSignalSpy changed(&space(), &SpaceModel::growthChanged);
        space().setSince(7);
        QCOMPARE(space().since(), QVariant(7));
        QTRY_COMPARE(grown("Music"), double(song + another));
        QVERIFY(changed.count() >= 1);
        QCOMPARE(space().sinceText(), sinceText(now - 8 * 86400, now));
        // The text a view passes works as the number does.
        space().setSince("last");
        QTRY_COMPARE(grown("Music"), double(another));
        space().setSince("30");
        QCOMPARE(space().since(), QVariant(30));
        QTRY_COMPARE(grown("Music"), double(song + another));
        for (const QVariant &wrong : {QVariant("week"), QVariant(0), QVariant(-3), QVariant(2.5)}) {
            space().setSince(wrong);
            QCOMPARE(space().since(), QVariant(30));
        }
    }

    // With the history off nothing is recorded, not even a file made; what it already holds is
    // still compared with.
    void offRecordsNothing()
    {
        storeSettings({{"language", "en"}, {"spaceHistory", false}});
        QSignalSpy recorded(&space(), &SpaceModel::historyChanged);
        walk();
        walk();
        QCOMPARE(recorded.count(), 0);
        QVERIFY(!fs::exists(Engine::historyPath()));
        QVERIFY(!space().comparable());
        QVERIFY(std::isnan(grown("Videos")));

        storeSettings({{"language", "en"}});
        walk();
        QCOMPARE(walksRecorded(), 1);
        storeSettings({{"language", "en"}, {"spaceHistory", false}});
        makeFile(TestHome::home() / "Videos/more.mkv", 1'000'000);
        walk();
        QCOMPARE(walksRecorded(), 1);
        QCOMPARE(recorded.count(), 1);
        QVERIFY(space().comparable());
        QCOMPARE(grown("Videos"), double(du(TestHome::home() / "Videos/more.mkv")));
    }

    // A saved scan shows no growth and records nothing, though the history holds walks of the
    // same path.
    void aSavedScanNeitherGrowsNorRecords()
    {
        walk();
        walk();
        QVERIFY(space().comparable());
        QCOMPARE(walksRecorded(), 2);
        QSignalSpy recorded(&space(), &SpaceModel::historyChanged);
        const std::string rootName = TestHome::home().native();
        SpaceTree::Scanned root;
        root.name = rootName;
        root.folder = true;
        auto scan = SpaceTree::fromScan(root);
        SpaceTree::Scanned videos;
        videos.name = "Videos";
        videos.folder = true;
        videos.size = 9'000'000;
        scan->addScanned(SpaceTree::rootIndex, videos);
        scan->endScan();
        space().showScan(std::move(scan), TestHome::root() / "home.json", 0);
        QVERIFY(space().savedScan());
        QVERIFY(!space().comparable());
        QVERIFY(space().sinceText().isEmpty());
        QVERIFY(std::isnan(grown("Videos")));
        QVERIFY(std::isnan(space().grown()));
        QCOMPARE(space().grewList()->rowCount(), 0);
        QCOMPARE(walksRecorded(), 2);
        QCOMPARE(recorded.count(), 0);
    }

    // What grew most: the deepest folders that hold the growth, each a way into the map; one
    // gone since is listed as gone.
    void whatGrewOpensFolders()
    {
        const fs::path home = TestHome::home();
        walk();
        makeFile(home / "Music/album/track.ogg", 6'000'000);
        fs::remove_all(home / "Documents/old");
        walk();
        RecordList &grew = *space().grewList();
        QTRY_VERIFY(grew.count() > 0);
        // Music grew by its album alone: the album is listed, not both.
        QCOMPARE(grew.get(0).value("path").toString(), "Music/album");
        QCOMPARE(grew.find("path", "Music"), -1);
        QCOMPARE(grew.get(0).value("grown").toDouble(), double(du(home / "Music/album")));
        QCOMPARE(grew.get(0).value("size").toDouble(), double(du(home / "Music/album")));
        // What went is listed as gone, shrunk by all it held, and opens nothing.
        const int gone = grew.find("path", "Documents/old");
        QVERIFY(gone > 0);
        QCOMPARE(grew.get(gone).value("id").toInt(), -1);
        QVERIFY(grew.get(gone).value("grown").toDouble() <= -1'200'000);
        QCOMPARE(grew.find("path", "Documents"), -1);
        const int folderBefore = space().folderId();
        space().open(-1);
        QCOMPARE(space().folderId(), folderBefore);
        space().open(grew.get(0).value("id").toInt());
        QCOMPARE(space().folder(), pathText(home / "Music/album"));
    }

    // A history that is no database is set aside and a new one begun; one that cannot be
    // opened at all records nothing. The result line says so once, not at each walk.
    void aHistoryProblemIsSaidOnce_data()
    {
        QTest::addColumn<bool>("folderBlocked");
        QTest::addColumn<QString>("said");
        QTest::addColumn<qint64>("recorded");
        QTest::newRow("not a database") << false << "kept as" << qint64(2);
        QTest::newRow("no folder for it") << true << "could not be opened" << qint64(0);
    }
    void aHistoryProblemIsSaidOnce()
    {
        QFETCH(bool, folderBlocked);
        QFETCH(QString, said);
        QFETCH(qint64, recorded);
        const fs::path file = Engine::historyPath();
        TreeBuilder::write(folderBlocked ? file.parent_path() : file, QByteArray(4096, 'x'));
        QSignalSpy results(model.get(), &Model::resultChanged);
        walk();
        QVERIFY(results.count() >= 1);
        QCOMPARE(model->resultPane(), "ruang");
        QVERIFY2(model->result().contains(said), qPrintable(model->result()));
        QCOMPARE(model->resultKind(),
                 folderBlocked ? Model::ResultKind::failed : Model::ResultKind::done);
        results.clear();
        walk();
        QCOMPARE(results.count(), 0);
        QCOMPARE(walksRecorded(), recorded);
    }
};

AMPA_TEST_MAIN(SpaceGrowthTest)
#include "tst_spacegrowth.moc"
