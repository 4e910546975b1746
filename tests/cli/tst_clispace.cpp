#include "ProgramRun.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>
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

    void badInput()
    {
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
