#include "SpaceTesting.h"
#include "SpaceTree.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>

#include <map>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;
using Engine::SpaceTree;

namespace {

// What a folder holds besides its bytes, as the map shows it.
struct Figures {
    qint64 count = 0;
    qint64 apparent = 0;
    qint64 newest = 0;
    bool operator==(const Figures &) const = default;
};
using FolderFigures = std::map<std::string, Figures>;

// The program's output, run as `nobody` on request (then through setpriv, as root).
QByteArray run(const QString &program, const QStringList &arguments, bool asNobody = false)
{
    QProcess process;
    if (asNobody)
        process.start("setpriv",
                      QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", program}
                          + arguments);
    else
        process.start(program, arguments);
    if (!process.waitForFinished(120000))
        qFatal("%s did not finish", qPrintable(program));
    return process.readAllStandardOutput();
}

// The fields of each record of NUL-ended records, split at the first `fields - 1` tabs (the
// path comes last and may hold anything but a NUL).
std::vector<QList<QByteArray>> records(const QByteArray &text, int fields)
{
    std::vector<QList<QByteArray>> out;
    for (const QByteArray &record : text.split('\0')) {
        QList<QByteArray> parts;
        qsizetype from = 0;
        for (int i = 0; i + 1 < fields; ++i) {
            const qsizetype tab = record.indexOf('\t', from);
            if (tab < 0)
                break;
            parts.append(record.mid(from, tab - from));
            from = tab + 1;
        }
        if (parts.size() == fields - 1 && from < record.size()) {
            parts.append(record.mid(from));
            out.push_back(parts);
        }
    }
    return out;
}

qint64 clampedTime(qint64 seconds)
{
    return std::clamp<qint64>(seconds, 0, UINT32_MAX);
}

// Every folder's figures as the tools give them: `du --apparent-size -B1 -x` for the folders
// and their apparent sizes, `find -xdev` for the entries below each, `stat -c %Y` of each of
// them and the folder itself for the newest time.
FolderFigures toolFigures(const fs::path &root, bool asNobody = false)
{
    const QString where = QString::fromStdString(root.native());
    FolderFigures figures;
    for (const auto &record :
         records(run("du", {"--apparent-size", "-B1", "-x", "-0", where}, asNobody), 2))
        figures[record[1].toStdString()].apparent = record[0].toLongLong();
    const auto below = [&figures, &root](const fs::path &path, auto &&take) {
        for (fs::path up = path.parent_path(); up.native().size() >= root.native().size();
             up = up.parent_path()) {
            if (const auto folder = figures.find(up.native()); folder != figures.end())
                take(folder->second);
            if (up == root)
                break;
        }
    };
    for (const QByteArray &path :
         run("find", {where, "-mindepth", "1", "-xdev", "-print0"}, asNobody).split('\0')) {
        if (!path.isEmpty())
            below(path.toStdString(), [](Figures &folder) { ++folder.count; });
    }
    const QByteArray times =
        run("find", {where, "-xdev", "-exec", "stat", "--printf=%Y\\t%n\\0", "{}", "+"}, asNobody);
    for (const auto &record : records(times, 2)) {
        const fs::path path = record[1].toStdString();
        const qint64 time = clampedTime(record[0].toLongLong());
        const auto raise = [time](Figures &folder) {
            folder.newest = std::max(folder.newest, time);
        };
        if (const auto folder = figures.find(path.native()); folder != figures.end())
            raise(folder->second);
        below(path, raise);
    }
    return figures;
}

// The figures of the folders the tree holds, those on other file systems aside (`du -x` does
// not list them).
FolderFigures treeFigures(const SpaceTree &tree)
{
    FolderFigures figures;
    for (const auto &[path, entry] : SpaceTesting::entriesByPath(tree)) {
        if (entry.folder && !entry.otherMount)
            figures[path] = {entry.count, entry.apparent, entry.newest};
    }
    return figures;
}

// Where the two disagree, a line each (names printed with escapes); empty when they agree.
QString differences(const FolderFigures &expected, const FolderFigures &measured)
{
    QStringList lines;
    const auto show = [](const Figures &f) {
        return QString("count %1, apparent %2, newest %3")
            .arg(f.count)
            .arg(f.apparent)
            .arg(f.newest);
    };
    for (const auto &[path, figures] : expected) {
        const auto found = measured.find(path);
        if (found == measured.end())
            lines << QString("missing %1")
                         .arg(QString::fromUtf8(
                             QByteArray::fromStdString(path).toPercentEncoding("/")));
        else if (!(found->second == figures))
            lines << QString("%1: tools %2; map %3")
                         .arg(QString::fromUtf8(
                                  QByteArray::fromStdString(path).toPercentEncoding("/")),
                              show(figures), show(found->second));
    }
    if (measured.size() != expected.size())
        lines
            << QString("%1 folders measured, %2 listed").arg(measured.size()).arg(expected.size());
    return lines.join('\n');
}

// The file's modification time as `stat -c %Y` gives it.
qint64 modified(const fs::path &path)
{
    return run("stat", {"-c", "%Y", QString::fromStdString(path.native())}).trimmed().toLongLong();
}

void touch(const fs::path &path, const QString &when)
{
    QProcess process;
    process.start("touch", {"-h", "-d", when, QString::fromStdString(path.native())});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qFatal("touch -d %s failed on %s", qPrintable(when), path.c_str());
}

// The tree's folder figures as an unprivileged walk sees them.
FolderFigures figuresWalkedUnprivileged(const fs::path &root)
{
    const QByteArray text = SpaceTesting::walkedAsNobody(root, [](const SpaceTree &tree) {
        std::string out;
        for (const auto &[path, f] : treeFigures(tree)) {
            out += std::to_string(f.count) + '\t' + std::to_string(f.apparent) + '\t'
                   + std::to_string(f.newest) + '\t' + path + '\0';
        }
        return out;
    });
    FolderFigures figures;
    for (const auto &record : records(text, 4))
        figures[record[3].toStdString()] = {record[0].toLongLong(), record[1].toLongLong(),
                                            record[2].toLongLong()};
    return figures;
}

} // namespace

