// Stale projects: their artifacts cleaned one project at a time or all idle ones at once, each
// behind a confirmation with the list and the size; the keep-list.

#include "Model.h"
#include "Paths.h"
#include "Settings.h"
#include "Text.h"

#include <QCryptographicHash>

namespace {

QString idOf(const std::filesystem::path &path)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::fromStdString(path.native()), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
}

} // namespace

std::vector<Model::ProjectItem> Model::measureProjects()
{
    std::vector<ProjectItem> items;
    for (Engine::Project &project :
         Engine::projects(Engine::projectRoots(), Engine::workingPlaces())) {
        const QString id = idOf(project.path);
        const bool kept = project.kept;
        items.push_back({std::move(project), id, kept});
    }
    return items;
}

void Model::setProjects(std::vector<ProjectItem> items)
{
    std::stable_partition(items.begin(), items.end(),
                          [](const ProjectItem &item) { return !item.kept; });
    m_projects = std::move(items);
    Q_EMIT projectsChanged();
}

int Model::projectCount() const
{
    return static_cast<int>(std::count_if(m_projects.begin(), m_projects.end(),
                                          [](const ProjectItem &item) { return !item.kept; }));
}

int Model::projectIdleDays() const
{
    return Settings::instance().projectIdleDays();
}

std::vector<Model::ProjectItem> Model::idleProjects() const
{
    std::vector<ProjectItem> idle;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const ProjectItem &item : m_projects)
        if (!item.kept && Engine::inIdleBatch(item.project, projectIdleDays(), now))
            idle.push_back(item);
    return idle;
}

qint64 Model::idleProjectsSize() const
{
    qint64 total = 0;
    for (const ProjectItem &item : idleProjects())
        total += item.project.size;
    return total;
}

int Model::idleProjectsCount() const
{
    return static_cast<int>(idleProjects().size());
}

void Model::cleanProjectItem(const QString &id)
{
    for (const ProjectItem &item : m_projects) {
        if (item.id != id || item.kept)
            continue;
        const QString name = isolatedName(Engine::displayPath(item.project.path.filename()));
        if (item.project.unreadable) {
            setResult(
                Pane::proyek, {},
                [name, why = *item.project.unreadable] {
                    return bilingual(QStringLiteral("Repositori %1 tak terbaca: %2"),
                                     QStringLiteral("The repository of %1 cannot be read: %2"))
                        .arg(name, why);
                },
                ResultKind::skipped);
            return;
        }
        if (item.project.inUse) {
            setResult(
                Pane::proyek, {},
                [name] {
                    return bilingual(
                               QStringLiteral(
                                   "%1 sedang dipakai; tutup dulu editor atau server-nya."),
                               QStringLiteral("%1 is in use; close its editor or server first."))
                        .arg(name);
                },
                ResultKind::skipped);
            return;
        }
        askToCleanProjects({item});
        return;
    }
}

void Model::cleanIdleProjects()
{
    std::vector<ProjectItem> idle = idleProjects();
    if (!idle.empty())
        askToCleanProjects(std::move(idle));
}

