#include "SpaceModel.h"

#include "ActivityLog.h"
#include "DevChoices.h"
#include "Paths.h"
#include "Projects.h"
#include "Settings.h"
#include "SpaceMarks.h"
#include "SpaceMoves.h"
#include "SpaceRows.h"
#include "SpaceTexts.h"
#include "Text.h"
#include "Volumes.h"

#include <QDateTime>
#include <QPointer>

#include <chrono>
#include <cmath>
#include <limits>

namespace {

using Engine::SpaceKind;
using Engine::SpaceTree;
using namespace std::chrono_literals;

// What the walk hands back besides the tree: the marks, to know whose keep-list a mark is on,
// and the history it was recorded in.
template<typename Comparison> struct Walked {
    bool ok = false;
    std::vector<Engine::SpaceMark> marks;
    std::optional<Comparison> history;
};

} // namespace

SpaceModel::SpaceModel(Services given, std::function<void(Text, bool)> reportTo, Undoable offerUndo,
                       QObject *parent)
    : QAbstractListModel(parent), services(std::move(given)), report(std::move(reportTo)),
      undoable(std::move(offerUndo)), tasks(std::make_unique<BackgroundTasks>()),
      readingTasks(std::make_unique<BackgroundTasks>()),
      historyTasks(std::make_unique<BackgroundTasks>())
{
    pollTimer.setInterval(250ms);
    connect(&pollTimer, &QTimer::timeout, this, &SpaceModel::poll);
}

SpaceModel::~SpaceModel()
{
    tasks.reset(); // stops the walk and waits for it
    readingTasks.reset();
    historyTasks.reset();
}

int SpaceModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

QVariant SpaceModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(rows.size()))
        return {};
    const SpaceTree::Entry &entry = rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return shownName(Engine::displayPath(entry.name));
    case IdRole:
        return static_cast<int>(entry.index);
    case SizeRole:
        return static_cast<double>(view.apparent ? entry.apparent : entry.size);
    case ShareRole:
        return m_total > 0 ? double(view.apparent ? entry.apparent : entry.size) / double(m_total)
                           : 0.0;
    case ReclaimableRole:
        return static_cast<double>(entry.reclaimable);
    case KindRole:
        return Engine::spaceKindName(rowKinds[static_cast<std::size_t>(index.row())]);
    case FolderRole:
        return entry.folder;
    case KeptRole:
        return entry.kept;
    case MarkedRole:
        return entry.kind != SpaceKind::none;
    case OtherMountRole:
        return entry.otherMount;
    case UnreadableRole:
        return entry.unreadable;
    case CompleteRole:
        return entry.complete;
    case PathRole:
        return tree ? shownName(Engine::displayPath(tree->path(entry.index))) : QString();
    case OnDiskRole:
        return static_cast<double>(entry.size);
    case ApparentRole:
        return static_cast<double>(entry.apparent);
    case CountRole:
        return static_cast<double>(entry.count);
    case GrownRole: {
        const auto &grown = rowGrowth[static_cast<std::size_t>(index.row())];
        return grown ? static_cast<double>(*grown) : std::numeric_limits<double>::quiet_NaN();
    }
    case GrownRebuildsRole:
        return entry.reclaimable > 0 && entry.reclaimable >= entry.size;
    case NewestRole:
        return static_cast<double>(entry.newest);
    }
    return {};
}

QHash<int, QByteArray> SpaceModel::roleNames() const
{
    return {{IdRole, "id"},
            {NameRole, "name"},
            {SizeRole, "size"},
            {ShareRole, "share"},
            {ReclaimableRole, "reclaimable"},
            {KindRole, "kind"},
            {FolderRole, "folder"},
            {KeptRole, "kept"},
            {MarkedRole, "marked"},
            {OtherMountRole, "otherMount"},
            {UnreadableRole, "unreadable"},
            {CompleteRole, "complete"},
            {PathRole, "path"},
            {OnDiskRole, "onDisk"},
            {ApparentRole, "apparent"},
            {CountRole, "count"},
            {NewestRole, "newest"},
            {GrownRole, "grown"},
            {GrownRebuildsRole, "grownRebuilds"}};
}

