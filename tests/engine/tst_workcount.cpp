#include "Removal.h"
#include "TestHome.h"
#include "TreeBuilder.h"
#include "TreeSize.h"
#include "WorkCount.h"

namespace fs = std::filesystem;

// What a terminal's progress line reads: the entries and bytes the walks and removals went
// through, as they went.
class WorkCountTest : public QObject {
    Q_OBJECT

private slots:
    void walksAndRemovalsAreCounted()
    {
        const fs::path tree = TestHome::home() / "counted";
        for (int folder = 0; folder < 5; ++folder) {
            for (int file = 0; file < 10; ++file)
                TreeBuilder::file(tree / std::to_string(folder) / std::to_string(file), 5000);
        }
        QCOMPARE(Engine::workCount().measuredEntries, 0); // not counting yet

        Engine::startCounting();
        const qint64 measured = Engine::size(tree);
        Engine::WorkCount count = Engine::workCount();
        QCOMPARE(count.measuredEntries, 55); // 50 files and their 5 folders
        QCOMPARE(count.measuredBytes, measured);
        QCOMPARE(count.removedEntries, 0);

        Engine::startCounting();
        const Engine::RemovalResult removed = Engine::removeItem(tree);
        QVERIFY(!removed.failure);
        QVERIFY(!fs::exists(tree));
        count = Engine::workCount();
        QCOMPARE(count.measuredEntries, 0);
        QCOMPARE(count.removedEntries, 50); // the files; folders are not entries given back
        QCOMPARE(count.removedBytes, removed.freed);
        QCOMPARE(removed.freed, measured);
    }
};

AMPA_TEST_MAIN(WorkCountTest)
#include "tst_workcount.moc"
