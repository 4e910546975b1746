// The lists the views read follow a rescan row by row: rows that came are inserted, rows that
// went are removed, rows that moved are moved and rows that changed are told so; nothing is
// reset, so the views keep the rows that stayed.

#include "FakeServices.h"
#include "Model.h"
#include "ModelTesting.h"
#include "StoredSettings.h"
#include "TestHome.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

namespace fs = std::filesystem;

namespace {

fs::path downloads()
{
    return TestHome::home() / "Downloads";
}

QStringList column(const RecordList &list, const QString &role)
{
    QStringList values;
    for (int row = 0; row < list.rowCount(); ++row)
        values << list.get(row).value(role).toString();
    return values;
}

int roleOf(const RecordList &list, const QByteArray &name)
{
    return list.roleNames().key(name, -1);
}

// Waits for the scan that `refresh` starts to end.
void rescan(Model &model)
{
    model.refresh();
    QVERIFY(model.scanningAdv());
    AMPA_WAIT_IDLE(model);
}

} // namespace

class ListsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        fs::remove_all(downloads());
        storeSettings({});
    }

    void downloadsFollowARescanRowByRow()
    {
        makeFile(downloads() / "a.iso", 90000);
        makeFile(downloads() / "b.zip", 60000);
        makeFile(downloads() / "c.txt", 30000);
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        RecordList &list = *model.downloadList();
        QCOMPARE(column(list, "name"), (QStringList{"a.iso", "b.zip", "c.txt"}));

        QAbstractItemModelTester tester(&list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&list, &QAbstractItemModel::rowsRemoved);
        QSignalSpy moved(&list, &QAbstractItemModel::rowsMoved);
        QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&list, &QAbstractItemModel::modelReset);
        QSignalSpy layout(&list, &QAbstractItemModel::layoutChanged);

        // One goes, one comes, one grows (in place).
        fs::remove(downloads() / "b.zip");
        makeFile(downloads() / "d.bin", 70000);
        makeFile(downloads() / "c.txt", 40000);
        rescan(model);
        QCOMPARE(column(list, "name"), (QStringList{"a.iso", "d.bin", "c.txt"}));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.first().at(1).toInt(), 1); // b.zip's row
        QCOMPARE(removed.first().at(2).toInt(), 1);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), 1); // d.bin's row
        QCOMPARE(moved.count(), 0);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(layout.count(), 0);
        // Every record the scan made is new and carries a new id, which each row takes on; only
        // the one that grew changes its size.
        const int idRole = roleOf(list, "id");
        const int sizeRole = roleOf(list, "size");
        QMap<int, QList<int>> rolesByRow;
        for (const QList<QVariant> &signal : changed) {
            const int row = signal.at(0).toModelIndex().row();
            QCOMPARE(signal.at(1).toModelIndex().row(), row);
            rolesByRow[row] += signal.at(2).value<QList<int>>();
        }
        QCOMPARE(rolesByRow.keys(), (QList<int>{0, 2}));
        QCOMPARE(rolesByRow.value(0), QList<int>{idRole});
        QVERIFY(rolesByRow.value(2).contains(idRole) && rolesByRow.value(2).contains(sizeRole));
        QCOMPARE(list.get(2).value("size").toLongLong(), model.downloads()[2].size());
        for (std::size_t i = 0; i < model.downloads().size(); ++i) {
            QCOMPARE(list.get(int(i)).value("id").toString(),
                     model.downloads()[i].id().toString(QUuid::WithoutBraces));
        }

        // One that outgrows the others moves to the top, itself, not by a removal.
        inserted.clear();
        removed.clear();
        changed.clear();
        makeFile(downloads() / "c.txt", 95000);
        rescan(model);
        QCOMPARE(column(list, "name"), (QStringList{"c.txt", "a.iso", "d.bin"}));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.first().at(1).toInt(), 2); // from c.txt's row
        QCOMPARE(moved.first().at(4).toInt(), 0); // to the top
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(removed.count(), 0);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(list.count(), 3);
    }

    // Keeping a developer cache moves its row from the offered list to the kept one, and no
    // other row of either list is touched beyond its values.
    void keepingMovesARowBetweenLists()
    {
        makeFile(TestHome::home() / ".cache/thumbnails/normal/a.png", 9000);
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        RecordList &offered = *model.devItemList();
        RecordList &kept = *model.keptDevItemList();
        const int row = offered.find("id", "thumbnails");
        QVERIFY(row >= 0);
        QCOMPARE(kept.find("id", "thumbnails"), -1);
        QSignalSpy offeredRemoved(&offered, &QAbstractItemModel::rowsRemoved);
        QSignalSpy keptInserted(&kept, &QAbstractItemModel::rowsInserted);
        QSignalSpy offeredReset(&offered, &QAbstractItemModel::modelReset);

        model.keepDevItem("thumbnails");
        QCOMPARE(offered.find("id", "thumbnails"), -1);
        QVERIFY(kept.find("id", "thumbnails") >= 0);
        QCOMPARE(offeredRemoved.count(), 1);
        QCOMPARE(offeredRemoved.first().at(1).toInt(), row);
        QCOMPARE(keptInserted.count(), 1);
        QCOMPARE(offeredReset.count(), 0);
        model.releaseDevItem("thumbnails");
        AMPA_WAIT_IDLE(model);
        QVERIFY(offered.find("id", "thumbnails") >= 0);
        QCOMPARE(kept.count(), 0);
        QCOMPARE(offeredReset.count(), 0);
        fs::remove_all(TestHome::home() / ".cache/thumbnails");
    }
};

AMPA_TEST_MAIN(ListsTest)
#include "tst_lists.moc"
