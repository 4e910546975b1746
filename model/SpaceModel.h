#pragma once

#include "BackgroundTasks.h"
#include "GrowthList.h"
#include "Services.h"
#include "SpaceHistory.h"
#include "SpaceRows.h"
#include "SpaceTree.h"

#include <QAbstractListModel>
#include <QTimer>
#include <QVariantList>

#include <functional>
#include <memory>

// The space map for the views: the entries of the folder being looked at, the largest first (or
// in the order chosen, by disk use or by apparent size, those whose name holds the filter), with
// what share of the folder each takes and what of it rebuilds by itself. The walk fills the tree
// in the background and the list follows it while it runs. Or the tree is a scan saved elsewhere
// (ncdu's export), shown read only: nothing here acts on an entry of it. Views pass an entry's
// `id` (its index in the tree), never a path.
class SpaceModel : public QAbstractListModel {
    Q_OBJECT
    // The folder looked at, as text, and the way down to it from the walk's root: {id, name}.
    Q_PROPERTY(QString folder READ folder NOTIFY folderChanged)
    Q_PROPERTY(QVariantList crumbs READ crumbs NOTIFY folderChanged)
    Q_PROPERTY(int folderId READ folderId NOTIFY folderChanged)
    // The folder's size in the view chosen (disk use or apparent size); its disk use either way.
    Q_PROPERTY(double total READ total NOTIFY totalsChanged)
    Q_PROPERTY(double totalOnDisk READ totalOnDisk NOTIFY totalsChanged)
    Q_PROPERTY(double reclaimable READ reclaimable NOTIFY totalsChanged)
    // What the folder's reclaimable part is: {kind, bytes}, the largest first.
    Q_PROPERTY(QVariantList parts READ parts NOTIFY totalsChanged)
    Q_PROPERTY(bool walking READ walking NOTIFY walkingChanged)
    // Folders are measured again (after a change), rather than the whole root walked.
    Q_PROPERTY(bool measuringAgain READ measuringAgain NOTIFY walkingChanged)
    Q_PROPERTY(bool started READ started NOTIFY walkingChanged)
    Q_PROPERTY(double walkedEntries READ walkedEntries NOTIFY progressChanged)
    Q_PROPERTY(double walkedBytes READ walkedBytes NOTIFY progressChanged)
    // The rows listed, and the folder's entries before the filter.
    Q_PROPERTY(int count READ count NOTIFY totalsChanged)
    Q_PROPERTY(int entries READ entries NOTIFY totalsChanged)
    // The view: sizes as the bytes the files hold rather than the blocks they take; the order
    // ("size", "name", "count", "age"); a part of the names listed. The view stays when another
    // folder is looked at, but the filter is of one folder: it clears.
    Q_PROPERTY(bool apparent READ apparent WRITE setApparent NOTIFY viewChanged)
    Q_PROPERTY(QString order READ order WRITE setOrder NOTIFY viewChanged)
    Q_PROPERTY(QString filter READ filter WRITE setFilter NOTIFY viewChanged)
    // The tree shown is a saved scan: of the path `folder`'s crumbs start at, read from
    // `scanFile`, made at `scanTime` (seconds; 0 when unknown).
    Q_PROPERTY(bool savedScan READ savedScan NOTIFY scanChanged)
    Q_PROPERTY(QString scanFile READ scanFile NOTIFY scanChanged)
    Q_PROPERTY(double scanTime READ scanTime NOTIFY scanChanged)
    // A saved scan is being read (`reading`: its file, as shown).
    Q_PROPERTY(QString reading READ reading NOTIFY readingChanged)
    // Growth: against the walk before this one ("last") or the one nearest that many days ago
    // (a number); `comparable` once the history holds such a walk of this root, `sinceText`
    // when it was ("since Monday"). The folder looked at grew by `grown` bytes in the view
    // chosen (NaN when not known), `grownText` says so with the time ("+3.2 GB since Monday").
    Q_PROPERTY(QVariant since READ since WRITE setSince NOTIFY growthChanged)
    Q_PROPERTY(bool comparable READ comparable NOTIFY growthChanged)
    Q_PROPERTY(QString sinceText READ sinceText NOTIFY growthChanged)
    Q_PROPERTY(double grown READ grown NOTIFY growthChanged)
    Q_PROPERTY(QString grownText READ grownSinceText NOTIFY growthChanged)
    // The folders that grew most since that walk (see GrowthList).
    Q_PROPERTY(RecordList *grew READ grewList CONSTANT)

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        NameRole,
        SizeRole,        // in the view chosen: disk use or apparent size
        ShareRole,       // of the folder looked at, in the view chosen, 0 to 1
        ReclaimableRole, // bytes that rebuild by themselves
        KindRole,        // the mark's name ("quick", "developer", …), or the largest part's
        FolderRole,
        KeptRole,
        MarkedRole,     // marked itself: it can be kept or released
        OtherMountRole, // another file system: not entered
        UnreadableRole,
        CompleteRole,
        PathRole,          // to show
        OnDiskRole,        // bytes: disk use, whatever the view
        ApparentRole,      // bytes the files hold
        CountRole,         // entries below it (a file: 0)
        NewestRole,        // the newest modification of it and below it, seconds; 0 when unknown
        GrownRole,         // bytes, signed, in the view chosen, since the walk compared with; NaN
                           // when not known
        GrownRebuildsRole, // all of the entry rebuilds by itself, its growth too
    };

    // Made again when the language changes.
    using Text = std::function<QString()>;

    // `report` shows an action's outcome (the result line); `failed` marks it so.
    // `undoable` offers the Undo of a move to the Trash, as the other panes' moves have.
    using Undoable = std::function<void(const std::optional<Trash::Moving> &,
                                        const std::filesystem::path &, const QString &)>;
    SpaceModel(Services services, std::function<void(Text, bool)> report, Undoable undoable,
               QObject *parent = nullptr);
    ~SpaceModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    QString folder() const;
    QVariantList crumbs() const;
    int folderId() const { return static_cast<int>(current); }
    qint64 total() const { return m_total; }
    qint64 totalOnDisk() const { return m_totalOnDisk; }
    qint64 reclaimable() const { return m_reclaimable; }
    QVariantList parts() const { return m_parts; }
    bool walking() const { return m_walking; }
    bool measuringAgain() const { return m_walking && m_again; }
    bool started() const { return tree != nullptr; }
    qint64 walkedEntries() const { return m_progress.entries; }
    qint64 walkedBytes() const { return m_progress.bytes; }
    int count() const { return static_cast<int>(rows.size()); }
    int entries() const { return m_entries; }
    bool apparent() const { return view.apparent; }
    void setApparent(bool apparent);
    QString order() const;
    // Any other name than the four is ignored.
    void setOrder(const QString &order);
    QString filter() const { return view.filter; }
    void setFilter(const QString &filter);
    bool savedScan() const { return tree && tree->isScan(); }
    QString scanFile() const { return savedScan() ? m_scanFile : QString(); }
    qint64 scanTime() const { return savedScan() ? m_scanTime : 0; }
    QString reading() const { return m_reading; }
    QVariant since() const;
    // "last", or a whole number of days from 1 to 3650 (as a number or its text); anything else
    // is ignored.
    void setSince(const QVariant &since);
    bool comparable() const { return compared.has_value(); }
    QString sinceText() const;
    double grown() const;
    QString grownSinceText() const;
    RecordList *grewList() { return &grew; }

    // Reads the saved scan (ncdu's JSON export) at the local file `file` in the background, then
    // shows it in place of what was shown; what was shown stays when it cannot be read, and the
    // result line says why. A walk started meanwhile stops the reading.
    Q_INVOKABLE void openScan(const QUrl &file);
    void openScanAt(const std::filesystem::path &file);
    // Shows a tree read from a saved scan `file`, made at `made` (seconds; 0 when unknown), in
    // place of what was shown; a walk that runs is stopped.
    void showScan(std::unique_ptr<Engine::SpaceTree> scan, const std::filesystem::path &file,
                  qint64 made);
    // The file chooser for a saved scan did not open: the result line says so.
    Q_INVOKABLE void scanChooserFailed();
    // Leaves a saved scan for a walk of the folder walked before it (the home when none was).
    Q_INVOKABLE void closeScan();

    // The texts of a row's count and newest time (NewestRole), in the language chosen now.
    Q_INVOKABLE QString countText(double count) const;
    Q_INVOKABLE QString ageText(double newest) const;
    Q_INVOKABLE QString timeText(double seconds) const;
    // A row's growth ("+3.2 GB", "−1 MB", "no change"); empty for NaN.
    Q_INVOKABLE QString growthText(double bytes) const;

    // Walks `root` (the home when empty), asking the other panes for their marks first; a walk
    // that runs is stopped and its tree dropped.
    Q_INVOKABLE void start(const QString &root = {});
    // Walks the local folder a folder chooser gave; anything else is ignored.
    Q_INVOKABLE void startAt(const QUrl &folder);
    // The mounted volumes the map can look at: path (to start from), name, mountPoint (as
    // shown), total and free bytes.
    Q_INVOKABLE QVariantList volumes() const;
    // Walks the same root again; a saved scan's "again" is a walk of a real folder: closeScan.
    Q_INVOKABLE void rescan();
    // Measures again the entry with this id (the folder looked at, or one of its entries).
    Q_INVOKABLE void remeasure(int id);
    // Measures again what lies at these paths, after another pane changed them; after the walk
    // when one runs. The folder looked at stays the one shown. Nothing, on a saved scan.
    void measureAgain(const std::vector<std::filesystem::path> &paths);
    // The same after a clean of another pane, which changes what the panes offer: their marks
    // are asked again first.
    void cleaned(const std::vector<std::filesystem::path> &paths);
    // Looks at the folder with this id, or the one holding the folder looked at.
    Q_INVOKABLE void open(int id);
    Q_INVOKABLE void up();
    // The row of the entry with this id in the list; -1 when it is not listed.
    Q_INVOKABLE int rowOf(int id) const;
    Q_INVOKABLE void reveal(int id);
    // Why the entry may not go to the Trash ("homeOrAbove", "trash", "baseFolder", "keysPlace",
    // "cleanedInItsPane", "savedScan"); "" when it may.
    Q_INVOKABLE QString trashRefusal(int id) const;
    // Moves the entry to the Trash after the confirmation; then only its folder and the Trash
    // are measured again. False when nothing moved. Reveal, measure again, keep, release and
    // this refuse every entry of a saved scan: nothing on disk is its.
    Q_INVOKABLE bool trash(int id);
    // Keeps a marked entry out of the marks (developer caches and projects through their own
    // keep-lists, shared with their panes), or releases it.
    Q_INVOKABLE void keep(int id);
    Q_INVOKABLE void release(int id);

    // The tree, for tests; null before the first walk.
    std::shared_ptr<const Engine::SpaceTree> spaceTree() const { return tree; }

