// Another user on a shared volume tries to make "Empty" delete what is not in the Trash: by
// renaming a folder of ours into a trash folder's place, or by swapping a trash folder for a link
// into our home while the emptying runs. Run as root, the attacks are made by real processes of
// two unprivileged users sharing a group, and each swap comes between the opening of the trash
// folders and their emptying, the window that checking by path left open.

#include "FreedesktopTrash.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>

#include <functional>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using TreeBuilder::manifest;

namespace {

// The user whose Trash is emptied: nobody, as in the engine's tests.
constexpr uid_t victim = 65534;
const std::string victimTrash = ".Trash-65534";

// The first id from 60000 up that `taken` does not know.
template<typename Id, typename Entry> Id freeId(Entry *(*taken)(Id))
{
    Id id = 60000;
    while (taken(id))
        ++id;
    return id;
}

QString text(const fs::path &path)
{
    return QString::fromStdString(path.native());
}

// A trashed item as the freedesktop.org layout keeps it.
void seed(const fs::path &trash, const std::string &name)
{
    TreeBuilder::write(trash / "files" / name, "trashed");
    TreeBuilder::write(trash / "info" / (name + ".trashinfo"),
                       "[Trash Info]\nPath=/somewhere/" + QByteArray::fromStdString(name)
                           + "\nDeletionDate=2026-01-01T00:00:00\n");
}

struct Emptying {
    QString opened; // "opened N": how many trash folders the victim holds open
    QString error;
};

} // namespace

class TrashAttacksTest : public QObject {
    Q_OBJECT

    const uid_t attacker = freeId(getpwuid);
    const gid_t group = freeId(getgrgid);
    const fs::path base = TestHome::root() / "attacks";
    const fs::path victimHome = base / "victim-home";
    const fs::path documents = victimHome / "Documents";
    const fs::path shared = base / "shared"; // the top of a volume the group shares

    void giveTo(const fs::path &path, uid_t owner) const
    {
        std::vector<fs::path> items{path};
        for (const auto &entry : fs::recursive_directory_iterator(path))
            items.push_back(entry.path());
        for (const fs::path &item : items) {
            if (lchown(item.c_str(), owner, group) != 0)
                qFatal("cannot give %s to %u", item.c_str(), owner);
        }
    }

    // Runs an ampa-trash-helper command as `uid`; stops the test when it fails.
    void runAs(uid_t uid, const QStringList &command) const
    {
        QProcess helper;
        helper.start(AMPA_TRASH_HELPER,
                     QStringList{"as", QString::number(uid), QString::number(group)} + command);
        if (!helper.waitForFinished(30000) || helper.exitCode() != 0)
            qFatal("ampa-trash-helper %s failed: %s", qPrintable(command.join(' ')),
                   helper.readAllStandardError().constData());
    }

    // The victim empties the Trash with `top` as the only volume; `meanwhile` runs once the
    // victim's trash folders are open and before they are emptied.
    Emptying emptyAsVictim(const fs::path &top, const std::function<void()> &meanwhile) const
    {
        QProcess helper;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", text(victimHome));
        environment.insert("XDG_DATA_HOME", text(victimHome / ".local/share"));
        helper.setProcessEnvironment(environment);
        helper.start(AMPA_TRASH_HELPER,
                     {"as", QString::number(victim), QString::number(group), "empty", text(top)});
        while (!helper.canReadLine()) {
            if (!helper.waitForReadyRead(30000))
                qFatal("the victim's helper never opened its trash folders: %s",
                       helper.readAllStandardError().constData());
        }
        const QString opened = QString::fromUtf8(helper.readLine()).trimmed();
        meanwhile();
        helper.write("\n");
        helper.closeWriteChannel();
        if (!helper.waitForFinished(30000) || helper.exitCode() != 0)
            qFatal("the victim's helper failed: %s", helper.readAllStandardError().constData());
        return {opened, QString::fromUtf8(helper.readAllStandardOutput()).trimmed()};
    }

private slots:
    void init()
    {
        TreeBuilder::folder(base);
        TreeBuilder::makePassable(base);
        if (geteuid() != 0)
            return;
        // The victim's own papers, in a folder shaped like a trash folder.
        TreeBuilder::write(documents / "files/thesis.tex", "chapter one");
        TreeBuilder::write(documents / "info/thesis.tex.trashinfo", "not a trash");
        giveTo(victimHome, victim);
        QVERIFY(chmod(victimHome.c_str(), 0700) == 0);
        TreeBuilder::folder(shared);
        QVERIFY(chown(shared.c_str(), 0, group) == 0);
        QVERIFY(chmod(shared.c_str(), 02775) == 0);
    }

    void cleanup() { fs::remove_all(base); }