class SpaceCountsTest : public QObject {
    Q_OBJECT

    fs::path base;

    static SpaceTree::Entry at(const SpaceTree &tree, const fs::path &path)
    {
        return SpaceTesting::entryAt(tree, path);
    }

private slots:
    void init()
    {
        base = TestHome::root() / "counts" / QTest::currentTestFunction();
        folder(base);
    }

    // Each folder's entries below it, apparent size and newest time as `find`, `du` and `stat`
    // give them: hard links within and across folders (every name counts, the bytes once),
    // sparse files by what they say they hold, links by their own, odd names, times before
    // 1970 and past 2106, a folder whose own time is the newest.
    void walkAgreesWithTheTools()
    {
        const fs::path tree = base / "tree";
        file(tree / "a/one.bin", 300000);
        folder(tree / "b");
        fs::create_hard_link(tree / "a/one.bin", tree / "b/one-again.bin");
        file(tree / "c/sub/two.bin", 200000);
        fs::create_hard_link(tree / "c/sub/two.bin", tree / "c/two-again.bin");
        fs::create_hard_link(tree / "c/sub/two.bin", tree / "c/sub/two-third.bin");
        const fs::path sparse = tree / "sparse/disk.img";
        file(sparse, 8192);
        QVERIFY(truncate(sparse.c_str(), 1LL << 30) == 0);
        for (int i = 0; i < 60; ++i)
            file(tree / "modules" / ("pkg" + std::to_string(i)) / "lib/index.js", 100 + i);
        file(tree / "line\nbreak/inner\nfile", 700);
        file(tree / "\xff\xfe-not-utf8/x.bin", 5000);
        file(tree / "\xe2\x80\xae-bidi/gnp.exe", 300);
        symlink(base / "nowhere", tree / "links/dangling");
        symlink(std::string(3000, 'x'), tree / "links/long-target");
        QVERIFY(mkfifo((tree / "links/pipe").c_str(), 0600) == 0);
        folder(tree / "empty");
        file(tree / "past/old.bin", 100);
        file(tree / "future/far.bin", 100);
        file(tree / "late/2100.bin", 100);
        file(tree / "own-time/inside.bin", 100);
        touch(tree / "past/old.bin", "1960-01-01");
        touch(tree / "past", "1961-01-01");
        touch(tree / "future/far.bin", "2200-01-01");
        touch(tree / "late/2100.bin", "2100-01-01");
        touch(tree / "own-time/inside.bin", "2001-01-01");
        touch(tree / "own-time", "2090-01-01");

        SpaceTree space(tree);
        QVERIFY(space.walk({}));
        const FolderFigures expected = toolFigures(tree);
        QVERIFY(expected.size() > 60);
        const QString diff = differences(expected, treeFigures(space));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));

        // The times at the ends of what a record holds, and a folder's own time.
        QCOMPARE(at(space, tree / "past").newest, 0);
        QCOMPARE(at(space, tree / "future").newest, qint64(UINT32_MAX));
        QCOMPARE(at(space, tree).newest, qint64(UINT32_MAX));
        QVERIFY(modified(tree / "late/2100.bin") > INT32_MAX);
        QCOMPARE(at(space, tree / "late/2100.bin").newest, modified(tree / "late/2100.bin"));
        QCOMPARE(at(space, tree / "own-time").newest, modified(tree / "own-time"));
        // Files: their own st_size and time, nothing below them; a linked file's bytes at one
        // name only.
        QCOMPARE(at(space, sparse).apparent, 1LL << 30);
        QVERIFY(at(space, sparse).size < (1 << 20));
        QCOMPARE(at(space, tree / "links/long-target").apparent, 3000);
        QCOMPARE(at(space, tree / "line\nbreak/inner\nfile").apparent, 700);
        QCOMPARE(at(space, tree / "line\nbreak/inner\nfile").count, 0);
        QCOMPARE(at(space, tree / "a/one.bin").apparent
                     + at(space, tree / "b/one-again.bin").apparent,
                 300000);
        QCOMPARE(at(space, tree / "c").count, 4);
    }

    // A folder that cannot be opened counts its own size only; one that can be listed but not
    // entered counts the names it lists, as `find` does, and nothing else of them. Walked by
    // an unprivileged user, since root reads everything.
    void unreadableFolders()
    {
        const fs::path tree = base / "tree";
        file(tree / "readable.bin", 30000);
        file(tree / "locked/secret.bin", 90000);
        file(tree / "shut/inside.bin", 90000);
        file(tree / "listed/one.bin", 90000);
        file(tree / "listed/two.bin", 90000);
        makePassable(tree);
        chmod((tree / "locked").c_str(), 0000);
        chmod((tree / "shut").c_str(), 0311);
        chmod((tree / "listed").c_str(), 0744);
        const bool asNobody = geteuid() == 0;
        const FolderFigures expected = toolFigures(tree, asNobody);
        const FolderFigures measured = figuresWalkedUnprivileged(tree);
        const bool stillReadable = access((tree / "locked").c_str(), R_OK) == 0 && !asNobody;
        chmod((tree / "locked").c_str(), 0755);
        chmod((tree / "shut").c_str(), 0755);
        chmod((tree / "listed").c_str(), 0755);
        if (stillReadable)
            QSKIP("this user reads a folder whose permission says no: nothing is unreadable");
        const QString diff = differences(expected, measured);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        QCOMPARE(measured.at((tree / "locked").native()).count, 0);
        QCOMPARE(measured.at((tree / "listed").native()).count, 2);
        QCOMPARE(measured.at(tree.native()).count, 6);
    }

    // Another file system mounted inside is one entry with its own time, and nothing of what
    // it holds counts, as `find -xdev` and `du -x` leave it out.
    void otherMountIsOneEntry()
    {
        if (geteuid() != 0)
            QSKIP("mounting a tmpfs needs root");
        const fs::path tree = base / "tree";
        file(tree / "own.bin", 40000);
        folder(tree / "mounted");
        if (mount("ampa-test", (tree / "mounted").c_str(), "tmpfs", 0, "size=8m") != 0)
            QSKIP("this machine does not allow mounts here");
        file(tree / "mounted/a/foreign.bin", 2 << 20);
        file(tree / "mounted/b.bin", 1000);
        SpaceTree space(tree);
        const bool walked = space.walk({});
        const FolderFigures expected = toolFigures(tree);
        const FolderFigures measured = treeFigures(space);
        const SpaceTree::Entry mounted = at(space, tree / "mounted");
        const qint64 mountedTime = modified(tree / "mounted");
        umount((tree / "mounted").c_str());
        QVERIFY(walked);
        const QString diff = differences(expected, measured);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        QCOMPARE(measured.at(tree.native()).count, 2);
        QCOMPARE(mounted.count, 0);
        QCOMPARE(mounted.apparent, 0);
        QCOMPARE(mounted.newest, mountedTime);
    }

    // What changes after the walk keeps every folder above right: a folder measured again after
    // files were added, removed or set back in time; an entry moved away, the newest one too; an
    // entry made since; a file with several names on either side.
    void changesAfterTheWalk()
    {
        const fs::path tree = base / "tree";
        file(tree / "keep/a.bin", 40000);
        file(tree / "grow/b.bin", 40000);
        file(tree / "gone/c.bin", 40000);
        file(tree / "pair-one/f.bin", 60000);
        folder(tree / "pair-two");
        fs::create_hard_link(tree / "pair-one/f.bin", tree / "pair-two/f.bin");
        fs::create_hard_link(tree / "keep/a.bin", tree / "grow/a-again.bin");
        file(tree / "deep/er/newest.bin", 100);
        touch(tree / "deep/er/newest.bin", "2100-01-01");
        SpaceTree space(tree);
        QVERIFY(space.walk({}));
        const auto agree = [&] {
            const QString diff = differences(toolFigures(tree), treeFigures(space));
            if (!diff.isEmpty())
                qWarning("%s", qPrintable(diff));
            return diff.isEmpty();
        };
        QVERIFY(agree());
        const qint64 farAhead = modified(tree / "deep/er/newest.bin");
        QCOMPARE(at(space, tree).newest, farAhead);

        // Grown, shrunk, and its newest file set back: the newest above falls with it.
        file(tree / "grow/new/d.bin", 300000);
        file(tree / "grow/new/e.bin", 1000);
        fs::remove(tree / "grow/b.bin");
        touch(tree / "deep/er/newest.bin", "2000-01-01");
        QVERIFY(space.remeasure(*space.find(tree / "grow")));
        QVERIFY(space.remeasure(*space.find(tree / "deep/er")));
        QVERIFY(agree());
        QVERIFY(at(space, tree).newest < farAhead);

        // Moved away: the newest of what is left, the folder's own time among it.
        touch(tree / "gone/c.bin", "2150-01-01");
        QVERIFY(space.remeasure(*space.find(tree / "gone")));
        QCOMPARE(at(space, tree).newest, qint64(UINT32_MAX));
        const SpaceTree::Index gone = *space.find(tree / "gone");
        fs::rename(tree / "gone", base / "elsewhere");
        space.forget(gone);
        QVERIFY(agree());
        QVERIFY(at(space, tree).newest < qint64(UINT32_MAX));
        // The name of the pair that counted goes; the other counts from then on.
        const SpaceTree::Index pair = *space.find(tree / "pair-one");
        fs::rename(tree / "pair-one", base / "pair-one");
        space.forget(pair);
        QVERIFY(agree());

        // Made since the walk: a file alone, a folder with what it holds.
        file(tree / "keep/late.bin", 5000);
        file(tree / "made/deeper/still/g.bin", 7000);
        QVERIFY(space.measure(tree / "keep/late.bin"));
        QVERIFY(space.measure(tree / "made/deeper/still"));
        QVERIFY(agree());
        QVERIFY(space.remeasure(SpaceTree::rootIndex));
        QVERIFY(agree());
    }

    // Each order of a folder's entries, ties by name; sizes by disk use or apparent size, which
    // a sparse file sets apart.
    void sortingEntries()
    {
        const fs::path tree = base / "tree";
        write(tree / "sparse", {});
        QVERIFY(truncate((tree / "sparse").c_str(), 1LL << 30) == 0);
        file(tree / "dense", 1 << 20);
        for (int i = 0; i < 30; ++i)
            write(tree / "many" / std::to_string(i), {});
        write(tree / "few/one", {});
        write(tree / "few/two", {});
        write(tree / "tie-b", {});
        write(tree / "tie-a", {});
        touch(tree / "sparse", "2010-01-01");
        touch(tree / "dense", "2011-01-01");
        for (int i = 0; i < 30; ++i)
            touch(tree / "many" / std::to_string(i), "1990-01-01");
        touch(tree / "many", "1991-01-01");
        touch(tree / "few/one", "2100-01-01");
        touch(tree / "tie-a", "2005-05-05");
        touch(tree / "tie-b", "2005-05-05");
        SpaceTree space(tree);
        QVERIFY(space.walk({}));
        const auto names = [&](Engine::SpaceOrder order, bool apparent) {
            std::vector<SpaceTree::Entry> list = space.children(SpaceTree::rootIndex);
            Engine::sortEntries(list, order, apparent);
            std::vector<std::string> out;
            for (const SpaceTree::Entry &entry : list)
                out.push_back(entry.name);
            return out;
        };
        using V = std::vector<std::string>;
        QCOMPARE(names(Engine::SpaceOrder::name, false),
                 (V{"dense", "few", "many", "sparse", "tie-a", "tie-b"}));
        QCOMPARE(names(Engine::SpaceOrder::count, false),
                 (V{"many", "few", "dense", "sparse", "tie-a", "tie-b"}));
        QCOMPARE(names(Engine::SpaceOrder::age, false),
                 (V{"few", "dense", "sparse", "tie-a", "tie-b", "many"}));
        // By bytes: the sparse file last on disk and first by what it says it holds; each list
        // falls, ties by name.
        for (const bool apparent : {false, true}) {
            std::vector<SpaceTree::Entry> list = space.children(SpaceTree::rootIndex);
            Engine::sortEntries(list, Engine::SpaceOrder::size, apparent);
            for (std::size_t i = 1; i < list.size(); ++i) {
                const auto bytes = [apparent](const SpaceTree::Entry &e) {
                    return apparent ? e.apparent : e.size;
                };
                QVERIFY(
                    bytes(list[i - 1]) > bytes(list[i])
                    || (bytes(list[i - 1]) == bytes(list[i]) && list[i - 1].name < list[i].name));
            }
        }
        const V disk = names(Engine::SpaceOrder::size, false);
        const V apparent = names(Engine::SpaceOrder::size, true);
        QCOMPARE(disk.front(), std::string("dense"));
        QCOMPARE(apparent.front(), std::string("sparse"));
        QCOMPARE(apparent.at(1), std::string("dense"));
        QVERIFY(std::find(disk.begin(), disk.end(), "tie-a") + 1
                == std::find(disk.begin(), disk.end(), "tie-b"));
        QVERIFY(std::find(disk.begin(), disk.end(), "sparse")
                > std::find(disk.begin(), disk.end(), "many"));

        QVERIFY(Engine::spaceOrderNamed("size") == Engine::SpaceOrder::size);
        QVERIFY(Engine::spaceOrderNamed("name") == Engine::SpaceOrder::name);
        QVERIFY(Engine::spaceOrderNamed("count") == Engine::SpaceOrder::count);
        QVERIFY(Engine::spaceOrderNamed("age") == Engine::SpaceOrder::age);
        QVERIFY(!Engine::spaceOrderNamed("Size"));
        QVERIFY(!Engine::spaceOrderNamed(""));
    }
};

AMPA_TEST_MAIN(SpaceCountsTest)
#include "tst_spacecounts.moc"
