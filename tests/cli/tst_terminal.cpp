#include "ProgramRun.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// ampa-cli without a terminal: standard output and error are pipes.
Run piped(const QStringList &arguments)
{
    return runProgram(AMPA_CLI_PATH, arguments);
}

// The command line for script(1), which gives ampa-cli a terminal of its own.
QString onTerminal(const QString &arguments)
{
    return QStringLiteral("'%1' %2").arg(AMPA_CLI_PATH, arguments);
}

// What ampa-cli wrote on a terminal, standard output and error together as the terminal got
// them, with the terminal's line ends made plain again.
QByteArray terminal(const QString &arguments)
{
    const Run ran = runProgram("/usr/bin/script", {"-qfec", onTerminal(arguments), "/dev/null"});
    return QByteArray(ran.out).replace("\r\n", "\n");
}

QByteArray readSource(const char *relative)
{
    return TreeBuilder::read(fs::path(AMPA_SOURCE_DIR) / relative);
}

// The roff source as a reader sees its words: escaped hyphens plain, font changes gone.
QString manualText(const char *relative)
{
    QString text = QString::fromUtf8(readSource(relative));
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    text.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
    return text;
}

// A bash completion of `line` (the word at the end is being completed) with the installed
// script, as the program at AMPA_CLI_PATH would be completed.
QStringList bashCompletion(const QString &line)
{
    const QString script = QStringLiteral("source '%1/packaging/completions/ampa-cli.bash'\n"
                                          "read -r -a COMP_WORDS <<< \"$LINE\"\n"
                                          "[[ $LINE == *' ' ]] && COMP_WORDS+=('')\n"
                                          "COMP_WORDS[0]='%2'\n"
                                          "COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
                                          "_ampa_cli\n"
                                          "printf '%s\\n' \"${COMPREPLY[@]}\"\n");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LINE", line);
    process.setProcessEnvironment(environment);
    process.start("/bin/bash", {"-c", script.arg(AMPA_SOURCE_DIR, AMPA_CLI_PATH)});
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        qFatal("the completion of %s did not finish", qPrintable(line));
    QStringList words = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
    words.removeAll(QString());
    words.sort();
    return words;
}

} // namespace

