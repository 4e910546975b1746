// ampa-cli clean: the window's quick clean, asked for first on a terminal, or previewed.

#include "Commands.h"
#include "Model.h"
#include "Paths.h"
#include "RunningApps.h"
#include "TargetCleaning.h"
#include "Text.h"
#include "TreeSize.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Plan {
    std::vector<std::filesystem::path> folders; // what the clean would remove, in order
    QMap<QString, QString> skipped;             // target id → status
};

// The same decisions as the quick clean: targets whose application runs are skipped, the rest
// resolve to the folders that exist now.
Plan plan(const QSet<QString> &running)
{
    Plan plan;
    for (const CacheTarget &target : quickTargets()) {
        if (const auto blocker = Model::firstBlocker(target, running)) {
            plan.skipped.insert(target.id, Model::skippedStatus(*blocker));
            continue;
        }
        for (std::filesystem::path &folder : Engine::urls(target))
            plan.folders.push_back(std::move(folder));
    }
    return plan;
}

QString nameOf(const QString &id)
{
    for (const CacheTarget &target : quickTargets()) {
        if (target.id == id)
            return target.name;
    }
    return id;
}

bool confirmOnTerminal(const Plan &plan)
{
    QTextStream out(stdout);
    for (const std::filesystem::path &folder : plan.folders)
        out << "  " << Engine::displayPath(folder) << '\n';
    out << ::tr("Hapus cache ini? [y/N] ", "Delete these caches? [y/N] ");
    out.flush();
    char answer[16] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    const QString word = QString::fromLatin1(answer).trimmed().toLower();
    return word == QLatin1String("y") || word == QLatin1String("yes")
           || word == QLatin1String("ya");
}

int report(const Options &options, qint64 freed, const QString &result,
           const QMap<QString, QString> &statuses,
           const std::vector<std::filesystem::path> &removed, const std::vector<qint64> &sizes)
{
    const QString partlyFailed = Model::partlyFailedStatus({});
    bool failed = false;
    for (const QString &status : statuses)
        failed |= status.startsWith(partlyFailed);

    QTextStream out(stdout);
    if (options.json) {
        QJsonObject statusObject;
        for (auto it = statuses.begin(); it != statuses.end(); ++it)
            statusObject.insert(it.key(), it.value());
        QJsonArray paths;
        for (const std::filesystem::path &path : removed)
            paths.append(Engine::displayPath(path));
        out << QJsonDocument(QJsonObject{{"freed", freed},
                                         {"result", result},
                                         {"statuses", statusObject},
                                         {"removed", paths},
                                         {"dryRun", options.dryRun}})
                   .toJson(QJsonDocument::Indented);
    } else {
        for (std::size_t i = 0; i < removed.size(); ++i) {
            out << "  " << Engine::displayPath(removed[i]);
            if (i < sizes.size())
                out << "  (" << fmt(sizes[i]) << ')';
            out << '\n';
        }
        for (auto it = statuses.begin(); it != statuses.end(); ++it)
            out << "  " << nameOf(it.key()) << ": " << it.value() << '\n';
        out << result << '\n';
    }
    return failed ? exitPartlyFailed : exitOk;
}

} // namespace

int runClean(const Options &options)
{
    const Plan planned = plan(Engine::runningAppNames());

    if (options.dryRun) {
        std::vector<qint64> sizes;
        qint64 freed = 0;
        for (const std::filesystem::path &folder : planned.folders)
            freed += sizes.emplace_back(Engine::size(folder));
        return report(options, freed,
                      ::tr(fmt(freed) + " akan dibebaskan.", fmt(freed) + " would be freed."),
                      planned.skipped, planned.folders, sizes);
    }

    if (!options.yes) {
        if (!isatty(STDIN_FILENO)) {
            QTextStream(stderr) << "ampa-cli: "
                                << ::tr("bukan terminal; pakai --yes untuk membersihkan tanpa "
                                        "bertanya",
                                        "not a terminal; use --yes to clean without asking")
                                << '\n';
            return exitUsage;
        }
        if (!confirmOnTerminal(planned)) {
            QTextStream(stdout) << ::tr("Dibatalkan.", "Cancelled.") << '\n';
            return exitOk;
        }
    }

    Model model;
    qint64 freed = 0;
    QObject::connect(&model, &Model::quickCleanFinished, &model,
                     [&freed](qint64 bytes) { freed = bytes; });
    model.cleanQuick();
    waitUntil(
        model, [&model] { return !model.busy(); }, isatty(STDERR_FILENO));

    std::vector<std::filesystem::path> removed;
    for (const std::filesystem::path &folder : planned.folders) {
        struct stat st {};
        if (lstat(folder.c_str(), &st) != 0)
            removed.push_back(folder);
    }
    return report(options, freed, model.result(), model.statuses(), removed, {});
}
