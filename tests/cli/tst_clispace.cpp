#include "ProgramRun.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TreeBuilder;

namespace {

const QString cli = QStringLiteral(AMPA_CLI_PATH);

// `du -x -B1 --max-depth=N`: each folder's size by path.
std::map<QString, qint64> du(const fs::path &root, int depth)
{
    const Run run = runProgram("du", {"-x", "-B1", QStringLiteral("--max-depth=%1").arg(depth),
                                      QString::fromStdString(root.native())});
    std::map<QString, qint64> sizes;
    for (const QByteArray &line : run.out.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            sizes[QString::fromUtf8(line.mid(tab + 1))] = line.left(tab).toLongLong();
    }
    return sizes;
}

QString arg(const fs::path &path)
{
    return QString::fromStdString(path.native());
}

// What the tools give each folder listed: `du -B1`, `du --apparent-size -B1`, the entries
// `find` lists below it, the newest modification time `stat` gives of it and below it.
void checkAgainstTools(const fs::path &root, const std::map<QString, QJsonObject> &folders,
                       int depth)
{
    const Run apparent = runProgram("du", {"-x", "-B1", "--apparent-size",
                                           QStringLiteral("--max-depth=%1").arg(depth), arg(root)});
    std::map<QString, qint64> apparentSizes;
    for (const QByteArray &line : apparent.out.split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            apparentSizes[QString::fromUtf8(line.mid(tab + 1))] = line.left(tab).toLongLong();
    }
    const auto sizes = du(root, depth);
    QCOMPARE(folders.size(), sizes.size());
    for (const auto &[path, size] : sizes) {
        QVERIFY2(folders.contains(path), qPrintable(path));
        const QJsonObject &folder = folders.at(path);
        QCOMPARE(qint64(folder["size"].toDouble()), size);
        QCOMPARE(qint64(folder["apparent"].toDouble()), apparentSizes.at(path));
        const Run found = runProgram("find", {path, "-mindepth", "1", "-printf", "."});
        QCOMPARE(qint64(folder["count"].toDouble()), qint64(found.out.size()));
        const Run times = runProgram("find", {path, "-exec", "stat", "-c", "%Y", "{}", "+"});
        qint64 newest = 0;
        for (const QByteArray &line : times.out.split('\n'))
            newest = std::max(newest, line.toLongLong());
        QCOMPARE(qint64(folder["newest"].toDouble()), newest);
    }
}

// What `ampa-cli space --json` listed, by path.
std::map<QString, QJsonObject> listed(const QStringList &arguments)
{
    const Run run = runProgram(cli, QStringList{"space", "--json"} + arguments);
    if (run.code != 0)
        qFatal("ampa-cli space failed: %s", run.err.constData());
    std::map<QString, QJsonObject> folders;
    for (const QJsonValue &value : QJsonDocument::fromJson(run.out)["folders"].toArray())
        folders[value["path"].toString()] = value.toObject();
    return folders;
}

} // namespace

class CliSpaceTest : public QObject {
    Q_OBJECT

private slots:
    // Every folder down to the depth asked, with the size `du -x -B1` gives it.
    void sizesAreWhatDuSays()
    {
        const fs::path tree = TestHome::root() / "sizes";
        file(tree / "a/one.bin", 300000);
        folder(tree / "b/deeper");
        fs::create_hard_link(tree / "a/one.bin", tree / "b/deeper/one-again.bin");
        const fs::path sparse = tree / "c/disk.img";
        file(sparse, 8192);
        QVERIFY(truncate(sparse.c_str(), 64LL << 20) == 0);
        for (int i = 0; i < 50; ++i)
            file(tree / "d" / std::to_string(i) / "x/y.txt", 100);
        symlink(tree / "a", tree / "c/link-to-a");

        for (int depth : {0, 1, 3}) {
            const auto expected = du(tree, depth);
            const auto folders =
                listed({"--depth", QString::number(depth), QString::fromStdString(tree.native())});
            QCOMPARE(folders.size(), expected.size());
            for (const auto &[path, size] : expected) {
                QVERIFY2(folders.contains(path), qPrintable(path));
                QCOMPARE(qint64(folders.at(path)["size"].toDouble()), size);
            }
        }
    }

