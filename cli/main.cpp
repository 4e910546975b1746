// ampa-cli: Ampa's scan, quick clean and activity log from a terminal, with the same catalogue,
// rules, texts and log line as the window.

#include "Commands.h"
#include "EngineWords.h"
#include "ProcessLimits.h"
#include "RunAs.h"
#include "TerminalText.h"
#include "Text.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

namespace {

// The window's status too when it will not run for this home.
constexpr int exitRefused = 2;

int usageError(const QString &problem)
{
    QTextStream err(stderr);
    err << "ampa-cli: " << printable(problem) << "\n\n" << usage();
    return exitUsage;
}

QString unknownOption(const QString &option)
{
    return bilingual(QStringLiteral("opsi tak dikenal: %1"), QStringLiteral("unknown option: %1"))
        .arg(option);
}

QString unknownOption(const QString &command, const QString &option)
{
    return bilingual(QStringLiteral("opsi tak dikenal untuk %1: %2"),
                     QStringLiteral("unknown option for %1: %2"))
        .arg(command, option);
}

// Digits only: toInt would take " 5" or "+5" too.
std::optional<int> wholeNumber(const QString &value)
{
    bool ok = !value.isEmpty() && std::all_of(value.begin(), value.end(), [](QChar c) {
        return c >= '0' && c <= '9';
    });
    const int number = ok ? value.toInt(&ok) : 0;
    return ok ? std::optional<int>(number) : std::nullopt;
}

// Warnings name files anyone can name: on a terminal, what it would obey is shown escaped.
void printableMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QByteArray line = printable(qFormatLogMessage(type, context, message)).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

QString usage()
{
    return bilingual(
        "Pemakaian: ampa-cli <perintah> [opsi]\n"
        "\n"
        "Perintah:\n"
        "  status      ruang kosong, saran, cache, opsi lanjutan dan item terbesar\n"
        "  clean       pembersihan cepat: cache aplikasi yang terbuka dilewati\n"
        "  log         log aktivitas, yang terbaru dulu\n"
        "  dev         cache pengembang: ukuran, mode, sedang berjalan, disimpan\n"
        "  dev clean ID…   bersihkan cache pengembang seperti pemiliknya\n"
        "  dev keep ID, dev release ID   simpan cache (tidak ditawarkan) atau lepaskan\n"
        "  projects    proyek dengan artefak build: ukuran, umur, perubahan, dipakai\n"
        "  projects clean [PATH…]   hapus artefak proyek (yang menganggur, atau yang disebut)\n"
        "  projects keep PATH, projects release PATH   simpan proyek atau lepaskan\n"
        "  schedule [off|daily|weekly|monthly]   bersihkan cepat otomatis, atau lihat jadwalnya\n"
        "  space [PATH]   isi folder (rumah, bawaan) per folder, dan yang bisa dibuat ulang\n"
        "  space --import BERKAS   hasil pindai ncdu (ncdu -o), hanya dilihat\n"
        "  space [PATH] --since last|HARI   pertumbuhan tiap folder sejak pengukuran\n"
        "              sebelumnya, atau yang terdekat ke sekian hari lalu\n"
        "\n"
        "Opsi:\n"
        "  --json      satu objek JSON, bukan teks (status, clean, dev, projects, space)\n"
        "  --verbose   folder setiap cache (status)\n"
        "  --yes       bersihkan tanpa bertanya; untuk dev clean juga pilihan yang\n"
        "              menghapus alat terpasang (clean, dev clean, projects clean)\n"
        "  --dry-run   tampilkan yang akan dihapus, tanpa menghapus (clean, dev clean,\n"
        "              projects clean)\n"
        "  --older HARI   hanya proyek yang menganggur sekian hari (projects)\n"
        "  --depth N   folder sampai N tingkat (space; bawaan 1)\n"
        "  --export BERKAS   simpan hasil pindai untuk ncdu -f (space)\n"
        "  --apparent  ukuran sebagai isi berkas, bukan ruang yang dipakai (space)\n"
        "  --sort size|name|count|age|grown   urutan folder: terbesar, nama, jumlah\n"
        "              isi, terbaru, paling tumbuh (space; bawaan size; grown perlu --since)\n"
        "  --since last|HARI   bandingkan dengan pengukuran sebelumnya atau yang terdekat ke\n"
        "              sekian hari lalu (space)\n"
        "  -h, --help  bantuan ini\n"
        "  -v, --version  versi program\n",
        "Usage: ampa-cli <command> [options]\n"
        "\n"
        "Commands:\n"
        "  status      free space, hints, caches, advanced items and the largest items\n"
        "  clean       the quick clean: caches of apps that are open are skipped\n"
        "  log         the activity log, newest first\n"
        "  dev         developer caches: size, mode, running, kept\n"
        "  dev clean ID…   clean developer caches as their owners would\n"
        "  dev keep ID, dev release ID   keep a cache (not offered) or release it\n"
        "  projects    projects with build output: size, age, changes, in use\n"
        "  projects clean [PATH…]   delete projects' artifacts (the idle ones, or those named)\n"
        "  projects keep PATH, projects release PATH   keep a project or release it\n"
        "  schedule [off|daily|weekly|monthly]   the quick clean on a timer, or its state\n"
        "  space [PATH]   what fills a folder (the home by default), and what rebuilds itself\n"
        "  space --import FILE   a scan saved by ncdu (ncdu -o), to look at only\n"
        "  space [PATH] --since last|DAYS   each folder's growth since the walk before, or\n"
        "              the one nearest that many days ago\n"
        "\n"
        "Options:\n"
        "  --json      one JSON object instead of text (status, clean, dev, projects, space)\n"
        "  --verbose   the folders of each cache (status)\n"
        "  --yes       clean without asking; for dev clean also the choices that remove\n"
        "              installed tools (clean, dev clean, projects clean)\n"
        "  --dry-run   show what would be removed, remove nothing (clean, dev clean,\n"
        "              projects clean)\n"
        "  --older DAYS   only projects idle that many days (projects)\n"
        "  --depth N   folders down to N levels (space; 1 by default)\n"
        "  --export FILE   save the scan for ncdu -f (space)\n"
        "  --apparent  sizes as the bytes files hold, not the space they take (space)\n"
        "  --sort size|name|count|age|grown   the order of folders: largest, name, most\n"
        "              entries, newest, grown most (space; size by default; grown needs\n"
        "              --since)\n"
        "  --since last|DAYS   compare with the walk before, or the one nearest that many\n"
        "              days ago (space)\n"
        "  -h, --help  this help\n"
        "  -v, --version  the program's version\n");
}

int main(int argc, char *argv[])
{
    Engine::raiseOpenFileLimit();
    qInstallMessageHandler(printableMessage);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("ampa-cli");
    QCoreApplication::setApplicationVersion(AMPA_VERSION);

    const QCommandLineOption json("json");
    const QCommandLineOption verbose("verbose");
    const QCommandLineOption yes("yes");
    const QCommandLineOption dryRun("dry-run");
    const QCommandLineOption older("older", QString(), "days");
    const QCommandLineOption depth("depth", QString(), "levels");
    const QCommandLineOption exportTo("export", QString(), "file");
    const QCommandLineOption importFrom("import", QString(), "file");
    const QCommandLineOption apparent("apparent");
    const QCommandLineOption sort("sort", QString(), "order");
    const QCommandLineOption since("since", QString(), "when");
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version(QStringList{"v", "version"});
    // Which options each command takes.
    const std::map<QString, std::vector<const QCommandLineOption *>> commands{
        {"status", {&json, &verbose}},
        {"clean", {&json, &yes, &dryRun}},
        {"log", {}},
        {"dev", {&json, &yes, &dryRun}},
        {"projects", {&json, &yes, &dryRun, &older}},
        {"schedule", {}},
        {"space", {&json, &depth, &exportTo, &importFrom, &apparent, &sort, &since}},
        {"complete", {}}, // for the shells' completions; not in the usage
    };
    QCommandLineParser parser;
    parser.addOptions({json, verbose, yes, dryRun, older, depth, exportTo, importFrom, apparent,
                       sort, since, help, version});
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parsed && parser.isSet(help)) {
        QTextStream(stdout) << usage();
        return exitOk;
    }
    if (parsed && parser.isSet(version)) {
        QTextStream(stdout) << "ampa-cli " << QCoreApplication::applicationVersion() << '\n';
        return exitOk;
    }
    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    if (!parsed) {
        const QString name = parser.unknownOptionNames().value(0);
        const QString option = (name.size() > 1 ? "--" : "-") + name;
        return usageError(command.isEmpty() ? unknownOption(option)
                                            : unknownOption(command, option));
    }
    const bool takesWords = command == QLatin1String("dev") || command == QLatin1String("projects")
                            || command == QLatin1String("schedule")
                            || command == QLatin1String("space")
                            || command == QLatin1String("complete");
    if (positional.size() > 1 && !takesWords)
        return usageError(bilingual(QStringLiteral("argumen tak dikenal: %1"),
                                    QStringLiteral("unexpected argument: %1"))
                              .arg(positional[1]));
    // Only the help answers for another user's home: every command reads or changes it.
    if (const auto refusal = Engine::refusalToRun()) {
        QTextStream(stderr) << runRefusalText(*refusal) << '\n';
        return exitRefused;
    }
    if (command.isEmpty())
        return usageError(bilingual("perintah tidak ada", "no command given"));
    const auto known = commands.find(command);
    if (known == commands.end())
        return usageError(bilingual(QStringLiteral("perintah tak dikenal: %1"),
                                    QStringLiteral("unknown command: %1"))
                              .arg(command));
    for (const QCommandLineOption *option : {&json, &verbose, &yes, &dryRun, &older, &depth,
                                             &exportTo, &importFrom, &apparent, &sort, &since}) {
        const bool allowed =
            std::find(known->second.begin(), known->second.end(), option) != known->second.end();
        if (parser.isSet(*option) && !allowed)
            return usageError(unknownOption(command, "--" + option->names().first()));
    }
    Options chosen;
    chosen.json = parser.isSet(json);
    chosen.verbose = parser.isSet(verbose);
    chosen.yes = parser.isSet(yes);
    chosen.dryRun = parser.isSet(dryRun);
    if (parser.isSet(older)) {
        chosen.olderDays = wholeNumber(parser.value(older));
        if (!chosen.olderDays)
            return usageError(bilingual(QStringLiteral("--older perlu jumlah hari: %1"),
                                        QStringLiteral("--older needs a number of days: %1"))
                                  .arg(parser.value(older)));
    }
    if (parser.isSet(depth)) {
        chosen.depth = wholeNumber(parser.value(depth));
        if (!chosen.depth)
            return usageError(bilingual(QStringLiteral("--depth perlu angka: %1"),
                                        QStringLiteral("--depth needs a number: %1"))
                                  .arg(parser.value(depth)));
    }
    for (const QCommandLineOption *named : {&exportTo, &importFrom}) {
        if (parser.isSet(*named) && parser.value(*named).isEmpty())
            return usageError(bilingual(QStringLiteral("--%1 perlu nama berkas"),
                                        QStringLiteral("--%1 needs a file name"))
                                  .arg(named->names().first()));
    }
    chosen.exportTo = parser.value(exportTo);
    chosen.importFrom = parser.value(importFrom);
    chosen.apparent = parser.isSet(apparent);
    chosen.order = parser.isSet(sort) ? parser.value(sort) : QStringLiteral("size");
    if (parser.isSet(since)) {
        chosen.since = true;
        if (parser.value(since) != QLatin1String("last")) {
            chosen.sinceDays = wholeNumber(parser.value(since));
            if (!chosen.sinceDays)
                return usageError(
                    bilingual(QStringLiteral("--since perlu last atau jumlah hari: %1"),
                              QStringLiteral("--since needs last or a number of days: %1"))
                        .arg(parser.value(since)));
        }
    }

    if (command == QLatin1String("log"))
        return runLog();
    if (command == QLatin1String("dev"))
        return runDev(positional.mid(1), chosen);
    if (command == QLatin1String("projects"))
        return runProjects(positional.mid(1), chosen);
    if (command == QLatin1String("schedule"))
        return runSchedule(positional.mid(1));
    if (command == QLatin1String("space"))
        return runSpace(positional.mid(1), chosen);
    if (command == QLatin1String("complete"))
        return runComplete(positional.mid(1));
    return command == QLatin1String("status") ? runStatus(chosen) : runClean(chosen);
}
