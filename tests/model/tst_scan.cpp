#include "CacheTarget.h"
#include "FakeServices.h"
#include "Model.h"
#include "ModelTesting.h"
#include "StoredSettings.h"
#include "TestHome.h"

#include <QSignalSpy>

namespace fs = std::filesystem;

class ScanTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { storeSettings({}); }

    void publishesStageByStageInOrder()
    {
        makeFile(TestHome::home() / ".cache/pip/wheels/a.whl", 50000);
        makeFile(userCacheDir().native() + "ms-playwright/chromium/x", 20000);
        makeFile(TestHome::home() / "Downloads/big.iso", 90000);

        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        // start() began the first scan; watch it from here.
        QVERIFY(model.scanning());
        QVERIFY(model.scanningAdv());
        QStringList fired;
        const std::pair<void (Model::*)(), const char *> watched[] = {
            {&Model::sizesChanged, "sizes"},      {&Model::freeChanged, "free"},
            {&Model::totalChanged, "total"},      {&Model::scanningChanged, "scanning"},
            {&Model::mauInstalledChanged, "mau"}, {&Model::msAppsChanged, "msApps"},
            {&Model::advChanged, "adv"},          {&Model::downloadsChanged, "downloads"},
            {&Model::appsChanged, "apps"},        {&Model::scanningAdvChanged, "scanningAdv"}};
        for (const auto &[signal, name] : watched)
            connect(&model, signal, this, [&fired, name = name] { fired << name; });
        QTRY_VERIFY_WITH_TIMEOUT(!model.scanningAdv(), 20000);
        // Each stage is published before the next begins: the caches and the volume, then the
        // first flag goes down, then the advanced folders and the large items, the second flag
        // last. Values that did not change (no office updater here) do not notify.
        const auto at = [&fired](const char *name) { return fired.indexOf(name); };
        QVERIFY2(at("sizes") >= 0 && at("sizes") < at("scanning"), qPrintable(fired.join(' ')));
        QVERIFY(at("free") < at("scanning") && at("total") < at("scanning"));
        QVERIFY(at("scanning") < at("adv"));
        QVERIFY(at("adv") < at("downloads") && at("downloads") < at("apps"));
        QCOMPARE(fired.last(), "scanningAdv");
        QCOMPARE(fired.count("scanning"), 1);
        QVERIFY(!fired.contains("mau") && !fired.contains("msApps"));
        // Every measured card has a value, zeros included.
        QCOMPARE(model.adv().keys(),
                 (QStringList{"autorecover", "claudevm", "playwright", "whatsapp"}));

        // Every target has a size, zeros included.
        for (const CacheTarget &target : quickTargets())
            QVERIFY2(model.sizes().contains(target.id), qPrintable(target.id));
        QVERIFY(model.sizes().value("pip") >= 50000);
        QCOMPARE(model.sizes().value("chrome"), 0);
        QVERIFY(model.adv().value("playwright") >= 20000);
        QCOMPARE(model.adv().value("whatsapp"), 0);
        QCOMPARE(model.downloads().size(), 1u);
        QVERIFY(model.totalBytes() > 0);
        QVERIFY(model.bootDate() <= QDateTime::currentDateTimeUtc());

        // Only targets with a size or a status are shown, in catalogue order.
        QCOMPARE(model.visibleQuick().size(), 1);
        QCOMPARE(model.visibleQuick().first().id, "pip");
        QCOMPARE(model.quickTotal(), model.sizes().value("pip"));
        fs::remove_all(TestHome::home() / ".cache/pip");
        fs::remove_all(userCacheDir().native() + "ms-playwright");
        fs::remove_all(TestHome::home() / "Downloads");
    }

    // A refused cache base is told until the variable is fixed. Every scan tells the uptime anew
    // (time passed though the boot date stayed); a refresh during a scan is dropped, not queued.
    void refreshes()
    {
        qputenv("XDG_CACHE_HOME", TestHome::home().c_str());
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        QCOMPARE(model.warnings().size(), 1);
        QVERIFY(model.warnings().first().startsWith("XDG_CACHE_HOME"));

        qunsetenv("XDG_CACHE_HOME");
        QSignalSpy scanning(&model, &Model::scanningChanged);
        QSignalSpy uptime(&model, &Model::uptimeChanged);
        QSignalSpy restart(&model, &Model::suggestRestartChanged);
        QSignalSpy warnings(&model, &Model::warningsChanged);
        model.refresh();
        QVERIFY(model.scanning());
        model.refresh();
        model.refresh();
        AMPA_WAIT_IDLE(model);
        QCOMPARE(scanning.count(), 2); // up and down, once
        QCOMPARE(uptime.count(), 1);
        QCOMPARE(restart.count(), 1);
        QCOMPARE(warnings.count(), 1);
        QVERIFY(model.warnings().isEmpty());
    }

    // Made but not started, the model measures nothing: a caller that only cleans waits on no
    // scan. Started, it has the volume's figures at once, for the first frame, and nothing of
    // the scan's before its first publication.
    void beforeAnyScan()
    {
        FakeServices fakes;
        Model model(fakes.services());
        QCoreApplication::processEvents(); // a scan raises its flag at once
        QVERIFY(!model.scanning() && !model.scanningAdv());
        QVERIFY(model.sizes().isEmpty());
        QCOMPARE(model.totalBytes(), 0);
        model.start();
        QVERIFY(model.uptime() >= 0 && model.uptime() < 5);
        QVERIFY(!model.suggestRestart() || Engine::swapTotal() > 1'999'999'999);
        QVERIFY(model.adv().isEmpty());
        QVERIFY(model.sizes().isEmpty());
        QCOMPARE(model.totalBytes(), Engine::disk().total);
        QVERIFY(model.freeBytes() > 0);
        AMPA_WAIT_IDLE(model);
    }

    // A first scan held for a window's first frame: the views see a scan under way (no
    // unmeasured 0 B), the volume's figures are there, nothing is measured until it is let go,
    // and a refresh asked for meanwhile neither starts a second scan nor is lost to the first.
    void firstScanWaitsUntilAsked()
    {
        makeFile(TestHome::home() / ".cache/pip/wheels/a.whl", 50000);
        FakeServices fakes;
        Model model(fakes.services());
        QSignalSpy sizes(&model, &Model::sizesChanged);
        QSignalSpy scans(&model, &Model::scanningChanged);
        model.start(std::chrono::minutes(30), Model::FirstScan::whenAsked);
        QVERIFY(model.scanning() && model.scanningAdv());
        QCOMPARE(model.totalBytes(), Engine::disk().total);
        model.refresh();
        model.scanAgain();
        // Long enough for a scan of this small home to publish its first stage, had one begun.
        QTest::qWait(300);
        QCOMPARE(sizes.count(), 0);
        QVERIFY(model.sizes().isEmpty());
        QCOMPARE(scans.count(), 1);

        model.beginFirstScan();
        QTRY_VERIFY_WITH_TIMEOUT(!model.scanningAdv(), 20000);
        QVERIFY(model.sizes().value("pip") >= 50000);
        // Raised once when held, lowered once: one scan, no second one queued behind it.
        QCOMPARE(scans.count(), 2);
        model.beginFirstScan(); // let go once only
        QCoreApplication::processEvents();
        QVERIFY(!model.scanning());
    }

    // The regular rescan, with an interval short enough to see it come round twice.
    void rescansOnItsInterval()
    {
        FakeServices fakes;
        Model model(fakes.services());
        QSignalSpy scans(&model, &Model::scanningChanged);
        model.start(std::chrono::milliseconds(300));
        // Each scan raises and lowers the flag: three scans are six changes.
        QTRY_VERIFY_WITH_TIMEOUT(scans.count() >= 6, 20000);
    }

    // A clean that ends while a scan runs owes a refresh: it runs when that scan ends, so the
    // figures are not the ones measured before the clean.
    void cleanEndingDuringAScanRefreshesAfterIt()
    {
        const fs::path pip = userCacheDir().native() + "pip";
        makeFile(pip / "http/wheel", 50000);
        // A large Downloads keeps the scan busy after the caches were measured.
        for (int folder = 0; folder < 40; ++folder) {
            for (int i = 0; i < 500; ++i)
                makeFile(TestHome::home() / "Downloads" / ("d" + std::to_string(folder))
                             / ("f" + std::to_string(i)),
                         0);
        }
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        QTRY_VERIFY_WITH_TIMEOUT(!model.scanning(), 20000);
        QVERIFY(model.sizes().value("pip") > 0);
        bool scanRanAtTheEnd = false;
        connect(&model, &Model::quickCleanFinished, this,
                [&] { scanRanAtTheEnd = model.scanningAdv(); });
        model.cleanQuick();
        AMPA_WAIT_IDLE(model);
        QVERIFY2(scanRanAtTheEnd, "the scan ended before the clean: nothing was owed");
        QCOMPARE(model.sizes().value("pip"), 0);
        fs::remove_all(TestHome::home() / "Downloads");
    }

    void derivedRules()
    {
        QVERIFY(!Model::lowSpace(10'000'000'000, 100'000'000'000));
        QVERIFY(Model::lowSpace(9'999'999'999, 100'000'000'000));
        QVERIFY(!Model::lowSpace(5, 0));
        QCOMPARE(Model::usedFractionOf(5, 0), 0.0);
        QCOMPARE(Model::usedFractionOf(25, 100), 0.75);
        QVERIFY(Model::restartAdvised(2'000'000'000, 0));
        QVERIFY(Model::restartAdvised(1'999'999'999, 259'200));
        QVERIFY(!Model::restartAdvised(1'999'999'999, 259'199));
    }

    // A model destroyed with its scan still running neither hangs nor crashes, and nothing
    // is delivered to it afterwards.
    void destroyedWhileScanning()
    {
        for (int i = 0; i < 5; ++i) {
            FakeServices fakes;
            auto model = std::make_unique<Model>(fakes.services());
            model->start();
            QVERIFY(model->scanning());
            model.reset();
            QCoreApplication::processEvents();
        }
        // Nothing of the abandoned scans reaches the next model.
        FakeServices fakes;
        Model survivor(fakes.services());
        survivor.start();
        QTRY_VERIFY_WITH_TIMEOUT(!survivor.scanningAdv(), 20000);
    }
};

AMPA_TEST_MAIN(ScanTest)
#include "tst_scan.moc"