QString SpaceModel::folder() const
{
    return tree ? shownName(Engine::displayPath(lookedAt)) : rootText;
}

QVariantList SpaceModel::crumbs() const
{
    QVariantList list;
    if (!tree)
        return list;
    for (SpaceTree::Index at = current; at != SpaceTree::noEntry;) {
        const SpaceTree::Entry entry = tree->entry(at);
        if (entry.index == SpaceTree::noEntry)
            break;
        list.prepend(QVariantMap{{"id", static_cast<int>(at)},
                                 {"name", shownName(Engine::displayPath(entry.name))},
                                 {"home", false}});
        at = entry.parent;
    }
    // The root is there before its walk has made its entry.
    if (list.isEmpty())
        list.append(QVariantMap{
            {"id", static_cast<int>(SpaceTree::rootIndex)}, {"name", rootText}, {"home", false}});
    // The home is named as the desktop names it.
    if (rootIsHome)
        list.front() = QVariantMap{
            {"id", static_cast<int>(SpaceTree::rootIndex)}, {"name", rootText}, {"home", true}};
    return list;
}

void SpaceModel::startAt(const QUrl &folder)
{
    if (folder.isLocalFile())
        start(folder.toLocalFile());
}

QVariantList SpaceModel::volumes() const
{
    QVariantList list;
    for (const Engine::Volume &volume : Engine::mountedVolumes())
        list << QVariantMap{{"path", QString::fromStdString(volume.mountPoint.native())},
                            {"name", shownName(volume.name)},
                            {"mountPoint", shownName(Engine::displayPath(volume.mountPoint))},
                            {"total", double(volume.total)},
                            {"free", double(volume.free)}};
    return list;
}

void SpaceModel::start(const QString &root)
{
    const std::filesystem::path given =
        root.isEmpty() ? Engine::homeDir() : std::filesystem::path(root.toStdString());
    const Engine::SpaceRoot where = Engine::spaceRoot(given);
    const std::filesystem::path path = where.folder;
    if (where.linked)
        report(
            [given = Engine::displayPath(given), folder = Engine::displayPath(path)] {
                return bilingual(QStringLiteral("%1 adalah tautan; yang diukur %2."),
                                 QStringLiteral("%1 is a link; measuring %2."))
                    .arg(given, folder);
            },
            false);
    const bool wasScan = savedScan();
    tasks = std::make_unique<BackgroundTasks>(); // a walk that runs is stopped, then dropped
    readingTasks = std::make_unique<BackgroundTasks>();
    if (!m_reading.isEmpty()) {
        m_reading.clear();
        Q_EMIT readingChanged();
    }
    tree = std::make_shared<SpaceTree>(path);
    walkedRoot = path;
    rootText = shownName(Engine::displayPath(path));
    std::error_code unknown;
    rootIsHome = std::filesystem::equivalent(path, Engine::homeDir(), unknown);
    current = SpaceTree::rootIndex;
    rowsOf = SpaceTree::noEntry; // the rows shown are of the tree dropped
    lookedAt = tree->root();
    owed.clear();
    dropComparison(); // of the walk before
    clearFilter();
    setWalking(true);
    Q_EMIT folderChanged();
    if (wasScan)
        Q_EMIT scanChanged();
    tasks->run(
        [walked = tree, record = Settings::instance().spaceHistory(), days = sinceDays] {
            Walked<Comparison> result;
            result.marks = Engine::spaceMarks();
            result.ok = walked->walk(result.marks, Engine::spaceKept());
            // Recorded before anything is measured again: the history holds the walk as it ended.
            const std::atomic<bool> *stop = Engine::currentStop();
            if (result.ok && !(stop && *stop))
                result.history = readHistory(*walked, record, std::nullopt, days);
            return result;
        },
        [this, walked = tree](const Walked<Comparison> &result) {
            if (walked != tree)
                return;
            marks = result.marks;
            if (!result.ok)
                report(
                    [rootText = rootText] {
                        return failedText(bilingual(QStringLiteral("%1 tidak bisa dibaca"),
                                                    QStringLiteral("%1 cannot be read"))
                                              .arg(rootText));
                    },
                    true);
            if (result.history)
                takeHistory(*result.history);
            settle();
        });
    pollTimer.start();
    reload();
}

