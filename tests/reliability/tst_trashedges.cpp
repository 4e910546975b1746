// The Trash where it cannot be used as usual: a missing or unwritable data folder, a relative
// one, a read-only volume, another file system mounted inside the Trash. A file that cannot be
// trashed stays where it is, with the error told; it is never deleted instead.

#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>

#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

QString text(const fs::path &path)
{
    return QString::fromStdString(path.native());
}

struct HelperRun {
    int exitCode;
    QStringList lines; // one per line printed
};

// Runs ampa-trash-helper with XDG_DATA_HOME set to `dataHome`, in `workingFolder`.
HelperRun runHelper(const QStringList &arguments, const QString &dataHome,
                    const fs::path &workingFolder = TestHome::root())
{
    QProcess helper;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", dataHome);
    helper.setProcessEnvironment(environment);
    helper.setWorkingDirectory(text(workingFolder));
    helper.start(QCoreApplication::applicationDirPath() + "/ampa-trash-helper", arguments);
    if (!helper.waitForFinished(30000) || helper.exitStatus() != QProcess::NormalExit)
        qFatal("ampa-trash-helper did not finish: %s", helper.readAllStandardError().constData());
    QStringList lines = QString::fromUtf8(helper.readAllStandardOutput()).split('\n');
    if (lines.endsWith(QString()))
        lines.removeLast();
    return {helper.exitCode(), lines};
}

QString trash(const fs::path &item, const fs::path &dataHome)
{
    const HelperRun run = runHelper({text(item)}, text(dataHome));
    if (run.exitCode != 0)
        qFatal("ampa-trash-helper failed");
    return run.lines.join('\n').trimmed();
}

// Every path below `root` whose name is `name`.
QStringList everyCopy(const fs::path &root, const std::string &name)
{
    QStringList found;
    for (const auto &entry :
         fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied)) {
        if (entry.path().filename() == name)
            found << text(entry.path());
    }
    return found;
}

} // namespace

class TrashEdgesTest : public QObject {
    Q_OBJECT

private slots:
    // A missing data folder is made; one that cannot be made keeps the item, never deleted
    // instead.
    void dataFolder_data()
    {
        QTest::addColumn<QString>("data");
        QTest::addColumn<bool>("moved");
        QTest::newRow("missing") << "fresh/share" << true;
        QTest::newRow("below a file") << "a-file/share" << false;
    }
    void dataFolder()
    {
        QFETCH(QString, data);
        QFETCH(bool, moved);
        const fs::path item = TestHome::home() / "Downloads/report.pdf";
        TreeBuilder::write(item, "pdf");
        TreeBuilder::write(TestHome::root() / "a-file", "x");
        const fs::path dataHome = TestHome::root() / data.toStdString();
        QCOMPARE(trash(item, dataHome).isEmpty(), moved);
        QCOMPARE(fs::exists(item), !moved);
        QCOMPARE(fs::exists(dataHome / "Trash/files/report.pdf"), moved);
        QCOMPARE(fs::exists(dataHome / "Trash/info/report.pdf.trashinfo"), moved);
        fs::remove(item);
    }

    void readOnlyVolumeKeepsTheItem()
    {
        if (geteuid() != 0)
            QSKIP("mounting a volume needs root");
        const fs::path volume = TestHome::root() / "volume";
        TreeBuilder::folder(volume);
        if (mount("ampa-test", volume.c_str(), "tmpfs", 0, "size=4m") != 0)
            QSKIP("this machine does not allow mounting a tmpfs here");
        TreeBuilder::write(volume / "on-volume.txt", "data");
        mount(nullptr, volume.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
        const QString error = trash(volume / "on-volume.txt", TestHome::home() / ".local/share");
        const bool kept = fs::exists(volume / "on-volume.txt");
        umount(volume.c_str());
        QVERIFY(!error.isEmpty());
        QVERIFY(kept);
    }

    // GLib takes a relative XDG_DATA_HOME as it stands, relative to the working folder; the
    // base directory rules ignore it. Whatever the value, moving and emptying meet in one Trash;
    // a value that GLib read before Ampa's Trash existed is kept for the process, so moving
    // refuses rather than trash into a folder that emptying would never see. Nothing is made
    // relative to the working folder.
    void relativeDataFolder_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("moved");
        QTest::newRow("moved, then emptied") << "move-and-empty" << true;
        QTest::newRow("read by GLib first") << "glib-first" << false;
    }
    void relativeDataFolder()
    {
        QFETCH(QString, command);
        QFETCH(bool, moved);
        const fs::path item = TestHome::home() / "Downloads/draft.txt";
        TreeBuilder::write(item, "draft");
        const fs::path working = TestHome::root() / ("working-" + command.toStdString());
        TreeBuilder::folder(working);

        const HelperRun run = runHelper({command, text(item)}, "relative/share", working);
        QCOMPARE(run.exitCode, 0);
        if (moved) {
            QCOMPARE(run.lines, (QStringList{"", ""})); // moved, then "Trash emptied."
            QCOMPARE(everyCopy(TestHome::root(), "draft.txt"), QStringList());
        } else {
            QVERIFY2(run.lines.value(0).contains("relative/share"),
                     qPrintable(run.lines.join('|')));
            QVERIFY(fs::exists(item));
        }
        QVERIFY(fs::is_empty(working));
        fs::remove(item);
    }

    // Another file system mounted inside Trash/files (here a bind mount of an outside folder)
    // is not part of the Trash: it stays with its content, is reported and keeps its info file;
    // the rest of the Trash goes.
    void mountPointInTheTrashIsLeftAlone()
    {
        if (geteuid() != 0)
            QSKIP("a mount namespace needs root");
        const fs::path data = TestHome::root() / "mount-data";
        const fs::path trashFolder = data / "Trash";
        const fs::path outside = TestHome::root() / "outside";
        TreeBuilder::write(outside / "photos/one.jpg", "jpg");
        TreeBuilder::write(outside / "notes.txt", "notes");
        const auto outsideBefore = TreeBuilder::manifest(outside);
        for (const char *name : {"x", "ordinary"}) {
            TreeBuilder::write(trashFolder / "files" / name / "content", "old");
            TreeBuilder::write(trashFolder / "info" / (std::string(name) + ".trashinfo"),
                               "[Trash Info]\nPath=/gone\nDeletionDate=2026-01-01T00:00:00\n");
        }

        const HelperRun run = runHelper(
            {"empty-with-bind", text(outside), text(trashFolder / "files/x")}, text(data));
        if (run.exitCode == 3)
            QSKIP("this machine does not allow mount namespaces or bind mounts here");
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.lines.value(0).contains("files/x"), qPrintable(run.lines.join('|')));
        QCOMPARE(TreeBuilder::manifest(outside), outsideBefore);
        QVERIFY(fs::exists(trashFolder / "info/x.trashinfo"));
        QVERIFY(!fs::exists(trashFolder / "files/ordinary"));
        QVERIFY(!fs::exists(trashFolder / "info/ordinary.trashinfo"));
    }
};

AMPA_TEST_MAIN(TrashEdgesTest)
#include "tst_trashedges.moc"
