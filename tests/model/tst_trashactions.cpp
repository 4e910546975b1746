#include "FakeServices.h"
#include "ModelTesting.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace fs = std::filesystem;

namespace {

fs::path downloads()
{
    return TestHome::home() / "Downloads";
}

fs::path apps()
{
    return TestHome::home() / "Applications";
}

fs::path trashFiles()
{
    return TestHome::home() / ".local/share/Trash/files";
}

const FileItem *find(const std::vector<FileItem> &items, const fs::path &path)
{
    for (const FileItem &item : items) {
        if (item.url() == path)
            return &item;
    }
    return nullptr;
}

} // namespace

class TrashActionsTest : public QObject {
    Q_OBJECT

    FakeServices fakes;
    std::unique_ptr<Model> model;

private slots:
    void init()
    {
        clearLog();
        storeSettings({{"language", "en"}});
        makeFile(downloads() / "report.tar.gz", 30000);
        makeFile(downloads() / "empty.txt", 0);
        makeFile(apps() / "zoom.us.AppImage", 50000);
        makeFile(apps() / "Editor.AppImage", 40000);
        fakes = FakeServices();
        model = std::make_unique<Model>(fakes.services());
        model->start();
        AMPA_WAIT_IDLE(*model);
        QCOMPARE(model->downloads().size(), 2u);
        QCOMPARE(model->apps().size(), 2u);
    }

    void cleanup()
    {
        model.reset();
        fs::remove_all(downloads());
        fs::remove_all(apps());
        fs::remove_all(TestHome::home() / ".local/share/Trash");
        storeSettings({});
    }

