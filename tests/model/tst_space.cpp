#include "ActivityLog.h"
#include "FakeServices.h"
#include "ModelTesting.h"
#include "Settings.h"
#include "SpaceMarks.h"
#include "SpaceRows.h"
#include "SpaceTexts.h"
#include "StoredSettings.h"
#include "TestHome.h"

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>

#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using SpaceTreeIndex = Engine::SpaceTree::Index;

namespace {

fs::path trashFiles()
{
    return TestHome::home() / ".local/share/Trash/files";
}

// What a system tool prints for `path`, as a number: its first field, or the largest line.
double toolSays(const QString &program, QStringList arguments, bool largestLine = false)
{
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), tool.readAllStandardError().constData());
    const QList<QByteArray> lines = tool.readAllStandardOutput().split('\n');
    double result = 0;
    for (const QByteArray &line : lines) {
        if (line.isEmpty())
            continue;
        const double value = line.split('\t').value(0).toDouble();
        if (!largestLine)
            return value;
        result = std::max(result, value);
    }
    return result;
}

QString pathText(const fs::path &path)
{
    return QString::fromStdString(path.native());
}

// Entries below `path`, as `find` counts them.
qint64 findCount(const fs::path &path)
{
    QProcess find;
    find.start("find", {pathText(path), "-mindepth", "1", "-printf", "."});
    if (!find.waitForFinished(30000))
        qFatal("find did not finish");
    return find.readAllStandardOutput().size();
}

// Sets the modification time of the item itself (a link not followed).
void setTime(const fs::path &path, qint64 seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        qFatal("cannot set the time of %s", path.c_str());
}

