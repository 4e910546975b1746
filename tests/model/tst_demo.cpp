#include "FakeServices.h"
#include "ModelTesting.h"
#include "StoredSettings.h"
#include "TestHome.h"

#include <QDir>

namespace fs = std::filesystem;

class DemoTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        storeSettings({{"demo", true}, {"language", "en"}});
        clearLog();
    }

    // Only an explicit yes turns demo mode on; any other text (a typo, "no", "off") leaves it off.
    void flagValues_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("on");
        for (const char *yes : {"true", "1", "yes", "on", "TRUE", " On "})
            QTest::newRow(yes) << QVariant(QString::fromLatin1(yes)) << true;
        for (const char *no : {"no", "off", "false", "0", "nope", "", "2"})
            QTest::newRow(no) << QVariant(QString::fromLatin1(no)) << false;
        QTest::newRow("bool true") << QVariant(true) << true;
        QTest::newRow("bool false") << QVariant(false) << false;
        QTest::newRow("absent") << QVariant() << false;
    }

    void flagValues()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, on);
        storeSettings(stored.isValid() ? QVariantMap{{"demo", stored}} : QVariantMap{});
        FakeServices fakes;
        Model model(fakes.services());
        QCOMPARE(model.demo(), on);
    }

    void sampleData()
    {
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        QVERIFY(model.demo());
        QVERIFY(!model.scanning());
        QVERIFY(!model.scanningAdv());
        QCOMPARE(model.freeBytes(), 6'600'000'000);
        QCOMPARE(model.totalBytes(), 245'000'000'000);
        QCOMPARE(model.sizes().size(), 7);
        QCOMPARE(model.quickTotal(), 11'886'000'000);
        QCOMPARE(model.visibleQuick().size(), 7);
        QVERIFY(model.isLow());
        QVERIFY(model.suggestRestart());
        QCOMPARE(model.adv().value("whatsapp"), 30'800'000'000);
        QVERIFY(model.mauInstalled());
        QCOMPARE(model.downloads().size(), 6u);
        QCOMPARE(model.downloads().front().url(),
                 fs::path(QDir::tempPath().toStdString()) / "ampa-demo/Meeting recording.mp4");
        QCOMPARE(model.downloads().front().size(), 381'000'000);
        QVERIFY(fs::exists(model.downloads().back().url()));
        QVERIFY(model.apps().empty()); // no sample application exists here
        QCOMPARE(qRound(model.uptime()), 154'800);
    }

    void simulatedCleans()
    {
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        model.cleanQuick();
        QVERIFY(model.busy());
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 10000);
        QCOMPARE(model.result(), fmt(11'450'000'000) + " freed.");
        QCOMPARE(model.freeBytes(), 6'600'000'000 + 11'450'000'000);
        QCOMPARE(model.visibleQuick().size(), 1);
        QCOMPARE(model.visibleQuick().first().id, "comet");
        QCOMPARE(model.statuses().value("comet").app, "Comet");
        QVERIFY(logMessages().isEmpty()); // the simulation writes no log line

        Settings::instance().setLanguage("id");
        model.cleanQuick();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 10000);
        QCOMPARE(model.result(), "0 MB dibebaskan.");

        // A refresh loads the samples again, undoing the simulation.
        model.refresh();
        QCOMPARE(model.visibleQuick().size(), 7);
    }

    // The regular rescan in demo mode loads the sample figures again, as after a simulated clean.
    void rescanReloadsTheSamples()
    {
        FakeServices fakes;
        Model model(fakes.services());
        model.start(std::chrono::milliseconds(1500));
        const qint64 sample = model.quickTotal();
        QVERIFY(sample > 0);
        model.cleanQuick();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 10000);
        QVERIFY(model.quickTotal() < sample);
        QTRY_COMPARE_WITH_TIMEOUT(model.quickTotal(), sample, 10000);
    }

    void presetPane_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<Model::Pane>("pane");
        QTest::newRow("lanjutan") << QVariant("lanjutan") << Model::Pane::lanjutan;
        QTest::newRow("downloads") << QVariant("downloads") << Model::Pane::downloads;
        QTest::newRow("aplikasi") << QVariant("aplikasi") << Model::Pane::aplikasi;
        QTest::newRow("cepat") << QVariant("cepat") << Model::Pane::cepat;
        QTest::newRow("log") << QVariant("log") << Model::Pane::cepat;
        QTest::newRow("pengaturan") << QVariant("pengaturan") << Model::Pane::cepat;
    }
    void presetPane()
    {
        QFETCH(QVariant, value);
        QFETCH(Model::Pane, pane);
        storeSettings({{"demo", true}, {"demoPane", value}});
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        QCOMPARE(model.pane(), pane);
    }

    void absentPaneLeavesItAlone()
    {
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        QCOMPARE(model.pane(), Model::Pane::cepat);
    }

    void timedStartUpSteps()
    {
        storeSettings({{"demo", true}, {"demoAutoClean", 0.05}, {"demoAsk", 0.05}});
        FakeServices fakes;
        fakes.confirmation->answer = true;
        Model model(fakes.services());
        model.start();
        QTRY_COMPARE_WITH_TIMEOUT(fakes.confirmation->asked.size(), 1, 10000);
        QVERIFY(fakes.confirmation->asked.first().startsWith("Delete the Claude Desktop VM?"));
        QTRY_VERIFY_WITH_TIMEOUT(!model.result().isNull(), 10000);
        QVERIFY(model.result().endsWith(" freed."));
    }

    void noAutomaticCleanWhenZeroOrNegative()
    {
        storeSettings({{"demo", true}, {"demoAutoClean", -1}});
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        QVERIFY(!model.busy());
        // The timed clean would have set busy at once; nothing is scheduled at all.
        QVERIFY(model.findChildren<QTimer *>().size() <= 1);
    }
};

AMPA_TEST_MAIN(DemoTest)
#include "tst_demo.moc"
