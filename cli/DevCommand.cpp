// ampa-cli dev: the developer caches, listed, cleaned as their owners would, kept or released.

#include "Commands.h"
#include "DevCacheWords.h"
#include "DevChoices.h"
#include "DevCleaning.h"
#include "EngineWords.h"
#include "Paths.h"
#include "Settings.h"
#include "TerminalProgress.h"
#include "TerminalText.h"
#include "Text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

using Engine::DevCache;
using Engine::DevMode;
using Engine::DevResult;

QJsonArray pathsOf(const DevCache &cache)
{
    QJsonArray paths;
    for (const std::filesystem::path &path : cache.paths)
        paths.append(Engine::displayPath(path));
    return paths;
}

// What cleaning the entry does, in a line: its folders, its command, or what root must run.
QString action(const DevCache &cache)
{
    if (cache.command && cache.mode != DevMode::Delete)
        return cache.command->text();
    switch (cache.mode) {
    case DevMode::Command:
        return QString();
    case DevMode::Report:
        return bilingual("perlu root: ", "needs root: ") + cache.rootCommand;
    case DevMode::Delete:
    case DevMode::Choice:
        break;
    }
    QStringList paths;
    for (const std::filesystem::path &path : cache.paths)
        paths << Engine::displayPath(path);
    return paths.join(", ");
}

QString sizeText(const std::optional<qint64> &size)
{
    return size ? fmt(*size)
                : bilingual("ukuran diketahui setelah dibersihkan", "size known after cleaning");
}

QJsonArray refusalsOf(const DevCache &cache)
{
    QJsonArray refused;
    for (const Engine::DevRefusal &refusal : cache.refused)
        refused.append(QJsonObject{{"path", Engine::displayPath(refusal.path)},
                                   {"reason", refusalText(refusal.why)}});
    return refused;
}

// What the catalogue found and left alone, a line each: never offered, and this is why.
void printRefusals(QTextStream &out, const DevCache &cache)
{
    for (const Engine::DevRefusal &refusal : cache.refused)
        out << "    " << bilingual("tidak disentuh: ", "left alone: ")
            << printable(Engine::displayPath(refusal.path)) << ": "
            << printable(refusalText(refusal.why)) << '\n';
}

QString measuringText()
{
    return bilingual("Mengukur cache pengembang", "Measuring developer caches");
}

int list(const Options &options)
{
    QJsonArray entries;
    QTextStream out(stdout);
    for (const Engine::DevEntry &entry :
         withProgress(options.json, measuringText(), [] { return Engine::devEntries(); })) {
        const DevCache &cache = entry.cache;
        if (options.json) {
            entries.append(
                QJsonObject{{"id", cache.id},
                            {"name", devCacheName(cache.id)},
                            {"paths", pathsOf(cache)},
                            {"refused", refusalsOf(cache)},
                            {"size", entry.size ? QJsonValue(double(*entry.size)) : QJsonValue()},
                            {"mode", Engine::devModeName(cache.mode)},
                            {"running", entry.running},
                            {"kept", entry.kept},
                            {"action", action(cache)}});
            continue;
        }
        QStringList marks{Engine::devModeName(cache.mode)};
        if (entry.running)
            marks << bilingual("sedang berjalan", "running");
        if (entry.kept)
            marks << bilingual("disimpan", "kept");
        out << printable(cache.id) << "  " << printable(devCacheName(cache.id)) << "  "
            << tinted(sizeText(entry.size), Tint::size) << "  (" << marks.join(", ") << ")\n    "
            << printable(action(cache)) << '\n';
        printRefusals(out, cache);
    }
    if (options.json)
        out << QJsonDocument(QJsonObject{{"demo", false}, {"entries", entries}})
                   .toJson(QJsonDocument::Indented);
    return exitOk;
}

bool confirmOnTerminal(const QList<DevCache> &chosen)
{
    QTextStream out(stdout);
    for (const DevCache &cache : chosen) {
        out << "  " << printable(devCacheName(cache.id)) << ": " << printable(action(cache))
            << "  (" << sizeText(Engine::devSize(cache)) << ")\n";
        // What a choice costs is said before the answer that agrees to it.
        if (const QString lost = devCacheLost(cache.id); !lost.isEmpty())
            out << "    " << bilingual("Hilang: ", "Lost: ") << printable(lost) << '\n';
        printRefusals(out, cache);
    }
    return askYes(out, bilingual("Bersihkan ini? [y/N] ", "Clean these? [y/N] "));
}