void SpaceModel::rescan()
{
    if (savedScan())
        closeScan();
    else
        start(tree ? QString::fromStdString(tree->root().native()) : QString());
}

void SpaceModel::remeasure(int id)
{
    // The folder looked at is no row, but may be measured again too.
    if (!tree || tree->isScan() || id < 0)
        return;
    const std::filesystem::path path = tree->path(static_cast<SpaceTree::Index>(id));
    if (!path.empty())
        measureAgain({path});
}

void SpaceModel::measureAgain(const std::vector<std::filesystem::path> &paths)
{
    // What another pane changed on disk is nothing of a saved scan.
    if (!tree || tree->isScan())
        return;
    owed.insert(owed.end(), paths.begin(), paths.end());
    if (!m_walking)
        measureOwed();
}

void SpaceModel::cleaned(const std::vector<std::filesystem::path> &paths)
{
    marksOwed = true;
    measureAgain(paths);
}

void SpaceModel::measureOwed()
{
    setWalking(true, true);
    pollTimer.start();
    tasks->run(
        [walked = tree, paths = std::exchange(owed, {}), asking = std::exchange(marksOwed, false)] {
            std::optional<std::vector<Engine::SpaceMark>> fresh;
            if (asking) {
                fresh = Engine::spaceMarks();
                walked->setMarks(*fresh);
            }
            for (const std::filesystem::path &path : paths)
                walked->measure(path);
            return fresh;
        },
        [this, walked = tree](const std::optional<std::vector<Engine::SpaceMark>> &fresh) {
            if (walked != tree)
                return;
            if (fresh)
                marks = *fresh;
            settle();
        });
}

void SpaceModel::settle()
{
    setWalking(false);
    pointAtLookedAt();
    regrow();
    if (!owed.empty())
        measureOwed();
    else
        Q_EMIT settled();
}

void SpaceModel::pointAtLookedAt()
{
    std::optional<SpaceTree::Index> found;
    std::filesystem::path at = lookedAt;
    for (; !found && !at.empty();
         at = at.has_relative_path() ? at.parent_path() : std::filesystem::path())
        found = tree->find(at);
    const SpaceTree::Index index = found.value_or(SpaceTree::rootIndex);
    if (index == current && tree->path(index) == lookedAt)
        return;
    if (index != current)
        clearFilter();
    current = index;
    lookedAt = tree->path(current);
    Q_EMIT folderChanged();
}

void SpaceModel::setWalking(bool on, bool again)
{
    if (m_walking == on && m_again == again)
        return;
    m_walking = on;
    m_again = again;
    if (!on)
        pollTimer.stop();
    Q_EMIT walkingChanged();
}

void SpaceModel::poll()
{
    if (!tree)
        return;
    m_progress = tree->progress();
    Q_EMIT progressChanged();
    // A folder being measured again holds none of its entries for a moment: the rows shown
    // stay until it is pointed at again.
    if (tree->entry(current).index != SpaceTree::noEntry)
        reload();
}

