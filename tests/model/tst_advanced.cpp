#include "FakeServices.h"
#include "ModelTesting.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeSize.h"

#include <QProcess>

#include <sys/mount.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

fs::path autoRecovery(const char *app)
{
    return TestHome::home() / "Library/Containers" / (std::string("com.microsoft.") + app)
           / "Data/Library/Preferences/AutoRecovery";
}

fs::path homeTrash()
{
    return TestHome::home() / ".local/share/Trash";
}

QStringList ids(const std::vector<AdvItem> &items)
{
    QStringList out;
    for (const AdvItem &item : items)
        out << item.id;
    return out;
}

const AdvItem &card(const std::vector<AdvItem> &items, const QString &id)
{
    for (const AdvItem &item : items) {
        if (item.id == id)
            return item;
    }
    qFatal("no card %s", qPrintable(id));
}

// A trashed item as the freedesktop.org layout keeps it.
void seedTrash(const fs::path &trash, const std::string &name, qint64 bytes)
{
    makeFile(trash / "files" / name / "content", bytes);
    TreeBuilder::write(trash / "info" / (name + ".trashinfo"),
                       "[Trash Info]\nPath=/somewhere/" + QByteArray::fromStdString(name)
                           + "\nDeletionDate=2026-01-01T00:00:00\n");
}

} // namespace

class AdvancedTest : public QObject {
    Q_OBJECT

    fs::path vm = TestHome::home() / "Library/Application Support/Claude/vm_bundles";
    fs::path playwright = TestHome::home() / ".cache/ms-playwright";

private slots:
    void init()
    {
        clearLog();
        storeSettings({{"language", "en"}});
        makeFile(vm / "claudevm.bundle/disk.img", 60000);
        makeFile(playwright / "chromium-1091/chrome", 30000);
    }

    void cleanup()
    {
        fs::remove_all(TestHome::home() / "Library");
        fs::remove_all(playwright);
        fs::remove_all(homeTrash());
        storeSettings({});
    }

    // The measured folders' cards, their actions, and the cards following each new scan.
    void folderCards()
    {
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        // No updater on this machine: no card for it.
        QCOMPARE(ids(model.advItems()), (QStringList{"claudevm", "playwright", "trash"}));
        QCOMPARE(card(model.advItems(), "claudevm").size, Engine::size(vm));

        // Claude open: refused before any dialog.
        fakes.running->running = {"Claude"};
        model.activateAdvItem("claudevm");
        QCOMPARE(model.result(), "Claude Desktop VM: Quit Claude first.");
        QCOMPARE(model.resultPane(), "lanjutan");
        QCOMPARE(model.resultKind(), Model::ResultKind::skipped);
        QVERIFY(fakes.confirmation->asked.isEmpty());

        // Cancelled: nothing changes.
        fakes.running->running = {};
        Settings::instance().setLanguage("id");
        model.activateAdvItem("claudevm");
        QCOMPARE(fakes.confirmation->asked,
                 QStringList{"Hapus VM Claude Desktop? | Claude Desktop akan mengunduhnya ulang "
                             "kalau fitur agent dipakai lagi. Penghapusan ini permanen. | Hapus"});
        // Unchanged by the cancel, said in the language chosen since.
        QCOMPARE(model.result(), "VM Claude Desktop: Tutup Claude dulu.");
        QCOMPARE(model.resultKind(), Model::ResultKind::skipped);
        QVERIFY(fs::exists(vm));
        QVERIFY(!model.busy());

        // Confirmed: removed for good, the measured size reported and logged.
        const qint64 bytes = Engine::size(vm);
        fakes.confirmation->answer = true;
        model.activateAdvItem("claudevm");
        QVERIFY(model.busy());
        AMPA_WAIT_IDLE(model);
        QVERIFY(!fs::exists(vm));
        QCOMPARE(model.result(), "VM Claude Desktop: " + fmt(bytes) + " dibebaskan.");
        QCOMPARE(logMessages(), QStringList{"lanjutan: claudevm: " + fmt(bytes) + " dibebaskan."});
        QVERIFY(!ids(model.advItems()).contains("claudevm"));

        // Nothing keeps the browsers for automated tests: they go whatever runs.
        fakes.running->running = {"Claude", "Google Chrome"};
        model.activateAdvItem("playwright");
        AMPA_WAIT_IDLE(model);
        QVERIFY(!fs::exists(playwright));
        QCOMPARE(model.resultKind(), Model::ResultKind::done);
        QCOMPARE(ids(model.advItems()), QStringList{"trash"});
    }

