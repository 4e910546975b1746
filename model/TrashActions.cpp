// Moving a listed download or application to the Trash.

#include "ActivityLog.h"
#include "Model.h"
#include "Paths.h"
#include "Text.h"

#include <QPointer>

namespace {

std::filesystem::path standardised(const std::filesystem::path &path)
{
    return Engine::withoutTrailingSlash(path.lexically_normal());
}

Model::LiveText movedText(const QString &name)
{
    return [name] {
        return bilingual(
                   QStringLiteral("%1 dipindah ke Trash. Kosongkan Trash supaya ruangnya kembali."),
                   QStringLiteral("%1 moved to the Trash. Empty the Trash to get the space back."))
            .arg(name);
    };
}

bool isApp(const FileItem &item)
{
    return item.url().extension() == ("." + Engine::linuxAppFolders().extension);
}

Model::Pane paneOf(const FileItem &item)
{
    return isApp(item) ? Model::Pane::aplikasi : Model::Pane::downloads;
}

// Every record with this id leaves the list; true when one did.
bool forget(std::vector<FileItem> &list, const QUuid &id)
{
    return std::erase_if(list, [&id](const FileItem &item) { return item.id() == id; }) > 0;
}

} // namespace

const FileItem *Model::findItem(const QString &id) const
{
    const QUuid uuid(id);
    for (const auto *list : {&m_downloads, &m_apps}) {
        const auto found = std::find_if(list->begin(), list->end(), [&uuid](const FileItem &item) {
            return item.id() == uuid;
        });
        if (found != list->end())
            return &*found;
    }
    return nullptr;
}

void Model::trashItem(const QString &id)
{
    if (const FileItem *item = findItem(id))
        trash(FileItem(*item)); // a copy: the lists change under the action
}

void Model::revealItem(const QString &id)
{
    const FileItem *item = findItem(id);
    if (!item)
        return;
    services.desktop->revealFile(
        item->url(), [self = QPointer(this), pane = paneOf(*item)](std::optional<QString> error) {
            if (self && error)
                self->setResult(pane, {}, failedWith(*error), ResultKind::failed);
        });
}

void Model::trash(const FileItem &item)
{
    if (isApp(item))
        trashApp(item);
    else
        trashDownload(item);
}

void Model::trashApp(const FileItem &item)
{
    const QString name = isolatedName(Engine::appName(item.url()));
    const std::filesystem::path location = standardised(item.url());
    if (location == standardised(services.desktop->selfBundle())) {
        setResult(Pane::aplikasi, {},
                  pair("Ampa tidak bisa membuang dirinya sendiri.",
                       "Ampa cannot move itself to the Trash."),
                  ResultKind::failed);
        return;
    }
    for (const RunningApp &app : services.runningApps->withBundles()) {
        if (!app.bundle.empty() && standardised(app.bundle) == location) {
            setResult(
                Pane::aplikasi, {},
                [running = app.name] {
                    return bilingual(QStringLiteral("Tutup %1 dulu."),
                                     QStringLiteral("Quit %1 first."))
                        .arg(running);
                },
                ResultKind::skipped);
            return;
        }
    }
    ask(bilingual(QStringLiteral("Pindahkan %1 ke Trash?"), QStringLiteral("Move %1 to the Trash?"))
            .arg(name),
        fmt(item.size())
            + bilingual(
                ". Aplikasinya dipindah ke Trash dan masih bisa dikembalikan. Pengaturan dan "
                "datanya tidak disentuh.",
                ". The app moves to the Trash and can still be restored. Its settings and data "
                "stay untouched."),
        bilingual("Ke Trash", "Move to Trash"),
        [this, item, name] { moveToTrash(item, name, "lanjutan: trash aplikasi "); });
}

void Model::trashDownload(const FileItem &item)
{
    const QString name = isolatedName(QString::fromUtf8(item.url().filename().native()));
    ask(bilingual("Pindahkan ke Trash?", "Move to the Trash?"),
        bilingual(QStringLiteral("%1 (%2). Masih bisa dikembalikan dari Trash."),
                  QStringLiteral("%1 (%2). It can still be restored from the Trash."))
            .arg(name, fmt(item.size())),
        bilingual("Ke Trash", "Move to Trash"),
        [this, item, name] { moveToTrash(item, name, "lanjutan: trash "); });
}

// Moves the listed item, logs it under `logPrefix` and drops its record from the lists.
void Model::moveToTrash(const FileItem &item, const QString &name, const QString &logPrefix)
{
    const auto moving = Trash::aboutToMove(item.url());
    if (const auto error = services.trash->moveToTrash(item.url())) {
        setResult(
            paneOf(item), [name] { return name; }, failedWith(*error), ResultKind::failed);
        return;
    }
    Engine::log(logPrefix + Engine::displayPath(item.url()));
    if (forget(m_apps, item.id()))
        Q_EMIT appsChanged();
    if (forget(m_downloads, item.id()))
        Q_EMIT downloadsChanged();
    setResult(paneOf(item), {}, movedText(name));
    m_space.measureAgain({item.url(), Engine::homeTrashFolder()});
    relistLargeItems(paneOf(item));
    offerUndo(moving, item.url(), name, paneOf(item));
}

void Model::relistLargeItems(Pane pane)
{
    if (demo())
        return; // the samples stay samples
    if (pane == Pane::aplikasi)
        tasks.run([] { return Engine::appsTop(largeItemCount); },
                  [this](std::vector<FileItem> items) { setApps(std::move(items)); });
    else
        tasks.run([] { return Engine::downloadsTop(largeItemCount); },
                  [this](std::vector<FileItem> items) { setDownloads(std::move(items)); });
}

void Model::offerUndo(const std::optional<Trash::Moving> &moving,
                      const std::filesystem::path &original, const QString &name, Pane pane)
{
    // Offered for a few seconds, when the entry the move made is found in the Trash.
    if (!moving)
        return;
    if (const auto entry = services.trash->find(original, *moving)) {
        m_undo = TrashUndo{*entry, original, name, pane};
        undoTimer.start(undoWindow);
        Q_EMIT resultChanged();
    }
}

void Model::undo()
{
    if (!m_undo)
        return;
    const TrashUndo undone = *m_undo;
    m_undo.reset();
    undoTimer.stop();
    if (const auto error = services.trash->restore(undone.entry, undone.original)) {
        setResult(
            undone.pane, {}, [error = *error] { return error; }, ResultKind::failed);
        return;
    }
    Engine::log("lanjutan: kembalikan dari trash " + Engine::displayPath(undone.original));
    m_space.measureAgain({undone.original, Engine::homeTrashFolder()});
    setResult(undone.pane, {}, [name = undone.name] {
        return bilingual(QStringLiteral("%1 dikembalikan dari Trash."),
                         QStringLiteral("%1 put back from the Trash."))
            .arg(name);
    });
    refreshAfterAction();
}
