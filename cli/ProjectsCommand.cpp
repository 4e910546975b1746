// ampa-cli projects: projects' build output and dependencies, listed, cleaned, kept or released.
// What is offered, kept, idle and in use is the engine's to decide, as for the window.

#include "Commands.h"
#include "Paths.h"
#include "ProjectWords.h"
#include "Projects.h"
#include "Settings.h"
#include "TerminalProgress.h"
#include "TerminalText.h"
#include "Text.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <variant>

namespace {

using Engine::Project;
using Engine::ProjectHold;

QString shown(const std::filesystem::path &path)
{
    return Engine::displayPath(path);
}

// A path as the user typed it, made absolute against the current folder.
std::filesystem::path typedPath(const QString &path)
{
    const std::filesystem::path typed(path.toStdString());
    return Engine::withoutTrailingSlash(
        (typed.is_absolute() ? typed : std::filesystem::current_path() / typed).lexically_normal());
}

QString holdName(ProjectHold held)
{
    switch (held) {
    case ProjectHold::none:
        return {};
    case ProjectHold::kept:
        return QStringLiteral("kept");
    case ProjectHold::inUse:
        return QStringLiteral("inUse");
    case ProjectHold::unreadable:
        return QStringLiteral("unreadable");
    case ProjectHold::withheld:
        return QStringLiteral("withheld");
    }
    return {};
}

QString holdText(const Project &project, ProjectHold held)
{
    switch (held) {
    case ProjectHold::none:
        return {};
    case ProjectHold::kept:
        return bilingual("disimpan", "kept");
    case ProjectHold::inUse:
        return bilingual("sedang dipakai", "in use");
    case ProjectHold::unreadable:
        return bilingual(QStringLiteral("repositori tak terbaca: %1"),
                         QStringLiteral("repository unreadable: %1"))
            .arg(project.unreadable.value_or(QString()));
    case ProjectHold::withheld:
        return bilingual("tak ada artefak yang terbukti bisa dibuat ulang",
                         "no artifact shown to be made again");
    }
    return {};
}

QJsonObject projectObject(const Project &project)
{
    QJsonArray artifacts;
    for (const Project::Part &part : project.artifacts)
        artifacts.append(QJsonObject{{"path", shown(part.path)},
                                     {"size", double(part.size)},
                                     {"noLockfile", part.noLockfile},
                                     {"withheld", withheldText(part.withheld)}});
    QJsonObject object{{"path", shown(project.path)},
                       {"kind", project.kind},
                       {"artifacts", artifacts},
                       {"size", double(project.size)},
                       {"lastActivity", project.lastActivity.toString(Qt::ISODate)},
                       {"dirty", project.dirty},
                       {"inUse", project.inUse},
                       {"kept", project.kept}};
    if (project.unreadable)
        object.insert("unreadable", *project.unreadable);
    return object;
}

void printProject(QTextStream &out, const Project &project)
{
    QStringList marks{project.kind, bilingual(QStringLiteral("menganggur %1 hari"),
                                              QStringLiteral("%1 days idle"))
                                        .arg(Engine::idleDays(project))};
    if (project.dirty)
        marks << bilingual("ada perubahan", "uncommitted changes");
    if (const ProjectHold held = Engine::hold(project); held != ProjectHold::none)
        marks << holdText(project, held);
    out << printable(shown(project.path)) << "  " << tinted(fmt(project.size), Tint::size) << "  ("
        << printable(marks.join(", ")) << ")\n";
    for (const Project::Part &part : project.artifacts) {
        out << "    " << printable(shown(part.path)) << "  " << tinted(fmt(part.size), Tint::size);
        if (part.noLockfile)
            out << "  ("
                << bilingual("tanpa lockfile atau requirements: bisa terpasang berbeda",
                             "no lockfile or requirements: may not reinstall the same")
                << ')';
        if (!part.offered())
            out << "  (" << bilingual("tidak ditawarkan: ", "not offered: ")
                << printable(withheldText(part.withheld)) << ')';
        out << '\n';
    }
}

qint64 totalOf(const std::vector<Project> &projects)
{
    qint64 total = 0;
    for (const Project &project : projects)
        total += project.size;
    return total;
}

QString totalLine(const std::vector<Project> &projects)
{
    return QStringLiteral("Total: %1").arg(fmt(totalOf(projects)));
}

QString searchingText()
{
    return bilingual("Mencari proyek", "Searching projects");
}

int list(const Options &options)
{
    QJsonArray projects;
    QTextStream out(stdout);
    for (const Project &project : withProgress(options.json, searchingText(), [] {
             return Engine::projects(Engine::projectRoots(), Engine::workingPlaces());
         })) {
        if (options.olderDays && Engine::idleDays(project) < *options.olderDays)
            continue;
        if (options.json)
            projects.append(projectObject(project));
        else
            printProject(out, project);
    }
    if (options.json)
        out << QJsonDocument(QJsonObject{{"projects", projects}}).toJson(QJsonDocument::Indented);
    return exitOk;
}

// The projects named on the command line, each once, or the idle ones; a usage failure says why
// one cannot be taken.
std::variant<std::vector<Project>, QString>
chosenProjects(const std::vector<Project> &found, const QStringList &paths, const Options &options)
{
    if (paths.isEmpty())
        return Engine::idleBatch(
            found, options.olderDays.value_or(Settings::instance().projectIdleDays()));
    std::vector<Project> chosen;
    for (const QString &path : paths) {
        const Project *project =
            path.isEmpty() ? nullptr : Engine::projectAt(found, typedPath(path));
        if (!project)
            return bilingual(QStringLiteral("bukan proyek dengan artefak: %1"),
                             QStringLiteral("not a project with artifacts: %1"))
                .arg(path);
        const bool twice = std::any_of(chosen.begin(), chosen.end(), [project](const Project &p) {
            return p.realPath == project->realPath;
        });
        if (!twice)
            chosen.push_back(*project);
    }
    return chosen;
}

int clean(const QStringList &paths, const Options &options)
{
    const std::vector<Project> found = withProgress(options.json, searchingText(), [] {
        return Engine::projects(Engine::projectRoots(), Engine::workingPlaces());
    });
    const auto picked = chosenProjects(found, paths, options);
    if (const QString *problem = std::get_if<QString>(&picked))
        return usageProblem(*problem);
    const std::vector<Project> &chosen = std::get<std::vector<Project>>(picked);
    QTextStream out(stdout);
    if (options.dryRun) {
        QJsonArray would;
        for (const Project &project : chosen) {
            if (options.json)
                would.append(projectObject(project));
            else
                printProject(out, project);
        }
        if (options.json)
            out << QJsonDocument(QJsonObject{{"dryRun", true},
                                             {"projects", would},
                                             {"size", double(totalOf(chosen))}})
                       .toJson(QJsonDocument::Indented);
        else
            out << totalLine(chosen) << '\n';
        return exitOk;
    }
    if (!options.yes && !chosen.empty()) {
        if (!isatty(STDIN_FILENO))
            return usageProblem(
                bilingual("bukan terminal; pakai --yes untuk membersihkan tanpa bertanya",
                          "not a terminal; use --yes to clean without asking"));
        for (const Project &project : chosen)
            printProject(out, project);
        if (!askYes(out, bilingual(QStringLiteral("Hapus artefak ini (%1)? [y/N] "),
                                   QStringLiteral("Delete these artifacts (%1)? [y/N] "))
                             .arg(fmt(totalOf(chosen))))) {
            out << bilingual("Dibatalkan.", "Cancelled.") << '\n';
            return exitOk;
        }
    }
    QJsonArray results;
    qint64 freed = 0;
    bool failed = false;
    for (const Project &project : chosen) {
        // Processes and the keep-list are read again inside, right before the removal.
        const Engine::ProjectCleaning cleaning = withProgress(
            options.json, printable(shown(project.path)),
            [&project] { return Engine::cleanProject(project); }, TerminalProgress::Work::removing);
        freed += cleaning.freed;
        // A project named that stayed (in use, kept, …) is a clean that left something.
        failed = failed || cleaning.failure.has_value()
                 || (!paths.isEmpty() && cleaning.held != ProjectHold::none);
        if (options.json) {
            QJsonObject object{{"path", shown(project.path)}, {"freed", double(cleaning.freed)}};
            if (cleaning.held != ProjectHold::none)
                object.insert("skipped", holdName(cleaning.held));
            if (cleaning.failure)
                object.insert("failure", QJsonObject{{"kind", cleaning.failure->kindName()},
                                                     {"path", shown(cleaning.failure->path)}});
            results.append(object);
        } else {
            out << printable(shown(project.path)) << ": "
                << (cleaning.held != ProjectHold::none
                        ? bilingual("dilewati: ", "skipped: ")
                              + printable(holdText(project, cleaning.held))
                    : cleaning.failure
                        ? tinted(printable(failedText(cleaning.failure->text())), Tint::failure)
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
    if (path.isEmpty())
        return usageProblem(bilingual("path kosong", "an empty path"));
    const std::filesystem::path folder = typedPath(path);
    const Engine::KeepChange change =
        kept ? Engine::keepProject(folder) : Engine::releaseProject(folder);
    switch (change) {
    case Engine::KeepChange::done:
        QTextStream(stdout)
            << (kept ? bilingual(QStringLiteral("Disimpan: %1"), QStringLiteral("Kept: %1"))
                     : bilingual(QStringLiteral("Dilepas: %1"), QStringLiteral("Released: %1")))
                   .arg(printable(shown(folder)))
            << '\n';
        return exitOk;
    case Engine::KeepChange::notAFolder:
        return usageProblem(
            bilingual(QStringLiteral("bukan folder: %1"), QStringLiteral("not a folder: %1"))
                .arg(path));
    case Engine::KeepChange::notKept:
        return usageProblem(
            bilingual(QStringLiteral("tidak disimpan: %1"), QStringLiteral("not kept: %1"))
                .arg(path));
    case Engine::KeepChange::notSaved:
        break;
    }
    QTextStream(stderr) << "ampa-cli: "
                        << bilingual("pengaturan tidak bisa disimpan",
                                     "the settings could not be saved")
                        << '\n';
    return exitPartlyFailed;
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
    return usageProblem(
        bilingual("pemakaian: ampa-cli projects [--older HARI] [--json] | projects clean "
                  "[--older HARI] [--dry-run] [--yes] [--json] [PATH…] | projects keep "
                  "PATH | projects release PATH",
                  "usage: ampa-cli projects [--older DAYS] [--json] | projects clean "
                  "[--older DAYS] [--dry-run] [--yes] [--json] [PATH…] | projects keep "
                  "PATH | projects release PATH"));
}