QString outcomeName(DevResult::Outcome outcome)
{
    switch (outcome) {
    case DevResult::Outcome::done:
        return "done";
    case DevResult::Outcome::running:
        return "running";
    case DevResult::Outcome::notChosen:
        return "notChosen";
    case DevResult::Outcome::notHere:
        return "notHere";
    case DevResult::Outcome::failed:
        return "failed";
    }
    return {};
}

QString outcomeText(const DevCache &cache, const DevResult &result)
{
    switch (result.outcome) {
    case DevResult::Outcome::done:
        return bilingual(QStringLiteral("%1 dibebaskan"), QStringLiteral("%1 freed"))
            .arg(fmt(result.freed));
    case DevResult::Outcome::running:
        return bilingual("dilewati: sedang berjalan", "skipped: it is running");
    case DevResult::Outcome::notChosen:
        return bilingual("dilewati, perlu --yes: ", "skipped, needs --yes: ")
               + devCacheLost(cache.id);
    case DevResult::Outcome::notHere:
        return cache.mode == DevMode::Report
                   ? action(cache)
                   : (result.failure ? result.failure->text() : QString());
    case DevResult::Outcome::failed:
        return result.failure ? result.failure->text() : QString();
    }
    return {};
}

int clean(const QStringList &ids, const Options &options)
{
    const std::vector<Engine::DevEntry> present =
        withProgress(options.json, measuringText(), [] { return Engine::devEntries(); });
    QList<DevCache> chosen;
    for (const QString &id : ids) {
        const auto found =
            std::find_if(present.begin(), present.end(),
                         [&id](const Engine::DevEntry &entry) { return entry.cache.id == id; });
        if (found == present.end())
            return usageProblem(bilingual(QStringLiteral("tidak ada cache pengembang %1"),
                                          QStringLiteral("no developer cache %1"))
                                    .arg(id));
        if (!Engine::devOffered(id, present))
            return usageProblem(
                bilingual(QStringLiteral("%1 disimpan; lepaskan dulu: ampa-cli dev release %1"),
                          QStringLiteral("%1 is kept; release it first: ampa-cli dev release %1"))
                    .arg(id));
        chosen << found->cache;
    }
    QTextStream out(stdout);
    if (options.dryRun) {
        QJsonObject would;
        for (const DevCache &cache : chosen) {
            const std::optional<qint64> size = Engine::devSize(cache);
            if (options.json)
                would.insert(cache.id, QJsonObject{{"action", action(cache)},
                                                   {"size", size ? QJsonValue(double(*size))
                                                                 : QJsonValue()}});
            else
                out << "  " << printable(devCacheName(cache.id)) << ": " << printable(action(cache))
                    << "  (" << sizeText(size) << ")\n";
        }
        if (options.json)
            out << QJsonDocument(QJsonObject{{"demo", false}, {"dryRun", true}, {"entries", would}})
                       .toJson(QJsonDocument::Indented);
        return exitOk;
    }
    if (!options.yes) {
        if (!isatty(STDIN_FILENO))
            return usageProblem(
                bilingual("bukan terminal; pakai --yes untuk membersihkan tanpa bertanya",
                          "not a terminal; use --yes to clean without asking"));
        if (!confirmOnTerminal(chosen)) {
            out << bilingual("Dibatalkan.", "Cancelled.") << '\n';
            return exitOk;
        }
    }
    const std::vector<Engine::UserProcess> processes = Engine::userProcesses();
    QJsonObject results;
    qint64 freed = 0;
    bool failed = false;
    for (const DevCache &cache : chosen) {
        const DevResult result = withProgress(
            options.json, printable(devCacheName(cache.id)),
            [&] { return Engine::cleanDev(cache, options.yes, processes); },
            TerminalProgress::Work::removing);
        freed += result.freed;
        failed = failed || result.failure.has_value()
                 || result.outcome == DevResult::Outcome::notChosen
                 || result.outcome == DevResult::Outcome::notHere;
        if (options.json) {
            QJsonObject object{{"outcome", outcomeName(result.outcome)},
                               {"freed", double(result.freed)},
                               {"output", result.output}};
            if (result.failure) {
                QJsonObject failure{{"kind", result.failure->kindName()},
                                    {"path", Engine::displayPath(result.failure->path)}};
                if (result.failure->kind == Engine::Failure::Kind::refused)
                    failure.insert("reason", refusalText(result.failure->refusal));
                if (result.failure->code != 0)
                    failure.insert(result.failure->kind == Engine::Failure::Kind::commandFailed
                                       ? "status"
                                       : "errno",
                                   result.failure->code);
                object.insert("failure", failure);
            }
            results.insert(cache.id, object);
        } else {
            out << printable(devCacheName(cache.id)) << ": "
                << tinted(printable(outcomeText(cache, result)),
                          result.failure                               ? Tint::failure
                          : result.outcome == DevResult::Outcome::done ? Tint::size
                                                                       : Tint::warning)
                << '\n';
            // Line by line, so that the owner's lines stay lines and nothing else reaches the
            // terminal raw.
            for (const QString &line : result.output.trimmed().split('\n'))
                if (!line.trimmed().isEmpty())
                    out << "    " << printable(line.endsWith('\r') ? line.chopped(1) : line)
                        << '\n';
        }
    }
    if (options.json)
        out << QJsonDocument(QJsonObject{{"demo", false},
                                         {"dryRun", false},
                                         {"freed", double(freed)},
                                         {"results", results}})
                   .toJson(QJsonDocument::Indented);
    return failed ? exitPartlyFailed : exitOk;
}

