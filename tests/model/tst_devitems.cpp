// The developer caches through the model: found by the scan, each action behind its confirmation
// with what it removes and what stays, the result and the log line, and the keep-list.

#include "FakeServices.h"
#include "Model.h"
#include "ModelTesting.h"
#include "Settings.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "Text.h"
#include "TreeBuilder.h"

#include <QSignalSpy>

#include <fstream>

namespace fs = std::filesystem;

namespace {

const DevItem &item(const Model &model, const QString &id)
{
    for (const DevItem &found : model.devItems())
        if (found.cache.id == id)
            return found;
    qFatal("no developer cache %s", qPrintable(id));
}

} // namespace

class DevItemsTest : public QObject {
    Q_OBJECT

    fs::path registry = TestHome::home() / ".cargo/registry/cache";
    fs::path installed = TestHome::home() / ".cargo/bin/ripgrep";

private slots:
    void init()
    {
        clearLog();
        storeSettings({{"language", "en"}});
        makeFile(registry / "serde.crate", 50000);
        makeFile(installed, 3000);
        makeFile(TestHome::home() / ".cache/thumbnails/normal/a.png", 9000);
    }
    void cleanup()
    {
        for (const char *folder : {".cargo", ".cache"})
            fs::remove_all(TestHome::home() / folder);
        storeSettings({});
    }

    void askedThenCleanedAndLogged()
    {
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        QCOMPARE(model.devCount(), 2);
        const qint64 size = *item(model, "cargo").size;
        QVERIFY(size >= 50000);

        // Cancelled: the question named the folder, the size and what stays; nothing went.
        model.activateDevItem("cargo");
        QCOMPARE(fakes.confirmation->asked.size(), 1);
        const QString asked = fakes.confirmation->asked.first();
        QVERIFY(asked.startsWith(u"Delete \u2068Cargo registry\u2069? | "_qs));
        QVERIFY(asked.contains(QString::fromStdString(registry.native())));
        QVERIFY(asked.contains(fmt(size)));
        QVERIFY(asked.contains(QString::fromStdString((TestHome::home() / ".cargo/bin").native())));
        QVERIFY(fs::exists(registry));

        fakes.confirmation->answer = true;
        model.activateDevItem("cargo");
        AMPA_WAIT_IDLE(model);
        QVERIFY(!fs::exists(registry));
        QVERIFY(fs::exists(installed));
        // Said of the cache, for its own pane, and said again in a language chosen after.
        QCOMPARE(model.result(), "Cargo registry: " + fmt(size) + " freed.");
        QCOMPARE(model.resultPane(), "pengembang");
        QSignalSpy told(&model, &Model::resultChanged);
        Settings::instance().setLanguage("id");
        QCOMPARE(told.size(), 1);
        QCOMPARE(model.result(), "Registry Cargo: " + fmt(size) + " dibebaskan.");
        Settings::instance().setLanguage("en");
        QCOMPARE(logMessages(), QStringList{"pengembang: cargo: dibebaskan " + fmt(size)});
        QCOMPARE(model.devCount(), 1); // the next scan no longer finds it
    }

    // A folder's own name, whatever it holds, stays on one line in the list and set apart in the
    // question and the result: a right-to-left mark in it turns no sentence around.
    void oddNameSetApart()
    {
        const QString odd = u"clip\u202Egpj.\nold"_qs;
        const fs::path folder = TestHome::home() / ".cache" / odd.toStdString();
        makeFile(folder / "CACHEDIR.TAG", 0);
        std::ofstream(folder / "CACHEDIR.TAG") << "Signature: 8a477f597d28d172789f06886806bc55\n";
        makeFile(folder / "blob", 20000);
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        const RecordList *list = model.devItemList();
        QString id, name;
        for (int row = 0; row < list->rowCount(); ++row) {
            if (list->get(row).value("name").toString().contains(u"clip"_qs)) {
                id = list->get(row).value("id").toString();
                name = list->get(row).value("name").toString();
            }
        }
        QCOMPARE(name, u"~/.cache/clip\u202Egpj.\u240Aold"_qs);

        fakes.confirmation->answer = true;
        model.activateDevItem(id);
        AMPA_WAIT_IDLE(model);
        const QString asked = fakes.confirmation->asked.first();
        QVERIFY2(asked.startsWith(u"Delete \u2068~/.cache/clip\u202Egpj.\u240Aold\u2069? | "_qs),
                 qPrintable(asked));
        QVERIFY2(asked.contains(u"\u2022 \u2068"_qs), qPrintable(asked));
        QVERIFY(!fs::exists(folder));
        QVERIFY2(model.result().startsWith(u"~/.cache/clip\u202Egpj.\u240Aold: "_qs),
                 qPrintable(model.result()));
    }

    // The quick clean's developer caches are named in the developer pane with what each gives
    // back, and counted once: in the quick clean's total, never among the developer caches.
    void quickCleanCachesNamedOnce()
    {
        makeFile(TestHome::home() / ".npm/_cacache/content-v2/a/b/blob", 70000);
        makeFile(TestHome::home() / ".cache/go-build/00/out-d", 20000);
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        const QVariantMap sizes = model.property("sizes").toMap();
        QStringList named;
        qint64 namedBytes = 0;
        const RecordList *caches = model.devQuickCacheList();
        for (int row = 0; row < caches->rowCount(); ++row) {
            const QVariantMap map = caches->get(row);
            named << map.value("id").toString();
            QCOMPARE(map.value("size").toLongLong(), sizes.value(named.last()).toLongLong());
            namedBytes += map.value("size").toLongLong();
        }
        QCOMPARE(named, (QStringList{"npm", "build"}));
        QVERIFY(namedBytes >= 90000);
        for (const DevItem &entry : model.devItems())
            QVERIFY2(!named.contains(entry.cache.id), qPrintable(entry.cache.id));
        qint64 quick = 0;
        for (const QVariant &size : sizes)
            quick += size.toLongLong();
        QCOMPARE(model.quickTotal(), quick); // each byte once, in the quick clean
        fs::remove_all(TestHome::home() / ".npm");
    }

    // A kept entry is measured and shown, but neither offered nor counted; released, it comes back.
    void keptThenReleased()
    {
        FakeServices fakes;
        fakes.confirmation->answer = true;
        Model model(fakes.services());
        model.start();
        AMPA_WAIT_IDLE(model);
        model.keepDevItem("thumbnails");
        QCOMPARE(Settings::instance().devKeep(), QStringList{"thumbnails"});
        QCOMPARE(model.devCount(), 1);
        QVERIFY(item(model, "thumbnails").kept);
        QVERIFY(item(model, "thumbnails").size.value_or(0) >= 9000);
        model.refresh();
        AMPA_WAIT_IDLE(model);
        QVERIFY(item(model, "thumbnails").kept);
        QVERIFY(item(model, "thumbnails").size.value_or(0) >= 9000);
        QCOMPARE(model.devCount(), 1);
        model.activateDevItem("thumbnails");
        QVERIFY(fakes.confirmation->asked.isEmpty());
        QVERIFY(fs::exists(TestHome::home() / ".cache/thumbnails"));

        model.releaseDevItem("thumbnails");
        AMPA_WAIT_IDLE(model);
        QVERIFY(Settings::instance().devKeep().isEmpty());
        QVERIFY(!item(model, "thumbnails").kept);
        QVERIFY(item(model, "thumbnails").size.value_or(0) >= 9000);
        QCOMPARE(model.devCount(), 2);
    }
};

AMPA_TEST_MAIN(DevItemsTest)
#include "tst_devitems.moc"
