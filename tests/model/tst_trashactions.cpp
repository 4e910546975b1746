#include "FakeServices.h"
#include "ModelTesting.h"
#include "StoredSettings.h"
#include "TestHome.h"

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

    void downloadMovesAndLeavesTheList()
    {
        const FileItem report = *find(model->downloads(), downloads() / "report.tar.gz");
        fakes.confirmation->answer = true;
        model->trashItem(report.id().toString());
        QCOMPARE(fakes.confirmation->asked,
                 QStringList{"Move to the Trash? | report.tar.gz (" + fmt(report.size())
                             + "). It can still be restored from the Trash. | Move to Trash"});
        QCOMPARE(model->result(),
                 "report.tar.gz moved to the Trash. Empty the Trash to get the space back.");
        QCOMPARE(model->downloads().size(), 1u);
        QVERIFY(!find(model->downloads(), downloads() / "report.tar.gz"));
        QVERIFY(fs::exists(trashFiles() / "report.tar.gz"));
        QCOMPARE(logMessages(),
                 QStringList{"lanjutan: trash " + QString::fromStdString(report.url().native())});
        QVERIFY(!model->scanning()); // no new scan
    }

    // An application image lying in Downloads is handled as an application: its own texts, and
    // it leaves the applications' list rather than the downloads'.
    void applicationImageInDownloads()
    {
        makeFile(downloads() / "Tool.AppImage", 20000);
        model->refresh();
        AMPA_WAIT_IDLE(*model);
        const FileItem *image = find(model->downloads(), downloads() / "Tool.AppImage");
        QVERIFY(image);
        fakes.confirmation->answer = true;
        model->trashItem(image->id().toString());
        QCOMPARE(fakes.confirmation->asked.size(), 1);
        QVERIFY2(fakes.confirmation->asked.first().startsWith("Move Tool to the Trash? | "),
                 qPrintable(fakes.confirmation->asked.first()));
        QTRY_VERIFY(fs::exists(trashFiles() / "Tool.AppImage"));
        QTRY_COMPARE(model->result(),
                     "Tool moved to the Trash. Empty the Trash to get the space back.");
        QCOMPARE(logMessages(),
                 QStringList{"lanjutan: trash aplikasi "
                             + QString::fromStdString((downloads() / "Tool.AppImage").native())});
    }

    // A name holding placeholders of its own is shown as it is, never filled in.
    void nameWithPlaceholdersIsShownAsItIs()
    {
        makeFile(downloads() / "%1 %2 100%.txt", 20000);
        model->refresh();
        AMPA_WAIT_IDLE(*model);
        const FileItem *odd = find(model->downloads(), downloads() / "%1 %2 100%.txt");
        QVERIFY(odd);
        const QString size = fmt(odd->size());
        fakes.confirmation->answer = true;
        model->trashItem(odd->id().toString()); // the list changes: `odd` is gone
        QVERIFY2(fakes.confirmation->asked.first().startsWith(
                     "Move to the Trash? | %1 %2 100%.txt (" + size + ")."),
                 qPrintable(fakes.confirmation->asked.first()));
        QCOMPARE(model->result(),
                 "%1 %2 100%.txt moved to the Trash. Empty the Trash to get the space back.");
    }

    void emptyDownloadShowsZero()
    {
        Settings::instance().setLanguage("id");
        model->trash(*find(model->downloads(), downloads() / "empty.txt"));
        QCOMPARE(fakes.confirmation->asked,
                 QStringList{"Pindahkan ke Trash? | empty.txt (0 MB). Masih bisa dikembalikan "
                             "dari Trash. | Ke Trash"});
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
        QVERIFY2(model->result().startsWith("Failed: "), qPrintable(model->result()));
        QCOMPARE(model->downloads().size(), 2u);
        QVERIFY(logMessages().isEmpty());
    }

    void applicationNamedWithoutItsExtension()
    {
        const FileItem zoom = *find(model->apps(), apps() / "zoom.us.AppImage");
        fakes.confirmation->answer = true;
        model->trash(zoom);
        QVERIFY(fakes.confirmation->asked.first().startsWith(
            "Move zoom.us to the Trash? | " + fmt(zoom.size()) + ". The app moves to the Trash"));
        QCOMPARE(model->result(),
                 "zoom.us moved to the Trash. Empty the Trash to get the space back.");
        QCOMPARE(model->apps().size(), 1u);
        QVERIFY(fs::exists(trashFiles() / "zoom.us.AppImage"));
        QCOMPARE(logMessages(), QStringList{"lanjutan: trash aplikasi "
                                            + QString::fromStdString(zoom.url().native())});
    }

    void ampaItselfIsRefused()
    {
        const FileItem editor = *find(model->apps(), apps() / "Editor.AppImage");
        fakes.desktop->self = apps() / "./sub/../Editor.AppImage";
        fakes.confirmation->answer = true;
        model->trash(editor);
        QCOMPARE(model->result(), "Ampa cannot move itself to the Trash.");
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
        QCOMPARE(model->result(), "Quit Editor first.");
        QVERIFY(fakes.confirmation->asked.isEmpty());

        running.kill();
        running.waitForFinished();
        model->trash(editor);
        QCOMPARE(fakes.confirmation->asked.size(), 1);
        QVERIFY(!fs::exists(editor.url()));
    }

    void unknownIdDoesNothing()
    {
        model->trashItem("not-an-id");
        model->trashItem(QUuid::createUuid().toString());
        QVERIFY(fakes.confirmation->asked.isEmpty());
        QVERIFY(model->result().isNull());
    }
};

AMPA_TEST_MAIN(TrashActionsTest)
#include "tst_trashactions.moc"
