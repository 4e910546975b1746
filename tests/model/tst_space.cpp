#include "ActivityLog.h"
#include "FakeServices.h"
#include "ModelTesting.h"
#include "Settings.h"
#include "SpaceMarks.h"
#include "SpaceRows.h"
#include "StoredSettings.h"
#include "TestHome.h"

#include <QScopeGuard>
#include <QSignalSpy>

#include <fstream>

namespace fs = std::filesystem;
using SpaceTreeIndex = Engine::SpaceTree::Index;

namespace {

fs::path trashFiles()
{
    return TestHome::home() / ".local/share/Trash/files";
}

} // namespace

// The space map in the window's model: walking the home, moving an entry to the Trash behind the
// same confirmation and Trash as the downloads, keeping a mark.
class SpaceModelTest : public QObject {
    Q_OBJECT

    FakeServices fakes;
    std::unique_ptr<Model> model;

    SpaceModel &space() { return *model->space(); }

    // The row id of the entry called `name` in the folder looked at; -1 when none.
    int idOf(const QString &name)
    {
        for (int row = 0; row < space().rowCount(); ++row) {
            const QModelIndex index = space().index(row);
            if (space().data(index, SpaceModel::NameRole).toString() == name)
                return space().data(index, SpaceModel::IdRole).toInt();
        }
        return -1;
    }

    void walk(const QString &root = {})
    {
        QSignalSpy settled(&space(), &SpaceModel::settled);
        space().start(root);
        QVERIFY(settled.wait(30000));
    }

private slots:
    void init()
    {
        fs::remove_all(TestHome::home());
        fs::create_directories(TestHome::home());
        clearLog();
        storeSettings({{"language", "en"}});
        makeFile(TestHome::home() / "Videos/film.mkv", 900000);
        makeFile(TestHome::home() / "Videos/clip.mp4", 100000);
        makeFile(TestHome::home() / ".cache/pip/wheel.bin", 300000);
        fakes = FakeServices();
        model = std::make_unique<Model>(fakes.services());
    }

    // The list is the folder's entries, the largest first, with their shares; opening a folder
    // and going up follow the tree.
    void listsAndNavigates()
    {
        walk();
        QVERIFY(space().rowCount() >= 2);
        const double first = space().data(space().index(0), SpaceModel::SizeRole).toDouble();
        const double second = space().data(space().index(1), SpaceModel::SizeRole).toDouble();
        QVERIFY(first >= second);
        QCOMPARE(space().data(space().index(0), SpaceModel::NameRole).toString(), "Videos");
        QVERIFY(space().data(space().index(0), SpaceModel::ShareRole).toDouble() > 0.5);
        QVERIFY(idOf(".cache") >= 0);
        QCOMPARE(space()
                     .data(space().index(space().rowOf(idOf(".cache"))), SpaceModel::KindRole)
                     .toString(),
                 "quick");
        QVERIFY(space().reclaimable() >= 300000);
        space().open(idOf("Videos"));
        QCOMPARE(space().rowCount(), 2);
        QCOMPARE(space().crumbs().size(), 2);
        QVERIFY(!space().tiles(400, 300).isEmpty());
        space().up();
        QVERIFY(idOf("Videos") >= 0);
    }

    // A view reads the rows' shares as soon as it is told they changed, so by then they are
    // shares of the folder it shows: when the walk ends, and after a folder is opened.
    void sharesAreOfTheFolderShownWhenRowsChange()
    {
        double shares = -1;
        QObject reading; // ends the connections with this test, before `shares` goes
        const auto read = [this, &shares] {
            shares = 0;
            for (int row = 0; row < space().rowCount(); ++row)
                shares += space().data(space().index(row), SpaceModel::ShareRole).toDouble();
        };
        connect(&space(), &QAbstractItemModel::modelReset, &reading, read);
        connect(&space(), &QAbstractItemModel::dataChanged, &reading, read);
        connect(&space(), &QAbstractItemModel::rowsInserted, &reading, read);
        walk();
        QVERIFY2(qAbs(shares - 1) < 0.02, qPrintable(QString::number(shares)));
        space().open(idOf("Videos"));
        QVERIFY2(qAbs(shares - 1) < 0.02, qPrintable(QString::number(shares)));
    }

