// Randomly generated hostile homes, each scanned and quick-cleaned, with a hostile download
// moved to the Trash, an advanced folder removed and the Trash emptied: whatever shape the caches
// take (links out of them, loops, FIFOs, sockets, odd names, a cache that is itself a link, a
// file or a FIFO), every byte outside the items acted on is still there afterwards. Reproducible:
// AMPA_SEED=<seed> runs the same homes; a failure names its seed.

#include "CacheTarget.h"
#include "FreedesktopTrash.h"
#include "Model.h"
#include "Paths.h"
#include "Removal.h"
#include "TargetCleaning.h"
#include "TestHome.h"
#include "TreeBuilder.h"
#include "TreeSize.h"

#include <QRandomGenerator>

#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

namespace {

// Names that have broken programs before.
const char *const oddNames[] = {
    "plain",
    "with space",
    "-rf",
    "--",
    "%d%s%n",
    "#hash",
    "new\nline",
    "\xff\xfe\xfd",
    "tab\there",
    "*",
    "..dots..",
    " leading",
    "trailing ",
    "\xe2\x80\xae"
    "rtl",
};

std::string oddName(std::mt19937_64 &random)
{
    const std::size_t count = std::size(oddNames);
    const std::size_t pick = random() % (count + 2);
    if (pick == count)
        return std::string(250, 'n'); // the longest a name may be, with room for a number
    if (pick == count + 1)
        return "f" + std::to_string(random() % 100000);
    return oddNames[pick];
}

void makeSocket(const fs::path &path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() < sizeof address.sun_path) {
        std::memcpy(address.sun_path, path.c_str(), path.native().size());
        bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    close(fd);
}

// A cache-like tree with hostile things inside that point outside it.
void hostileTree(const fs::path &root, const fs::path &outside, std::mt19937_64 &random, int depth)
{
    folder(root);
    const int entries = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < entries; ++i) {
        const fs::path item = root / (oddName(random) + std::to_string(i));
        switch (random() % 9) {
        case 0:
        case 1:
            file(item, static_cast<qint64>(random() % 5000));
            break;
        case 2:
            if (depth > 0)
                hostileTree(item, outside, random, depth - 1);
            break;
        case 3:
            ::symlink(outside.c_str(), item.c_str()); // a way out
            break;
        case 4:
            ::symlink(item.c_str(), item.c_str()); // a loop
            break;
        case 5:
            ::symlink("..", item.c_str());
            break;
        case 6:
            mkfifo(item.c_str(), 0600);
            break;
        case 7:
            ::link((outside / "precious.bin").c_str(), item.c_str()); // a second name outside
            break;
        default:
            makeSocket(item);
            break;
        }
    }
}

} // namespace

class HostileHomesTest : public QObject {
    Q_OBJECT

private slots:
    void randomHomes()
    {
        const QByteArray fixed = qgetenv("AMPA_SEED");
        const quint64 base =
            fixed.isEmpty() ? QRandomGenerator::global()->generate64() : fixed.toULongLong();
        const int homes = fixed.isEmpty() ? 1000 : 1;
        // The Trash of the test's own data folder; no mounted volume is looked at.
        FreedesktopTrash trash(std::vector<fs::path>{});
        const fs::path trashFiles = TestHome::home() / ".local/share/Trash/files";
        // GLib settles on the home folder at its first use: let that be the test's own, and
        // make each random home inside it, so their items go to the home Trash.
        file(TestHome::home() / "warm-up", 1);
        QCOMPARE(trash.moveToTrash(TestHome::home() / "warm-up"), std::nullopt);
        for (int h = 0; h < homes; ++h) {
            const quint64 seed = base + static_cast<quint64>(h);
            std::mt19937_64 random(seed);
            const fs::path home = TestHome::home() / "homes" / std::to_string(h);
            qputenv("HOME", home.c_str());
            qputenv("XDG_CACHE_HOME", (home / ".cache").c_str());
            qputenv("XDG_CONFIG_HOME", (home / ".config").c_str());

            const fs::path outside = home / "Documents";
            file(outside / "precious.bin", 12345);
            file(outside / "notes/today.txt", 300);
            symlink("precious.bin", outside / "alias");
            file(home / ".config/editor/settings.json", 200);

            // Each catalogue folder takes a random shape.
            std::vector<fs::path> cacheFolders;
            for (const CacheTarget &target : quickTargets()) {
                for (const fs::path &path : target.paths) {
                    const fs::path folderPath = Engine::url(path);
                    cacheFolders.push_back(folderPath);
                    folder(folderPath.parent_path());
                    switch (random() % 8) {
                    case 0:
                        break; // absent
                    case 1:
                        ::symlink(outside.c_str(), folderPath.c_str());
                        break;
                    case 2:
                        file(folderPath, 100);
                        break;
                    case 3:
                        mkfifo(folderPath.c_str(), 0600);
                        break;
                    case 4:
                        makeSocket(folderPath);
                        break;
                    default:
                        hostileTree(folderPath, outside, random, static_cast<int>(random() % 6));
                        break;
                    }
                }
            }

            const auto before = manifest(outside);
            const auto configBefore = manifest(home / ".config/editor");
            for (const CacheTarget &target : quickTargets()) {
                QVERIFY(Engine::size(target) >= 0);
                Engine::clean(target);
            }
            const QByteArray where = "seed " + QByteArray::number(seed);
            QVERIFY2(manifest(outside) == before, where.constData());
            QVERIFY2(manifest(home / ".config/editor") == configBefore, where.constData());
            for (const fs::path &folderPath : cacheFolders)
                QVERIFY2(!fs::exists(fs::symlink_status(folderPath)),
                         (where + " left " + QByteArray::fromStdString(folderPath.native()))
                             .constData());

            // A hostile download to the Trash, an advanced folder removed, the Trash emptied:
            // each touches its item only.
            const fs::path download = home / "Downloads" / oddName(random);
            if (random() % 2)
                file(download, 700);
            else
                hostileTree(download, outside, random, 2);
            const fs::path playwright = Model::advFolder("playwright");
            hostileTree(playwright, outside, random, 3);
            const auto beforeActions = manifest(outside);
            const auto moved = trash.moveToTrash(download);
            if (download.filename().native().size() + std::strlen(".trashinfo") > 255) {
                // Its info file's name would be too long: refused, and the item stays whole.
                QVERIFY2(moved.has_value(), where.constData());
                QVERIFY2(fs::exists(fs::symlink_status(download)), where.constData());
            } else {
                QVERIFY2(!moved.has_value(),
                         (where + " " + moved.value_or("").toUtf8()).constData());
                QVERIFY2(!fs::exists(fs::symlink_status(download)), where.constData());
            }
            QCOMPARE(Engine::removeItem(playwright).error, std::nullopt);
            QVERIFY2(manifest(outside) == beforeActions, where.constData());
            QCOMPARE(trash.empty(), std::nullopt);
            QVERIFY2(manifest(outside) == beforeActions, where.constData());
            QVERIFY2(fs::is_empty(trashFiles), where.constData());
            fs::remove_all(home);
        }
    }
};

AMPA_TEST_MAIN(HostileHomesTest)
#include "tst_hostilehomes.moc"