void SpaceModel::reload()
{
    if (!tree)
        return;
    std::vector<SpaceTree::Entry> all = tree->children(current);
    const int entries = static_cast<int>(all.size());
    std::vector<SpaceTree::Entry> listed = arranged(std::move(all), view);
    // The order chosen comes back once the walk ends.
    if (m_walking && rowsOf == current)
        listed = inPlace(rows, std::move(listed));
    std::vector<std::optional<qint64>> growth;
    growth.reserve(listed.size());
    for (const SpaceTree::Entry &entry : listed)
        growth.push_back(growthOf(entry.index));
    if (view.byGrowth)
        sortByGrowth(listed, growth);
    std::vector<SpaceKind> kinds;
    kinds.reserve(listed.size());
    for (const SpaceTree::Entry &entry : listed) {
        SpaceKind kind = entry.kind;
        // Which pane takes an unmarked folder's part asks the tree below it: only once it is
        // walked, so the list stays quick while the walk runs.
        if (kind == SpaceKind::none && entry.reclaimable > 0 && !m_walking) {
            const auto parts = tree->reclaimableParts(entry.index);
            if (!parts.empty())
                kind = parts.front().first;
        }
        kinds.push_back(kind);
    }
    const SpaceTree::Entry here = tree->entry(current);
    QVariantList parts;
    if (!m_walking) {
        for (const auto &[kind, bytes] : tree->reclaimableParts(current))
            parts.append(QVariantMap{{"kind", Engine::spaceKindName(kind)},
                                     {"bytes", static_cast<double>(bytes)}});
    }
    // Before the rows are announced: a view reads their shares of this total right then.
    m_total = view.apparent ? here.apparent : here.size;
    m_totalOnDisk = here.size;
    m_entries = entries;
    m_reclaimable = here.reclaimable;
    m_parts = parts;
    const std::optional<qint64> grownHere = growthOf(current);
    const bool growthMoved = grownHere != m_grown;
    m_grown = grownHere;
    // The rows shown, perhaps with new ones after them: no row changes its place.
    const bool grown =
        rowsOf == current && listed.size() >= rows.size()
        && std::equal(rows.begin(), rows.end(), listed.begin(),
                      [](const auto &a, const auto &b) { return a.index == b.index; });
    if (grown) {
        const int before = static_cast<int>(rows.size());
        const int after = static_cast<int>(listed.size());
        if (after > before)
            beginInsertRows({}, before, after - 1);
        rows = std::move(listed);
        rowKinds = std::move(kinds);
        rowGrowth = std::move(growth);
        if (after > before)
            endInsertRows();
        if (before > 0)
            Q_EMIT dataChanged(index(0), index(before - 1));
    } else {
        beginResetModel();
        rows = std::move(listed);
        rowKinds = std::move(kinds);
        rowGrowth = std::move(growth);
        rowsOf = current;
        endResetModel();
    }
    Q_EMIT totalsChanged();
    if (growthMoved)
        Q_EMIT growthChanged();
}

void SpaceModel::open(int id)
{
    if (!tree || id < 0)
        return;
    const SpaceTree::Entry entry = tree->entry(static_cast<SpaceTree::Index>(id));
    if (entry.index == SpaceTree::noEntry || !entry.folder || entry.otherMount)
        return;
    lookAt(entry.index);
}

void SpaceModel::lookAt(SpaceTree::Index folder)
{
    if (folder != current)
        clearFilter();
    current = folder;
    lookedAt = tree->path(current);
    Q_EMIT folderChanged();
    reload();
}

void SpaceModel::up()
{
    if (!tree || current == SpaceTree::rootIndex)
        return;
    const SpaceTree::Entry entry = tree->entry(current);
    if (entry.parent == SpaceTree::noEntry)
        return;
    lookAt(entry.parent);
}

int SpaceModel::rowOf(int id) const
{
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (static_cast<int>(rows[row].index) == id)
            return static_cast<int>(row);
    }
    return -1;
}

bool SpaceModel::actionable(int id) const
{
    return tree && !tree->isScan() && rowOf(id) >= 0;
}

void SpaceModel::reveal(int id)
{
    if (!actionable(id))
        return;
    const int row = rowOf(id);
    services.desktop->revealFile(tree->path(rows[static_cast<std::size_t>(row)].index),
                                 [this, alive = QPointer(this)](std::optional<QString> error) {
                                     if (alive && error)
                                         report([text = *error] { return failedText(text); }, true);
                                 });
}