    // Moved only after the confirmation, to the real Trash, logged; then the Trash is measured
    // again, and the home's total stays what it was (the bytes moved into the Trash).
    void trashAfterConfirmation()
    {
        walk();
        space().open(idOf("Videos"));
        const int film = idOf("film.mkv");
        QVERIFY(film >= 0);
        fakes.confirmation->answer = false;
        QVERIFY(!space().trash(film));
        QCOMPARE(fakes.confirmation->asked.size(), 1);
        QVERIFY(fakes.confirmation->asked[0].contains("film.mkv"));
        QVERIFY(fakes.confirmation->asked[0].contains(
            "No space comes back until the Trash is emptied"));
        QVERIFY(fs::exists(TestHome::home() / "Videos/film.mkv"));

        fakes.confirmation->answer = true;
        QSignalSpy settled(&space(), &SpaceModel::settled);
        QVERIFY(space().trash(film));
        QVERIFY(settled.count() > 0 || settled.wait(30000));
        QVERIFY(!fs::exists(TestHome::home() / "Videos/film.mkv"));
        QVERIFY(fs::exists(trashFiles() / "film.mkv"));
        QCOMPARE(idOf("film.mkv"), -1);
        QVERIFY(Engine::logLines().value(0).contains("film.mkv"));
        // Said for this pane, and again in a language chosen after.
        QCOMPARE(model->resultPane(), "ruang");
        QVERIFY(model->result().startsWith(
            QString::fromUtf8("\u2068film.mkv\u2069 moved to the Trash.")));
        Settings::instance().setLanguage("id");
        QVERIFY(model->result().startsWith(
            QString::fromUtf8("\u2068film.mkv\u2069 dipindah ke Trash.")));
        Settings::instance().setLanguage("en");
        const std::shared_ptr<const Engine::SpaceTree> tree = space().spaceTree();
        const auto trashFolder = tree->find(Engine::homeTrashFolder());
        QVERIFY(trashFolder);
        QVERIFY(tree->entry(*trashFolder).size >= 900000);
        QCOMPARE(tree->entry(*trashFolder).kind, Engine::SpaceKind::trash);
    }

    // While a walk runs, rows keep their places as their sizes grow (a double click meant for
    // one folder never opens another); entries found since come after them, and one gone
    // leaves. Sizes are the new ones.
    void rowsKeepTheirPlacesWhileWalking()
    {
        const auto entry = [](SpaceTreeIndex index, qint64 size) {
            Engine::SpaceTree::Entry made;
            made.index = index;
            made.size = size;
            return made;
        };
        const std::vector<Engine::SpaceTree::Entry> shown{entry(1, 50), entry(2, 40), entry(3, 30)};
        const auto placed =
            inPlace(shown, {entry(3, 90), entry(5, 70), entry(1, 60), entry(4, 10)});
        std::vector<std::pair<SpaceTreeIndex, qint64>> got;
        for (const Engine::SpaceTree::Entry &row : placed)
            got.emplace_back(row.index, row.size);
        const std::vector<std::pair<SpaceTreeIndex, qint64>> expected{
            {1, 60}, {3, 90}, {5, 70}, {4, 10}};
        QCOMPARE(got, expected);
    }

    // A move measures again what it changed, not the home: with no Trash yet, only the folder
    // made for it is walked. The view still looks at the same folder, and every row it reads
    // names an entry of the tree.
    void aMoveMeasuresOnlyWhatItChanged()
    {
        walk();
        const std::shared_ptr<const Engine::SpaceTree> tree = space().spaceTree();
        const auto cache = tree->find(TestHome::home() / ".cache");
        QVERIFY(cache);
        space().open(idOf("Videos"));
        fakes.confirmation->answer = true;
        QSignalSpy settled(&space(), &SpaceModel::settled);
        // While it runs, the progress says it measures again, with that measure's count.
        bool again = false;
        connect(&space(), &SpaceModel::walkingChanged, this,
                [&] { again = again || space().measuringAgain(); });
        space().trash(idOf("film.mkv"));
        QVERIFY(settled.count() > 0 || settled.wait(30000));
        QVERIFY(again);
        QVERIFY(!space().measuringAgain());
        QCOMPARE(tree->find(TestHome::home() / ".cache"), cache);
        QCOMPARE(space().folder(), QString::fromStdString((TestHome::home() / "Videos").native()));
        QCOMPARE(space().crumbs().size(), 2);
        QCOMPARE(space().rowCount(), 1);
        QCOMPARE(space().data(space().index(0), SpaceModel::PathRole).toString(),
                 QString::fromStdString((TestHome::home() / "Videos/clip.mp4").native()));
        QVERIFY(tree->find(Engine::homeTrashFolder()));
    }

