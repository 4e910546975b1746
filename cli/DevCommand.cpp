// ampa-cli dev: the developer caches, listed, cleaned as their owners would, kept or released.

#include "Commands.h"
#include "DevCleaning.h"
#include "Paths.h"
#include "Settings.h"
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

int fail(const QString &problem)
{
    QTextStream(stderr) << "ampa-cli: " << problem << '\n';
    return exitUsage;
}

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
    return size ? fmt(*size) : bilingual("ukuran belum diketahui", "size not known yet");
}

int list(const Options &options)
{
    const QStringList kept = Settings::instance().devKeep();
    const std::vector<Engine::UserProcess> processes = Engine::userProcesses();
    QJsonArray entries;
    QTextStream out(stdout);
    for (const DevCache &cache : Engine::devCaches()) {
        const bool isKept = kept.contains(cache.id);
        // A kept entry is not counted: not measured either.
        const std::optional<qint64> size = isKept ? std::nullopt : Engine::devSize(cache);
        const bool running = Engine::ownerRunning(cache, processes);
        if (options.json) {
            entries.append(QJsonObject{{"id", cache.id},
                                       {"name", cache.name.text()},
                                       {"paths", pathsOf(cache)},
                                       {"size", size ? QJsonValue(double(*size)) : QJsonValue()},
                                       {"mode", Engine::devModeName(cache.mode)},
                                       {"running", running},
                                       {"kept", isKept},
                                       {"action", action(cache)}});
            continue;
        }
        QStringList marks{Engine::devModeName(cache.mode)};
        if (running)
            marks << bilingual("sedang berjalan", "running");
        if (isKept)
            marks << bilingual("disimpan", "kept");
        out << printable(cache.id) << "  " << printable(cache.name.text()) << "  "
            << (isKept ? QStringLiteral("-") : sizeText(size)) << "  (" << marks.join(", ")
            << ")\n    " << printable(action(cache)) << '\n';
    }
    if (options.json)
        out << QJsonDocument(QJsonObject{{"demo", false}, {"entries", entries}})
                   .toJson(QJsonDocument::Indented);
    return exitOk;
}

bool confirmOnTerminal(const QList<DevCache> &chosen)
{
    QTextStream out(stdout);
    for (const DevCache &cache : chosen)
        out << "  " << printable(cache.name.text()) << ": " << printable(action(cache)) << "  ("
            << sizeText(Engine::devSize(cache)) << ")\n";
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
        return bilingual("dilewati, perlu --yes: ", "skipped, needs --yes: ") + cache.lost.text();
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
    const QStringList kept = Settings::instance().devKeep();
    const QList<DevCache> present = Engine::devCaches();
    QList<DevCache> chosen;
    for (const QString &id : ids) {
        const auto found = std::find_if(present.begin(), present.end(),
                                        [&id](const DevCache &cache) { return cache.id == id; });
        if (found == present.end())
            return fail(bilingual(QStringLiteral("tidak ada cache pengembang %1"),
                                  QStringLiteral("no developer cache %1"))
                            .arg(id));
        if (kept.contains(id))
            return fail(
                bilingual(QStringLiteral("%1 disimpan; lepaskan dulu: ampa-cli dev release %1"),
                          QStringLiteral("%1 is kept; release it first: ampa-cli dev release %1"))
                    .arg(id));
        chosen << *found;
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
                out << "  " << printable(cache.name.text()) << ": " << printable(action(cache))
                    << "  (" << sizeText(size) << ")\n";
        }
        if (options.json)
            out << QJsonDocument(QJsonObject{{"demo", false}, {"dryRun", true}, {"entries", would}})
                       .toJson(QJsonDocument::Indented);
        return exitOk;
    }
    if (!options.yes) {
        if (!isatty(STDIN_FILENO))
            return fail(bilingual("bukan terminal; pakai --yes untuk membersihkan tanpa bertanya",
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
        const DevResult result = Engine::cleanDev(cache, options.yes, processes);
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
                if (result.failure->code != 0)
                    failure.insert(result.failure->kind == Engine::Failure::Kind::commandFailed
                                       ? "status"
                                       : "errno",
                                   result.failure->code);
                object.insert("failure", failure);
            }
            results.insert(cache.id, object);
        } else {
            out << printable(cache.name.text()) << ": " << printable(outcomeText(cache, result))
                << '\n';
            if (!result.output.trimmed().isEmpty())
                out << printable(result.output.trimmed()) << '\n';
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
    QStringList ids = Settings::instance().devKeep();
    if (kept && !ids.contains(id)) {
        const QList<DevCache> present = Engine::devCaches();
        if (std::none_of(present.begin(), present.end(),
                         [&id](const DevCache &cache) { return cache.id == id; }))
            return fail(bilingual(QStringLiteral("tidak ada cache pengembang %1"),
                                  QStringLiteral("no developer cache %1"))
                            .arg(id));
        ids << id;
    } else if (!kept) {
        ids.removeAll(id);
    }
    Settings::instance().setDevKeep(ids);
    return Settings::instance().devKeep() == ids ? exitOk : exitPartlyFailed;
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