    // An action that fails says so and why, and logs that same text under its name.
    void failedActionIsToldAndLogged_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("why");
        QTest::newRow("vanished folder") << "claudevm"
                                         << "No such file";
        QTest::newRow("updater, no administrator runner") << "mau"
                                                          << "";
    }
    void failedActionIsToldAndLogged()
    {
        QFETCH(QString, name);
        QFETCH(QString, why);
        FakeServices fakes;
        fakes.confirmation->answer = true;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        if (name == "claudevm") {
            fs::remove_all(vm);
            model.activateAdvItem(name);
        } else {
            model.removeMAU(); // no card here, but the action itself
        }
        AMPA_WAIT_IDLE(model);
        QCOMPARE(fakes.confirmation->asked.size(), 1);
        QCOMPARE(model.resultKind(), Model::ResultKind::failed);
        QVERIFY2(model.result().contains(why), qPrintable(model.result()));
        QCOMPARE(logMessages(),
                 QStringList{"lanjutan: " + name + ": " + model.lastResult()->text()});
    }

    void autoRecoveryCountsOnlyWhatMoved()
    {
        makeFile(autoRecovery("Word") / "Doc1.asd", 1000);
        makeFile(autoRecovery("Excel") / "Book1.xar", 1000);
        // A name that is not UTF-8 goes to the Trash under its own bytes.
        makeFile(autoRecovery("Powerpoint") / "Deck \xff.pptx", 1000);
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        QVERIFY(ids(model.advItems()).contains("autorecover"));

        fakes.running->running = {"Microsoft Excel"};
        model.activateAdvItem("autorecover");
        QCOMPARE(model.resultKind(), Model::ResultKind::skipped);
        QVERIFY2(model.result().contains("Microsoft Excel"), qPrintable(model.result()));
        QVERIFY(fakes.confirmation->asked.isEmpty());

        // One copy cannot move: its folder is read-only for an unprivileged user, and for root
        // the copy is immutable.
        fakes.running->running = {};
        fakes.confirmation->answer = true;
        const QString stuck = QString::fromStdString((autoRecovery("Word") / "Doc1.asd").native());
        const bool root = geteuid() == 0;
        if (root && QProcess::execute("chattr", {"+i", stuck}) != 0)
            QSKIP("no immutable flag on this file system");
        if (!root)
            chmod(autoRecovery("Word").c_str(), 0555);
        model.activateAdvItem("autorecover");
        AMPA_WAIT_IDLE(model);
        if (root)
            QProcess::execute("chattr", {"-i", stuck});
        else
            chmod(autoRecovery("Word").c_str(), 0755);

        QCOMPARE(model.resultKind(), Model::ResultKind::partlyFailed);
        QVERIFY2(model.result().startsWith("2 "), qPrintable(model.result()));
        QCOMPARE(logMessages(), QStringList{"lanjutan: autorecover: " + model.result()});
        QVERIFY(fs::exists(stuck.toStdString()));
        QVERIFY(fs::exists(homeTrash() / "files/Book1.xar"));
        QVERIFY(fs::exists(homeTrash() / "info/Book1.xar.trashinfo"));
        QVERIFY(fs::exists(homeTrash() / "files/Deck \xff.pptx"));
    }

    void emptyingTheTrashTakesExactlyItsContents()
    {
        const fs::path volume = TestHome::root() / "volume";
        const fs::path volumeTrash = volume / (".Trash-" + std::to_string(geteuid()));
        seedTrash(homeTrash(), "old-project", 50000);
        seedTrash(homeTrash(), "notes.txt", 100);
        makeFile(homeTrash() / "files/orphan-without-info", 100);
        makeFile(homeTrash() / "directorysizes", 10);
        seedTrash(volumeTrash, "video.mp4", 70000);
        makeFile(volume / "keep/on-volume.txt", 100);
        // A read-only folder in the Trash still goes.
        makeFile(homeTrash() / "files/old-project/ro/x", 10);
        chmod((homeTrash() / "files/old-project/ro").c_str(), 0555);
        // An info file that names a path outside, and one named for "..": never followed.
        makeFile(TestHome::home() / "precious.txt", 100);
        TreeBuilder::write(
            homeTrash() / "info/evil.trashinfo",
            "[Trash Info]\nPath=../../precious.txt\nDeletionDate=2026-01-01T00:00:00\n");
        makeFile(homeTrash() / "info/...trashinfo", 0);

        FakeServices fakes({volume});
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        model.emptyTrash();
        QCOMPARE(model.result(), QString()); // declined: nothing happened
        QVERIFY(fs::exists(homeTrash() / "files/notes.txt"));

        fakes.confirmation->answer = true;
        model.emptyTrash();
        AMPA_WAIT_IDLE(model);
        QCOMPARE(model.resultKind(), Model::ResultKind::done);
        QVERIFY(!model.result().isEmpty());
        QCOMPARE(logMessages(), QStringList{"lanjutan: kosongkan trash"});
        QVERIFY(fs::is_empty(homeTrash() / "files"));
        QVERIFY(fs::exists(homeTrash() / "info/...trashinfo"));
        QVERIFY(!fs::exists(homeTrash() / "info/evil.trashinfo"));
        QVERIFY(!fs::exists(homeTrash() / "directorysizes"));
        QVERIFY(fs::is_empty(volumeTrash / "files"));
        QVERIFY(fs::is_empty(volumeTrash / "info"));
        QVERIFY(fs::exists(volume / "keep/on-volume.txt"));
        QVERIFY(fs::exists(TestHome::home() / "precious.txt"));
    }

    // A trash folder that cannot be emptied safely: the action says it failed, names it, still
    // logs the attempt, and what it held stays.
    void emptyingTheTrashFailsAndSaysWhy()
    {
        const fs::path volume = TestHome::root() / "shared-volume";
        const fs::path volumeTrash = volume / (".Trash-" + std::to_string(geteuid()));
        seedTrash(volumeTrash, "theirs-or-ours", 1000);
        chmod(volume.c_str(), 0777); // others may rename anything of ours into place
        FakeServices fakes({volume});
        Model model(fakes.services());
        fakes.confirmation->answer = true;
        model.emptyTrash();
        AMPA_WAIT_IDLE(model);
        QCOMPARE(model.resultKind(), Model::ResultKind::failed);
        QVERIFY2(model.result().contains("left alone"), qPrintable(model.result()));
        QCOMPARE(logMessages(), QStringList{"lanjutan: kosongkan trash"});
        QVERIFY(fs::exists(volumeTrash / "files/theirs-or-ours/content"));
    }

    void restartLogsTheSwapFirst()
    {
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        model.restartMac();
        QCOMPARE(fakes.desktop->restartRequests, 1);
        QCOMPARE(logMessages(), QStringList{"saran restart: swap " + fmt(model.swapBytes())});
        QVERIFY(model.result().isNull());

        // No desktop offered its prompt: said, never silent.
        fakes.desktop->restartPrompted = false;
        model.restartMac();
        QCOMPARE(model.resultKind(), Model::ResultKind::failed);
        QVERIFY2(model.result().contains("desktop's menu"), qPrintable(model.result()));
    }

    void updaterCardTexts()
    {
        // Through the demo data, which has the updater and no Microsoft application.
        Settings::instance().set(Settings::Key::demo, true);
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        const AdvItem mau = card(model.advItems(), "mau");
        QVERIFY(mau.enabled);
        QCOMPARE(mau.note, "No Microsoft apps left. This updater is safe to remove.");
        QCOMPARE(ids(model.advItems()), (QStringList{"whatsapp", "claudevm", "mau", "autorecover",
                                                     "playwright", "trash"}));
        QVERIFY(card(model.advItems(), "whatsapp").prominent);
        model.activateAdvItem("whatsapp");
        QCOMPARE(fakes.desktop->opened, QStringList{"/Applications/WhatsApp.app"});
        QVERIFY(fakes.confirmation->asked.isEmpty());
    }
};

AMPA_TEST_MAIN(AdvancedTest)
#include "tst_advanced.moc"
