// The one-button clean of the catalogue, and the running-application test it shares.

#include "ActivityLog.h"
#include "Model.h"
#include "TargetCleaning.h"
#include "Text.h"

namespace {

struct QuickCleanResult {
    qint64 freed = 0;
    QMap<QString, QString> statuses;
};

} // namespace

std::optional<QString> Model::blocked(const QStringList &names) const
{
    if (names.isEmpty())
        return std::nullopt;
    const QSet<QString> running = services.runningApps->names();
    for (const QString &name : names) {
        if (running.contains(name))
            return name;
    }
    return std::nullopt;
}

std::optional<QString> Model::firstBlocker(const CacheTarget &target, const QSet<QString> &running)
{
    for (const QString &name : target.blockers) {
        if (running.contains(name))
            return name;
    }
    return std::nullopt;
}

QString Model::skippedStatus(const QString &blocker)
{
    return ::tr("Dilewati, " + blocker + " sedang terbuka", "Skipped, " + blocker + " is open");
}

QString Model::partlyFailedStatus(const QString &error)
{
    return ::tr("Sebagian gagal: " + error, "Partly failed: " + error);
}

void Model::cleanQuick()
{
    setBusy(true);
    setResult({});
    if (demo()) {
        simulateQuickClean();
        return;
    }
    // A snapshot: what starts or quits during the run does not change what is skipped.
    const QSet<QString> running = services.runningApps->names();
    tasks.run(
        [running] {
            QuickCleanResult run;
            for (const CacheTarget &target : quickTargets()) {
                if (const auto blocker = firstBlocker(target, running)) {
                    run.statuses.insert(target.id, skippedStatus(*blocker));
                    continue;
                }
                const Engine::CleanResult cleaned = Engine::clean(target);
                run.freed += cleaned.freed;
                if (cleaned.error)
                    run.statuses.insert(target.id, partlyFailedStatus(*cleaned.error));
            }
            Engine::log("cepat: dibebaskan " + fmt(run.freed));
            return run;
        },
        [this](QuickCleanResult run) {
            const qsizetype skipped = run.statuses.size();
            setStatuses(std::move(run.statuses));
            if (run.freed >= 1)
                setResult(::tr(fmt(run.freed) + " dibebaskan.", fmt(run.freed) + " freed."));
            else if (skipped > 0)
                setResult(::tr(QStringLiteral("Belum ada yang dibersihkan. %1 cache dilewati "
                                              "karena aplikasinya terbuka.")
                                   .arg(skipped),
                               QStringLiteral("Nothing cleaned yet. %1 cache skipped because "
                                              "its app is open.")
                                   .arg(skipped)));
            else
                setResult(::tr("Tidak ada yang perlu dibersihkan.", "Nothing to clean."));
            setBusy(false);
            Q_EMIT quickCleanFinished(run.freed);
            refresh();
        });
}