void Model::askToCleanProjects(std::vector<ProjectItem> chosen)
{
    if (m_busy)
        return;
    QStringList lines;
    qint64 total = 0;
    for (const ProjectItem &item : chosen) {
        for (const Engine::Project::Part &part : item.project.artifacts)
            if (part.offered())
                lines << QStringLiteral("• %1 (%2)")
                             .arg(isolatedName(Engine::displayPath(part.path)), fmt(part.size));
        total += item.project.size;
    }
    const QString title =
        chosen.size() == 1
            ? bilingual(QStringLiteral("Hapus artefak %1?"),
                        QStringLiteral("Delete the artifacts of %1?"))
                  .arg(isolatedName(Engine::displayPath(chosen.front().project.path.filename())))
            : bilingual(QStringLiteral("Hapus artefak %1 proyek?"),
                        QStringLiteral("Delete the artifacts of %1 projects?"))
                  .arg(chosen.size());
    const QString message =
        bilingual(QStringLiteral("Dihapus permanen, %1; build atau instalasi berikutnya "
                                 "membuatnya lagi:"),
                  QStringLiteral("Deleted for good, %1; the next build or install makes them "
                                 "again:"))
            .arg(fmt(total))
        + '\n' + lines.join('\n');
    // What the result is about: the project by its name, or how many.
    const LiveText subject = [count = chosen.size(),
                              name = isolatedName(Engine::displayPath(
                                  chosen.front().project.path.filename()))]() -> QString {
        if (count == 1)
            return name;
        return bilingual(QStringLiteral("%1 proyek"), QStringLiteral("%1 projects")).arg(count);
    };
    ask(title, message, bilingual("Hapus", "Delete"), [this, chosen, subject] {
        if (demo()) {
            // Sample figures: nothing is removed.
            setResult(Pane::proyek, subject, freedWith(0));
            return;
        }
        setBusy(true);
        tasks.run(
            [chosen] {
                qint64 freed = 0;
                int skipped = 0;
                std::optional<Engine::Failure> failure;
                for (const ProjectItem &item : chosen) {
                    // Processes and the keep-list are read again inside, right before.
                    const Engine::ProjectCleaning cleaning = Engine::cleanProject(item.project);
                    freed += cleaning.freed;
                    skipped += cleaning.held != Engine::ProjectHold::none ? 1 : 0;
                    if (cleaning.failure && !failure)
                        failure = cleaning.failure;
                }
                return std::tuple{freed, skipped, failure};
            },
            [this, subject,
             chosen](const std::tuple<qint64, int, std::optional<Engine::Failure>> &done) {
                const auto &[freed, skipped, failure] = done;
                const LiveText text = [freed, skipped, failure] {
                    QString said = freedWith(freed)();
                    if (skipped > 0)
                        said +=
                            ' '
                            + bilingual(QStringLiteral("%1 proyek sedang dipakai, disimpan atau "
                                                       "tidak ditawarkan, dan dilewati."),
                                        QStringLiteral("%1 projects in use, kept or not offered "
                                                       "were skipped."))
                                  .arg(skipped);
                    if (failure)
                        said += ' ' + failedText(failure->text());
                    return said;
                };
                // Nothing freed and something failed is a failure, whatever was skipped.
                setResult(Pane::proyek, subject, text,
                          failure && freed == 0 ? ResultKind::failed
                          : failure             ? ResultKind::partlyFailed
                          : skipped             ? ResultKind::skipped
                                                : ResultKind::done);
                setBusy(false);
                std::vector<std::filesystem::path> artifacts;
                for (const ProjectItem &item : chosen)
                    for (const Engine::Project::Part &part : item.project.artifacts)
                        artifacts.push_back(part.path);
                m_space.cleaned(artifacts);
                refreshAfterAction();
            });
    });
}

void Model::keepProject(const QString &id)
{
    std::vector<ProjectItem> items = m_projects;
    for (ProjectItem &item : items) {
        if (item.id != id || item.kept)
            continue;
        if (demo()) // a sample project is no folder: its path is kept as it is written
            Settings::instance().setProjectKeep(Settings::instance().projectKeep()
                                                << Engine::displayPath(item.project.path));
        else if (Engine::keepProject(item.project.realPath) != Engine::KeepChange::done)
            return;
        item.kept = item.project.kept = true;
    }
    setProjects(std::move(items));
}

void Model::releaseProject(const QString &id)
{
    std::vector<ProjectItem> items = m_projects;
    for (ProjectItem &item : items) {
        if (item.id != id)
            continue;
        if (demo()) {
            QStringList kept = Settings::instance().projectKeep();
            kept.removeAll(Engine::displayPath(item.project.path));
            Settings::instance().setProjectKeep(kept);
        } else
            Engine::releaseProject(item.project.realPath);
        item.kept = item.project.kept = false;
    }
    // Back among the offers, the largest first.
    std::stable_sort(items.begin(), items.end(), [](const ProjectItem &a, const ProjectItem &b) {
        return a.project.size > b.project.size;
    });
    setProjects(std::move(items));
}
