// The space map of a scan saved elsewhere (ncdu's export): read in the background, shown read
// only, left for a walk of a real folder.

#include "NcduFormat.h"
#include "Paths.h"
#include "ScanWords.h"
#include "SpaceModel.h"
#include "Text.h"

#include <QFile>
#include <QUrl>

#include <sys/stat.h>

namespace {

using Engine::SpaceTree;

struct ScanOpened {
    // Shared: a result is handed to the main thread by copy, and a tree is not copied.
    std::shared_ptr<Engine::ScanRead> read;
    qint64 made = 0;
};

// When the scan was made, where the export does not say: its file was written as the scan ended.
qint64 writtenAt(const std::filesystem::path &file)
{
    struct stat st = {};
    return ::stat(file.c_str(), &st) == 0 ? static_cast<qint64>(st.st_mtim.tv_sec) : 0;
}

} // namespace

void SpaceModel::openScan(const QUrl &file)
{
    if (file.isLocalFile())
        openScanAt(std::filesystem::path(QFile::encodeName(file.toLocalFile()).toStdString()));
}

void SpaceModel::openScanAt(const std::filesystem::path &file)
{
    readingTasks = std::make_unique<BackgroundTasks>(); // a reading that runs is stopped
    m_reading = shownName(Engine::displayPath(file));
    Q_EMIT readingChanged();
    readingTasks->run(
        [file] {
            ScanOpened opened;
            opened.read = std::make_shared<Engine::ScanRead>(Engine::readNcdu(file));
            opened.made = opened.read->timestamp > 0 ? opened.read->timestamp : writtenAt(file);
            return opened;
        },
        [this, file](const ScanOpened &opened) {
            m_reading.clear();
            Q_EMIT readingChanged();
            if (!opened.read->tree) {
                report(
                    [read = opened.read,
                     name = isolatedName(Engine::displayPath(file.filename()))] {
                        return failedText(bilingual(QStringLiteral("%1 tidak bisa dibuka: %2"),
                                                    QStringLiteral("%1 could not be opened: %2"))
                                              .arg(name, scanProblemText(*read)));
                    },
                    true);
                Q_EMIT settled();
                return;
            }
            showScan(std::move(opened.read->tree), file, opened.made);
        });
}

void SpaceModel::showScan(std::unique_ptr<SpaceTree> scan, const std::filesystem::path &file,
                          qint64 made)
{
    if (!scan)
        return;
    tasks = std::make_unique<BackgroundTasks>(); // a walk that runs is stopped, then dropped
    tree = std::shared_ptr<SpaceTree>(std::move(scan));
    marks.clear();
    rootText = shownName(Engine::displayPath(tree->root()));
    rootIsHome = false;
    current = SpaceTree::rootIndex;
    rowsOf = SpaceTree::noEntry;
    lookedAt = tree->root();
    owed.clear();
    marksOwed = false;
    dropComparison(); // a saved scan grows by nothing the history knows
    m_scanFile = shownName(Engine::displayPath(file));
    m_scanTime = made;
    clearFilter();
    setWalking(false);
    m_progress = tree->progress();
    Q_EMIT progressChanged();
    Q_EMIT folderChanged();
    Q_EMIT scanChanged();
    reload();
    report(
        [name = isolatedName(Engine::displayPath(file.filename()))] {
            return bilingual(QStringLiteral("Pindaian tersimpan %1 dibuka; hanya untuk dilihat."),
                             QStringLiteral("Opened the saved scan %1; it is only for looking at."))
                .arg(name);
        },
        false);
    Q_EMIT settled();
}

void SpaceModel::closeScan()
{
    if (!savedScan())
        return;
    start(walkedRoot.empty() ? QString() : QString::fromStdString(walkedRoot.native()));
}

void SpaceModel::scanChooserFailed()
{
    report(
        [] {
            return failedText(bilingual(
                QStringLiteral("pemilih berkas tidak bisa dibuka; pasang ulang paket Ampa"),
                QStringLiteral("the file chooser could not be opened; reinstall Ampa's "
                               "package")));
        },
        true);
}
