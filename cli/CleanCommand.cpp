// ampa-cli clean: the window's quick clean, asked for first on a terminal, or previewed.

#include "BackgroundTasks.h"
#include "Commands.h"
#include "EngineWords.h"
#include "Model.h"
#include "Paths.h"
#include "RunningApps.h"
#include "Settings.h"
#include "SpaceRecording.h"
#include "TargetCleaning.h"
#include "TerminalProgress.h"
#include "TerminalText.h"
#include "Text.h"
#include "TreeSize.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Plan {
    std::vector<Engine::TargetFolder> folders;    // what the clean would remove, in order
    QMap<QString, Model::TargetStatus> statuses;  // target id → why it is skipped or partly left
    std::vector<std::filesystem::path> leftAlone; // refused: the clean only reports them
};

// The same decisions as the quick clean: targets whose application runs are skipped, the rest
// resolve to the folders that exist now; a folder the clean leaves alone says why.
Plan plan(const QSet<QString> &running)
{
    Plan plan;
    for (const CacheTarget &target : quickTargets()) {
        if (const auto blocker = Model::firstBlocker(target, running)) {
            plan.statuses.insert(target.id, {Model::StatusKind::skipped, *blocker, std::nullopt});
            continue;
        }
        for (Engine::TargetFolder &folder : Engine::resolve(target)) {
            if (auto refusal = folder.refusal()) {
                plan.leftAlone.push_back(folder.path);
                plan.statuses.insert(target.id,
                                     {Model::StatusKind::partlyFailed, {}, std::move(refusal)});
            } else {
                plan.folders.push_back(std::move(folder));
            }
        }
    }
    return plan;
}

// How a folder of the plan is shown: a folder reached through the user's link is emptied where
// it lies, and says so.
QString shown(const Engine::TargetFolder &folder)
{
    if (!folder.viaLink)
        return printable(Engine::displayPath(folder.path));
    return printable(Engine::displayPath(folder.path) + " → " + Engine::displayPath(folder.folder))
           + bilingual(" (dikosongkan)", " (emptied)");
}

QString nameOf(const QString &id)
{
    for (const CacheTarget &target : quickTargets()) {
        if (target.id == id)
            return quickTargetName(target.id);
    }
    return id;
}

bool confirmOnTerminal(const Plan &plan)
{
    QTextStream out(stdout);
    for (const Engine::TargetFolder &folder : plan.folders)
        out << "  " << shown(folder) << '\n';
    return askYes(out, bilingual("Hapus cache ini? [y/N] ", "Delete these caches? [y/N] "));
}

QJsonObject failureObject(const Engine::Failure &failure)
{
    QJsonObject object{{"kind", failure.kindName()}, {"path", Engine::displayPath(failure.path)}};
    if (failure.code != 0)
        object.insert("errno", failure.code);
    return object;
}

int report(const Options &options, qint64 freed, const QString &result,
           const QMap<QString, Model::TargetStatus> &statuses,
           const std::vector<Engine::TargetFolder> &removed, const std::vector<qint64> &sizes)
{
    const bool failed = std::any_of(statuses.begin(), statuses.end(), [](const auto &status) {
        return status.kind == Model::StatusKind::partlyFailed;
    });

    const QStringList warnings = baseFolderWarnings();
    QTextStream out(stdout);
    if (options.json) {
        QJsonObject statusObject;
        QJsonObject kindObject;
        QJsonObject failures;
        for (auto it = statuses.begin(); it != statuses.end(); ++it) {
            statusObject.insert(it.key(), it->text());
            kindObject.insert(it.key(), Model::kindName(it->kind));
            if (it->failure)
                failures.insert(it.key(), failureObject(*it->failure));
        }
        QJsonArray paths;
        for (const Engine::TargetFolder &folder : removed)
            paths.append(Engine::displayPath(folder.folder));
        out << QJsonDocument(QJsonObject{{"demo", false},
                                         {"warnings", QJsonArray::fromStringList(warnings)},
                                         {"freed", freed},
                                         {"result", result},
                                         {"statuses", statusObject},
                                         {"kinds", kindObject},
                                         {"failures", failures},
                                         {"removed", paths},
                                         {"dryRun", options.dryRun}})
                   .toJson(QJsonDocument::Indented);
    } else {
        for (const QString &warning : warnings)
            out << tinted(printable(warning), Tint::warning) << '\n';
        for (std::size_t i = 0; i < removed.size(); ++i) {
            out << "  " << shown(removed[i]);
            if (i < sizes.size())
                out << "  (" << tinted(fmt(sizes[i]), Tint::size) << ')';
            out << '\n';
        }
        for (auto it = statuses.begin(); it != statuses.end(); ++it)
            out << "  " << nameOf(it.key()) << ": "
                << tinted(printable(it->text()), it->kind == Model::StatusKind::partlyFailed
                                                     ? Tint::failure
                                                     : Tint::warning)
                << '\n';
        out << (failed ? tinted(printable(result), Tint::failure) : printable(result)) << '\n';
    }
    return failed ? exitPartlyFailed : exitOk;
}

