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

QString movedText(const QString &name)
{
    return bilingual(
               QStringLiteral("%1 dipindah ke Trash. Kosongkan Trash supaya ruangnya kembali."),
               QStringLiteral("%1 moved to the Trash. Empty the Trash to get the space back."))
        .arg(name);
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
    services.desktop->revealFile(item->url(),
                                 [self = QPointer(this)](std::optional<QString> error) {
                                     if (self && error)
                                         self->setResult(failedText(*error), ResultKind::failed);
                                 });
}

void Model::trash(const FileItem &item)
{
    if (item.url().extension() == ("." + Engine::linuxAppFolders().extension))
        trashApp(item);
    else
        trashDownload(item);
}

void Model::trashApp(const FileItem &item)
{
    const QString name = Engine::appName(item.url());
    const std::filesystem::path location = standardised(item.url());
    if (location == standardised(services.desktop->selfBundle())) {
        setResult(bilingual("Ampa tidak bisa membuang dirinya sendiri.",
                            "Ampa cannot move itself to the Trash."),
                  ResultKind::failed);
        return;
    }
    for (const RunningApp &app : services.runningApps->withBundles()) {
        if (!app.bundle.empty() && standardised(app.bundle) == location) {
            setResult(bilingual(QStringLiteral("Tutup %1 dulu."), QStringLiteral("Quit %1 first."))
                          .arg(app.name),
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
    const QString name = QString::fromUtf8(item.url().filename().native());
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
    if (const auto error = services.trash->moveToTrash(item.url())) {
        setResult(failedText(*error), ResultKind::failed);
        return;
    }
    Engine::log(logPrefix + Engine::displayPath(item.url()));
    if (forget(m_apps, item.id()))
        Q_EMIT appsChanged();
    if (forget(m_downloads, item.id()))
        Q_EMIT downloadsChanged();
    setResult(movedText(name));
}