// A file of `bytes` that takes no blocks: apparent and disk-use order disagree about it.
void sparseFile(const fs::path &path, qint64 bytes)
{
    fs::create_directories(path.parent_path());
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || ftruncate(fd, bytes) != 0)
        qFatal("cannot make %s", path.c_str());
    ::close(fd);
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

    // The rows' names, top to bottom.
    QStringList names()
    {
        QStringList list;
        for (int row = 0; row < space().rowCount(); ++row)
            list << space().data(space().index(row), SpaceModel::NameRole).toString();
        return list;
    }
    double role(const QString &name, int role)
    {
        return space().data(space().index(space().rowOf(idOf(name))), role).toDouble();
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
        // The history is written inside the home walked: after a walk du would count it too.
        storeSettings({{"language", "en"}, {"spaceHistory", false}});
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

        // The folder looked at is measured again as well as its entries.
        space().open(idOf("Music"));
        makeFile(TestHome::home() / "Music/third.flac", 300000);
        settled.clear();
        space().remeasure(space().folderId());
        QVERIFY(settled.count() > 0 || settled.wait(30000));
        QVERIFY(idOf("third.flac") >= 0);
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

    // Each row's count, newest time and apparent size are what `find`, `find -printf %T@` and
    // `du --apparent-size` say of it; in the apparent view sizes, shares and the total are
    // apparent sizes, and the largest by apparent size comes first.
    void countsAgesAndApparentSizesAsTheSystemToolsSay()
    {
        const fs::path figures = TestHome::home() / "figures";
        makeFile(figures / "deep/a/b/c.txt", 5000);
        makeFile(figures / "deep/x.bin", 70000);
        makeFile(figures / "odd\nname/inside", 100);
        sparseFile(figures / "sparse.img", 8'000'000);
        makeFile(figures / "dense.bin", 400000);
        qint64 when = 1'600'000'000;
        for (const auto &item : fs::recursive_directory_iterator(figures))
            setTime(item.path(), when += 86400);
        setTime(figures, 1'500'000'000);
        walk();
        space().open(idOf("figures"));
        QCOMPARE(space().rowCount(), 4);
        for (int row = 0; row < space().rowCount(); ++row) {
            const QModelIndex index = space().index(row);
            // The raw path: a name with a newline is shown otherwise than it is named.
            const fs::path path = space().spaceTree()->path(
                space().data(index, SpaceModel::IdRole).value<SpaceTreeIndex>());
            QCOMPARE(space().data(index, SpaceModel::CountRole).toDouble(), findCount(path));
            QCOMPARE(space().data(index, SpaceModel::NewestRole).toDouble(),
                     std::floor(toolSays("find", {pathText(path), "-printf", "%T@\\n"}, true)));
            QCOMPARE(space().data(index, SpaceModel::ApparentRole).toDouble(),
                     toolSays("du", {"-s", "-B1", "--apparent-size", pathText(path)}));
            QCOMPARE(space().data(index, SpaceModel::OnDiskRole).toDouble(),
                     toolSays("du", {"-s", "-B1", pathText(path)}));
        }
        QCOMPARE(names().front(), "dense.bin");
        space().up();
        QCOMPARE(role("figures", SpaceModel::CountRole), double(findCount(figures)));

        QSignalSpy viewChanged(&space(), &SpaceModel::viewChanged);
        space().open(idOf("figures"));
        space().setApparent(true);
        QCOMPARE(viewChanged.count(), 1);
        QCOMPARE(names().front(), "sparse.img");
        QCOMPARE(space().total(),
                 toolSays("du", {"-s", "-B1", "--apparent-size", pathText(figures)}));
        QCOMPARE(space().totalOnDisk(), toolSays("du", {"-s", "-B1", pathText(figures)}));
        double shares = 0;
        for (int row = 0; row < space().rowCount(); ++row) {
            const QModelIndex index = space().index(row);
            QCOMPARE(space().data(index, SpaceModel::SizeRole),
                     space().data(index, SpaceModel::ApparentRole));
            shares += space().data(index, SpaceModel::ShareRole).toDouble();
        }
        QVERIFY2(shares > 0.95 && shares <= 1.0001, qPrintable(QString::number(shares)));
        // The view stays when another folder is looked at.
        space().up();
        QVERIFY(space().apparent());
        QCOMPARE(space().total(),
                 toolSays("du", {"-s", "-B1", "--apparent-size", pathText(TestHome::home())}));
    }

    // By name in the language's order (case aside, numbers as numbers), by size; the order
    // chosen stays when moving between folders and for the next walk; an unknown order changes
    // nothing.
    void ordersByNameAndSizeAcrossFolders()
    {
        const fs::path sorting = TestHome::home() / "sorting";
        makeFile(sorting / "a10/one", 3000);
        makeFile(sorting / "a2/one", 1000);
        makeFile(sorting / "B/one", 900000);
        makeFile(sorting / "c.txt", 20000);
        makeFile(sorting / "B/Z", 1);
        makeFile(sorting / "B/y", 1);
        walk();
        space().open(idOf("sorting"));
        QCOMPARE(names().front(), "B");
        space().setOrder("name");
        QCOMPARE(space().order(), "name");
        QCOMPARE(names(), (QStringList{"a2", "a10", "B", "c.txt"}));
        space().setOrder("largest");
        QCOMPARE(space().order(), "name");
        space().open(idOf("B"));
        QCOMPARE(names(), (QStringList{"one", "y", "Z"}));
        space().up();
        QCOMPARE(names(), (QStringList{"a2", "a10", "B", "c.txt"}));
        walk();
        QCOMPARE(space().order(), "name");
        space().setOrder("size");
        space().open(idOf("sorting"));
        QCOMPARE(names().front(), "B");
        QCOMPARE(names().back(), "a2");
    }

    // By the number of entries below (the most first) and by age (the newest first), as the
    // walk counts them.
    void ordersByCountAndAge()
    {
        const fs::path sorting = TestHome::home() / "sorting";
        makeFile(sorting / "many/1", 100);
        makeFile(sorting / "many/2", 100);
        makeFile(sorting / "many/3/4", 100);
        makeFile(sorting / "few/1", 100);
        makeFile(sorting / "file", 100);
        setTime(sorting / "many/3/4", 1'700'000'000);
        for (const char *item : {"many/1", "many/2", "many/3", "many"})
            setTime(sorting / item, 1'600'000'000);
        setTime(sorting / "few/1", 1'650'000'000);
        setTime(sorting / "few", 1'650'000'000);
        setTime(sorting / "file", 1'680'000'000);
        walk();
        space().open(idOf("sorting"));
        space().setOrder("count");
        QCOMPARE(names(), (QStringList{"many", "few", "file"}));
        space().setOrder("age");
        QCOMPARE(names(), (QStringList{"many", "file", "few"}));
    }

    // The filter keeps the names holding it, in any case, in the folder looked at; the
    // folder's totals stay its own, and it clears when another folder is looked at.
    void filtersTheFolderByName()
    {
        makeFile(TestHome::home() / QString::fromUtf8("Videos/Résumé CLIP.webm").toStdString(),
                 5000);
        walk();
        space().open(idOf("Videos"));
        const double total = space().total();
        QCOMPARE(space().entries(), 3);
        space().setFilter("clip");
        QCOMPARE(names(), (QStringList{"clip.mp4", QString::fromUtf8("Résumé CLIP.webm")}));
        QCOMPARE(space().count(), 2);
        QCOMPARE(space().entries(), 3);
        QCOMPARE(space().total(), total);
        space().setFilter(QString::fromUtf8("RÉSUMÉ"));
        QCOMPARE(names(), (QStringList{QString::fromUtf8("Résumé CLIP.webm")}));
        space().setFilter("nothing like it");
        QCOMPARE(space().rowCount(), 0);
        QCOMPARE(space().entries(), 3);
        QSignalSpy viewChanged(&space(), &SpaceModel::viewChanged);
        space().up();
        QCOMPARE(space().filter(), QString());
        QCOMPARE(viewChanged.count(), 1);
        QVERIFY(idOf("Videos") >= 0);
        // And when the folder is left for a new walk.
        space().setFilter("Vid");
        QCOMPARE(names(), (QStringList{"Videos"}));
        walk();
        QCOMPARE(space().filter(), QString());
        QVERIFY(space().rowCount() >= 2);
    }

    // Ages said in whole units, the language's numbers, and the exact time.
    void ageAndCountTexts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<qint64>("ago");
        QTest::addColumn<QString>("expected");
        const qint64 day = 86400;
        QTest::newRow("unknown") << "en" << qint64(-1) << "";
        QTest::newRow("seconds") << "en" << qint64(30) << "just now";
        QTest::newRow("clock skew") << "en" << qint64(-30) << "just now";
        QTest::newRow("future") << "en" << qint64(-3600) << "in the future";
        QTest::newRow("a minute") << "en" << qint64(61) << "1 minute ago";
        QTest::newRow("hours") << "en" << qint64(5 * 3600 + 59) << "5 hours ago";
        QTest::newRow("days") << "en" << 3 * day << "3 days ago";
        QTest::newRow("days id") << "id" << 3 * day << "3 hari lalu";
        QTest::newRow("a week") << "en" << 13 * day << "1 week ago";
        QTest::newRow("months") << "en" << 95 * day << "3 months ago";
        QTest::newRow("a year id") << "id" << 400 * day << "1 tahun lalu";
        QTest::newRow("years") << "en" << 3000 * day << "8 years ago";
    }
    void ageAndCountTexts()
    {
        QFETCH(QString, language);
        QFETCH(qint64, ago);
        QFETCH(QString, expected);
        Settings::instance().setLanguage(language);
        const qint64 now = 1'750'000'000;
        QCOMPARE(spaceAgeText(ago < 0 && expected.isEmpty() ? 0 : now - ago, now), expected);
        QCOMPARE(spaceCountText(1), language == "id" ? "1 entri" : "1 entry");
        QCOMPARE(spaceCountText(1234567),
                 language == "id" ? "1.234.567 entri" : "1,234,567 entries");
        const QByteArray zone = qgetenv("TZ");
        const auto restore = qScopeGuard([&zone] {
            qputenv("TZ", zone);
            tzset();
        });
        qputenv("TZ", "UTC");
        tzset();
        QCOMPARE(spaceTimeText(1'750'000'000),
                 language == "id" ? "15 Juni 2025 15.06.40" : "June 15, 2025, 15:06:40");
        QCOMPARE(spaceTimeText(0), QString());
        Settings::instance().setLanguage("en");
    }
};

AMPA_TEST_MAIN(SpaceModelTest)
#include "tst_space.moc"
