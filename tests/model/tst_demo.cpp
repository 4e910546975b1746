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

    // Sample figures at once, no scan; the sample downloads are real files in the temporary
    // folder, never in the home.
    void sampleData()
    {
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        QVERIFY(model.demo());
        QVERIFY(!model.scanning() && !model.scanningAdv());
        QVERIFY(model.quickTotal() > 0);
        QVERIFY(!model.downloads().empty());
        for (const FileItem &item : model.downloads()) {
            QCOMPARE(item.url().parent_path(),
                     fs::path(QDir::tempPath().toStdString()) / "ampa-demo");
            QVERIFY(fs::exists(item.url()));
        }
        QVERIFY(model.apps().empty()); // no sample application exists here
    }

    // Everything but the blocked sample goes, and the free space grows by as much; no log line.
    void simulatedCleans()
    {
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        const qint64 free = model.freeBytes();
        const qint64 freed = model.quickTotal() - model.sizes().value("comet");
        model.cleanQuick();
        QVERIFY(model.busy());
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 10000);
        QCOMPARE(model.result(), "Quick clean: " + fmt(freed) + " freed.");
        QCOMPARE(model.freeBytes(), free + freed);
        QCOMPARE(model.visibleQuick().size(), 1);
        QCOMPARE(model.statuses().value("comet").app, "Comet");
        QVERIFY(logMessages().isEmpty());

        Settings::instance().setLanguage("id");
        model.cleanQuick();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 10000);
        QCOMPARE(model.result(), "Pembersihan cepat: 0 MB dibebaskan.");

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
        QTest::newRow("absent") << QVariant() << Model::Pane::cepat;
    }
    void presetPane()
    {
        QFETCH(QVariant, value);
        QFETCH(Model::Pane, pane);
        storeSettings(value.isValid() ? QVariantMap{{"demo", true}, {"demoPane", value}}
                                      : QVariantMap{{"demo", true}});
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        QCOMPARE(model.pane(), pane);
    }

    // The timed clean runs only for a positive delay: the question, asked later, finds it
    // running (or done) or finds nothing started.
    void timedStartUpSteps_data()
    {
        QTest::addColumn<QVariant>("autoClean");
        QTest::addColumn<bool>("cleans");
        QTest::newRow("soon") << QVariant(0.05) << true;
        QTest::newRow("zero") << QVariant(0) << false;
        QTest::newRow("negative") << QVariant(-1) << false;
    }
    void timedStartUpSteps()
    {
        QFETCH(QVariant, autoClean);
        QFETCH(bool, cleans);
        storeSettings({{"demo", true}, {"demoAutoClean", autoClean}, {"demoAsk", 1.0}});
        FakeServices fakes;
        fakes.confirmation->answer = true;
        Model model(fakes.services());
        model.start();
        QTRY_COMPARE_WITH_TIMEOUT(fakes.confirmation->asked.size(), 1, 10000);
        QVERIFY(fakes.confirmation->asked.first().startsWith("Delete the Claude Desktop VM?"));
        if (!cleans) {
            QVERIFY(!model.busy() && model.result().isNull());
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(!model.result().isNull(), 10000);
        QCOMPARE(model.resultKind(), Model::ResultKind::done);
    }
};

AMPA_TEST_MAIN(DemoTest)
#include "tst_demo.moc"
