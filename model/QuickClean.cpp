// The one-button clean of the catalogue, and the running-application test it shares.

#include "ActivityLog.h"
#include "Model.h"
#include "ModelLogging.h"
#include "Paths.h"
#include "Stop.h"
#include "TargetCleaning.h"
#include "Text.h"

#include <QMetaEnum>

namespace {

struct QuickCleanResult {
    qint64 freed = 0;
    QMap<QString, Model::TargetStatus> statuses;
    std::optional<Engine::Failure> failure; // the last target's failure, when any failed
};

QString partlyFailedText(const Engine::Failure &failure)
{
    return bilingual(QStringLiteral("Sebagian gagal: %1"), QStringLiteral("Partly failed: %1"))
        .arg(failure.text());
}

qsizetype partlyFailed(const QuickCleanResult &run)
{
    return std::count_if(run.statuses.begin(), run.statuses.end(), [](const auto &status) {
        return status.kind == Model::StatusKind::partlyFailed;
    });
}

// What came free, and in words that not all did: a warning mark alone reads as a success.
QString freedButNotAll(qint64 freed, qsizetype caches)
{
    return bilingual(QStringLiteral("%1 dibebaskan; %2 cache tidak terhapus seluruhnya."),
                     caches == 1
                         ? QStringLiteral("%1 freed; 1 cache could not be removed completely.")
                         : QStringLiteral("%1 freed; %2 caches could not be removed completely."))
        .arg(fmt(freed))
        .arg(caches);
}

qsizetype skipped(const QuickCleanResult &run)
{
    return std::count_if(run.statuses.begin(), run.statuses.end(), [](const auto &status) {
        return status.kind == Model::StatusKind::skipped;
    });
}

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

QString Model::TargetStatus::text() const
{
    if (kind == StatusKind::skipped)
        return bilingual(QStringLiteral("Dilewati, %1 sedang terbuka"),
                         QStringLiteral("Skipped, %1 is open"))
            .arg(app);
    return failure ? partlyFailedText(*failure) : QString();
}

QString Model::kindName(StatusKind kind)
{
    return QString::fromLatin1(QMetaEnum::fromType<StatusKind>().valueToKey(int(kind)));
}

void Model::cleanQuick()
{
    startQuickClean(std::nullopt);
}

Model::LiveText Model::quickSubject()
{
    return pair("Pembersihan cepat", "Quick clean");
}

void Model::cleanQuickOf(const std::vector<std::filesystem::path> &shown)
{
    startQuickClean(shown);
}

void Model::startQuickClean(std::optional<std::vector<std::filesystem::path>> only)
{
    setBusy(true);
    setResult(std::nullopt);
    if (demo()) {
        simulateQuickClean();
        return;
    }
    // A snapshot: what starts or quits during the run does not change what is skipped.
    const QSet<QString> running = services.runningApps->names();
    assign(m_cleanProgress, 0.0, &Model::cleanProgressChanged);
    auto progress = tasks.reporter(
        [this](double done) { assign(m_cleanProgress, done, &Model::cleanProgressChanged); });
    const QString label =
        scheduledRun ? QLatin1String(Schedule::automaticLabel) : QStringLiteral("cepat");
    tasks.run(
        [running, only = std::move(only), progress, label] {
            QuickCleanResult run;
            const QList<CacheTarget> targets = quickTargets();
            for (qsizetype i = 0; i < targets.size(); ++i) {
                const CacheTarget &target = targets[i];
                if (i > 0)
                    progress(double(i) / double(targets.size()));
                // Quitting: what went so far is still logged below.
                if (Engine::stopRequested())
                    break;
                if (const auto blocker = firstBlocker(target, running)) {
                    run.statuses.insert(target.id, {StatusKind::skipped, *blocker, std::nullopt});
                    continue;
                }
                Engine::CleanResult cleaned = Engine::clean(target, only);
                run.freed += cleaned.freed;
                if (cleaned.failure) {
                    run.statuses.insert(target.id, {StatusKind::partlyFailed, {}, cleaned.failure});
                    run.failure = std::move(cleaned.failure);
                }
            }
            progress(1.0);
            Engine::log(label + ": dibebaskan " + fmt(run.freed));
            qCInfo(lcModel, "quick clean: %lld bytes freed, %lld skipped, last failure: %s",
                   static_cast<long long>(run.freed), static_cast<long long>(skipped(run)),
                   run.failure ? qPrintable(run.failure->text()) : "none");
            return run;
        },
        [this](QuickCleanResult run) {
            assign(m_cleanProgress, -1.0, &Model::cleanProgressChanged);
            const qsizetype skippedCount = skipped(run);
            const qsizetype failedCount = partlyFailed(run);
            setStatuses(std::move(run.statuses));
            const LiveText subject = quickSubject();
            if (run.freed >= 1 && run.failure)
                setResult(
                    Pane::cepat, subject,
                    [freed = run.freed, failedCount] { return freedButNotAll(freed, failedCount); },
                    ResultKind::partlyFailed);
            else if (run.freed >= 1)
                setResult(Pane::cepat, subject, freedWith(run.freed));
            else if (run.failure)
                setResult(
                    Pane::cepat, subject,
                    [failure = *run.failure] { return partlyFailedText(failure); },
                    ResultKind::partlyFailed);
            else if (skippedCount > 0)
                setResult(
                    Pane::cepat, subject,
                    [skippedCount] {
                        return bilingual(
                            QStringLiteral("Belum ada yang dibersihkan. %1 cache dilewati "
                                           "karena aplikasinya terbuka.")
                                .arg(skippedCount),
                            QStringLiteral("Nothing cleaned yet. %1 cache skipped "
                                           "because its app is open.")
                                .arg(skippedCount));
                    },
                    ResultKind::skipped);
            else
                setResult(Pane::cepat, subject,
                          pair("Tidak ada yang perlu dibersihkan.", "Nothing to clean."));
            setBusy(false);
            Q_EMIT quickCleanFinished(run.freed);
            std::vector<std::filesystem::path> folders;
            for (const CacheTarget &target : quickTargets())
                for (const std::filesystem::path &path : target.paths)
                    folders.push_back(Engine::url(path));
            m_space.cleaned(folders);
            refreshAfterAction();
        });
}
