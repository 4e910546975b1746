#include "NcduFormat.h"
#include "ScanWords.h"
#include "Settings.h"
#include "SpaceTesting.h"
#include "SpaceTree.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>

#include <atomic>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;
using Engine::ScanProblem;
using Engine::SpaceTree;

namespace {

QByteArray runOrStop(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        qFatal("%s %s failed: %s", qPrintable(program), qPrintable(arguments.join(' ')),
               process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

QString arg(const fs::path &path)
{
    return QString::fromStdString(path.native());
}

// A figure per folder path, from a program's lines "FIGURE\tPATH", each ended by NUL.
std::map<std::string, qint64> perPath(const QByteArray &out)
{
    std::map<std::string, qint64> figures;
    for (const QByteArray &line : out.split('\0')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            figures[line.mid(tab + 1).toStdString()] = line.left(tab).toLongLong();
    }
    return figures;
}

struct Figures {
    qint64 size = 0;
    qint64 apparent = 0;
    qint64 count = 0;
    qint64 newest = 0;
    bool operator==(const Figures &) const = default;
};

// Every folder of the tree by path.
std::map<std::string, Figures> folders(const SpaceTree &tree)
{
    std::map<std::string, Figures> figures;
    for (const auto &[path, entry] : SpaceTesting::entriesByPath(tree)) {
        if (entry.folder && !entry.otherMount)
            figures[path] = {entry.size, entry.apparent, entry.count, entry.newest};
    }
    return figures;
}

// What the tools themselves count for each folder under `root`.
std::map<std::string, Figures> measured(const fs::path &root)
{
    const auto sizes = perPath(runOrStop("du", {"-x", "-0", "-B1", arg(root)}));
    const auto apparent =
        perPath(runOrStop("du", {"-x", "-0", "-B1", "--apparent-size", arg(root)}));
    const QByteArray listing = runOrStop("find", {arg(root), "-printf", "%T@\\t%p\\0"});
    std::map<std::string, Figures> figures;
    for (const auto &[path, size] : sizes)
        figures[path] = {size, apparent.at(path), 0, 0};
    for (const QByteArray &line : listing.split('\0')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        const std::string path = line.mid(tab + 1).toStdString();
        const qint64 seconds = line.left(line.indexOf('.')).toLongLong();
        // The entry, and each folder above it up to the root.
        for (fs::path at = path; at.native().size() >= root.native().size();
             at = at.parent_path()) {
            if (const auto folder = figures.find(at.native()); folder != figures.end()) {
                folder->second.newest = std::max(folder->second.newest, seconds);
                if (at.native() != path)
                    ++folder->second.count;
            }
            if (at == root)
                break;
        }
    }
    return figures;
}

// A tree with what makes an export hard: links across folders, a sparse file, odd names.
fs::path oddTree(const std::string &name)
{
    const fs::path root = TestHome::root() / name;
    file(root / "a/one.bin", 300000);
    folder(root / "b/deeper");
    fs::create_hard_link(root / "a/one.bin", root / "b/deeper/one-again.bin");
    fs::create_hard_link(root / "a/one.bin", root / "a/same-folder.bin");
    file(root / "c/disk.img", 8192);
    if (truncate((root / "c/disk.img").c_str(), 64LL << 20) != 0)
        qFatal("no sparse file");
    file(root / "names/new\nline", 10);
    file(root / "names/not-utf8-\xff\xfe", 20);
    file(root / "names/bidi-\xe2\x80\xae-txt.exe", 30);
    file(root / "names/quote\"back\\slash", 40);
    file(root / "names/\x01\x1f control", 50);
    folder(root / "names/empty folder");
    symlink(root / "a", root / "names/link-to-a");
    return root;
}

fs::path writeFile(const std::string &name, const QByteArray &bytes)
{
    const fs::path path = TestHome::root() / name;
    write(path, bytes);
    return path;
}

const QByteArray header = "[1,2,{\"progname\":\"ncdu\",\"progver\":\"1.18\",\"timestamp\":1}, ";

} // namespace

class NcduTest : public QObject {
    Q_OBJECT

private slots:
    // An export ncdu made of a real tree reads as du, du --apparent-size and find count it.
    void readsWhatNcduWrote()
    {
        const fs::path root = oddTree("from-ncdu");
        const fs::path exported = TestHome::root() / "from-ncdu.json";
        runOrStop("ncdu", {"-x", "-e", "-o", arg(exported), arg(root)});
        const Engine::ScanRead read = Engine::readNcdu(exported);
        QVERIFY2(read.tree, read.detail.c_str());
        QCOMPARE(read.problem, ScanProblem::none);
        QVERIFY(read.tree->isScan());
        QVERIFY(read.tree->progress().done);
        QCOMPARE(read.tree->root(), root);
        const auto expected = measured(root);
        const auto got = folders(*read.tree);
        QCOMPARE(got.size(), expected.size());
        for (const auto &[path, figures] : expected) {
            QVERIFY2(got.contains(path), path.c_str());
            const Figures &ours = got.at(path);
            QVERIFY2(ours.size == figures.size, path.c_str());
            QVERIFY2(ours.apparent == figures.apparent, path.c_str());
            QVERIFY2(ours.count == figures.count, path.c_str());
            QVERIFY2(ours.newest == figures.newest, path.c_str());
        }
        // Each odd name is the same bytes as on disk.
        for (const auto &entry : fs::directory_iterator(root / "names")) {
            const auto found = read.tree->find(entry.path());
            QVERIFY2(found, entry.path().c_str());
            QVERIFY(!read.tree->stillAsMeasured(*found));
        }
        // Nothing on disk is a scan's: it is never walked or measured again.
        QVERIFY(!read.tree->remeasure(SpaceTree::rootIndex));
        QVERIFY(!read.tree->measure(root / "a"));
    }

    // What we write ncdu reads back to the same bytes and figures; a walked tree's sizes and an
    // imported one's every figure survive an export and a reading again.
    void writesWhatNcduReads()
    {
        const fs::path root = oddTree("to-ncdu");
        const fs::path fromNcdu = TestHome::root() / "to-ncdu.json";
        runOrStop("ncdu", {"-x", "-e", "-o", arg(fromNcdu), arg(root)});
        const Engine::ScanRead first = Engine::readNcdu(fromNcdu);
        QVERIFY(first.tree);
        const fs::path ours = TestHome::root() / "ours.json";
        std::string error;
        QVERIFY2(Engine::writeNcdu(*first.tree, ours, &error), error.c_str());
        const fs::path again = TestHome::root() / "again.json";
        runOrStop("ncdu", {"-e", "-f", arg(ours), "-o", arg(again)});
        for (const fs::path &file : {ours, again}) {
            const Engine::ScanRead read = Engine::readNcdu(file);
            QVERIFY2(read.tree, file.c_str());
            QCOMPARE(folders(*read.tree), folders(*first.tree));
            for (const auto &entry : fs::directory_iterator(root / "names"))
                QVERIFY2(read.tree->find(entry.path()), entry.path().c_str());
        }

        SpaceTree walked(root);
        QVERIFY(walked.walk({}));
        QVERIFY(Engine::writeNcdu(walked, ours, &error));
        const Engine::ScanRead read = Engine::readNcdu(ours);
        QVERIFY(read.tree);
        const auto walkedFigures = folders(walked);
        const auto readFigures = folders(*read.tree);
        QCOMPARE(readFigures.size(), walkedFigures.size());
        for (const auto &[path, figures] : walkedFigures) {
            QCOMPARE(readFigures.at(path).size, figures.size);
            QCOMPARE(readFigures.at(path).apparent, figures.apparent);
        }
    }

    // Names ncdu writes unescaped or escaped come back as the bytes they were.
    void namesReadBackToTheirBytes()
    {
        const QByteArray text = header
                                + "[{\"name\":\"/r\"},"
                                  "{\"name\":\"raw\xff\xfe\"},"
                                  "{\"name\":\"pair\\ud83d\\ude00\"},"
                                  "{\"name\":\"lone\\ud800x\"},"
                                  "{\"name\":\"esc\\\"\\\\\\b\\f\\n\\r\\t\\u0001\"}]]";
        const Engine::ScanRead read = Engine::readNcdu(writeFile("names.json", text));
        QVERIFY2(read.tree, read.detail.c_str());
        const std::vector<std::string> names{"raw\xff\xfe", "pair\xf0\x9f\x98\x80",
                                             "lone\xed\xa0\x80x", "esc\"\\\b\f\n\r\t\x01"};
        for (const std::string &name : names)
            QVERIFY2(read.tree->find(fs::path("/r") / name), name.c_str());
        QCOMPARE(read.tree->entry(SpaceTree::rootIndex).count, qint64(names.size()));
        const fs::path ours = TestHome::root() / "names-again.json";
        std::string error;
        QVERIFY(Engine::writeNcdu(*read.tree, ours, &error));
        const fs::path byNcdu = TestHome::root() / "names-ncdu.json";
        runOrStop("ncdu", {"-f", arg(ours), "-o", arg(byNcdu)});
        for (const fs::path &file : {ours, byNcdu}) {
            const Engine::ScanRead again = Engine::readNcdu(file);
            QVERIFY(again.tree);
            for (const std::string &name : names)
                QVERIFY2(again.tree->find(fs::path("/r") / name), name.c_str());
        }
    }

    // A file with several names counts once, at the first name in the file; every name counts
    // as an entry. What an export says beside its figures is taken or left as it should be.
    void whatEntriesSay()
    {
        const QByteArray text =
            header
            + "[{\"name\":\"/"
              "r\",\"dsize\":4096,\"asize\":4096,\"dev\":7,\"future\":{\"a\":[1,{\"b\":null}]}},"
              "[{\"name\":\"x\",\"dsize\":4096,\"asize\":4096},"
              "{\"name\":\"l1\",\"dsize\":8192,\"asize\":5000,\"ino\":42,\"nlink\":2,\"hlnkc\":"
              "true,\"mtime\":1700000000}],"
              "[{\"name\":\"y\",\"dsize\":4096,\"asize\":4096,\"read_error\":true},"
              "{\"name\":\"l2\",\"dsize\":8192,\"asize\":5000,\"ino\":42,\"nlink\":2,\"hlnkc\":"
              "true},"
              "{\"name\":\"other\",\"dsize\":8192,\"asize\":5000,\"ino\":42,\"dev\":9,\"hlnkc\":"
              "true}],"
              "{\"name\":\"mnt\",\"excluded\":\"otherfs\",\"dsize\":999},"
              "{\"name\":\"skipped\",\"excluded\":\"pattern\"},"
              "{\"name\":\"sock\",\"notreg\":true,\"uid\":1,\"gid\":2,\"mode\":49645,\"mtime\":-5}]"
              "]";
        const Engine::ScanRead read = Engine::readNcdu(writeFile("entries.json", text));
        QVERIFY2(read.tree, read.detail.c_str());
        QCOMPARE(read.timestamp, qint64(1)); // the header's
        const SpaceTree &tree = *read.tree;
        const auto at = [&tree](const char *path) { return tree.entry(*tree.find(path)); };
        QCOMPARE(at("/r/x").size, qint64(4096 + 8192));
        QCOMPARE(at("/r/x").apparent, qint64(4096 + 5000));
        QCOMPARE(at("/r/x").newest, qint64(1700000000));
        QCOMPARE(at("/r/y/l2").size, qint64(0));
        QCOMPARE(at("/r/y/other").size, qint64(8192)); // another device's file of that inode
        QCOMPARE(at("/r/y").size, qint64(4096 + 8192));
        QVERIFY(at("/r/y").unreadable);
        QVERIFY(at("/r/mnt").otherMount);
        QCOMPARE(at("/r/mnt").size, qint64(0));
        QCOMPARE(at("/r").size, qint64(4096 * 3 + 8192 * 2));
        QCOMPARE(at("/r").apparent, qint64(4096 * 3 + 5000 * 2));
        QCOMPARE(at("/r").count, qint64(8));
        QCOMPARE(at("/r").newest, qint64(1700000000));
        QVERIFY(at("/r").complete);
        QCOMPARE(tree.countedLinks().size(), std::size_t(2));

        // Filled out of the file's order, the name `du` meets first still counts.
        SpaceTree::Scanned root;
        root.name = "/s";
        root.folder = true;
        auto built = SpaceTree::fromScan(root);
        SpaceTree::Scanned folder;
        folder.folder = true;
        folder.name = "first";
        const SpaceTree::Index first = built->addScanned(SpaceTree::rootIndex, folder);
        folder.name = "second";
        const SpaceTree::Index second = built->addScanned(SpaceTree::rootIndex, folder);
        SpaceTree::Scanned linked;
        linked.size = 8192;
        linked.link = SpaceTree::FileId{1, 2};
        linked.name = "late";
        built->addScanned(second, linked);
        linked.name = "early";
        built->addScanned(first, linked);
        built->endScan();
        QCOMPARE(built->entry(first).size, qint64(8192));
        QCOMPARE(built->entry(second).size, qint64(0));
        QCOMPARE(built->addScanned(*built->find("/s/first/early"), linked), SpaceTree::noEntry);
    }

    void hostileInput_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("problem");
        QTest::addColumn<qint64>("offset");
        const auto at = [](const QByteArray &text, const char *part) {
            return qint64(text.indexOf(part));
        };
        const QByteArray ok = header + "[{\"name\":\"/r\"},{\"name\":\"a\",\"asize\":1}]]";
        QTest::newRow("empty") << QByteArray() << int(ScanProblem::notAScan) << qint64(0);
        QTest::newRow("not json") << QByteArray("hello") << int(ScanProblem::notAScan) << qint64(0);
        QTest::newRow("other json")
            << QByteArray("{\"name\":\"/r\"}") << int(ScanProblem::notAScan) << qint64(0);
        const QByteArray newer = "[2,0,{},[{\"name\":\"/r\"}]]";
        QTest::newRow("newer") << newer << int(ScanProblem::newerFormat) << qint64(1);
        for (const int cut : {10, 70, int(ok.size()) - 1}) {
            QTest::newRow(qPrintable(QStringLiteral("cut at %1").arg(cut)))
                << ok.left(cut) << int(ScanProblem::notAScan) << qint64(cut);
        }
        QByteArray deep = header + "[{\"name\":\"/r\"}";
        for (int i = 0; i < 70000; ++i)
            deep += ",[{\"name\":\"d\"}";
        QTest::newRow("deep folders")
            << deep << int(ScanProblem::tooDeep) << qint64(header.size() + 14 + 65535 * 14 + 10);
        QByteArray deepValue = header + "[{\"name\":\"/r\",\"x\":" + QByteArray(100000, '[');
        QTest::newRow("deep unknown value")
            << deepValue << int(ScanProblem::tooDeep) << qint64(header.size() + 18 + 65536);
        const auto entry = [](const QByteArray &object) {
            return header + "[{\"name\":\"/r\"}," + object + "]]";
        };
        struct Case {
            const char *name;
            QByteArray object;
            ScanProblem problem;
            const char *at;
        };
        const std::vector<Case> cases{
            {"negative", "{\"name\":\"a\",\"dsize\":-4096}", ScanProblem::badSize, "-4096"},
            {"fraction", "{\"name\":\"a\",\"asize\":1.5}", ScanProblem::badSize, "1.5"},
            {"exponent", "{\"name\":\"a\",\"asize\":1e3}", ScanProblem::badSize, "1e3"},
            {"huge", "{\"name\":\"a\",\"dsize\":123456789012345678901234567890}",
             ScanProblem::badSize, "1234"},
            {"past any disk", "{\"name\":\"a\",\"dsize\":9223372036854775807}",
             ScanProblem::badSize, "9223"},
            {"text size", "{\"name\":\"a\",\"dsize\":\"12\"}", ScanProblem::notAScan, "\"12\""},
            {"slash", "{\"name\":\"a/b\"}", ScanProblem::badName, "\"a/b\""},
            {"dot", "{\"name\":\".\"}", ScanProblem::badName, "\".\""},
            {"dot dot", "[{\"name\":\"..\"}]", ScanProblem::badName, "\"..\""},
            {"empty name", "{\"name\":\"\"}", ScanProblem::badName, "\"\""},
            {"no name", "{\"asize\":1}", ScanProblem::badName, "]]"},
            {"nul", "{\"name\":\"a\\u0000b\"}", ScanProblem::badName, "\"a\\u"},
            {"long name", "{\"name\":\"" + QByteArray(5000, 'n') + "\"}", ScanProblem::badName,
             "\"nnn"},
            {"twice", "{\"name\":\"a\"},[{\"name\":\"a\"}]", ScanProblem::duplicate, "\"a\"}]"},
            {"bad escape", "{\"name\":\"a\\qb\"}", ScanProblem::notAScan, "qb"},
            {"bad unicode", "{\"name\":\"a\\u12G4\"}", ScanProblem::notAScan, "G4"},
            {"raw newline", "{\"name\":\"a\nb\"}", ScanProblem::notAScan, "\nb"},
            {"bare word", "{\"name\":\"a\",\"hlnkc\":yes}", ScanProblem::notAScan, "yes"},
            {"missing colon", "{\"name\" \"a\"}", ScanProblem::notAScan, "\"a\"}"},
            {"list of names", "[\"a\",\"b\"]", ScanProblem::notAScan, "\"a\""},
        };
        for (const Case &c : cases) {
            const QByteArray text = entry(c.object);
            QTest::newRow(c.name) << text << int(c.problem)
                                  << at(text.mid(header.size()), c.at) + header.size();
        }
        QTest::newRow("trailing") << ok + " x" << int(ScanProblem::notAScan) << ok.size() + 1;
        QTest::newRow("root without name")
            << header + "[{\"asize\":1}]]" << int(ScanProblem::badName)
            << qint64(header.size() + 12);
    }
    // Each gives its problem where it lies, never a crash or a hang, and never a tree.
    void hostileInput()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, problem);
        QFETCH(qint64, offset);
        const Engine::ScanRead read = Engine::readNcdu(writeFile("hostile.json", text));
        QCOMPARE(int(read.problem), problem);
        QCOMPARE(read.offset, offset);
        QVERIFY(!read.tree);
        QVERIFY(!scanProblemText(read).isEmpty());
    }

    // A scan that names a real folder and the very inode of a file in it is still no
    // measure of that file: nothing that moves a file may act on a scan's entry.
    void aScanIsNeverWhatIsOnDisk()
    {
        const fs::path folder = TestHome::root() / "real";
        write(folder / "file", QByteArray(5000, 'x'));
        fs::create_hard_link(folder / "file", folder / "other");
        struct stat st = {};
        QVERIFY(stat((folder / "file").c_str(), &st) == 0);
        const QByteArray text =
            header + "[{\"name\":\"" + QByteArray::fromStdString(folder.native())
            + "\",\"dsize\":4096},{\"name\":\"file\",\"dsize\":8192,\"ino\":"
            + QByteArray::number(qulonglong(st.st_ino)) + ",\"nlink\":2,\"hlnkc\":true}]]";
        const Engine::ScanRead read = Engine::readNcdu(writeFile("real.json", text));
        QVERIFY2(read.tree, read.detail.c_str());
        const auto file = read.tree->find(folder / "file");
        QVERIFY(file);
        QVERIFY(!read.tree->stillAsMeasured(*file));
    }

    void problemsAreSaid()
    {
        const QByteArray text = header + "[{\"name\":\"/r\"},{\"name\":\"a/\\u202eb\"}]]";
        const Engine::ScanRead read = Engine::readNcdu(writeFile("said.json", text));
        QCOMPARE(read.problem, ScanProblem::badName);
        for (const bool indonesian : {false, true}) {
            Settings::instance().setLanguage(indonesian ? "id" : "en");
            const QString said = scanProblemText(read);
            QVERIFY2(said.contains(QString::number(read.offset)), qPrintable(said));
            QVERIFY2(said.contains(QStringLiteral("a/\u202eb")), qPrintable(said));
            QVERIFY2(said.contains(QChar(0x2068)), qPrintable(said)); // set apart
            QVERIFY2(said.contains(indonesian ? "bita" : "byte"), qPrintable(said));
        }
        Settings::instance().setLanguage("en");
        Engine::ScanRead missing = Engine::readNcdu(TestHome::root() / "no-such.json");
        QCOMPARE(missing.problem, ScanProblem::unreadable);
        QVERIFY(scanProblemText(missing).contains("No such file"));
        QVERIFY(scanProblemText(Engine::ScanRead{}).isEmpty());
        const Engine::ScanRead folder = Engine::readNcdu(TestHome::root());
        QCOMPARE(folder.problem, ScanProblem::unreadable);
    }

    // A reading that is told to stop does, with no tree.
    void stops()
    {
        QByteArray text = header + "[{\"name\":\"/r\"}";
        for (int i = 0; i < 10000; ++i)
            text += ",{\"name\":\"f" + QByteArray::number(i) + "\"}";
        text += "]]";
        const fs::path file = writeFile("many.json", text);
        const std::atomic<bool> stop{true};
        const Engine::ScanRead read = Engine::readNcdu(file, &stop);
        QCOMPARE(read.problem, ScanProblem::stopped);
        QVERIFY(!read.tree);
        const Engine::ScanRead whole = Engine::readNcdu(file);
        QVERIFY(whole.tree);
        QCOMPARE(whole.tree->entry(SpaceTree::rootIndex).count, qint64(10000));
    }

    // A file that cannot be written leaves nothing behind, and what was there stays.
    void writingFailsClosed()
    {
        const QByteArray text = header + "[{\"name\":\"/r\"},{\"name\":\"a\",\"dsize\":4096}]]";
        const Engine::ScanRead read = Engine::readNcdu(writeFile("small.json", text));
        QVERIFY(read.tree);
        std::string error;
        const fs::path missing = TestHome::root() / "no-folder/x.json";
        QVERIFY(!Engine::writeNcdu(*read.tree, missing, &error));
        QVERIFY(!error.empty());
        const fs::path taken = TestHome::root() / "a-folder";
        file(taken / "inside", 10);
        error.clear();
        QVERIFY(!Engine::writeNcdu(*read.tree, taken, &error));
        QVERIFY(!error.empty());
        QVERIFY(fs::is_directory(taken));
        const fs::path kept = TestHome::root() / "kept";
        folder(kept);
        write(kept / "old.json", "old");
        QVERIFY(chmod(kept.c_str(), 0500) == 0);
        if (geteuid() != 0) { // root writes anywhere
            QVERIFY(!Engine::writeNcdu(*read.tree, kept / "old.json", &error));
            QCOMPARE(TreeBuilder::read(kept / "old.json"), QByteArray("old"));
        }
        QVERIFY(chmod(kept.c_str(), 0700) == 0);
        QVERIFY(Engine::writeNcdu(*read.tree, kept / "old.json", &error));
        std::size_t files = 0;
        for ([[maybe_unused]] const auto &entry : fs::directory_iterator(kept))
            ++files;
        QCOMPARE(files, std::size_t(1)); // no temporary file left beside it
        const Engine::ScanRead again = Engine::readNcdu(kept / "old.json");
        QVERIFY(again.tree);
        QCOMPARE(again.tree->entry(SpaceTree::rootIndex).size, qint64(4096));
    }
};

AMPA_TEST_MAIN(NcduTest)
#include "tst_ncdu.moc"