    // A move from the map can be undone as a download's can; the map then shows it again.
    void undoFromTheMap()
    {
        walk();
        space().open(idOf("Videos"));
        fakes.confirmation->answer = true;
        QSignalSpy settled(&space(), &SpaceModel::settled);
        space().trash(idOf("film.mkv"));
        QVERIFY(settled.count() > 0 || settled.wait(30000));
        QVERIFY(model->canUndo());
        settled.clear();
        model->undo();
        QVERIFY(fs::exists(TestHome::home() / "Videos/film.mkv"));
        QVERIFY(model->result().contains("put back"));
        QVERIFY(settled.count() > 0 || settled.wait(30000));
        QVERIFY(idOf("film.mkv") >= 0);
        QCOMPARE(space().folder(), QString::fromStdString((TestHome::home() / "Videos").native()));
    }

    // The entry measured is what goes: a folder replaced by a link to another one (outside the
    // home) after the walk is refused, and neither the link nor what it leads to moves.
    void movesOnlyTheEntryMeasured()
    {
        makeFile(TestHome::home() / "big/data", 500000);
        const fs::path outside = TestHome::root() / "outside";
        makeFile(outside / "data", 700000);
        walk();
        const int big = idOf("big");
        QVERIFY(big >= 0);
        fs::remove_all(TestHome::home() / "big");
        fs::create_directory_symlink(outside, TestHome::home() / "big");
        fakes.confirmation->answer = true;
        space().trash(big);
        QCOMPARE(model->resultKind(), Model::ResultKind::failed);
        QVERIFY(fs::is_symlink(TestHome::home() / "big"));
        QVERIFY(fs::exists(outside / "data"));
        QVERIFY(!fs::exists(trashFiles()));
        fs::remove_all(outside);
    }

    // Read as a view reads it while a folder above the one looked at is measured again, the
    // model never names an entry the tree no longer holds; after, the same folder is shown.
    void readingRowsWhileMeasuredAgain()
    {
        for (int i = 0; i < 300; ++i)
            makeFile(TestHome::home() / "Videos/many" / std::to_string(i), 4096);
        walk();
        space().open(idOf("Videos"));
        space().open(idOf("many"));
        QSignalSpy settled(&space(), &SpaceModel::settled);
        space().measureAgain({TestHome::home()});
        const QHash<int, QByteArray> roles = space().roleNames();
        int reads = 0;
        do {
            for (int row = 0; row < space().rowCount(); ++row)
                for (const int role : roles.keys())
                    space().data(space().index(row), role);
            QVERIFY(space().tiles(400, 300).size() <= space().rowCount());
            space().crumbs();
            space().folder();
            ++reads;
        } while (settled.isEmpty() && !settled.wait(1));
        QVERIFY(reads > 0);
        QCOMPARE(space().folder(),
                 QString::fromStdString((TestHome::home() / "Videos/many").native()));
        QCOMPARE(space().rowCount(), 300);
        QCOMPARE(space().crumbs().size(), 3);
    }

    // "Scan again" walks the map again; a clean of another pane measures again what it changed;
    // a folder can be measured again on its own.
    void theMapFollowsScansAndCleans()
    {
        walk();
        const std::shared_ptr<const Engine::SpaceTree> first = space().spaceTree();
        makeFile(TestHome::home() / "Music/song.flac", 200000);
        QSignalSpy settled(&space(), &SpaceModel::settled);
        model->scanAgain();
        QVERIFY(settled.wait(30000));
        QVERIFY(space().spaceTree() != first);
        QVERIFY(idOf("Music") >= 0);

        settled.clear();
        QSignalSpy finished(model.get(), &Model::quickCleanFinished);
        model->cleanQuick();
        QVERIFY(finished.count() > 0 || finished.wait(30000));
        QVERIFY(settled.count() > 0 || settled.wait(30000));
        const auto tree = space().spaceTree();
        QVERIFY(!fs::exists(TestHome::home() / ".cache/pip"));
        QCOMPARE(tree->find(TestHome::home() / ".cache/pip"), std::nullopt);
        QVERIFY(space().reclaimable() < 300000);

        makeFile(TestHome::home() / "Music/more.flac", 500000);
        settled.clear();
        const double before =
            space()
                .data(space().index(space().rowOf(idOf("Music"))), SpaceModel::SizeRole)
                .toDouble();
        space().remeasure(idOf("Music"));
        QVERIFY(settled.count() > 0 || settled.wait(30000));
        QVERIFY(space()
                    .data(space().index(space().rowOf(idOf("Music"))), SpaceModel::SizeRole)
                    .toDouble()
                >= before + 500000);
    }