Q_SIGNALS:
    void folderChanged();
    void totalsChanged();
    void walkingChanged();
    void progressChanged();
    void viewChanged();
    void scanChanged();
    void readingChanged();
    // A walk, a remeasure or the reading of a saved scan has ended and the list shows its result.
    void settled();
    void growthChanged();
    // A walk was recorded in the history.
    void historyChanged();

private:
    // The walk or a measure has ended: the view points at the folder looked at again (by its
    // path, since a folder measured again holds new entries), then what is owed is measured.
    void settle();
    void measureOwed();
    void pointAtLookedAt();
    void reload();
    void poll();
    // `again`: folders measured again, not the whole root walked.
    void setWalking(bool on, bool again = false);
    void setMarkKept(Engine::SpaceTree::Index index, bool kept);
    // Looks at `folder` of the tree: the filter, of the folder left, clears.
    void lookAt(Engine::SpaceTree::Index folder);
    void clearFilter();
    // Whether `id` is an entry an action may touch: listed, and of a walk, not a saved scan.
    bool actionable(int id) const;

    // What the history gives, read in the background (SpaceHistoryWork.cpp).
    struct Comparison {
        Engine::HistoryProblem problem;
        std::vector<Engine::HistoryWalk> walks; // of the root, the newest first
        std::optional<qint64> recorded;         // the walk just recorded
        std::optional<Engine::HistoryWalk> compared;
        std::shared_ptr<const Engine::RecordedSizes> sizes; // of `compared`
        bool recordedNow = false;
    };
    // Records the walk of `tree` that ended when `record`, then reads the walk to compare with:
    // the one nearest `days` ago, or the one before `current` (the walk recorded). Blocks: in the
    // background only, where the history's connection is made and dropped.
    static Comparison readHistory(const Engine::SpaceTree &tree, bool record,
                                  std::optional<qint64> current, std::optional<int> days);
    // Takes what the background read, saying a problem once; `compareWith` shows the growth
    // too.
    void takeHistory(const Comparison &comparison);
    void compareWith(const Comparison &comparison);
    // Reads the walk to compare with again (after `since` changed), in the background.
    void readComparison();
    // Forgets the comparison: a walk starts, a saved scan is shown.
    void dropComparison();
    // The growth of each row and of the folder looked at, and what grew most, again.
    void regrow();
    std::optional<qint64> growthOf(Engine::SpaceTree::Index index) const;

    Services services;
    std::function<void(Text, bool)> report;
    Undoable undoable;
    std::unique_ptr<BackgroundTasks> tasks;
    std::unique_ptr<BackgroundTasks> readingTasks; // the reading of a saved scan
    QTimer pollTimer;
    std::shared_ptr<Engine::SpaceTree> tree;
    std::vector<Engine::SpaceMark> marks; // what the walk was given: whose keep-list a mark is on
    QString rootText;
    std::filesystem::path walkedRoot; // of the last walk, for the way back from a saved scan
    QString m_scanFile;
    qint64 m_scanTime = 0;
    QString m_reading;
    SpaceView view;
    bool rootIsHome = false;
    Engine::SpaceTree::Index current = Engine::SpaceTree::rootIndex;
    std::filesystem::path lookedAt;          // the path of `current`
    std::vector<std::filesystem::path> owed; // to measure again once the work running ends
    bool marksOwed = false;                  // and the marks to ask again first
    std::vector<Engine::SpaceTree::Entry> rows;
    Engine::SpaceTree::Index rowsOf = Engine::SpaceTree::noEntry; // the folder `rows` are of
    std::vector<Engine::SpaceKind> rowKinds;
    qint64 m_total = 0;
    qint64 m_totalOnDisk = 0;
    int m_entries = 0;
    qint64 m_reclaimable = 0;
    QVariantList m_parts;
    bool m_walking = false;
    bool m_again = false; // what runs measures folders again
    Engine::SpaceTree::Progress m_progress;

    std::unique_ptr<BackgroundTasks> historyTasks; // reads the history when `since` changes
    std::optional<int> sinceDays;                  // nothing: the walk before
    std::vector<Engine::HistoryWalk> walks;        // of the root walked, the newest first
    std::optional<qint64> recorded;                // this walk's id in the history
    std::optional<Engine::HistoryWalk> compared;
    std::shared_ptr<const Engine::RecordedSizes> comparedSizes;
    std::vector<std::optional<qint64>> rowGrowth; // beside `rows`
    std::optional<qint64> m_grown;                // of the folder looked at
    GrowthList grew;
    Engine::HistoryProblem shownProblem; // said once on the result line
};
