#include "ProgramRun.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs a real program (ampa-cli unless told) in the test's home, without a terminal.
Run cli(const QStringList &arguments, const QString &program = AMPA_CLI_PATH,
        const fs::path &workingFolder = {})
{
    return runProgram(program, arguments, workingFolder);
}

QJsonObject json(const Run &run)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(run.out, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        qFatal("not a JSON object: %s", run.out.constData());
    return document.object();
}

// Every item below the home folder: equal before and after means nothing was touched.
std::map<std::string, std::string> listing()
{
    return TreeBuilder::manifest(TestHome::home());
}

QStringList strings(const QJsonArray &array)
{
    QStringList out;
    for (const QJsonValue &value : array)
        out << value.toString();
    return out;
}

fs::path cache(const char *name)
{
    return TestHome::home() / ".cache" / name;
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        TreeBuilder::file(cache("pip/http/a"), 40000);
        TreeBuilder::file(cache("google-chrome/Default/Cache/b"), 30000);
        TreeBuilder::file(TestHome::home() / ".npm/_cacache/c", 20000);
        TreeBuilder::file(TestHome::home() / "Downloads/movie.mkv", 90000);
        TreeBuilder::file(TestHome::home() / "Documents/keep.txt", 10);
        storeSettings({{"language", "en"}});
    }

    void cleanup()
    {
        for (const char *folder : {".cache", ".npm", "Downloads", ".local/state", "apps"})
            fs::remove_all(TestHome::home() / folder);
        QVERIFY(fs::exists(TestHome::home() / "Documents/keep.txt"));
        storeSettings({});
    }

    void status()
    {
        Run run = cli({"status", "--verbose"});
        QCOMPARE(run.code, 0);
        const QString out = QString::fromUtf8(run.out);
        QVERIFY2(out.startsWith("Free space: "), run.out.constData());
        QVERIFY(out.contains("pip and uv cache"));
        QVERIFY(out.contains(QString::fromStdString(cache("pip").native())));
        QVERIFY(out.contains("movie.mkv"));

        Settings::instance().setLanguage("id");
        run = cli({"status"});
        QVERIFY(QString::fromUtf8(run.out).startsWith("Ruang kosong: "));
        QVERIFY(!QString::fromUtf8(run.out).contains(QString::fromStdString(cache("pip"))));

        const QJsonObject status = json(cli({"status", "--json"}));
        for (const char *key : {"free", "total", "swapBytes", "uptime", "suggestRestart", "isLow",
                                "quick", "adv", "advItems", "downloads", "apps"})
            QVERIFY2(status.contains(key), key);
        const QJsonArray quick = status["quick"].toArray();
        QCOMPARE(quick.size(), 11);
        QCOMPARE(quick[0].toObject()["id"].toString(), "codex");
        const QJsonObject pip = quick[8].toObject();
        QCOMPARE(pip["id"].toString(), "pip");
        QVERIFY(pip["size"].toDouble() >= 40000);
        QCOMPARE(strings(pip["paths"].toArray()),
                 QStringList{QString::fromStdString(cache("pip").native())});
        const QJsonObject movie = status["downloads"].toArray()[0].toObject();
        QCOMPARE(movie["path"].toString(),
                 QString::fromStdString((TestHome::home() / "Downloads/movie.mkv").native()));
        QVERIFY(movie["modified"].toString().endsWith("Z"));
        const QJsonObject trash = status["advItems"].toArray().last().toObject();
        QCOMPARE(trash["id"].toString(), "trash");
        QVERIFY(trash["size"].isNull());
        QVERIFY(status["total"].toDouble() > 0);
    }

    // The preview touches nothing and names exactly what the real clean then removes.
    void dryRunThenClean()
    {
        const auto before = listing();
        const Run text = cli({"clean", "--dry-run"});
        QCOMPARE(text.code, 0);
        QVERIFY(text.out.contains(QByteArray::fromStdString(cache("pip").native()) + "  ("));
        QVERIFY(text.out.trimmed().endsWith("would be freed."));
        const QJsonObject preview = json(cli({"clean", "--dry-run", "--json"}));
        QCOMPARE(listing(), before);
        QVERIFY(!fs::exists(TestHome::home() / ".local/state/Ampa/Ampa.log"));
        QVERIFY(preview["dryRun"].toBool());
        const QStringList planned = strings(preview["removed"].toArray());
        QCOMPARE(planned.size(), 3);

        const Run run = cli({"clean", "--yes", "--json"});
        QCOMPARE(run.code, 0);
        const QJsonObject cleaned = json(run);
        QVERIFY(!cleaned["dryRun"].toBool());
        QCOMPARE(strings(cleaned["removed"].toArray()), planned);
        QCOMPARE(cleaned["freed"].toDouble(), preview["freed"].toDouble());
        QVERIFY(cleaned["result"].toString().endsWith(" freed."));
        for (const QString &path : planned)
            QVERIFY(!fs::exists(path.toStdString()));

        const Run log = cli({"log"});
        QVERIFY2(log.out.contains(" cepat: dibebaskan "), log.out.constData());
    }

    // Google Chrome "runs": a real process started from an entry of that name.
    void blockedTargetIsReportedAndKept()
    {
        const fs::path program = TestHome::home() / "apps/chrome/chrome";
        fs::create_directories(program.parent_path());
        fs::copy_file("/bin/sleep", program);
        const fs::path entry = TestHome::home() / ".local/share/applications/google-chrome.desktop";
        fs::create_directories(entry.parent_path());
        QFile desktop(QString::fromStdString(entry.native()));
        QVERIFY(desktop.open(QIODevice::WriteOnly));
        desktop.write("[Desktop Entry]\nType=Application\nName=Google Chrome\nExec="
                      + QByteArray::fromStdString(program.native()) + " %U\n");
        desktop.close();
        QProcess chrome;
        chrome.start(QString::fromStdString(program.native()), {"30"});
        QVERIFY(chrome.waitForStarted());

        const Run preview = cli({"clean", "--dry-run", "--json"});
        const Run run = cli({"clean", "--yes", "--json"});
        chrome.kill();
        chrome.waitForFinished();
        fs::remove(entry);
        QCOMPARE(json(preview)["kinds"].toObject()["chrome"].toString(), "skipped");
        QCOMPARE(run.code, 0); // a skip is not a failure
        QCOMPARE(json(run)["kinds"].toObject()["chrome"].toString(), "skipped");
        QVERIFY(fs::exists(cache("google-chrome/Default/Cache/b")));
        QVERIFY(!fs::exists(cache("pip")));
    }

    void partialFailureExitsOne()
    {
        if (geteuid() != 0)
            QSKIP("only root can make a file that no removal takes (an immutable one)");
        const QString stubborn = QString::fromStdString(cache("pip/http/a").native());
        if (QProcess::execute("chattr", {"+i", stubborn}) != 0)
            QSKIP("no immutable flag on this file system");
        const Run run = cli({"clean", "--yes"});
        const Run again = cli({"clean", "--yes", "--json"});
        QProcess::execute("chattr", {"-i", stubborn});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.out.contains("pip and uv cache: Partly failed: "), run.out.constData());
        // The exit status and the JSON go by the kind, whatever the language of the text.
        QCOMPARE(again.code, 1);
        QCOMPARE(json(again)["kinds"].toObject()["pip"].toString(), "partlyFailed");
        const QJsonObject failure = json(again)["failures"].toObject()["pip"].toObject();
        QCOMPARE(failure["kind"].toString(), "notAllowed");
        QCOMPARE(failure["errno"].toInt(), EPERM);
        QVERIFY(failure["path"].toString().endsWith("pip/http/a"));
    }

    // The prompt lists what goes; a folder that appears while it waits is not among it and stays.
    void folderAppearingAtThePromptIsNotRemoved()
    {
        const int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
        const QByteArray side = ptsname(terminal);
        QProcess process;
        process.setProgram(AMPA_CLI_PATH);
        process.setArguments({"clean"});
        process.setChildProcessModifier([side] {
            const int input = open(side.constData(), O_RDWR | O_NOCTTY);
            dup2(input, STDIN_FILENO);
        });
        process.start();
        QByteArray shown;
        while (!shown.contains("[y/N]") && process.waitForReadyRead(30000))
            shown += process.readAllStandardOutput();
        QVERIFY2(shown.contains("[y/N]"), shown.constData());
        QVERIFY(shown.contains(QByteArray::fromStdString(cache("pip").native())));
        QVERIFY(!shown.contains(".cache/uv"));
        TreeBuilder::file(cache("uv/late/wheel"), 5000);
        QCOMPARE(write(terminal, "y\n", 2), 2);
        QVERIFY(process.waitForFinished(60000));
        close(terminal);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(!fs::exists(cache("pip")));
        QVERIFY(fs::exists(cache("uv/late/wheel")));
    }

    // Names come from files anyone can make: what a terminal would obey is shown escaped.
    void controlCharactersInNamesAreEscaped()
    {
        TreeBuilder::file(TestHome::home() / "Downloads/\x1b]0;owned\x07\x1b[2Jfake\nline", 50000);
        const Run status = cli({"status"});
        QCOMPARE(status.code, 0);
        QVERIFY2(!status.out.contains('\x1b') && !status.out.contains('\x07'),
                 status.out.constData());
        QVERIFY2(status.out.contains("\\e]0;owned\\x07\\e[2Jfake\\nline"), status.out.constData());
        // What the engine says on standard error too, whatever part of a line names a file.
        qputenv("QT_LOGGING_RULES", "ampa.*=true");
        qputenv("QT_MESSAGE_PATTERN", "\x1b[2J%{message}");
        const Run clean = cli({"clean", "--yes"});
        qunsetenv("QT_LOGGING_RULES");
        qunsetenv("QT_MESSAGE_PATTERN");
        QVERIFY2(clean.err.contains("\\e[2J") && !clean.err.contains('\x1b'),
                 clean.err.constData());
        // The JSON keeps the real name, escaped its own way.
        QStringList paths;
        for (const QJsonValue &item : json(cli({"status", "--json"}))["downloads"].toArray())
            paths << item["path"].toString();
        QVERIFY(!paths.filter(QStringLiteral("\x1b[2Jfake\nline")).isEmpty());
    }

    // A cache base at the home folder is refused, and both outputs say so.
    void homeAsCacheBaseIsRefusedAndTold()
    {
        TreeBuilder::file(TestHome::home() / "pip/mine.txt", 100);
        qputenv("XDG_CACHE_HOME", TestHome::home().c_str());
        const Run status = cli({"status"});
        const Run clean = cli({"clean", "--yes", "--json"});
        qunsetenv("XDG_CACHE_HOME");
        QVERIFY2(status.out.startsWith("XDG_CACHE_HOME"), status.out.constData());
        QCOMPARE(strings(json(clean)["warnings"].toArray()).size(), 1);
        QVERIFY(fs::exists(TestHome::home() / "pip/mine.txt"));
        QVERIFY(!fs::exists(cache("pip")));
        fs::remove_all(TestHome::home() / "pip");
    }

    // In demo mode the terminal says it shows sample figures, lists no real folder and removes
    // nothing, in both outputs.
    void demoModeSaysSoAndRemovesNothing()
    {
        Settings::instance().set(Settings::Key::demo, "yes");
        const auto before = listing();
        const Run clean = cli({"clean", "--yes"});
        const Run dryRun = cli({"clean", "--dry-run"});
        const QJsonObject cleanJson = json(cli({"clean", "--yes", "--json"}));
        const QJsonObject statusJson = json(cli({"status", "--json"}));
        const Run status = cli({"status"});
        QCOMPARE(listing(), before);
        for (const Run &run : {clean, dryRun, status}) {
            QCOMPARE(run.code, 0);
            QVERIFY2(run.out.startsWith("Demo mode"), run.out.constData());
            QVERIFY(!run.out.contains(".cache"));
        }
        QCOMPARE(cleanJson["demo"].toBool(), true);
        QCOMPARE(cleanJson["freed"].toInt(), 0);
        QCOMPARE(statusJson["demo"].toBool(), true);
        Settings::instance().set(Settings::Key::demo, "off");
        QCOMPARE(json(cli({"status", "--json"}))["demo"].toBool(), false);
    }

    // The developer caches from the terminal: listed with their modes, a choice cleaned only
    // with --yes, a kept entry measured but not cleaned until released.
    void developerCaches()
    {
        const fs::path home = TestHome::home();
        TreeBuilder::file(home / ".cargo/registry/cache/serde.crate", 30000);
        TreeBuilder::file(home / ".cargo/bin/cargo", 500);
        TreeBuilder::file(home / ".m2/repository/org/lib.jar", 20000);
        TreeBuilder::file(cache("thumbnails/normal/a.png"), 8000);

        const QJsonArray entries = json(cli({"dev", "--json"}))["entries"].toArray();
        QStringList ids;
        for (const QJsonValue &entry : entries)
            ids << entry["id"].toString();
        QCOMPARE(ids, QStringList({"cargo", "maven", "thumbnails"}));
        const QJsonObject cargo = entries[0].toObject();
        QCOMPARE(cargo["mode"].toString(), "delete");
        QVERIFY(cargo["size"].toDouble() >= 30000);
        QCOMPARE(strings(cargo["paths"].toArray()),
                 QStringList{QString::fromStdString((home / ".cargo/registry/cache").native())});
        QCOMPARE(entries[1]["mode"].toString(), "choice");
        QCOMPARE(entries[1]["running"].toBool(), false);

        // Without --yes on no terminal: nothing; the dry run touches nothing either.
        QCOMPARE(cli({"dev", "clean", "maven"}).code, 2);
        QCOMPARE(
            json(cli({"dev", "clean", "cargo", "maven", "--dry-run", "--json"}))["dryRun"].toBool(),
            true);
        QVERIFY(fs::exists(home / ".m2/repository/org/lib.jar"));

        QCOMPARE(cli({"dev", "keep", "thumbnails"}).code, 0);
        const QJsonObject kept = json(cli({"dev", "--json"}))["entries"].toArray()[2].toObject();
        QVERIFY(kept["kept"].toBool());
        QVERIFY(kept["size"].toDouble() >= 8000);
        QCOMPARE(cli({"dev", "clean", "thumbnails", "--yes"}).code, 2);
        QVERIFY(fs::exists(cache("thumbnails/normal/a.png")));
        QCOMPARE(cli({"dev", "release", "thumbnails"}).code, 0);

        const Run run = cli({"dev", "clean", "cargo", "maven", "thumbnails", "--yes", "--json"});
        QCOMPARE(run.code, 0);
        const QJsonObject results = json(run)["results"].toObject();
        QCOMPARE(results["maven"]["outcome"].toString(), "done");
        QVERIFY(results["cargo"]["freed"].toDouble() >= 30000);
        QVERIFY(!fs::exists(home / ".cargo/registry/cache"));
        QVERIFY(fs::exists(home / ".cargo/bin/cargo"));
        QVERIFY(!fs::exists(home / ".m2/repository"));
        QVERIFY(cli({"log"}).out.contains("pengembang: cargo: dibebaskan"));
        for (const char *folder : {".cargo", ".m2"})
            fs::remove_all(home / folder);
    }

    // The developer caches' words on the terminal: keep and release answer in one line and leave
    // no "@Invalid()" behind; what was typed comes back with its control characters shown, never
    // raw; an owner's lines stay lines; what is refused says why, in text and JSON; a choice says
    // what is lost before it asks.
    void devTerminalText_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shows"); // in the output, standard error included
        QTest::newRow("keep") << QStringList{"dev", "keep", "thumbnails"} << 0
                              << "thumbnails is kept";
        QTest::newRow("keep an unknown id")
            << QStringList{"dev", "keep", "no\x1b[31mpe"} << 2 << "no developer cache no\\e[31mpe";
        QTest::newRow("clean an unknown id") << QStringList{"dev", "clean", "x\x1b]0;t\x07"} << 2
                                             << "no developer cache x\\e]0;t\\x07";
        QTest::newRow("release what is not kept")
            << QStringList{"dev", "release", "cargo"} << 0 << "cargo was not kept.";
        QTest::newRow("owner's lines") << QStringList{"dev", "clean", "yarn", "--yes"} << 0
                                       << "\n    line one\n    line two\n";
        QTest::newRow("refused, in text") << QStringList{"dev"} << 0 << "left alone: ";
        QTest::newRow("refused, in JSON") << QStringList{"dev", "--json"} << 0 << "\"reason\": ";
    }
    void devTerminalText()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, shows);
        const fs::path home = TestHome::home();
        TreeBuilder::file(cache("thumbnails/normal/a.png"), 8000);
        TreeBuilder::file(cache("yarn/v6/pkg"), 8000);
        TreeBuilder::file(home / ".cargo/registry/cache/serde.crate", 3000);
        TreeBuilder::file(home / "Documents/keep.txt", 10);
        const fs::path bin = TestHome::root() / "devbin";
        TreeBuilder::write(bin / "yarn", "#!/bin/sh\nprintf 'line one\\nline two\\n'\n");
        chmod((bin / "yarn").c_str(), 0755);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin.native()) + ':' + path);
        qputenv("SCCACHE_DIR", QByteArray::fromStdString((home / "Documents").native()));
        const Run run = cli(arguments);
        qputenv("PATH", path);
        qunsetenv("SCCACHE_DIR");
        const QByteArray all = run.out + run.err;
        QVERIFY2(run.code == code, all.constData());
        QVERIFY2(all.contains(shows.toUtf8()), all.constData());
        QVERIFY2(!all.contains('\x1b') && !all.contains('\x07'), all.constData());
        QVERIFY2(!all.contains("\\n"), all.constData());
        if (arguments.value(1) == "keep" && code == 0) {
            QCOMPARE(run.out.count('\n'), 1);
            const Run released = cli({"dev", "release", "thumbnails"});
            QCOMPARE(released.code, 0);
            QCOMPARE(released.out.count('\n'), 1);
            QVERIFY(released.out.contains("thumbnails is released"));
            const QByteArray stored = TreeBuilder::read(home / ".config/Ampa/Ampa.conf");
            QVERIFY2(!stored.contains("@Invalid") && !stored.contains("devKeep"),
                     stored.constData());
        }
        if (arguments.value(1) == "keep" && code != 0)
            QVERIFY(!TreeBuilder::read(home / ".config/Ampa/Ampa.conf").contains("devKeep"));
        fs::remove_all(home / ".cargo");
    }

    // A choice says what is lost on the line before the question, on a real terminal.
    void devChoiceSaysWhatIsLostBeforeAsking()
    {
        if (!fs::exists("/usr/bin/script"))
            QSKIP("script(1) is needed for a terminal");
        TreeBuilder::file(TestHome::home() / ".m2/repository/org/lib.jar", 20000);
        QProcess process;
        process.start(
            "/usr/bin/script",
            {"-qec", QStringLiteral("'%1' dev clean maven").arg(AMPA_CLI_PATH), "/dev/null"});
        QVERIFY(process.waitForStarted(10000));
        process.write("n\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(60000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        const qsizetype lost = out.indexOf("cannot be downloaded again");
        const qsizetype question = out.indexOf("[y/N]");
        QVERIFY2(lost >= 0 && question > lost, qPrintable(out));
        QVERIFY(fs::exists(TestHome::home() / ".m2/repository/org/lib.jar"));
        fs::remove_all(TestHome::home() / ".m2");
    }

    // A folder tagged as a cache is a choice known by its path: listed, kept and released by its
    // id, cleaned only with --yes, and then only that folder.
    void taggedCacheFromTheTerminal()
    {
        const fs::path restic = cache("restic");
        TreeBuilder::write(restic / "CACHEDIR.TAG", "Signature: 8a477f597d28d172789f06886806bc55");
        TreeBuilder::file(restic / "data/pack", 30000);
        const QString id = "cachedir:.cache/restic";
        const auto entry = [&id] {
            for (const QJsonValue &each : json(cli({"dev", "--json"}))["entries"].toArray())
                if (each["id"].toString() == id)
                    return each.toObject();
            return QJsonObject();
        };
        const QJsonObject listed = entry();
        QCOMPARE(listed["mode"].toString(), "choice");
        QCOMPARE(listed["name"].toString(), "~/.cache/restic");
        QCOMPARE(strings(listed["paths"].toArray()),
                 QStringList{QString::fromStdString(restic.native())});
        QVERIFY(listed["size"].toDouble() >= 30000);
        QVERIFY(cli({"dev"}).out.contains(id.toUtf8() + "  ~/.cache/restic"));

        QCOMPARE(cli({"dev", "keep", id}).code, 0);
        QVERIFY(entry()["kept"].toBool());
        QCOMPARE(cli({"dev", "clean", id, "--yes"}).code, 2);
        QCOMPARE(cli({"dev", "release", id}).code, 0);
        QCOMPARE(cli({"dev", "clean", id}).code, 2);
        QVERIFY(fs::exists(restic / "data/pack"));

        const Run run = cli({"dev", "clean", id, "--yes", "--json"});
        QCOMPARE(run.code, 0);
        QCOMPARE(json(run)["results"][id]["outcome"].toString(), "done");
        QVERIFY(!fs::exists(restic));
        QVERIFY(fs::exists(cache("pip/http/a")));
    }

    // Projects from the terminal: listed with their artifacts and age; the dry run shows and
    // sums exactly what the clean takes (not one in use, kept or without a lockfile); a kept
    // one never goes, a named one on demand, once however often it is named.
    void projects()
    {
        const fs::path src = TestHome::home() / "src";
        TreeBuilder::file(src / "old/package.json", 10);
        TreeBuilder::file(src / "old/package-lock.json", 10);
        TreeBuilder::file(src / "old/node_modules/a.js", 20000);
        TreeBuilder::file(src / "unlocked/package.json", 10);
        TreeBuilder::file(src / "unlocked/node_modules/a.js", 20000);
        TreeBuilder::file(src / "busy/Cargo.toml", 10);
        TreeBuilder::file(src / "busy/target/app", 20000);
        TreeBuilder::file(src / "kept/Cargo.toml", 10);
        TreeBuilder::file(src / "kept/target/app", 20000);
        TreeBuilder::file(src / "fresh/Cargo.toml", 10);
        TreeBuilder::file(src / "fresh/target/app", 20000);
        for (const char *file : {"old/package.json", "old/package-lock.json",
                                 "unlocked/package.json", "busy/Cargo.toml", "kept/Cargo.toml"}) {
            const time_t then = time(nullptr) - 90 * 86400L;
            const timespec times[2] = {{then, 0}, {then, 0}};
            utimensat(AT_FDCWD, (src / file).c_str(), times, 0);
        }
        const QString old = QString::fromStdString((src / "old").native());
        const QString kept = QString::fromStdString((src / "kept").native());
        QProcess worker;
        worker.setWorkingDirectory(QString::fromStdString((src / "busy").native()));
        worker.start("/bin/sleep", {"60"});
        QVERIFY(worker.waitForStarted());

        QJsonArray listed = json(cli({"projects", "--json"}))["projects"].toArray();
        QCOMPARE(listed.size(), 5);
        QJsonObject oldProject;
        for (const QJsonValue &project : listed)
            if (project["path"].toString() == old)
                oldProject = project.toObject();
        QCOMPARE(oldProject["kind"].toString(), "node");
        QVERIFY(oldProject["size"].toDouble() >= 20000);
        QCOMPARE(oldProject["artifacts"].toArray().size(), 1);
        QVERIFY(
            QDateTime::fromString(oldProject["lastActivity"].toString(), Qt::ISODate).isValid());
        QCOMPARE(json(cli({"projects", "--older", "60", "--json"}))["projects"].toArray().size(),
                 4);

        const Run keptNow = cli({"projects", "keep", kept});
        QCOMPARE(keptNow.code, 0);
        QCOMPARE(keptNow.out, "Kept: " + kept.toUtf8() + "\n");
        const Run dry = cli({"projects", "clean", "--dry-run"});
        QVERIFY2(dry.out.startsWith(old.toUtf8() + "  "), dry.out.constData());
        QCOMPARE(dry.out.count("\n    "), 1); // one project's one artifact
        QVERIFY(dry.out.contains("\nTotal: "));
        const QJsonObject dryJson = json(cli({"projects", "clean", "--dry-run", "--json"}));
        QCOMPARE(dryJson["projects"].toArray().size(), 1);
        QCOMPARE(dryJson["size"].toDouble(), oldProject["size"].toDouble());
        const Run run = cli({"projects", "clean", "--yes", "--json"});
        QCOMPARE(run.code, 0);
        const QJsonArray results = json(run)["results"].toArray();
        QCOMPARE(results.size(), 1);
        QCOMPARE(results[0]["path"].toString(), old);
        QVERIFY(!fs::exists(src / "old/node_modules"));
        for (const char *stays : {"unlocked/node_modules/a.js", "busy/target/app",
                                  "kept/target/app", "fresh/target/app"})
            QVERIFY2(fs::exists(src / stays), stays);
        // A project named that cannot be cleaned now is no usage fault: it stayed, and says why.
        const Run busy =
            cli({"projects", "clean", QString::fromStdString((src / "busy").native()), "--yes"});
        QCOMPARE(busy.code, 1);
        QVERIFY2(busy.out.endsWith(": skipped: in use\n"), busy.out.constData());
        QVERIFY(fs::exists(src / "busy/target/app"));
        worker.kill();
        worker.waitForFinished();

        QCOMPARE(cli({"projects", "clean", kept, "--yes"}).code, 1);
        QVERIFY(fs::exists(src / "kept/target/app"));
        QCOMPARE(cli({"projects", "release", kept}).out, "Released: " + kept.toUtf8() + "\n");
        const Run twice = cli({"projects", "clean", kept, kept + "/.", "--yes", "--json"});
        QCOMPARE(twice.code, 0);
        QCOMPARE(json(twice)["results"].toArray().size(), 1);
        QVERIFY(!fs::exists(src / "kept/target"));
        QVERIFY(fs::exists(src / "kept/Cargo.toml"));
        QVERIFY(cli({"log"}).out.contains("proyek: " + kept.toUtf8()));
        fs::remove_all(src);
    }

    // libgit2 is loaded only when a repository is first read. Where it cannot be, a project in
    // a repository is unreadable, with the reason, and nothing of it is offered or removed.
    void projectsWithoutTheGitLibrary()
    {
        if (geteuid() != 0)
            QSKIP("hiding a library from one program needs root (a mount namespace)");
        const fs::path project = TestHome::home() / "src/tool";
        TreeBuilder::file(project / "Cargo.toml", 10);
        TreeBuilder::file(project / "Cargo.lock", 10);
        TreeBuilder::file(project / "target/debug/tool", 20000);
        QFile ignore(QString::fromStdString((project / ".gitignore").native()));
        QVERIFY(ignore.open(QIODevice::WriteOnly));
        ignore.write("/target\n");
        ignore.close();
        // Committed, like every file, 90 days ago: an idle project.
        const time_t then = time(nullptr) - 90 * 86400L;
        const QByteArray date = QByteArray::number(qint64(then)) + " +0000";
        qputenv("GIT_AUTHOR_DATE", date);
        qputenv("GIT_COMMITTER_DATE", date);
        {
            // Gone again even when a step fails: the later tests commit as of now.
            const auto undated = qScopeGuard([] {
                qunsetenv("GIT_AUTHOR_DATE");
                qunsetenv("GIT_COMMITTER_DATE");
            });
            for (const QStringList &arguments :
                 {QStringList{"init", "-q"},
                  QStringList{"add", "Cargo.toml", "Cargo.lock", ".gitignore"},
                  QStringList{"-c", "user.name=t", "-c", "user.email=t@t", "commit", "-q", "-m",
                              "a"}})
                QCOMPARE(runProgram("git", arguments, project).code, 0);
        }
        for (const char *file : {"Cargo.toml", "Cargo.lock", ".gitignore"}) {
            const timespec times[2] = {{then, 0}, {then, 0}};
            utimensat(AT_FDCWD, (project / file).c_str(), times, 0);
        }
        const auto removeSource = qScopeGuard([] { fs::remove_all(TestHome::home() / "src"); });
        // With the library the artifact is offered: the case is one where it matters.
        const QJsonObject offered = json(cli({"projects", "clean", "--dry-run", "--json"}));
        QCOMPARE(offered["projects"].toArray().size(), 1);

        void *handle = dlopen(AMPA_LIBGIT2_SONAME, RTLD_NOW | RTLD_LOCAL);
        QVERIFY(handle);
        link_map *map = nullptr;
        QCOMPARE(dlinfo(handle, RTLD_DI_LINKMAP, &map), 0);
        const QString library = QString::fromLocal8Bit(map->l_name);
        dlclose(handle);
        // The program in a mount namespace of its own, where the library's file is empty.
        auto hidden = [&library](const QStringList &arguments) {
            return runProgram("/usr/bin/unshare",
                              QStringList{"-m", "/bin/sh", "-c",
                                          "mount --bind /dev/null \"$0\" && exec \"$@\"", library,
                                          AMPA_CLI_PATH}
                                  + arguments);
        };
        const Run listed = hidden({"projects", "--json"});
        QCOMPARE(listed.code, 0);
        const QJsonArray projects = json(listed)["projects"].toArray();
        QCOMPARE(projects.size(), 1);
        QVERIFY2(projects[0]["unreadable"].toString().contains("libgit2"), listed.out.constData());
        const auto before = listing();
        const Run cleaned = hidden({"projects", "clean", "--yes", "--json"});
        QVERIFY2(json(cleaned)["results"].toArray().isEmpty(), cleaned.out.constData());
        QCOMPARE(listing(), before);
        QVERIFY(fs::exists(project / "target/debug/tool"));
    }

    // With no user service manager to ask, a schedule is refused with the reason, nothing is
    // written and the setting stays off; the state still reads.
    void scheduleWithoutAManager()
    {
        const Run weekly = cli({"schedule", "weekly"});
        QCOMPARE(weekly.code, 1);
        QVERIFY2(weekly.err.startsWith("ampa-cli: Could not change the schedule: "),
                 weekly.err.constData());
        QVERIFY(!fs::exists(TestHome::home() / ".config/systemd/user/ampa-clean.timer"));
        QVERIFY(!fs::exists(TestHome::home() / ".config/systemd/user/ampa-clean.service"));
        const Run state = cli({"schedule"});
        QCOMPARE(state.code, 0);
        QCOMPARE(state.out, QByteArray("Clean automatically: off\n"));
    }

    void badUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("no command") << QStringList{} << QByteArray("ampa-cli: no command given");
        QTest::newRow("unknown command")
            << QStringList{"purge"} << QByteArray("ampa-cli: unknown command: purge");
        QTest::newRow("unknown option")
            << QStringList{"status", "--force"}
            << QByteArray("ampa-cli: unknown option for status: --force");
        QTest::newRow("option of another command")
            << QStringList{"log", "--json"}
            << QByteArray("ampa-cli: unknown option for log: --json");
        QTest::newRow("extra argument")
            << QStringList{"status", "now"} << QByteArray("ampa-cli: unexpected argument: now");
        QTest::newRow("unknown developer cache")
            << QStringList{"dev", "clean", "nothing"}
            << QByteArray("ampa-cli: no developer cache nothing");
        QTest::newRow("dev with a stray word")
            << QStringList{"dev", "purge"}
            << QByteArray("ampa-cli: usage: ampa-cli dev [--json] | dev clean ID… [--dry-run] "
                          "[--yes] [--json] | dev keep ID | dev release ID");
        QTest::newRow("--older without a number")
            << QStringList{"projects", "--older", "soon"}
            << QByteArray("ampa-cli: --older needs a number of days: soon");
        QTest::newRow("--older with a space")
            << QStringList{"projects", "--older", " 5"}
            << QByteArray("ampa-cli: --older needs a number of days:  5");
        QTest::newRow("keep of nothing")
            << QStringList{"projects", "keep", ""} << QByteArray("ampa-cli: an empty path");
        QTest::newRow("keep of a missing folder")
            << QStringList{"projects", "keep", "/nowhere/at/all"}
            << QByteArray("ampa-cli: not a folder: /nowhere/at/all");
        QTest::newRow("release of a folder not kept")
            << QStringList{"projects", "release", "/tmp"} << QByteArray("ampa-cli: not kept: /tmp");
        QTest::newRow("unknown schedule")
            << QStringList{"schedule", "hourly"}
            << QByteArray("ampa-cli: unknown schedule: hourly (off, daily, weekly, monthly)");
        QTest::newRow("clean without a terminal")
            << QStringList{"clean"}
            << QByteArray("ampa-cli: not a terminal; use --yes to clean without asking");
    }
    void badUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, line);
        const Run run = cli(arguments);
        QCOMPARE(run.code, 2);
        QCOMPARE(run.err.split('\n').first(), line);
        QVERIFY(run.out.isEmpty());
        QVERIFY(fs::exists(cache("pip/http/a")));
    }

    // Every program answers --help and --version, and an unknown option with its usage and
    // status 2, touching nothing (the benchmark once generated its trees under "--help").
    void everyProgramParsesItsArguments_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("usage");
        QTest::newRow("ampa-cli") << QStringLiteral(AMPA_CLI_PATH) << QByteArray("ampa-cli")
                                  << QByteArray("Usage: ampa-cli <command> [options]");
        QTest::newRow("ampa") << QStringLiteral(AMPA_WINDOW_PATH) << QByteArray("ampa")
                              << QByteArray("usage: ampa [--login");
        QTest::newRow("ampa-bench")
            << QStringLiteral(AMPA_BENCH_PATH) << QByteArray("ampa-bench") << QByteArray("Usage: ");
    }

    void everyProgramParsesItsArguments()
    {
        QFETCH(QString, program);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, usage);
        const fs::path where = TestHome::root() / "arguments" / name.toStdString();
        TreeBuilder::folder(where);
        const Run help = cli({"--help"}, program, where);
        QCOMPARE(help.code, 0);
        QVERIFY2(help.out.startsWith(usage) && help.out.contains(name), help.out.constData());
        const Run version = cli({"--version"}, program, where);
        QCOMPARE(version.code, 0);
        QCOMPARE(version.out.trimmed().split(' ').last(), QByteArray(AMPA_VERSION));
        const Run unknown = cli({"--no-such-option"}, program, where);
        QCOMPARE(unknown.code, 2);
        QVERIFY2(unknown.err.contains("sage"), unknown.err.constData());
        QVERIFY(fs::is_empty(where));
    }
};

AMPA_TEST_MAIN(CliTest)
#include "tst_cli.moc"