    // Moved, logged and out of the lists, with no new scan. An application image is handled as
    // an application wherever it lies; a name holding placeholders of its own is shown as it is.
    void movesToTheTrash_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("application");
        QTest::newRow("download") << "Downloads/report.tar.gz"
                                  << "report.tar.gz" << false;
        QTest::newRow("name with placeholders") << "Downloads/%1 %2 100%.txt"
                                                << "%1 %2 100%.txt" << false;
        QTest::newRow("application") << "Applications/zoom.us.AppImage"
                                     << "zoom.us" << true;
        QTest::newRow("application image in Downloads") << "Downloads/Tool.AppImage"
                                                        << "Tool" << true;
        // Set apart in sentences, so the sentence keeps its own direction; on one line.
        QTest::newRow("right to left, with a newline")
            << QString::fromUtf8("Downloads/\u05d3\u05d5\u05d7\nfinal.pdf")
            << QString::fromUtf8("\u05d3\u05d5\u05d7\u240afinal.pdf") << false;
    }
    void movesToTheTrash()
    {
        QFETCH(QString, file);
        QFETCH(QString, shown);
        QFETCH(bool, application);
        const fs::path path = TestHome::home() / file.toStdString();
        if (!fs::exists(path)) {
            makeFile(path, 20000);
            model->refresh();
            AMPA_WAIT_IDLE(*model);
        }
        const std::size_t listed = model->downloads().size() + model->apps().size();
        const FileItem *found = find(model->downloads(), path);
        const FileItemList *list = found ? model->downloadList() : model->appList();
        QStringList names;
        for (int row = 0; row < list->rowCount(); ++row)
            names << list->get(row).value("name").toString();
        if (!application)
            QVERIFY2(names.contains(shown), qPrintable(names.join(", ")));
        const QString named = QChar(0x2068) + shown + QChar(0x2069);
        const FileItem item = found ? *found : *find(model->apps(), path);
        fakes.confirmation->answer = true;
        model->trashItem(item.id().toString());

        QCOMPARE(fakes.confirmation->asked.size(), 1);
        const QString asked = application ? "Move " + named + " to the Trash? | " + fmt(item.size())
                                                + ". The app moves to the Trash"
                                          : "Move to the Trash? | " + named + " ("
                                                + fmt(item.size()) + "). It can still be restored";
        QVERIFY2(fakes.confirmation->asked.first().startsWith(asked),
                 qPrintable(fakes.confirmation->asked.first()));
        QCOMPARE(model->result(),
                 named + " moved to the Trash. Empty the Trash to get the space back.");
        QCOMPARE(model->resultKind(), Model::ResultKind::done);
        QVERIFY(!fs::exists(path));
        QVERIFY(fs::exists(trashFiles() / path.filename()));
        QCOMPARE(logMessages(),
                 QStringList{(application ? "lanjutan: trash aplikasi " : "lanjutan: trash ")
                             + QString::fromStdString(path.native())
                                   .replace('\n', QChar(0x240a))}); // one entry, one line
        QCOMPARE(model->downloads().size() + model->apps().size(), listed - 1);
        QVERIFY(!find(model->downloads(), path) && !find(model->apps(), path));
        QVERIFY(!model->scanning()); // no new scan
    }

    // The list stays the twelve largest: the next one takes a moved item's place.
    void nextLargestTakesThePlace()
    {
        for (int i = 1; i <= 12; ++i)
            makeFile(downloads() / ("file" + std::to_string(i) + ".bin"), 40000 + i * 8192);
        model->refresh();
        AMPA_WAIT_IDLE(*model);
        QCOMPARE(model->downloads().size(), 12u);
        QVERIFY(!find(model->downloads(), downloads() / "report.tar.gz")); // the 13th
        const fs::path largest = model->downloads().front().url();
        fakes.confirmation->answer = true;
        model->trashItem(model->downloads().front().id().toString());
        QVERIFY(!fs::exists(largest));
        QTRY_VERIFY(find(model->downloads(), downloads() / "report.tar.gz"));
        QCOMPARE(model->downloads().size(), 12u);
        QVERIFY(!find(model->downloads(), largest));
    }

    void emptyDownloadShowsZero()
    {
        Settings::instance().setLanguage("id");
        model->trash(*find(model->downloads(), downloads() / "empty.txt"));
        QCOMPARE(fakes.confirmation->asked,
                 QStringList{QString::fromUtf8("Pindahkan ke Trash? | \u2068empty.txt\u2069 (0 "
                                               "MB). Masih bisa dikembalikan dari Trash. | Ke "
                                               "Trash")});
        // Cancelled: nothing changes.
        QVERIFY(model->result().isNull());
        QCOMPARE(model->downloads().size(), 2u);
        QVERIFY(fs::exists(downloads() / "empty.txt"));
        QVERIFY(logMessages().isEmpty());
    }

    void vanishedItemFails()
    {
        const FileItem report = *find(model->downloads(), downloads() / "report.tar.gz");
        fs::remove(report.url());
        fakes.confirmation->answer = true;
        model->trash(report);
        QCOMPARE(model->resultKind(), Model::ResultKind::failed);
        QCOMPARE(model->downloads().size(), 2u);
        QVERIFY(logMessages().isEmpty());
    }

    void ampaItselfIsRefused()
    {
        const FileItem editor = *find(model->apps(), apps() / "Editor.AppImage");
        fakes.desktop->self = apps() / "./sub/../Editor.AppImage";
        fakes.confirmation->answer = true;
        model->trash(editor);
        QCOMPARE(model->resultKind(), Model::ResultKind::failed);
        QVERIFY(fakes.confirmation->asked.isEmpty());
        QVERIFY(fs::exists(editor.url()));
    }

    // A real process whose AppImage runtime named the item: refused until it quits.
    void runningApplicationIsRefused()
    {
        const FileItem editor = *find(model->apps(), apps() / "Editor.AppImage");
        QProcess running;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("APPIMAGE", QString::fromStdString(editor.url().native()));
        running.setProcessEnvironment(environment);
        running.start("/bin/sleep", {"30"});
        QVERIFY(running.waitForStarted());
        fakes.confirmation->answer = true;
        model->trash(editor);
        QCOMPARE(model->resultKind(), Model::ResultKind::skipped);
        QVERIFY2(model->result().contains("Editor"), qPrintable(model->result()));
        QVERIFY(fakes.confirmation->asked.isEmpty());

        running.kill();
        running.waitForFinished();
        model->trash(editor);
        QCOMPARE(fakes.confirmation->asked.size(), 1);
        QVERIFY(!fs::exists(editor.url()));
    }

    // Reveal shows the listed item by its id; an id of no listed item does nothing at all.
    void revealAndUnknownIds()
    {
        const FileItem report = *find(model->downloads(), downloads() / "report.tar.gz");
        model->revealItem(report.id().toString());
        QCOMPARE(fakes.desktop->revealed, QStringList{QString::fromStdString(report.url())});
        for (const QString &id : {QString("not-an-id"), QUuid::createUuid().toString()}) {
            model->trashItem(id);
            model->revealItem(id);
        }
        QCOMPARE(fakes.desktop->revealed.size(), 1);
        QVERIFY(fakes.confirmation->asked.isEmpty());
        QVERIFY(model->result().isNull());

        // Neither the file manager nor the folder opened: said, never silent.
        fakes.desktop->revealFailure = "no file manager could open ~/Downloads";
        model->revealItem(report.id().toString());
        QCOMPARE(model->resultKind(), Model::ResultKind::failed);
        QCOMPARE(model->result(), "Failed: no file manager could open ~/Downloads");
    }

    // Undo puts the item back from the real Trash, its .trashinfo gone, and shows it again;
    // only while offered, and only once.
    void undoPutsItBack()
    {
        const fs::path path = downloads() / "report.tar.gz";
        fakes.confirmation->answer = true;
        QVERIFY(!model->canUndo());
        model->trashItem(find(model->downloads(), path)->id().toString());
        QVERIFY(!fs::exists(path));
        QVERIFY(model->canUndo());
        QCOMPARE(model->resultPane(), "downloads");

        model->undo();
        QVERIFY(fs::exists(path));
        QCOMPARE(fs::file_size(path), 30000u);
        QVERIFY(!fs::exists(trashFiles() / "report.tar.gz"));
        QVERIFY(!fs::exists(trashFiles().parent_path() / "info/report.tar.gz.trashinfo"));
        QCOMPARE(model->result(),
                 QString::fromUtf8("\u2068report.tar.gz\u2069 put back from the Trash."));
        QCOMPARE(model->resultKind(), Model::ResultKind::done);
        QVERIFY(!model->canUndo());
        AMPA_WAIT_IDLE(*model);
        QVERIFY(find(model->downloads(), path));
    }

    // Something new at the item's place: nothing is replaced, the item stays in the Trash and
    // the result says why. Another result takes the offer away.
    void undoRefusesAnOccupiedPlace()
    {
        const fs::path path = downloads() / "report.tar.gz";
        fakes.confirmation->answer = true;
        model->trashItem(find(model->downloads(), path)->id().toString());
        makeFile(path, 123);
        model->undo();
        QCOMPARE(fs::file_size(path), 123u);
        QCOMPARE(fs::file_size(trashFiles() / "report.tar.gz"), 30000u);
        QVERIFY(fs::exists(trashFiles().parent_path() / "info/report.tar.gz.trashinfo"));
        QCOMPARE(model->resultKind(), Model::ResultKind::failed);
        QVERIFY2(model->result().contains("something else is there now"),
                 qPrintable(model->result()));

        fs::remove(path);
        model->trashItem(find(model->downloads(), downloads() / "empty.txt")->id().toString());
        QVERIFY(model->canUndo());
        model->clearResult();
        QVERIFY(!model->canUndo());
        model->undo();
        QVERIFY(!fs::exists(downloads() / "empty.txt"));
    }

    // What comes back is the entry the move made: not an older one from the same place, nor a
    // planted entry dated later for that path, nor an entry whose home Trash path is relative.
    void undoTakesTheEntryTheMoveMade()
    {
        const fs::path path = downloads() / "report.tar.gz";
        FreedesktopTrash trash;
        makeFile(downloads() / "older", 10);
        fs::rename(path, downloads() / "newer");
        fs::rename(downloads() / "older", path);
        QVERIFY(!trash.moveToTrash(path));
        fs::rename(downloads() / "newer", path);
        const fs::path info = trashFiles().parent_path() / "info";
        makeFile(trashFiles() / "planted", 77);
        TreeBuilder::write(info / "planted.trashinfo",
                           "[Trash Info]\nPath=" + QByteArray(path.c_str())
                               + "\nDeletionDate=2099-01-01T00:00:00\n");
        model->refresh();
        AMPA_WAIT_IDLE(*model);
        fakes.confirmation->answer = true;
        model->trashItem(find(model->downloads(), path)->id().toString());
        model->undo();
        QCOMPARE(fs::file_size(path), 30000u);
        QCOMPARE(fs::file_size(trashFiles() / "report.tar.gz"), 10u);
        QCOMPARE(fs::file_size(trashFiles() / "planted"), 77u);

        // A relative path names nothing in the home Trash, whatever it leads to.
        const auto moving = Trash::aboutToMove(path);
        QVERIFY(moving);
        QVERIFY(!trash.moveToTrash(path));
        QVERIFY(trash.find(path, *moving));
        for (const auto &entry : fs::directory_iterator(info))
            if (TreeBuilder::read(entry.path()).contains(QByteArray(path.c_str())))
                TreeBuilder::write(
                    entry.path(), "[Trash Info]\nPath="
                                      + QByteArray(path.lexically_relative(
                                                           trashFiles().parent_path().parent_path())
                                                       .c_str())
                                      + "\nDeletionDate=2026-01-01T00:00:00\n");
        QVERIFY(!trash.find(path, *moving));
    }

    // Back only into the folder it left: Downloads swapped for a link to the autostart folder
    // after the move leaves the item in the Trash and the autostart folder empty.
    void undoRefusesAFolderPutInPlace()
    {
        const fs::path path = downloads() / "report.tar.gz";
        const fs::path autostart = TestHome::home() / ".config/autostart";
        fs::create_directories(autostart);
        fakes.confirmation->answer = true;
        model->trashItem(find(model->downloads(), path)->id().toString());
        QVERIFY(model->canUndo());
        fs::rename(downloads(), TestHome::home() / "Downloads.old");
        fs::create_directory_symlink(autostart, downloads());
        model->undo();
        QCOMPARE(model->resultKind(), Model::ResultKind::failed);
        QVERIFY(fs::is_empty(autostart));
        QCOMPARE(fs::file_size(trashFiles() / "report.tar.gz"), 30000u);
        fs::remove(downloads());
        fs::rename(TestHome::home() / "Downloads.old", downloads());
    }
};

AMPA_TEST_MAIN(TrashActionsTest)
#include "tst_trashactions.moc"
