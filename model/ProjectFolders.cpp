// The folders searched for projects, as the settings show them and change them.

#include "Model.h"
#include "Paths.h"
#include "Projects.h"
#include "Settings.h"
#include "Text.h"

#include <QUrl>

namespace {

QString shown(const std::filesystem::path &path)
{
    const std::filesystem::path home = Engine::homeDir();
    if (path != home && Engine::isSameOrInside(path, home))
        return "~/" + Engine::displayPath(path.lexically_relative(home));
    return Engine::displayPath(path);
}

// What the setting holds now, or, while it holds nothing, the usual folders searched in its
// place: a change starts from what the user sees.
QStringList storedOrSearched()
{
    QStringList roots = Settings::instance().projectRoots();
    if (roots.isEmpty())
        for (const std::filesystem::path &root : Engine::projectRoots())
            roots << QString::fromStdString(root.native());
    return roots;
}

} // namespace

QStringList Model::projectFolders() const
{
    QStringList folders;
    for (const QString &root : storedOrSearched())
        folders << shown(Engine::url(root.toStdString()));
    return folders;
}

QStringList Model::searchedProjectFolders() const
{
    QStringList folders;
    for (const std::filesystem::path &root : Engine::projectRoots())
        folders << shown(root);
    return folders;
}

bool Model::addProjectFolder(const QUrl &folder)
{
    if (!folder.isLocalFile())
        return false;
    const std::filesystem::path path = Engine::withoutTrailingSlash(
        std::filesystem::path(folder.toLocalFile().toStdString()).lexically_normal());
    if (!path.is_absolute())
        return false;
    QStringList roots = storedOrSearched();
    const QString added = QString::fromStdString(path.native());
    if (roots.contains(added))
        return false;
    roots << added;
    Settings::instance().setProjectRoots(roots);
    return true;
}

QStringList Model::usualProjectFolders() const
{
    QStringList folders;
    for (const std::string &name : Engine::usualProjectFolders())
        folders << QStringLiteral("~/") + QString::fromStdString(name);
    return folders;
}

QUrl Model::homeFolderUrl() const
{
    return QUrl::fromLocalFile(QString::fromStdString(Engine::homeDir().native()));
}

void Model::folderChooserFailed()
{
    setResult(
        Pane::proyek, {},
        [] {
            return failedText(
                bilingual(QStringLiteral(
                              "pemilih folder tidak bisa dibuka; pasang ulang paket Ampa, atau "
                              "isi projectRoots di %1"),
                          QStringLiteral(
                              "the folder chooser could not be opened; reinstall Ampa's package, "
                              "or list the folders under projectRoots in %1"))
                    .arg(Engine::displayPath(Settings::filePath())));
        },
        ResultKind::failed);
}

void Model::removeProjectFolder(int index)
{
    QStringList roots = storedOrSearched();
    if (index < 0 || index >= roots.size())
        return;
    roots.removeAt(index);
    Settings::instance().setProjectRoots(roots);
}
