// Randomly generated hostile homes, each scanned and quick-cleaned, with a hostile download
// moved to the Trash, an advanced folder removed and the Trash emptied: whatever shape the caches
// take (links out of them, loops, FIFOs, sockets, odd names, a cache that is itself a link, a
// file or a FIFO, a cache that is a mount point), and while folders are moved out of the caches
// during the clean, every byte outside the items acted on is still there afterwards.
// Reproducible: AMPA_SEED=<seed> runs the same shapes (not the movers' timing); a failure names
// its seed.

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
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

namespace {

// Names that have broken programs before.
const char *const oddNames[] = {"plain",    "with space", "-rf",          "--",        "%d%s%n",
                                "#hash",    "new\nline",  "\xff\xfe\xfd", "tab\there", "*",
                                "..dots..", " leading",   "trailing ",    "\u202Ertl"};

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

// Whether everything in `before` is still in `after`, unchanged (more may have come).
bool stillHolds(const std::map<std::string, std::string> &before,
                const std::map<std::string, std::string> &after)
{
    for (const auto &[path, what] : before) {
        const auto found = after.find(path);
        if (found == after.end() || found->second != what)
            return false;
    }
    return true;
}

// Moves folders out of the caches into `into` while a clean runs, as a user tidying up might,
// until stopped.
std::jthread mover(std::vector<fs::path> sources, fs::path into)
{
    return std::jthread([sources = std::move(sources),
                         into = std::move(into)](std::stop_token stop) {
        for (std::size_t i = 0; !stop.stop_requested() && !sources.empty(); ++i) {
            std::error_code error;
            for (const auto &entry : fs::directory_iterator(sources[i % sources.size()], error)) {
                if (entry.is_directory(error) && !entry.is_symlink(error)) {
                    rename(entry.path().c_str(), (into / ("moved-" + std::to_string(i))).c_str());
                    break;
                }
            }
            std::this_thread::yield();
        }
    });
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
        // Each run draws new homes; AMPA_HOMES asks for more when hunting a rare shape.
        bool asked = false;
        const int more = qEnvironmentVariableIntValue("AMPA_HOMES", &asked);
#ifdef __SANITIZE_ADDRESS__
        const int drawn = 40; // each home costs some fifty times more under the sanitizers
#else
        const int drawn = 250;
#endif
        const int homes = !fixed.isEmpty() ? 1 : asked ? more : drawn;
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
            std::vector<fs::path> cacheFolders; // gone after the clean
            std::vector<fs::path> linksKept;    // links the clean leaves (and where they lead)
            std::vector<fs::path> relocated;    // folders emptied through the user's link
            // Folders a link leads to that are not the cache, with what they held.
            std::vector<std::pair<fs::path, std::map<std::string, std::string>>> linkedAway;
            std::vector<fs::path> mounts; // mount points left alone
            std::vector<fs::path> trees;  // where the mover takes folders from
            const fs::path elsewhere = home / "big-disk";
            for (const CacheTarget &target : quickTargets()) {
                for (const fs::path &path : target.paths) {
                    const fs::path folderPath = Engine::url(path);
                    folder(folderPath.parent_path());
                    const auto shape = random() % 10;
                    if (shape == 1) {
                        ::symlink(outside.c_str(), folderPath.c_str());
                        linksKept.push_back(folderPath);
                        continue;
                    }
                    if (shape == 5) {
                        // Moved elsewhere and linked back: followed only when what it leads
                        // to has the cache's shape; a link to anything else leaves it whole.
                        const fs::path destination =
                            elsewhere / std::to_string(relocated.size() + linkedAway.size());
                        hostileTree(destination, outside, random, 2);
                        ::symlink(destination.c_str(), folderPath.c_str());
                        linksKept.push_back(folderPath);
                        const auto *cacheShape = Engine::shapeOf(target.shapes, folderPath);
                        if (cacheShape && random() % 3 != 0) {
                            shaped(destination, cacheShape->holds);
                            relocated.push_back(destination);
                        } else {
                            linkedAway.emplace_back(destination, manifest(destination));
                        }
                        continue;
                    }
                    if (shape == 6 && geteuid() == 0) {
                        folder(folderPath);
                        if (mount(outside.c_str(), folderPath.c_str(), nullptr, MS_BIND, nullptr)
                            == 0) {
                            mounts.push_back(folderPath);
                            continue;
                        }
                    }
                    cacheFolders.push_back(folderPath);
                    switch (shape) {
                    case 0:
                        break; // absent
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
                        trees.push_back(folderPath);
                        break;
                    }
                }
            }

            const auto before = manifest(outside);
            const auto configBefore = manifest(home / ".config/editor");
            const QByteArray where = "seed " + QByteArray::number(seed);
            QStringList errors;
            const bool moverRan = random() % 2 == 0;
            {
                // Half the homes have someone moving folders out of the caches meanwhile.
                std::jthread moving;
                if (moverRan)
                    moving = mover(trees, outside);
                for (const CacheTarget &target : quickTargets()) {
                    QVERIFY(Engine::size(target) >= 0);
                    if (auto failure = Engine::clean(target).failure)
                        errors << failure->text();
                }
            }
            for (const fs::path &mounted : mounts)
                QVERIFY2(umount(mounted.c_str()) == 0, where.constData());
            QVERIFY2(stillHolds(before, manifest(outside)), where.constData());
            QVERIFY2(manifest(home / ".config/editor") == configBefore, where.constData());
            // A folder stays only when a move may have stopped its removal and the clean reported
            // a failure (a target keeps only its last one, which may be another folder's).
            const bool moveTold = moverRan && !errors.isEmpty();
            for (const fs::path &folderPath : cacheFolders)
                QVERIFY2(!fs::exists(fs::symlink_status(folderPath)) || moveTold,
                         (where + " left " + QByteArray::fromStdString(folderPath.native()) + ": "
                          + errors.join(" | ").toUtf8())
                             .constData());
            for (const fs::path &link : linksKept)
                QVERIFY2(fs::is_symlink(link), where.constData());
            for (const fs::path &destination : relocated)
                QVERIFY2(fs::is_directory(destination) && fs::is_empty(destination),
                         where.constData());
            for (const auto &[destination, held] : linkedAway)
                QVERIFY2(
                    manifest(destination) == held,
                    (where + " " + QByteArray::fromStdString(destination.native())).constData());
            for (const fs::directory_entry &moved : fs::directory_iterator(outside)) {
                if (moved.path().filename().native().starts_with("moved-"))
                    fs::remove_all(moved.path());
            }
            QVERIFY2(manifest(outside) == before, where.constData());

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
            QCOMPARE(Engine::removeItem(playwright).failure, std::nullopt);
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