    // A clean asks the marks again: after ccache's clear takes all it would, the map no longer
    // says that ccache has anything to give back.
    void aCleanAsksTheMarksAgain()
    {
        const fs::path ccache = TestHome::home() / ".cache/ccache";
        makeFile(ccache / "ccache.conf", 100);
        std::ofstream(ccache / "CACHEDIR.TAG") << "Signature: 8a477f597d28d172789f06886806bc55\n";
        makeFile(ccache / "0/stats", 100);
        makeFile(ccache / "0/1/objR", 60000);
        const fs::path bin = TestHome::root() / "model-bin";
        fs::create_directories(bin);
        std::ofstream(bin / "ccache")
            << "#!/bin/sh\nrm -f '" << (ccache / "0/1/objR").native() << "'\n";
        fs::permissions(bin / "ccache", fs::perms::owner_all);
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", QByteArray::fromStdString(bin.native()) + ":" + path);

        fakes.confirmation->answer = true;
        model->start();
        AMPA_WAIT_IDLE(*model);
        walk();
        const auto entry = [this, &ccache] {
            const auto tree = space().spaceTree();
            return tree->entry(*tree->find(ccache));
        };
        QCOMPARE(entry().kind, Engine::SpaceKind::developer);
        QVERIFY(entry().reclaimable >= 60000);

        QSignalSpy settled(&space(), &SpaceModel::settled);
        model->activateDevItem("ccache");
        AMPA_WAIT_IDLE(*model);
        QVERIFY(settled.count() > 0 || settled.wait(30000));
        QVERIFY(!fs::exists(ccache / "0/1/objR"));
        QCOMPARE(entry().kind, Engine::SpaceKind::none);
        QCOMPARE(entry().reclaimable, 0);
    }

    // Neither the Trash itself, anything in it, nor the home goes to the Trash; nor the folders
    // programs keep their files in, nor keys and configuration; a cache is pointed to the pane
    // that cleans it. Each says why before anything is asked.
    void refusesTheTrashAndTheHome()
    {
        makeFile(trashFiles() / "old.bin", 1000);
        makeFile(TestHome::home() / ".ssh/id_ed25519", 400);
        makeFile(TestHome::home() / ".config/editor/settings.json", 400);
        makeFile(TestHome::home() / ".local/state/app/log", 400);
        makeFile(TestHome::home() / ".cache/app/blob", 400);
        makeFile(TestHome::home() / "notes/today.txt", 400);
        walk();
        fakes.confirmation->answer = true;
        const auto refused = [this](const QString &name, const QString &why) {
            model->clearResult();
            QCOMPARE(space().trashRefusal(idOf(name)), why);
            space().trash(idOf(name));
            QVERIFY2(fakes.confirmation->asked.isEmpty(), qPrintable(name));
            QVERIFY2(fs::exists(trashFiles() / "old.bin"), qPrintable(name));
            QCOMPARE(model->resultKind(), Model::ResultKind::failed);
        };
        QCOMPARE(space().trashRefusal(idOf("notes")), "");
        refused(".ssh", "keysPlace");
        refused(".config", "keysPlace");
        refused(".cache", "baseFolder");
        refused(".local", "trash"); // it holds the Trash
        space().open(idOf(".config"));
        refused("editor", "keysPlace");
        space().up();
        space().open(idOf(".cache"));
        refused("app", "baseFolder");
        refused("pip", "cleanedInItsPane");
        space().up();
        space().open(idOf(".local"));
        space().open(idOf("state"));
        refused("app", "baseFolder");
        space().up();
        space().open(idOf("share"));
        refused("Trash", "trash");
        space().open(idOf("Trash"));
        refused("files", "trash"); // anything inside it
        walk(QString::fromStdString(TestHome::home().parent_path().native()));
        refused(QString::fromStdString(TestHome::home().filename().native()), "homeOrAbove");
        QVERIFY(fs::exists(TestHome::home() / "Videos/film.mkv"));
    }

    // Keep takes a mark out of the reclaimable part at once and for the next walk; release
    // brings it back.
    void keepAndRelease()
    {
        walk();
        const double before = space().reclaimable();
        space().open(idOf(".cache"));
        const int pip = idOf("pip");
        space().keep(pip);
        QVERIFY(space().data(space().index(space().rowOf(pip)), SpaceModel::KeptRole).toBool());
        space().up();
        QVERIFY(space().reclaimable() <= before - 300000);
        walk();
        QVERIFY(space().reclaimable() <= before - 300000);
        space().open(idOf(".cache"));
        space().release(idOf("pip"));
        space().up();
        QCOMPARE(space().reclaimable(), before);
        QVERIFY(Engine::spaceKept().empty());
    }
};

AMPA_TEST_MAIN(SpaceModelTest)
#include "tst_space.moc"
