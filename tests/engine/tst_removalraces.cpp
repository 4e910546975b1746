// Removal against a tree that other processes change meanwhile: folders moved away, the target
// itself renamed, another removal of the same tree.

#include "Removal.h"
#include "Stop.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

namespace {

// Empty files, so that making a large folder is quick.
void flatFolder(const fs::path &folder, int count)
{
    TreeBuilder::folder(folder);
    for (int i = 0; i < count; ++i) {
        const int fd = open((folder / ("f" + std::to_string(i))).c_str(),
                            O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            qFatal("cannot make a file in %s", folder.c_str());
        close(fd);
    }
}

std::string firstEntry(const fs::path &folder)
{
    std::string name;
    if (DIR *dir = opendir(folder.c_str())) {
        while (const dirent *entry = readdir(dir)) {
            if (entry->d_name[0] != '.') {
                name = entry->d_name;
                break;
            }
        }
        closedir(dir);
    }
    return name;
}

qsizetype entryCount(const fs::path &folder)
{
    std::error_code error;
    qsizetype count = 0;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
        ++count;
    return count;
}

} // namespace

class RemovalRacesTest : public QObject {
    Q_OBJECT

    fs::path base;

private slots:
    void init()
    {
        base = TestHome::home() / "races" / QTest::currentTestFunction();
        if (QTest::currentDataTag())
            base /= QTest::currentDataTag();
    }

    // Something is moved out of the removal's way as soon as the removal is inside it: the
    // removal stops and says so, and what was moved is not emptied in its new place.
    void movedFolderIsNotEmptiedWhereItWent_data()
    {
        QTest::addColumn<QString>("moved");
        QTest::addColumn<bool>("flat"); // the files directly in the target, unlinked in groups
        // A folder directly inside the target has a remover of its own.
        QTest::newRow("a folder inside the target") << "parent/pip/wheels" << false;
        QTest::newRow("the target itself") << "parent/pip" << false;
        QTest::newRow("the folder holding the target") << "parent" << false;
        QTest::newRow("a flat target") << "parent/pip" << true;
        QTest::newRow("the folder holding a flat target") << "parent" << true;
    }

    void movedFolderIsNotEmptiedWhereItWent()
    {
        QFETCH(QString, moved);
        QFETCH(bool, flat);
        const fs::path target = base / "parent/pip";
        const fs::path files = flat ? target : target / "wheels";
        flatFolder(files, 20000);
        file(target / "http/index", 100);
        const std::string first = firstEntry(files);
        QVERIFY(!first.empty());
        const fs::path from = base / moved.toStdString();
        const fs::path to = base / "moved-away";

        Engine::RemovalResult result;
        std::thread remover([&] { result = Engine::removeItem(target); });
        while (fs::exists(files / first))
            std::this_thread::yield();
        QVERIFY(rename(from.c_str(), to.c_str()) == 0);
        remover.join();

        fs::path wheels = moved.endsWith("wheels") ? to
                          : moved.endsWith("pip")  ? to / "wheels"
                                                   : to / "pip/wheels";
        if (flat)
            wheels = wheels.parent_path();
        QVERIFY2(fs::exists(wheels), "what was moved was removed where it went");
        QVERIFY(result.failure && result.failure->kind == Engine::Failure::Kind::moved);
        // At most a few checks' worth of entries went after the move.
        QVERIFY2(entryCount(wheels) > 15000, qPrintable(QString::number(entryCount(wheels))));
    }

    // Two removals of one tree at once, as two cleans started together: neither mistakes the
    // other's work for a move, and the tree is gone.
    void twoRemovalsOfOneTree()
    {
        for (int round = 0; round < 5; ++round) {
            const fs::path target = base / ("cache" + std::to_string(round));
            for (int d = 0; d < 8; ++d) {
                for (int s = 0; s < 30; ++s)
                    flatFolder(target / ("d" + std::to_string(d)) / ("s" + std::to_string(s)), 10);
            }
            Engine::RemovalResult second;
            std::thread other([&] { second = Engine::removeItem(target); });
            const Engine::RemovalResult first = Engine::removeItem(target);
            other.join();
            QVERIFY2(!first.failure, qPrintable(first.failure ? first.failure->logLine() : ""));
            QVERIFY2(!second.failure, qPrintable(second.failure ? second.failure->logLine() : ""));
            QVERIFY(!fs::exists(target));
        }
    }

    // Work asked to stop (the program quitting) removes nothing more and says it stopped, on
    // every thread of the removal.
    void stopFlagEndsTheRemoval()
    {
        const fs::path target = base / "cache";
        for (int d = 0; d < 8; ++d)
            flatFolder(target / ("d" + std::to_string(d)), 50);
        flatFolder(target / "files", 0);
        for (int f = 0; f < 1000; ++f)
            file(target / ("f" + std::to_string(f)), 10);
        const auto before = manifest(target);
        std::atomic<bool> stop = true;
        const Engine::StopScope scope(&stop);
        const Engine::RemovalResult result = Engine::removeItem(target);
        QVERIFY(result.failure && result.failure->kind == Engine::Failure::Kind::stopped);
        QCOMPARE(manifest(target), before);
    }
};

AMPA_TEST_MAIN(RemovalRacesTest)
#include "tst_removalraces.moc"