QString SpaceModel::trashRefusal(int id) const
{
    const int row = rowOf(id);
    if (!tree || row < 0)
        return {};
    if (tree->isScan())
        return QStringLiteral("savedScan");
    const SpaceTree::Entry &entry = rows[static_cast<std::size_t>(row)];
    const auto why = Engine::whyNotToTheTrash(tree->path(entry.index), entry.kind);
    if (!why)
        return {};
    switch (*why) {
    case Engine::SpaceMoveRefusal::homeOrAbove:
        return QStringLiteral("homeOrAbove");
    case Engine::SpaceMoveRefusal::trash:
        return QStringLiteral("trash");
    case Engine::SpaceMoveRefusal::baseFolder:
        return QStringLiteral("baseFolder");
    case Engine::SpaceMoveRefusal::keysPlace:
        return QStringLiteral("keysPlace");
    case Engine::SpaceMoveRefusal::cleanedInItsPane:
        return QStringLiteral("cleanedInItsPane");
    }
    return {};
}

bool SpaceModel::trash(int id)
{
    if (!actionable(id) || m_walking)
        return false;
    const int row = rowOf(id);
    const SpaceTree::Entry entry = rows[static_cast<std::size_t>(row)];
    const std::filesystem::path path = tree->path(entry.index);
    if (Settings::instance().demo()) {
        report(
            [] {
                return bilingual("Mode demo: tidak ada yang dipindah.",
                                 "Demo mode: nothing was moved.");
            },
            false);
        return false;
    }
    const std::filesystem::path trashFolder = Engine::homeTrashFolder();
    // The window says why before offering the move; asked anyway, it is refused the same way.
    if (!trashRefusal(id).isEmpty()) {
        report(
            [] {
                return bilingual("Ini tidak dipindah ke Trash dari peta.",
                                 "The map does not move this to the Trash.");
            },
            true);
        return false;
    }
    const QString name = isolatedName(Engine::displayPath(path.filename()));
    if (!services.confirmation->confirm(
            bilingual("Pindahkan ke Trash?", "Move to the Trash?"),
            bilingual(QStringLiteral("%1 (%2). Ruangnya belum kembali sampai Trash dikosongkan; "
                                     "sampai saat itu masih bisa dikembalikan."),
                      QStringLiteral("%1 (%2). No space comes back until the Trash is emptied; "
                                     "until then it can still be put back."))
                .arg(name, fmt(entry.size)),
            bilingual("Ke Trash", "Move to Trash")))
        return false;
    // What goes is the entry measured: not a link or another folder put at its path meanwhile.
    if (!tree->stillAsMeasured(entry.index)) {
        report(
            [name] {
                return failedText(
                    bilingual(QStringLiteral("%1 sudah berubah sejak diukur; tidak "
                                             "dipindah. Ukur ulang dulu."),
                              QStringLiteral("%1 changed since it was measured and "
                                             "was not moved. Measure it again first."))
                        .arg(name));
            },
            true);
        return false;
    }
    const auto moving = Trash::aboutToMove(path);
    if (const auto error = services.trash->moveToTrash(path)) {
        report([text = *error] { return failedText(text); }, true);
        return false;
    }
    Engine::log("ruang: trash " + Engine::displayPath(path));
    tree->forget(entry.index);
    report(
        [name] {
            return bilingual(QStringLiteral(
                                 "%1 dipindah ke Trash. Kosongkan Trash supaya ruangnya kembali."),
                             QStringLiteral(
                                 "%1 moved to the Trash. Empty the Trash to get the space back."))
                .arg(name);
        },
        false);
    undoable(moving, path, name);
    reload();
    // The entry left its folder, already counted out; the Trash grew, and only it is measured
    // again (or, made by this move, only what was made).
    if (Engine::isSameOrInside(trashFolder, tree->root()))
        measureAgain({trashFolder});
    else
        Q_EMIT settled();
    return true;
}