    // The home by default; the quick clean's caches and a tagged cache that Developer caches
    // lists are named as such; a tag in a folder of the user's own marks nothing.
    void marksAreNamed()
    {
        const fs::path home = TestHome::home();
        file(home / ".cache/pip/http/blob", 80000);
        file(home / ".work-cache/blob", 60000);
        write(home / ".work-cache/CACHEDIR.TAG", "Signature: 8a477f597d28d172789f06886806bc55\n");
        file(home / "own-cache/blob", 60000);
        write(home / "own-cache/CACHEDIR.TAG", "Signature: 8a477f597d28d172789f06886806bc55\n");
        file(home / "not-a-cache/blob", 60000);
        write(home / "not-a-cache/CACHEDIR.TAG", "Signature: nothing of the kind\n");
        const auto folders = listed({"--depth", "2"});
        const QString root = QString::fromStdString(home.native());
        QVERIFY(folders.contains(root));
        const QJsonObject cache = folders.at(root + "/.cache");
        QCOMPARE(cache["parts"][0]["kind"].toString(), "quick");
        QVERIFY(cache["reclaimable"].toDouble() >= 80000);
        QCOMPARE(folders.at(root + "/.cache/pip")["kind"].toString(), "quick");
        QCOMPARE(folders.at(root + "/.work-cache")["kind"].toString(), "cachedir");
        QCOMPARE(folders.at(root + "/.work-cache")["reclaimable"].toDouble(),
                 folders.at(root + "/.work-cache")["size"].toDouble());
        QVERIFY(!folders.at(root + "/own-cache").contains("kind"));
        QVERIFY(!folders.at(root + "/not-a-cache").contains("kind"));
        QCOMPARE(folders.at(root + "/not-a-cache")["reclaimable"].toDouble(), 0.0);
        const Run text = runProgram(cli, {"space"});
        QCOMPARE(text.code, 0);
        QVERIFY(text.out.contains(".work-cache"));
    }

