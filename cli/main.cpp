// ampa-cli: Ampa's scan, quick clean and activity log from a terminal, with the same catalogue,
// rules, texts and log line as the window.

#include "Commands.h"
#include "ProcessLimits.h"
#include "RunAs.h"
#include "Text.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <map>
#include <set>

namespace {

// The window's status too when it will not run for this home.
constexpr int exitRefused = 2;

int usageError(const QString &problem)
{
    QTextStream err(stderr);
    err << "ampa-cli: " << problem << "\n\n" << usage();
    return exitUsage;
}

} // namespace

QString usage()
{
    return ::tr("Pemakaian: ampa-cli <perintah> [opsi]\n"
                "\n"
                "Perintah:\n"
                "  status      ruang kosong, saran, cache, opsi lanjutan dan item terbesar\n"
                "  clean       pembersihan cepat: cache aplikasi yang terbuka dilewati\n"
                "  log         log aktivitas, yang terbaru dulu\n"
                "\n"
                "Opsi:\n"
                "  --json      satu objek JSON, bukan teks (status, clean)\n"
                "  --verbose   folder setiap cache (status)\n"
                "  --yes       bersihkan tanpa bertanya (clean)\n"
                "  --dry-run   tampilkan yang akan dihapus, tanpa menghapus (clean)\n"
                "  -h, --help  bantuan ini\n",
                "Usage: ampa-cli <command> [options]\n"
                "\n"
                "Commands:\n"
                "  status      free space, hints, caches, advanced items and the largest items\n"
                "  clean       the quick clean: caches of apps that are open are skipped\n"
                "  log         the activity log, newest first\n"
                "\n"
                "Options:\n"
                "  --json      one JSON object instead of text (status, clean)\n"
                "  --verbose   the folders of each cache (status)\n"
                "  --yes       clean without asking (clean)\n"
                "  --dry-run   show what would be removed, remove nothing (clean)\n"
                "  -h, --help  this help\n");
}

int main(int argc, char *argv[])
{
    Engine::raiseOpenFileLimit();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("ampa-cli");

    // Which options each command takes.
    const std::map<QString, std::set<QString>> commands{
        {"status", {"--json", "--verbose"}},
        {"clean", {"--json", "--yes", "--dry-run"}},
        {"log", {}},
    };
    QString command;
    QStringList options;
    for (const QString &argument : QCoreApplication::arguments().mid(1)) {
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            QTextStream(stdout) << usage();
            return exitOk;
        }
        if (argument.startsWith(QLatin1Char('-')))
            options << argument;
        else if (command.isEmpty())
            command = argument;
        else
            return usageError(::tr("argumen tak dikenal: ", "unexpected argument: ") + argument);
    }
    // Only the help answers for another user's home: every command reads or changes it.
    if (const auto refusal = Engine::refusalToRun()) {
        QTextStream(stderr) << *refusal << '\n';
        return exitRefused;
    }
    if (command.isEmpty())
        return usageError(::tr("perintah tidak ada", "no command given"));
    const auto known = commands.find(command);
    if (known == commands.end())
        return usageError(::tr("perintah tak dikenal: ", "unknown command: ") + command);
    Options chosen;
    for (const QString &option : options) {
        if (!known->second.contains(option))
            return usageError(::tr("opsi tak dikenal untuk ", "unknown option for ") + command
                              + ": " + option);
        chosen.json |= option == QLatin1String("--json");
        chosen.verbose |= option == QLatin1String("--verbose");
        chosen.yes |= option == QLatin1String("--yes");
        chosen.dryRun |= option == QLatin1String("--dry-run");
    }

    if (command == QLatin1String("log"))
        return runLog();
    return command == QLatin1String("status") ? runStatus(chosen) : runClean(chosen);
}