// ampa-cli as a terminal's user and a packager meet it: its manual page, the shells'
// completions, the progress line and colour on a terminal, and plain output everywhere else.
class TerminalTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        TreeBuilder::file(TestHome::home() / ".cache/pip/http/a", 40000);
        TreeBuilder::file(TestHome::home() / ".cargo/registry/cache/serde.crate", 30000);
        TreeBuilder::file(TestHome::home() / ".cache/thumbnails/normal/a.png", 8000);
        storeSettings({{"language", "en"}});
    }

    void cleanup()
    {
        for (const char *folder : {".cache", ".cargo", ".local/state"})
            fs::remove_all(TestHome::home() / folder);
        storeSettings({});
    }

    // Every command and option the usage names is in the manual page too, and the page reads
    // without a formatter's warning.
    void manualPageNamesEverythingTheUsageDoes()
    {
        const QString usage = QString::fromUtf8(piped({"--help"}).out);
        const QString manual = manualText("docs/man/ampa-cli.1");
        QStringList named;
        const QRegularExpression option(QStringLiteral("(?<![\\w-])--?[a-z][a-z-]*"));
        for (auto it = option.globalMatch(usage); it.hasNext();)
            named << it.next().captured();
        const QRegularExpression command(
            QStringLiteral("^  ((?:[a-z]+)(?: (?:clean|keep|release))?)\\b"),
            QRegularExpression::MultilineOption);
        for (auto it = command.globalMatch(usage); it.hasNext();)
            named << it.next().captured(1);
        for (const char *word : {"off", "daily", "weekly", "monthly", "dev release",
                                 "projects release", "NO_COLOR", "EXIT STATUS"})
            named << word;
        QVERIFY(named.contains("--json") && named.contains("dev clean") && named.contains("-h"));
        for (const QString &word : std::as_const(named))
            QVERIFY2(manual.contains(word), qPrintable(word + " is not in the manual page"));

        if (!fs::exists("/usr/bin/man"))
            QSKIP("man(1) is needed to check the pages' roff");
        for (const char *page : {"docs/man/ampa-cli.1", "docs/man/ampa.1"}) {
            const Run checked = runProgram(
                "/usr/bin/man",
                {"--warnings", "-l", QString::fromStdString((fs::path(AMPA_SOURCE_DIR) / page))});
            QCOMPARE(checked.code, 0);
            QVERIFY2(checked.err.isEmpty(), checked.err.constData());
            QVERIFY(checked.out.contains("ampa"));
        }
    }

    void bashCompletesCommandsOptionsAndIds()
    {
        QCOMPARE(bashCompletion("ampa-cli "),
                 QStringList({"clean", "dev", "log", "projects", "schedule", "space", "status"}));
        QCOMPARE(bashCompletion("ampa-cli s"), QStringList({"schedule", "space", "status"}));
        QCOMPARE(bashCompletion("ampa-cli status --"), QStringList({"--json", "--verbose"}));
        QCOMPARE(bashCompletion("ampa-cli projects clean --d"), QStringList{"--dry-run"});
        QCOMPARE(bashCompletion("ampa-cli dev "), QStringList({"clean", "keep", "release"}));
        QCOMPARE(bashCompletion("ampa-cli dev clean "), QStringList({"cargo", "thumbnails"}));
        QCOMPARE(bashCompletion("ampa-cli dev clean cargo t"), QStringList{"thumbnails"});
        QCOMPARE(bashCompletion("ampa-cli schedule w"), QStringList{"weekly"});
        QCOMPARE(bashCompletion("ampa-cli projects --older "), QStringList());
        QCOMPARE(bashCompletion("ampa-cli space --si"), QStringList{"--since"});
        QCOMPARE(bashCompletion("ampa-cli space --since "), QStringList{"last"});
        QCOMPARE(bashCompletion("ampa-cli space --since 7 --sort g"), QStringList{"grown"});

        // What is kept is offered to release, and no longer to clean.
        QCOMPARE(piped({"dev", "keep", "thumbnails"}).code, 0);
        QCOMPARE(bashCompletion("ampa-cli dev clean "), QStringList{"cargo"});
        QCOMPARE(bashCompletion("ampa-cli dev release "), QStringList{"thumbnails"});
        QCOMPARE(piped({"complete", "dev-kept"}).out, QByteArray("thumbnails\n"));
        QCOMPARE(piped({"complete", "nothing"}).code, 2);
    }

    void zshAndFishCompletionsParse()
    {
        bool any = false;
        for (const auto &[shell, file] : {std::pair{"/usr/bin/zsh", "_ampa-cli"},
                                          std::pair{"/usr/bin/fish", "ampa-cli.fish"}}) {
            if (!fs::exists(shell))
                continue;
            any = true;
            const Run checked =
                runProgram(shell, {"-n", QStringLiteral("%1/packaging/completions/%2")
                                             .arg(AMPA_SOURCE_DIR, QString::fromLatin1(file))});
            QVERIFY2(checked.code == 0, checked.err.constData());
        }
        if (!any)
            QSKIP("neither zsh nor fish is installed");
    }

    // On a terminal the sizes are coloured; NO_COLOR or TERM=dumb give exactly what a pipe
    // gives, and a pipe never gets a colour or a progress line.
    void colourOnlyOnATerminalThatWantsIt()
    {
        if (!fs::exists("/usr/bin/script"))
            QSKIP("script(1) is needed for a terminal");
        const Run plain = piped({"clean", "--dry-run"});
        QCOMPARE(plain.code, 0);
        QVERIFY(plain.err.isEmpty());
        QVERIFY2(!plain.out.contains('\x1b'), plain.out.constData());

        qputenv("TERM", "xterm");
        const QByteArray coloured = terminal("clean --dry-run");
        QVERIFY2(coloured.contains("\x1b[1;36m"), coloured.constData());
        QCOMPARE(QByteArray(coloured).replace("\x1b[1;36m", "").replace("\x1b[0m", ""), plain.out);

        qputenv("NO_COLOR", "1");
        QCOMPARE(terminal("clean --dry-run"), plain.out);
        qunsetenv("NO_COLOR");
        qputenv("TERM", "dumb");
        QCOMPARE(terminal("clean --dry-run"), plain.out);
        qunsetenv("TERM");
    }

    // Work that outlasts a second shows its stage on standard error of a terminal, cleared before
    // the result; with --json, nothing but the JSON.
    void progressWhileTheWorkLasts()
    {
        if (!fs::exists("/usr/bin/script"))
            QSKIP("script(1) is needed for a terminal");
        // Yarn's own command, which here waits until the test has seen the progress line.
        const fs::path bin = TestHome::root() / "slowbin";
        const fs::path seen = TestHome::root() / "seen";
        TreeBuilder::file(TestHome::home() / ".cache/yarn/v6/pkg", 8000);
        TreeBuilder::write(bin / "yarn", QByteArray("#!/bin/sh\nwhile [ ! -e '") + seen.c_str()
                                             + "' ]; do sleep 0.1; done\necho cleaned\n");
        chmod((bin / "yarn").c_str(), 0755);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin.native()) + ':' + path);

        QProcess process;
        process.start("/usr/bin/script",
                      {"-qfec", onTerminal("dev clean yarn --yes"), "/dev/null"});
        QByteArray shown;
        while (!shown.contains("…") && process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(1000);
            shown += process.readAllStandardOutput();
        }
        TreeBuilder::write(seen, "");
        QVERIFY(process.waitForFinished(60000));
        shown += process.readAllStandardOutput();
        QVERIFY2(shown.contains("Yarn 1 cache…"), shown.constData());
        // Cleared in place, then the result on a line of its own.
        const qsizetype cleared = shown.lastIndexOf("\r\x1b[K");
        QVERIFY2(cleared > shown.indexOf("…"), shown.constData());
        QVERIFY2(shown.indexOf("cleaned", cleared) > cleared, shown.constData());

        // The JSON alone, however long the command takes.
        fs::remove(seen);
        QProcess json;
        json.start("/usr/bin/script",
                   {"-qfec", onTerminal("dev clean yarn --yes --json"), "/dev/null"});
        QVERIFY(json.waitForStarted(10000));
        QThread::sleep(2);
        TreeBuilder::write(seen, "");
        QVERIFY(json.waitForFinished(60000));
        const QByteArray out = json.readAllStandardOutput();
        qputenv("PATH", path);
        QVERIFY2(out.trimmed().startsWith('{') && !out.contains("\x1b"), out.constData());
        fs::remove_all(bin);
        fs::remove(seen);
    }
};

AMPA_TEST_MAIN(TerminalTest)
#include "tst_terminal.moc"