    // A root that is a link is followed once, and said so; below it no link is followed.
    void aRootThatIsALink()
    {
        const fs::path real = TestHome::root() / "real-data";
        file(real / "inside/a.bin", 70000);
        symlink(TestHome::root() / "elsewhere", real / "away");
        const fs::path link = TestHome::home() / "data-link";
        symlink(real, link);
        const Run run = runProgram(cli, {"space", "--json", QString::fromStdString(link.native())});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.err.contains("is a link"), run.err.constData());
        const auto folders = listed({QString::fromStdString(link.native())});
        const auto top = folders.find(QString::fromStdString(real.native()));
        QVERIFY(top != folders.end());
        QCOMPARE(top->second["size"].toDouble(), double(du(real, 0).begin()->second));
        fs::remove(link);
        fs::remove_all(real);
    }

    // Names that are not UTF-8 print with U+FFFD, alike; their bytes come beside, recoverable.
    void namesThatAreNotUtf8()
    {
        const fs::path root = TestHome::root() / "odd-names";
        file(root / "\xff" / "a.bin", 8192);
        file(root / "\xfe" / "b.bin", 8192);
        file(root / "plain" / "c.bin", 8192);
        const Run run = runProgram(cli, {"space", "--json", QString::fromStdString(root.native())});
        QCOMPARE(run.code, 0);
        QSet<QByteArray> decoded;
        int withBytes = 0;
        for (const QJsonValue &value : QJsonDocument::fromJson(run.out)["folders"].toArray()) {
            if (!value.toObject().contains("pathBytes"))
                continue;
            ++withBytes;
            const QByteArray raw =
                QByteArray::fromPercentEncoding(value["pathBytes"].toString().toLatin1());
            QVERIFY(fs::is_directory(fs::path(raw.toStdString())));
            decoded << raw;
        }
        QCOMPARE(withBytes, 2);
        QCOMPARE(decoded.size(), 2);
        fs::remove_all(root);
    }

    // A scan ncdu saved shows as a walk of that tree would, with each folder's entries, newest
    // time and apparent bytes as find, stat and du count them; ours is one ncdu reads again.
    void scansExchangedWithNcdu()
    {
        const fs::path tree = TestHome::root() / "exchanged";
        file(tree / "a/one.bin", 300000);
        file(tree / "a/b/two.bin", 5000);
        file(tree / "c/three.bin", 70000);
        fs::create_hard_link(tree / "a/one.bin", tree / "c/one-again.bin");
        const fs::path saved = TestHome::root() / "exchanged.json";
        QCOMPARE(runProgram("ncdu", {"-x", "-e", "-o", arg(saved), arg(tree)}).code, 0);
        const auto folders = listed({"--import", arg(saved), "--depth", "2"});
        checkAgainstTools(tree, folders, 2);

        const fs::path ours = TestHome::root() / "ours.json";
        const auto exported =
            listed({"--import", arg(saved), "--export", arg(ours), "--depth", "2"});
        QCOMPARE(exported.size(), folders.size());
        const Run byNcdu = runProgram("ncdu", {"-e", "-f", arg(ours), "-o", "-"});
        QCOMPARE(byNcdu.code, 0);
        const fs::path again = TestHome::root() / "again.json";
        write(again, byNcdu.out);
        const auto reread = listed({"--import", arg(again), "--depth", "2"});
        QCOMPARE(reread.size(), folders.size());
        for (const auto &[path, object] : folders) {
            for (const char *key : {"size", "apparent", "count", "newest"})
                QCOMPARE(reread.at(path)[key].toDouble(), object[key].toDouble());
        }
        // A walk saved for ncdu: ncdu reads it to the sizes du gives.
        const fs::path walked = TestHome::root() / "walked.json";
        QCOMPARE(runProgram(cli, {"space", arg(tree), "--export", arg(walked)}).code, 0);
        const Run walkedByNcdu = runProgram("ncdu", {"-f", arg(walked), "-o", "-"});
        QCOMPARE(walkedByNcdu.code, 0);
        write(again, walkedByNcdu.out);
        const auto expected = du(tree, 2);
        const auto fromWalk = listed({"--import", arg(again), "--depth", "2"});
        for (const auto &[path, size] : expected)
            QCOMPARE(qint64(fromWalk.at(path)["size"].toDouble()), size);
    }

    // A walk lists the same figures as the tools count them (they fill once the walk counts
    // them), in the order asked, and sizes as files hold them on request.
    void countsAgesAndOrders()
    {
        const fs::path tree = TestHome::root() / "ordered";
        file(tree / "big/blob.bin", 900000);
        for (int i = 0; i < 30; ++i)
            file(tree / "many" / std::to_string(i), 10);
        file(tree / "new/fresh.txt", 10);
        const fs::path sparse = tree / "sparse/disk.img";
        file(sparse, 40960);
        QVERIFY(truncate(sparse.c_str(), 8LL << 20) == 0);
        // Everything but "new" is old: its files, then their folders.
        const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        std::vector<fs::path> aged;
        for (const auto &entry : fs::recursive_directory_iterator(tree)) {
            if (!entry.path().native().starts_with((tree / "new").native()))
                aged.push_back(entry.path());
        }
        std::sort(aged.rbegin(), aged.rend());
        for (const fs::path &path : aged)
            QVERIFY(utimensat(AT_FDCWD, path.c_str(), old, 0) == 0);
        const auto names = [&](const QStringList &options) {
            const Run run = runProgram(cli, QStringList{"space", "--json", arg(tree)} + options);
            QStringList order;
            for (const QJsonValue &value : QJsonDocument::fromJson(run.out)["folders"].toArray())
                order << QString::fromStdString(
                    fs::path(value["path"].toString().toStdString()).filename().native());
            return order.mid(1);
        };
        QCOMPARE(names({}), QStringList({"big", "many", "sparse", "new"}));
        QCOMPARE(names({"--sort", "size"}), names({}));
        QCOMPARE(names({"--sort", "name"}), QStringList({"big", "many", "new", "sparse"}));
        const auto walked = listed({arg(tree)});
        checkAgainstTools(tree, walked, 1);
        QCOMPARE(names({"--sort", "count"}), QStringList({"many", "big", "new", "sparse"}));
        QCOMPARE(names({"--sort", "age"}).first(), "new");
        QCOMPARE(names({"--apparent"}).first(), "sparse");
    }

    void badInput()
    {
        QCOMPARE(runProgram(cli, {"space", "--sort", "colour"}).code, 2);
        QVERIFY(runProgram(cli, {"space", "--sort", "colour"}).err.contains("colour"));
        QCOMPARE(runProgram(cli, {"space", "--export", ""}).code, 2);
        QCOMPARE(runProgram(cli, {"space", "--import", "x.json", "/tmp"}).code, 2);
        QCOMPARE(runProgram(cli, {"status", "--apparent"}).code, 2);
        const fs::path hostile = TestHome::root() / "hostile.json";
        write(hostile, "[1,2,{},[{\"name\":\"/r\"},{\"name\":\"a/b\"}]]");
        const Run refused = runProgram(cli, {"space", "--import", arg(hostile)});
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains("byte 31"), refused.err.constData());
        QVERIFY(refused.out.isEmpty());
        const Run unwritable = runProgram(
            cli, {"space", "--import", arg(hostile), "--export", "/nonexistent/folder/x.json"});
        QCOMPARE(unwritable.code, 1);
        const Run missing = runProgram(cli, {"space", "/nonexistent/folder"});
        QCOMPARE(missing.code, 1);
        QVERIFY(missing.err.contains("/nonexistent/folder"));
        QCOMPARE(runProgram(cli, {"space", "--depth", "x"}).code, 2);
        QCOMPARE(runProgram(cli, {"space", "--depth", "-1"}).code, 2);
        QCOMPARE(runProgram(cli, {"space", "a", "b"}).code, 2);
        QCOMPARE(runProgram(cli, {"status", "--depth", "1"}).code, 2);
    }
};

AMPA_TEST_MAIN(CliSpaceTest)
#include "tst_clispace.moc"
