// The volumes the space map offers: the file systems people keep files on, each once, readable.

#include "TestHome.h"
#include "Volumes.h"

#include <QTest>

#include <sched.h>
#include <set>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

class VolumesTest : public QObject {
    Q_OBJECT

private slots:
    void keepsFiles_data()
    {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<bool>("kept");
        for (const char *disk :
             {"ext4", "btrfs", "xfs", "vfat", "exfat", "ntfs3", "overlay", "fuse.sshfs", "nfs4"})
            QTest::newRow(disk) << QByteArray(disk) << true;
        for (const char *kernel :
             {"proc", "sysfs", "tmpfs", "devtmpfs", "cgroup2", "squashfs", "fuse.portal", ""})
            QTest::newRow(*kernel ? kernel : "no type") << QByteArray(kernel) << false;
    }
    void keepsFiles()
    {
        QFETCH(QByteArray, type);
        QFETCH(bool, kept);
        QCOMPARE(Engine::keepsFiles(type), kept);
    }

    // On this machine: the volume holding the home is listed, the kernel's are not, none twice,
    // each one readable, and the shortest mount point comes first.
    void mountedHere()
    {
        const std::vector<Engine::Volume> volumes = Engine::mountedVolumes();
        QVERIFY(!volumes.empty());
        std::set<fs::path> seen;
        bool home = false;
        for (const Engine::Volume &volume : volumes) {
            QVERIFY2(seen.insert(volume.mountPoint).second, volume.mountPoint.c_str());
            QVERIFY2(volume.total > 0 && volume.free <= volume.total, volume.mountPoint.c_str());
            QVERIFY(!volume.name.isEmpty());
            for (const std::string kernel : {"/proc", "/sys", "/dev", "/run"})
                QVERIFY2(volume.mountPoint != kernel
                             && !volume.mountPoint.native().starts_with(kernel + "/"),
                         volume.mountPoint.c_str());
            home = home || volume.mountPoint == "/"
                   || TestHome::home().native().starts_with(volume.mountPoint.native() + "/");
        }
        QVERIFY(home);
        for (const Engine::Volume &volume : volumes)
            QVERIFY(volume.mountPoint.native().size()
                    >= volumes.front().mountPoint.native().size());
    }

    // In a mount namespace of its own (root only): a memory file system and a second view of
    // the root (a bind mount) are not offered.
    void mountsOfItsOwn()
    {
        if (geteuid() != 0)
            QSKIP("needs root for a mount namespace");
        const fs::path base = TestHome::home().parent_path() / "mounts";
        const fs::path memory = base / "memory", again = base / "again";
        fs::create_directories(memory);
        fs::create_directories(again);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (unshare(CLONE_NEWNS) != 0
                || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                _exit(77);
            if (mount("none", memory.c_str(), "tmpfs", 0, nullptr) != 0
                || mount("/", again.c_str(), nullptr, MS_BIND, nullptr) != 0)
                _exit(77);
            for (const Engine::Volume &volume : Engine::mountedVolumes())
                if (volume.mountPoint == memory || volume.mountPoint == again)
                    _exit(1);
            _exit(0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        if (WEXITSTATUS(status) == 77)
            QSKIP("no mount namespace here");
        QCOMPARE(WEXITSTATUS(status), 0);
    }
};

AMPA_TEST_MAIN(VolumesTest)
#include "tst_volumes.moc"