// The timer's run also keeps the space history going, once a day: after the clean, so it never
// waits for the walk, and under a stop flag like the clean's work.
void recordHomeInBackground()
{
    BackgroundTasks tasks;
    QEventLoop loop;
    tasks.run([] { return recordHomeOncePerDay(); }, [&loop](bool) { loop.quit(); });
    loop.exec();
}

} // namespace

QString demoNotice()
{
    return bilingual("Mode demo: angka contoh, tidak ada yang dihapus.",
                     "Demo mode: sample figures, nothing is removed.");
}

int runClean(const Options &options)
{
    // Neither the real folders nor a simulated result: the user must not take either for real.
    if (Settings::instance().demo()) {
        QTextStream out(stdout);
        if (options.json)
            out << QJsonDocument(QJsonObject{{"demo", true},
                                             {"freed", 0},
                                             {"result", demoNotice()},
                                             {"statuses", QJsonObject{}},
                                             {"kinds", QJsonObject{}},
                                             {"failures", QJsonObject{}},
                                             {"removed", QJsonArray{}},
                                             {"dryRun", options.dryRun}})
                       .toJson(QJsonDocument::Indented);
        else
            out << demoNotice() << '\n';
        return exitOk;
    }
    const Plan planned = plan(Engine::runningAppNames());

    if (options.dryRun) {
        std::vector<qint64> sizes;
        qint64 freed = 0;
        {
            const TerminalProgress progress(options.json, bilingual("Mengukur", "Measuring"));
            for (const Engine::TargetFolder &folder : planned.folders)
                freed += sizes.emplace_back(Engine::size(folder));
        }
        return report(
            options, freed,
            bilingual(QStringLiteral("%1 akan dibebaskan."), QStringLiteral("%1 would be freed."))
                .arg(fmt(freed)),
            planned.statuses, planned.folders, sizes);
    }

    if (!options.yes) {
        if (!isatty(STDIN_FILENO)) {
            QTextStream(stderr) << "ampa-cli: "
                                << bilingual("bukan terminal; pakai --yes untuk membersihkan tanpa "
                                             "bertanya",
                                             "not a terminal; use --yes to clean without asking")
                                << '\n';
            return exitUsage;
        }
        if (!confirmOnTerminal(planned)) {
            QTextStream(stdout) << bilingual("Dibatalkan.", "Cancelled.") << '\n';
            return exitOk;
        }
    }

    Model model;
    const bool scheduled = qEnvironmentVariable(Schedule::scheduledVariable) == QLatin1String("1");
    model.setScheduledRun(scheduled);
    qint64 freed = 0;
    QObject::connect(&model, &Model::quickCleanFinished, &model,
                     [&freed](qint64 bytes) { freed = bytes; });
    // Exactly what was shown, never a folder that appeared while the prompt waited.
    std::vector<std::filesystem::path> shownPaths = planned.leftAlone;
    for (const Engine::TargetFolder &folder : planned.folders)
        shownPaths.push_back(folder.path);
    model.cleanQuickOf(shownPaths);
    waitUntil(
        model, [&model] { return !model.busy(); }, options.json);

    std::error_code ignored;
    std::vector<Engine::TargetFolder> removed;
    for (const Engine::TargetFolder &folder : planned.folders) {
        struct stat st {};
        const bool gone = folder.viaLink ? std::filesystem::is_empty(folder.folder, ignored)
                                         : lstat(folder.path.c_str(), &st) != 0;
        if (gone)
            removed.push_back(folder);
    }
    // The terminal says what came of it only: the command already names the quick clean.
    const auto &last = model.lastResult();
    const QString said = last && last->text ? last->text() : QString();
    const int status = report(options, freed, said, model.statuses(), removed, {});
    if (scheduled)
        recordHomeInBackground();
    return status;
}