void SpaceModel::setMarkKept(SpaceTree::Index index, bool kept)
{
    const SpaceTree::Entry entry = tree->entry(index);
    const std::filesystem::path path = tree->path(index);
    const auto mark = std::find_if(marks.begin(), marks.end(), [&path](const auto &m) {
        return Engine::withoutTrailingSlash(m.path) == path;
    });
    bool saved = false;
    if (mark != marks.end()
        && (entry.kind == SpaceKind::developer || entry.kind == SpaceKind::cacheTag)) {
        QStringList present;
        for (const Engine::SpaceMark &m : marks)
            present << m.owner;
        saved = kept ? Engine::keepDev(mark->owner, present).ok()
                     : Engine::releaseDev(mark->owner).ok();
    } else if (mark != marks.end() && entry.kind == SpaceKind::project) {
        const std::filesystem::path project = mark->owner.toStdString();
        const Engine::KeepChange change =
            kept ? Engine::keepProject(project) : Engine::releaseProject(project);
        saved = change == Engine::KeepChange::done || change == Engine::KeepChange::notKept;
    } else {
        saved = kept ? Engine::keepSpace(path) : Engine::releaseSpace(path);
    }
    if (!saved) {
        report(
            [] {
                return failedText(
                    bilingual("pengaturan tidak tersimpan", "the settings were not saved"));
            },
            true);
        return;
    }
    tree->setKept(index, kept);
    reload();
}

void SpaceModel::keep(int id)
{
    const int row = rowOf(id);
    if (actionable(id) && rows[static_cast<std::size_t>(row)].kind != SpaceKind::none)
        setMarkKept(rows[static_cast<std::size_t>(row)].index, true);
}

void SpaceModel::release(int id)
{
    const int row = rowOf(id);
    if (actionable(id) && rows[static_cast<std::size_t>(row)].kept)
        setMarkKept(rows[static_cast<std::size_t>(row)].index, false);
}

void SpaceModel::setApparent(bool apparent)
{
    if (view.apparent == apparent)
        return;
    view.apparent = apparent;
    Q_EMIT viewChanged();
    rowsOf = SpaceTree::noEntry; // sorted again, even while walking
    reload();
}

QString SpaceModel::order() const
{
    switch (view.order) {
    case Engine::SpaceOrder::size:
        return view.byGrowth ? QStringLiteral("grown") : QStringLiteral("size");
    case Engine::SpaceOrder::name:
        return QStringLiteral("name");
    case Engine::SpaceOrder::count:
        return QStringLiteral("count");
    case Engine::SpaceOrder::age:
        return QStringLiteral("age");
    }
    return {};
}

void SpaceModel::setOrder(const QString &order)
{
    // By growth, and by size among equals.
    const bool byGrowth = order == QLatin1String("grown");
    const auto named =
        byGrowth ? Engine::SpaceOrder::size : Engine::spaceOrderNamed(order.toStdString());
    if (!named || (*named == view.order && byGrowth == view.byGrowth))
        return;
    view.order = *named;
    view.byGrowth = byGrowth;
    Q_EMIT viewChanged();
    rowsOf = SpaceTree::noEntry;
    reload();
}

void SpaceModel::setFilter(const QString &filter)
{
    if (view.filter == filter)
        return;
    view.filter = filter;
    Q_EMIT viewChanged();
    reload();
}

void SpaceModel::clearFilter()
{
    if (view.filter.isEmpty())
        return;
    view.filter.clear();
    Q_EMIT viewChanged();
}

QString SpaceModel::countText(double count) const
{
    return spaceCountText(static_cast<qint64>(count));
}

QString SpaceModel::ageText(double newest) const
{
    return spaceAgeText(static_cast<qint64>(newest), QDateTime::currentSecsSinceEpoch());
}

QString SpaceModel::timeText(double seconds) const
{
    return spaceTimeText(static_cast<qint64>(seconds));
}