int keep(const QString &id, bool kept)
{
    const QString shown = printable(id);
    QTextStream out(stdout);
    if (kept) {
        QStringList present;
        for (const DevCache &cache : Engine::devCaches())
            present << cache.id;
        switch (Engine::keepDev(id, present).outcome) {
        case Engine::DevKeepResult::Outcome::unknown:
            return usageProblem(
                bilingual(QStringLiteral("tidak ada cache pengembang %1; daftarnya: "
                                         "ampa-cli dev"),
                          QStringLiteral("no developer cache %1; see the list: ampa-cli dev"))
                    .arg(id));
        case Engine::DevKeepResult::Outcome::notSaved:
            return usageProblem(
                bilingual("pengaturan tidak bisa disimpan", "the setting could not be saved"));
        case Engine::DevKeepResult::Outcome::changed:
        case Engine::DevKeepResult::Outcome::unchanged:
            break;
        }
        out << bilingual(QStringLiteral("%1 disimpan: tidak ditawarkan untuk dibersihkan."),
                         QStringLiteral("%1 is kept: it is not offered for cleaning."))
                   .arg(shown)
            << '\n';
        return exitOk;
    }
    switch (Engine::releaseDev(id).outcome) {
    case Engine::DevKeepResult::Outcome::notSaved:
        return usageProblem(
            bilingual("pengaturan tidak bisa disimpan", "the setting could not be saved"));
    case Engine::DevKeepResult::Outcome::unchanged:
        out << bilingual(QStringLiteral("%1 memang tidak disimpan."),
                         QStringLiteral("%1 was not kept."))
                   .arg(shown)
            << '\n';
        return exitOk;
    case Engine::DevKeepResult::Outcome::changed:
    case Engine::DevKeepResult::Outcome::unknown:
        break;
    }
    out << bilingual(QStringLiteral("%1 dilepas: ditawarkan lagi."),
                     QStringLiteral("%1 is released: it is offered again."))
               .arg(shown)
        << '\n';
    return exitOk;
}

} // namespace

int runDev(const QStringList &arguments, const Options &options)
{
    const QString sub = arguments.value(0);
    if (Settings::instance().demo()) {
        QTextStream(stdout) << demoNotice() << '\n';
        return exitOk;
    }
    if (sub.isEmpty() && !options.yes && !options.dryRun)
        return list(options);
    if (sub == QLatin1String("clean") && arguments.size() > 1)
        return clean(arguments.mid(1), options);
    const bool plain = !options.json && !options.yes && !options.dryRun;
    if ((sub == QLatin1String("keep") || sub == QLatin1String("release")) && arguments.size() == 2
        && plain)
        return keep(arguments[1], sub == QLatin1String("keep"));
    QTextStream(stderr) << "ampa-cli: "
                        << bilingual("pemakaian: ampa-cli dev [--json] | dev clean ID… [--dry-run] "
                                     "[--yes] [--json] | dev keep ID | dev release ID",
                                     "usage: ampa-cli dev [--json] | dev clean ID… [--dry-run] "
                                     "[--yes] [--json] | dev keep ID | dev release ID")
                        << '\n';
    return exitUsage;
}