    // A folder of the victim's on the shared top, renamed by the attacker to the victim's trash
    // folder name: no race needed. Emptying leaves it whole and says why.
    void folderRenamedIntoPlaceIsLeftAlone()
    {
        if (geteuid() != 0)
            QSKIP("a second user id needs root");
        const fs::path project = shared / "project";
        TreeBuilder::write(project / "files/results.csv", "1,2,3");
        TreeBuilder::write(project / "info/readme.trashinfo", "mine");
        giveTo(project, victim);
        const auto before = manifest(project);

        runAs(attacker, {"rename", text(project), text(shared / victimTrash)});
        const Emptying emptying = emptyAsVictim(shared, [] {});
        QCOMPARE(manifest(shared / victimTrash), before);
        QCOMPARE(emptying.opened, "opened 0");
        QVERIFY2(emptying.error.contains(text(shared / victimTrash)), qPrintable(emptying.error));
    }

    // The victim's real trash folder on the shared top, swapped by the attacker for a link into
    // the victim's home between opening and emptying.
    void trashSwappedForALinkIntoTheHome()
    {
        if (geteuid() != 0)
            QSKIP("a second user id needs root");
        const fs::path own = shared / victimTrash;
        seed(own, "old.iso");
        giveTo(own, victim);
        const auto before = manifest(victimHome);

        const Emptying emptying = emptyAsVictim(shared, [&] {
            runAs(attacker, {"swap", text(own), text(shared / "aside"), text(documents)});
        });
        QVERIFY(fs::is_symlink(own)); // the attack did happen
        QCOMPARE(manifest(victimHome), before);
        QVERIFY2(emptying.error.contains(text(own)), qPrintable(emptying.error));
    }

    // The shared .Trash made by the attacker, sticky as the layout asks: as its owner the
    // attacker may still rename what is in it. The folder that was opened is the one emptied;
    // the link put in its place leads nowhere.
    void sharedTrashSwappedAfterOpening()
    {
        if (geteuid() != 0)
            QSKIP("a second user id needs root");
        const fs::path sharedTrash = shared / ".Trash";
        const fs::path own = sharedTrash / std::to_string(victim);
        seed(own, "old.iso");
        giveTo(own, victim);
        QVERIFY(chown(sharedTrash.c_str(), attacker, group) == 0);
        QVERIFY(chmod(sharedTrash.c_str(), 01777) == 0);
        const auto before = manifest(victimHome);

        const Emptying emptying = emptyAsVictim(shared, [&] {
            runAs(attacker, {"swap", text(own), text(sharedTrash / "aside"), text(documents)});
        });
        QVERIFY(fs::is_symlink(own));
        QCOMPARE(emptying.opened, "opened 1");
        QCOMPARE(emptying.error, QString());
        QCOMPARE(manifest(victimHome), before);
        QVERIFY(fs::is_empty(sharedTrash / "aside/files"));
        QVERIFY(fs::is_empty(sharedTrash / "aside/info"));
    }

    // A top that belongs to someone else: its owner may rename anything in it, sticky or not.
    void topOfAnotherUserIsLeftAlone()
    {
        if (geteuid() != 0)
            QSKIP("a second user id needs root");
        const fs::path top = base / "their-volume";
        const fs::path own = top / victimTrash;
        seed(own, "old.iso");
        giveTo(own, victim);
        QVERIFY(chown(top.c_str(), attacker, group) == 0);
        QVERIFY(chmod(top.c_str(), 01755) == 0);

        const Emptying emptying = emptyAsVictim(top, [] {});
        QVERIFY(fs::exists(own / "files/old.iso"));
        QVERIFY2(emptying.error.contains(text(own)), qPrintable(emptying.error));
    }

    // Without a second user: the trash folder renamed and replaced by a link once it is open.
    // Emptying goes on in the folder it opened, wherever that now is.
    void trashFolderReplacedOnceOpen()
    {
        const fs::path top = base / "volume";
        const fs::path own = top / (".Trash-" + std::to_string(geteuid()));
        const fs::path decoy = base / "decoy";
        seed(own, "old.iso");
        TreeBuilder::write(decoy / "files/keep.txt", "keep");
        TreeBuilder::write(decoy / "info/keep.txt.trashinfo", "keep");
        QVERIFY(chmod(top.c_str(), 0755) == 0);
        const auto before = manifest(decoy);

        FreedesktopTrash trash({{top}});
        FreedesktopTrash::Folders folders = trash.openFolders();
        fs::rename(own, top / "aside");
        fs::create_directory_symlink(decoy, own);
        QCOMPARE(FreedesktopTrash::emptyFolders(std::move(folders)), std::nullopt);
        QCOMPARE(manifest(decoy), before);
        QVERIFY(fs::is_empty(top / "aside/files"));
        QVERIFY(fs::is_empty(top / "aside/info"));
    }
};

AMPA_TEST_MAIN(TrashAttacksTest)
#include "tst_trashattacks.moc"
