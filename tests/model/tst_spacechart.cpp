#include "FakeServices.h"
#include "FileKind.h"
#include "ModelTesting.h"
#include "SpaceChartModel.h"
#include "SpaceChartParts.h"
#include "StoredSettings.h"
#include "TestHome.h"

#include <QSignalSpy>

#include <fstream>
#include <map>

namespace fs = std::filesystem;
using Engine::FileKind;
using Engine::SpaceTree;

Q_DECLARE_METATYPE(Engine::FileKind)

// The space map's chart: each file's kind by its name, and the parts of a folder's rings from a
// real walk of a home holding media, documents, archives, code, a project and a cache.
class SpaceChartTest : public QObject {
    Q_OBJECT

    FakeServices fakes;
    std::unique_ptr<Model> model;

    SpaceModel &space() { return *model->space(); }

    // The part showing the entry at `path` below the home; null when none does.
    static const ChartPart *partAt(const SpaceTree &tree, const ChartParts &chart,
                                   const fs::path &path)
    {
        const std::optional<SpaceTree::Index> index = tree.find(TestHome::home() / path);
        for (const ChartPart &part : chart.parts) {
            if (index && part.index == *index)
                return &part;
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        // The system's type database, read only; the home stays the test's.
        qputenv("XDG_DATA_DIRS", qgetenv("XDG_DATA_DIRS") + ":/usr/local/share:/usr/share");
        storeSettings({{"language", "en"}});
        const fs::path home = TestHome::home();
        makeFile(home / "Videos/holiday.mp4", 900'000);
        makeFile(home / "Videos/clip.mkv", 300'000);
        makeFile(home / "Videos/poster.png", 10'000);
        makeFile(home / "Videos/trips/2024/alps.mp4", 200'000);
        makeFile(home / "Documents/thesis.pdf", 400'000);
        makeFile(home / "Documents/report.odt", 100'000);
        makeFile(home / "Documents/notes.txt", 50'000);
        makeFile(home / "Documents/scan.png", 60'000); // not what fills it
        makeFile(home / "Downloads/debian.iso", 500'000);
        makeFile(home / "Downloads/backup.tar.gz", 200'000);
        makeFile(home / "tools/main.cpp", 200'000);
        makeFile(home / "tools/main.h", 20'000);
        makeFile(home / "tools/Makefile", 5'000);
        makeFile(home / ".cache/pip/http/wheels.bin", 300'000);
        const fs::path project = home / "src/webapp";
        TreeBuilder::write(project / "package.json", "{}");
        TreeBuilder::write(project / "package-lock.json", "{}");
        makeFile(project / "node_modules/react/index.js", 600'000);
        makeFile(project / "src/main.js", 40'000);
        // A disk image that takes almost nothing on disk until it is written to.
        fs::create_directories(home / "vm");
        std::ofstream(home / "vm/disk.img").close();
        fs::resize_file(home / "vm/disk.img", qint64(1) << 30);
        // Too many and too small to show one by one.
        for (int file = 0; file < 120; ++file)
            makeFile(home / "mail" / ("message-" + std::to_string(file) + ".eml"), 2'000);

        fakes = FakeServices();
        model = std::make_unique<Model>(fakes.services());
        QSignalSpy settled(&space(), &SpaceModel::settled);
        space().start();
        QVERIFY(settled.wait(30000));
    }

    void kindByName_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<FileKind>("kind");
        const std::map<const char *, FileKind> cases = {
            {"holiday.mp4", FileKind::media},
            {"FILM.MKV", FileKind::media},
            {"song.flac", FileKind::media},
            {"photo.jpeg", FileKind::media},
            {"thesis.pdf", FileKind::documents},
            {"report.docx", FileKind::documents}, // a zip file inside
            {"sheet.ods", FileKind::documents},
            {"book.epub", FileKind::documents},
            {"notes.txt", FileKind::documents},
            {"README.md", FileKind::documents},
            {"backup.tar.gz", FileKind::archives},
            {"debian.iso", FileKind::archives},
            {"package.deb", FileKind::archives},
            {"photos.zip", FileKind::archives},
            {"main.cpp", FileKind::code},
            {"build.sh", FileKind::code},
            {"app.js", FileKind::code},
            {"Makefile", FileKind::code},
            {"CMakeLists.txt", FileKind::code}, // known whole, not as any .txt
            {"main.o", FileKind::buildOutput},
            {"libssl.so", FileKind::buildOutput},
            {"module.pyc", FileKind::buildOutput},
            {"server.log", FileKind::other},
            {"message.eml", FileKind::documents},
            {"4f1c0e9a2b", FileKind::other},
            {".hidden", FileKind::other},
            {"trailing.", FileKind::other},
            {"", FileKind::other},
        };
        for (const auto &[name, kind] : cases)
            QTest::newRow(name) << QByteArray(name) << kind;
        // Odd names keep their extension's kind.
        QTest::newRow("invalid UTF-8") << QByteArray("caf\xff\xfe.mp4") << FileKind::media;
        QTest::newRow("newline") << QByteArray("two\nlines.pdf") << FileKind::documents;
        QTest::newRow("bidi control") << QByteArray("evil\xe2\x80\xaegpj.exe") << FileKind::other;
    }
    // The remembering reader answers as the database does, the first time and after.
    void kindByName()
    {
        QFETCH(QByteArray, name);
        QFETCH(FileKind, kind);
        const std::string_view text(name.constData(), std::size_t(name.size()));
        QCOMPARE(Engine::fileKindOf(Engine::typeOfName(text)), kind);
        Engine::FileKinds kinds;
        QCOMPARE(kinds.of(text), kind);
        QCOMPARE(kinds.of(text), kind);
        // Another name of the same extension first: the answer remembered is the extension's.
        Engine::FileKinds primed;
        primed.of("other.txt");
        primed.of("other.cpp");
        QCOMPARE(primed.of(text), kind);
    }

    void marksGiveFoldersTheirKind()
    {
        QCOMPARE(Engine::markedKind(Engine::SpaceKind::project), FileKind::buildOutput);
        QCOMPARE(Engine::markedKind(Engine::SpaceKind::quick), FileKind::caches);
        QCOMPARE(Engine::markedKind(Engine::SpaceKind::developer), FileKind::caches);
        QCOMPARE(Engine::markedKind(Engine::SpaceKind::cacheTag), FileKind::caches);
        QVERIFY(!Engine::markedKind(Engine::SpaceKind::trash));
        QVERIFY(!Engine::markedKind(Engine::SpaceKind::none));
    }

    // Three rings; each part within the one it lies in; a folder's parts, small items merged
    // included, take what its entries take of the turn.
    void ringsAddUp()
    {
        const SpaceTree &tree = *space().spaceTree();
        const ChartParts chart = chartParts(tree, SpaceTree::rootIndex);
        QVERIFY(chart.exact);
        QCOMPARE(chart.total, tree.entry(SpaceTree::rootIndex).size);
        std::map<int, double> taken; // by the part they lie in, -1 the folder itself
        int deepest = 0;
        for (std::size_t at = 0; at < chart.parts.size(); ++at) {
            const ChartPart &part = chart.parts[at];
            QVERIFY2(part.parent < int(at), "a part comes after the one it lies in");
            deepest = std::max(deepest, part.level);
            taken[part.parent] += part.span;
            QVERIFY(part.span > 0);
            QCOMPARE(part.span, double(part.size) / double(chart.total));
            if (part.parent >= 0) {
                const ChartPart &holder = chart.parts[std::size_t(part.parent)];
                QCOMPARE(part.level, holder.level + 1);
                QVERIFY(part.start >= holder.start - 1e-9);
                QVERIFY(part.start + part.span <= holder.start + holder.span + 1e-9);
            } else {
                QCOMPARE(part.level, 1);
            }
        }
        QCOMPARE(deepest, 3);
        for (const auto &[holder, spans] : taken) {
            const SpaceTree::Index folder =
                holder < 0 ? SpaceTree::rootIndex : chart.parts[std::size_t(holder)].index;
            qint64 entries = 0;
            for (const SpaceTree::Entry &entry : tree.children(folder))
                entries += entry.size;
            QVERIFY2(qAbs(spans - double(entries) / double(chart.total)) < 1e-9,
                     qPrintable(QString::number(holder)));
        }
        // Not drawn past a third ring: the wheel inside .cache/pip/http is in it, not beyond.
        QVERIFY(partAt(tree, chart, ".cache/pip/http"));
        QVERIFY(!partAt(tree, chart, ".cache/pip/http/wheels.bin"));
        QVERIFY(partAt(tree, chart, "Videos/trips/2024"));
    }

    // What is too small to see is one part per folder, saying how many it stands for.
    void smallItemsMerge()
    {
        const SpaceTree &tree = *space().spaceTree();
        const ChartParts chart = chartParts(tree, SpaceTree::rootIndex);
        const ChartPart *mail = partAt(tree, chart, "mail");
        QVERIFY(mail);
        const int mailPart = int(mail - chart.parts.data());
        int merged = 0, shown = 0;
        for (const ChartPart &part : chart.parts) {
            if (part.parent != mailPart)
                continue;
            if (part.index == SpaceTree::noEntry)
                merged += part.merged;
            else
                ++shown;
        }
        QCOMPARE(shown + merged, 120);
        QVERIFY(merged > 0);
        QCOMPARE(shown, 0); // each 4 KB of several MB: below the smallest share

        // At most so many of a folder's entries show, the rest merged.
        ChartBounds few;
        few.perFolder = 3;
        few.smallest = 0;
        const ChartParts bounded = chartParts(tree, SpaceTree::rootIndex, few);
        std::map<int, int> perFolder;
        for (const ChartPart &part : bounded.parts)
            perFolder[part.parent] += part.index == SpaceTree::noEntry ? 0 : 1;
        for (const auto &[holder, count] : perFolder)
            QVERIFY(count <= 3);
        const ChartParts letters = chartParts(tree, *tree.find(TestHome::home() / "mail"), few);
        QCOMPARE(letters.parts.size(), std::size_t(4));
        QCOMPARE(letters.parts.back().merged, 117);
        QCOMPARE(letters.parts.back().size, 117 * letters.parts.front().size);
    }

    // Measured by the files' bytes, the sparse image fills the turn; on disk it is too small to
    // see. Disk bytes still tell what rebuilds by itself.
    void apparentSizes()
    {
        const SpaceTree &tree = *space().spaceTree();
        ChartBounds apparent;
        apparent.apparent = true;
        const ChartParts byBytes = chartParts(tree, SpaceTree::rootIndex, apparent);
        QCOMPARE(byBytes.total, tree.entry(SpaceTree::rootIndex).apparent);
        QVERIFY(!byBytes.parts.empty());
        const ChartPart &first = byBytes.parts.front();
        QCOMPARE(first.index, *tree.find(TestHome::home() / "vm"));
        QVERIFY(first.span > 0.9);
        QCOMPARE(first.size, tree.entry(first.index).apparent);
        QCOMPARE(first.onDisk, tree.entry(first.index).size);
        const ChartParts onDisk = chartParts(tree, SpaceTree::rootIndex);
        QVERIFY(!partAt(tree, onDisk, "vm"));
        const ChartPart *cache = partAt(tree, onDisk, ".cache");
        QVERIFY(cache);
        QCOMPARE(cache->onDisk, cache->size);
    }

    void kindsOfFoldersAndFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<FileKind>("kind");
        QTest::newRow("media") << "Videos" << FileKind::media;
        QTest::newRow("a film") << "Videos/holiday.mp4" << FileKind::media;
        QTest::newRow("media deeper") << "Videos/trips/2024" << FileKind::media;
        QTest::newRow("documents") << "Documents" << FileKind::documents;
        QTest::newRow("a picture among them") << "Documents/scan.png" << FileKind::media;
        QTest::newRow("archives") << "Downloads" << FileKind::archives;
        QTest::newRow("code") << "tools" << FileKind::code;
        QTest::newRow("a project, mostly dependencies") << "src" << FileKind::buildOutput;
        QTest::newRow("marked dependencies") << "src/webapp/node_modules" << FileKind::buildOutput;
        QTest::newRow("holding a cache") << ".cache" << FileKind::caches;
        QTest::newRow("the cache") << ".cache/pip" << FileKind::caches;
        QTest::newRow("inside the cache") << ".cache/pip/http" << FileKind::caches;
        QTest::newRow("mail") << "mail" << FileKind::documents;
    }
    void kindsOfFoldersAndFiles()
    {
        QFETCH(QString, path);
        QFETCH(FileKind, kind);
        const SpaceTree &tree = *space().spaceTree();
        const ChartParts chart = chartParts(tree, SpaceTree::rootIndex);
        const ChartPart *part = partAt(tree, chart, path.toStdString());
        QVERIFY(part);
        QCOMPARE(part->kind, kind);
    }

    // A chart of a folder inside a cache is all cache; a look cut short still gives the
    // largest folders their kind, and says it was cut short.
    void insideAMarkAndCutShort()
    {
        const SpaceTree &tree = *space().spaceTree();
        const ChartParts inside = chartParts(tree, *tree.find(TestHome::home() / ".cache/pip"));
        QVERIFY(!inside.parts.empty());
        for (const ChartPart &part : inside.parts)
            QCOMPARE(part.kind, FileKind::caches);

        ChartBounds cut;
        cut.budget = 12;
        const ChartParts rough = chartParts(tree, SpaceTree::rootIndex, cut);
        QVERIFY(!rough.exact);
        QCOMPARE(partAt(tree, rough, "Videos")->kind, FileKind::media);
        QCOMPARE(rough.parts.size(), chartParts(tree, SpaceTree::rootIndex).parts.size());

        QVERIFY(chartParts(tree, SpaceTree::noEntry).parts.empty());
        QVERIFY(chartParts(tree, 1'000'000).parts.empty());
    }

    // The chart follows the folder looked at, and says what each part is and where the keys
    // go from it.
    void followsTheMap()
    {
        SpaceChartModel chart;
        QSignalSpy made(&chart, &SpaceChartModel::partsChanged);
        chart.setSpace(&space());
        QTRY_COMPARE_WITH_TIMEOUT(chart.folderId(), int(SpaceTree::rootIndex), 20000);
        QVERIFY(chart.count() > 0);
        QVERIFY(chart.kinds().contains("media"));
        QVERIFY(chart.kinds().contains("caches"));

        const std::optional<SpaceTree::Index> videos =
            space().spaceTree()->find(TestHome::home() / "Videos");
        const int first = chart.indexOf(int(*videos));
        const QVariantMap part = chart.part(first).toMap();
        QCOMPARE(part.value("path").toString(),
                 QString::fromStdString((TestHome::home() / "Videos").native()));
        QCOMPARE(part.value("kind").toString(), "media");
        QCOMPARE(part.value("level").toInt(), 1);
        QVERIFY(part.value("folder").toBool());
        QCOMPARE(part.value("share").toDouble(), part.value("size").toDouble() / chart.total());

        const int out = chart.outward(first);
        QCOMPARE(chart.part(out).toMap().value("parent").toInt(), first);
        QCOMPARE(chart.inward(out), first);
        QCOMPARE(chart.inward(first), -1);
        // Round the first ring and back.
        int at = first;
        int ring = 0;
        do {
            at = chart.beside(at, 1);
            QCOMPARE(chart.part(at).toMap().value("level").toInt(), 1);
            ++ring;
        } while (at != first && ring < 100);
        QCOMPARE(at, first);
        QCOMPARE(chart.beside(chart.beside(first, 1), -1), first);

        space().open(int(*videos));
        QTRY_COMPARE_WITH_TIMEOUT(chart.folderId(), int(*videos), 20000);
        QCOMPARE(chart.part(0).toMap().value("share").toDouble(),
                 chart.part(0).toMap().value("size").toDouble() / chart.total());
        QVERIFY(chart.kinds() == QStringList{"media"});
        space().up();
        QTRY_COMPARE_WITH_TIMEOUT(chart.folderId(), int(SpaceTree::rootIndex), 20000);

        // The sizes the map shows are the chart's.
        const qint64 apparent = space().spaceTree()->entry(SpaceTree::rootIndex).apparent;
        space().setApparent(true);
        QTRY_COMPARE_WITH_TIMEOUT(chart.total(), double(apparent), 20000);
        space().setApparent(false);
        QTRY_COMPARE_WITH_TIMEOUT(chart.total(), space().total(), 20000);
    }
};

AMPA_TEST_MAIN(SpaceChartTest)
#include "tst_spacechart.moc"
