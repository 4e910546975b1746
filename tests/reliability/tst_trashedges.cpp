// The Trash where it cannot be used as usual: a missing or unwritable data folder, a read-only
// volume. A file that cannot be trashed stays where it is, with the error told; it is never
// deleted instead.

#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>

#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

QString trash(const fs::path &item, const fs::path &dataHome)
{
    QProcess helper;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", QString::fromStdString(dataHome.native()));
    helper.setProcessEnvironment(environment);
    helper.start(QCoreApplication::applicationDirPath() + "/ampa-trash-helper",
                 {QString::fromStdString(item.native())});
    if (!helper.waitForFinished(30000) || helper.exitCode() != 0)
        qFatal("ampa-trash-helper failed");
    return QString::fromUtf8(helper.readAllStandardOutput()).trimmed();
}

} // namespace

class TrashEdgesTest : public QObject {
    Q_OBJECT

private slots:
    void missingDataFolderIsCreated()
    {
        const fs::path item = TestHome::home() / "Downloads/report.pdf";
        TreeBuilder::write(item, "pdf");
        const fs::path data = TestHome::root() / "fresh/share";
        QCOMPARE(trash(item, data), QString());
        QVERIFY(!fs::exists(item));
        QVERIFY(fs::exists(data / "Trash/files/report.pdf"));
        QVERIFY(fs::exists(data / "Trash/info/report.pdf.trashinfo"));
    }

    void unusableDataFolderKeepsTheItem()
    {
        const fs::path item = TestHome::home() / "Downloads/keep-me.pdf";
        TreeBuilder::write(item, "pdf");
        TreeBuilder::write(TestHome::root() / "a-file", "x");
        const QString error = trash(item, TestHome::root() / "a-file/share");
        QVERIFY(!error.isEmpty());
        QVERIFY(fs::exists(item)); // never deleted instead
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
};

AMPA_TEST_MAIN(TrashEdgesTest)
#include "tst_trashedges.moc"
