// ampa-cli projects: projects' build output and dependencies, listed, cleaned, kept or released.

#include "Commands.h"
#include "Paths.h"
#include "Projects.h"
#include "Settings.h"
#include "TerminalText.h"
#include "Text.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

using Engine::Project;

int fail(const QString &problem)
{
    QTextStream(stderr) << "ampa-cli: " << problem << '\n';
    return exitUsage;
}

QString shown(const std::filesystem::path &path)
{
    return Engine::displayPath(path);
}

// A path as the user typed it, made absolute and clean, as the keep-list stores it.
QString normalised(const QString &path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

QJsonObject projectObject(const Project &project, bool kept)
{
    QJsonArray artifacts;
    for (const Project::Part &part : project.artifacts)
        artifacts.append(QJsonObject{{"path", shown(part.path)}, {"size", double(part.size)}});
    return QJsonObject{{"path", shown(project.path)},
                       {"kind", project.kind},
                       {"artifacts", artifacts},
                       {"size", double(project.size)},
                       {"lastActivity", project.lastActivity.toString(Qt::ISODate)},
                       {"dirty", project.dirty},
                       {"inUse", project.inUse},
                       {"kept", kept}};
}

QString ageText(const Project &project)
{
    return bilingual(QStringLiteral("%1 hari"), QStringLiteral("%1 days"))
        .arg(Engine::idleDays(project));
}

void printProject(QTextStream &out, const Project &project, bool kept)
{
    QStringList marks{project.kind, ageText(project)};
    if (project.dirty)
        marks << bilingual("ada perubahan", "uncommitted changes");
    if (project.inUse)
        marks << bilingual("sedang dipakai", "in use");
    if (kept)
        marks << bilingual("disimpan", "kept");
    out << printable(shown(project.path)) << "  " << fmt(project.size) << "  (" << marks.join(", ")
        << ")\n";
    for (const Project::Part &part : project.artifacts)
        out << "    " << printable(shown(part.path)) << "  " << fmt(part.size) << '\n';
}

bool confirmOnTerminal(const std::vector<Project> &chosen)
{
    QTextStream out(stdout);
    qint64 total = 0;
    for (const Project &project : chosen) {
        printProject(out, project, false);
        total += project.size;
    }
    return askYes(out, bilingual(QStringLiteral("Hapus artefak ini (%1)? [y/N] "),
                                 QStringLiteral("Delete these artifacts (%1)? [y/N] "))
                           .arg(fmt(total)));
}

int list(const Options &options)
{
    const QStringList kept = Settings::instance().projectKeep();
    QJsonArray projects;
    QTextStream out(stdout);
    for (const Project &project :
         Engine::projects(Engine::projectRoots(), Engine::workingPlaces())) {
        if (options.olderDays && Engine::idleDays(project) < *options.olderDays)
            continue;
        const bool isKept = kept.contains(shown(project.path));
        if (options.json)
            projects.append(projectObject(project, isKept));
        else
            printProject(out, project, isKept);
    }
    if (options.json)
        out << QJsonDocument(QJsonObject{{"projects", projects}}).toJson(QJsonDocument::Indented);
    return exitOk;
}

int clean(const QStringList &paths, const Options &options)
{
    const QStringList kept = Settings::instance().projectKeep();
    const std::vector<std::filesystem::path> places = Engine::workingPlaces();
    const std::vector<Project> found = Engine::projects(Engine::projectRoots(), places);
    std::vector<Project> chosen;
    if (!paths.isEmpty()) {
        for (const QString &path : paths) {
            const QString wanted = normalised(path);
            const auto project =
                std::find_if(found.begin(), found.end(),
                             [&wanted](const Project &p) { return shown(p.path) == wanted; });
            if (project == found.end())
                return fail(bilingual(QStringLiteral("bukan proyek dengan artefak: %1"),
                                      QStringLiteral("not a project with artifacts: %1"))
                                .arg(path));
            if (kept.contains(wanted))
                return fail(bilingual(QStringLiteral("%1 disimpan; lepaskan dulu"),
                                      QStringLiteral("%1 is kept; release it first"))
                                .arg(path));
            chosen.push_back(*project);
        }
    } else {
        const int days = options.olderDays.value_or(Settings::instance().projectIdleDays());
        for (const Project &project : found)
            if (Engine::idleDays(project) >= days && !kept.contains(shown(project.path)))
                chosen.push_back(project);
    }
    QTextStream out(stdout);
    if (options.dryRun) {
        QJsonArray would;
        for (const Project &project : chosen) {
            if (options.json)
                would.append(projectObject(project, false));
            else
                printProject(out, project, false);
        }
        if (options.json)
            out << QJsonDocument(QJsonObject{{"dryRun", true}, {"projects", would}})
                       .toJson(QJsonDocument::Indented);
        return exitOk;
    }
    if (!options.yes && !chosen.empty()) {
        if (!isatty(STDIN_FILENO))
            return fail(bilingual("bukan terminal; pakai --yes untuk membersihkan tanpa bertanya",
                                  "not a terminal; use --yes to clean without asking"));
        if (!confirmOnTerminal(chosen)) {
            out << bilingual("Dibatalkan.", "Cancelled.") << '\n';
            return exitOk;
        }
    }
    QJsonObject results;
    qint64 freed = 0;
    bool failed = false;
    for (const Project &project : chosen) {
        const Engine::ProjectCleaning cleaning = Engine::cleanProject(project, places);
        freed += cleaning.freed;
        failed = failed || cleaning.failure.has_value();
        if (options.json) {
            QJsonObject object{{"freed", double(cleaning.freed)}, {"inUse", cleaning.inUse}};
            if (cleaning.failure)
                object.insert("failure", QJsonObject{{"kind", cleaning.failure->kindName()},
                                                     {"path", shown(cleaning.failure->path)}});
            results.insert(shown(project.path), object);
        } else {
            out << printable(shown(project.path)) << ": "
                << (cleaning.inUse ? bilingual("dilewati: sedang dipakai", "skipped: in use")
                    : cleaning.failure
                        ? printable(failedText(cleaning.failure->text()))
                        : bilingual(QStringLiteral("%1 dibebaskan"), QStringLiteral("%1 freed"))
                              .arg(fmt(cleaning.freed)))
                << '\n';
        }
    }
    if (options.json)
        out << QJsonDocument(
                   QJsonObject{{"dryRun", false}, {"freed", double(freed)}, {"results", results}})
                   .toJson(QJsonDocument::Indented);
    else if (chosen.empty())
        out << bilingual("Tidak ada proyek untuk dibersihkan.", "No project to clean.") << '\n';
    return failed ? exitPartlyFailed : exitOk;
}

int keep(const QString &path, bool kept)
{
    const QString wanted = normalised(path);
    QStringList paths = Settings::instance().projectKeep();
    paths.removeAll(wanted);
    if (kept)
        paths << wanted;
    Settings::instance().setProjectKeep(paths);
    return Settings::instance().projectKeep() == paths ? exitOk : exitPartlyFailed;
}

} // namespace

int runProjects(const QStringList &arguments, const Options &options)
{
    const QString sub = arguments.value(0);
    if (sub.isEmpty() && !options.yes && !options.dryRun)
        return list(options);
    if (sub == QLatin1String("clean"))
        return clean(arguments.mid(1), options);
    const bool plain = !options.json && !options.yes && !options.dryRun && !options.olderDays;
    if ((sub == QLatin1String("keep") || sub == QLatin1String("release")) && arguments.size() == 2
        && plain)
        return keep(arguments[1], sub == QLatin1String("keep"));
    return fail(bilingual("pemakaian: ampa-cli projects [--older HARI] [--json] | projects clean "
                          "[--older HARI] [--dry-run] [--yes] [--json] [PATH…] | projects keep "
                          "PATH | projects release PATH",
                          "usage: ampa-cli projects [--older DAYS] [--json] | projects clean "
                          "[--older DAYS] [--dry-run] [--yes] [--json] [PATH…] | projects keep "
                          "PATH | projects release PATH"));
}
