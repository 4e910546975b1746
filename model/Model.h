#pragma once

#include "AdvItem.h"
#include "AdvItemList.h"
#include "AppIcons.h"
#include "AutoClean.h"
#include "BackgroundTasks.h"
#include "CacheTarget.h"
#include "DevCacheList.h"
#include "DevItem.h"
#include "DevQuickCacheList.h"
#include "Failure.h"
#include "FileItemList.h"
#include "LargeItems.h"
#include "LoginSwitch.h"
#include "ProjectItem.h"
#include "ProjectList.h"
#include "QuickTargetList.h"
#include "Services.h"
#include "Settings.h"
#include "SpaceHistoryModel.h"
#include "SpaceModel.h"

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

// The one state object of the application: every measured value, the scan that fills them, and
// every action the user can take. Fields are read and written on the main thread only; disk
// work runs in background tasks that hand their results back. Each field notifies only when its
// value really changes. Views read the properties and call the invokable operations, passing
// record ids, never paths.
//
// Byte counts are properties of type double for QML, whose numbers are doubles anyway.
class Model : public QObject {
    Q_OBJECT
    Q_PROPERTY(double free READ freeBytes NOTIFY freeChanged)
    Q_PROPERTY(double total READ totalBytes NOTIFY totalChanged)
    Q_PROPERTY(QVariantMap sizes READ sizesMap NOTIFY sizesChanged)
    Q_PROPERTY(QVariantMap statuses READ statusesMap NOTIFY statusesChanged)
    Q_PROPERTY(QVariantMap adv READ advMap NOTIFY advChanged)
    // The lists, each its own model of rows with named roles; see model/lists.
    Q_PROPERTY(RecordList *downloads READ downloadList CONSTANT)
    Q_PROPERTY(RecordList *apps READ appList CONSTANT)
    Q_PROPERTY(bool mauInstalled READ mauInstalled NOTIFY mauInstalledChanged)
    Q_PROPERTY(QStringList msApps READ msApps NOTIFY msAppsChanged)
    Q_PROPERTY(bool scanning READ scanning NOTIFY scanningChanged)
    Q_PROPERTY(bool scanningAdv READ scanningAdv NOTIFY scanningAdvChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    // How far the quick clean is, 0 to 1 (targets done of targets); -1 when none runs.
    Q_PROPERTY(double cleanProgress READ cleanProgress NOTIFY cleanProgressChanged)
    // The last action's result, made in the language of the moment: what it is about, then
    // what came of it ("Cargo registry: 20 MB freed.").
    Q_PROPERTY(QString result READ result NOTIFY resultChanged)
    // The pane whose action made it, by its stored name: only that pane shows it.
    Q_PROPERTY(QString resultPane READ resultPane NOTIFY resultChanged)
    // Whether the last result, a move to the Trash, can still be undone (for `undoWindow`).
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY resultChanged)
    Q_PROPERTY(ResultKind resultKind READ resultKind NOTIFY resultChanged)
    // Whether the last action did all it set out to do.
    Q_PROPERTY(bool resultDone READ resultDone NOTIFY resultChanged)
    // Lines about the environment that the user should know of (a base folder that was refused).
    Q_PROPERTY(QStringList warnings READ warnings NOTIFY warningsChanged)
    Q_PROPERTY(Pane pane READ pane WRITE setPane NOTIFY paneChanged)
    // The pane by its stored name ("cepat", "lanjutan", …), for the views.
    Q_PROPERTY(QString paneKey READ paneKey WRITE setPaneKey NOTIFY paneChanged)
    Q_PROPERTY(bool showSettings READ showSettings WRITE setShowSettings NOTIFY showSettingsChanged)
    Q_PROPERTY(double swapBytes READ swapBytes NOTIFY swapBytesChanged)
    Q_PROPERTY(QDateTime bootDate READ bootDate NOTIFY bootDateChanged)
    // Derived values.
    Q_PROPERTY(double uptime READ uptime NOTIFY uptimeChanged)
    Q_PROPERTY(bool suggestRestart READ suggestRestart NOTIFY suggestRestartChanged)
    Q_PROPERTY(double quickTotal READ quickTotal NOTIFY sizesChanged)
    Q_PROPERTY(double usedFraction READ usedFraction NOTIFY spaceChanged)
    Q_PROPERTY(bool isLow READ isLow NOTIFY spaceChanged)
    Q_PROPERTY(RecordList *visibleQuick READ visibleQuickList CONSTANT)
    Q_PROPERTY(RecordList *advItems READ advItemList CONSTANT)
    // The developer caches found by the last scan: those offered, and those kept apart.
    Q_PROPERTY(RecordList *devItems READ devItemList CONSTANT)
    Q_PROPERTY(RecordList *keptDevItems READ keptDevItemList CONSTANT)
    Q_PROPERTY(int devCount READ devCount NOTIFY devItemsChanged) // offered, not kept
    // The quick clean's developer caches with what each gives back, named in the developer pane;
    // their bytes are counted by the quick clean only.
    Q_PROPERTY(RecordList *devQuickCaches READ devQuickCacheList CONSTANT)
    // The projects with artifacts found by the last scan, the largest first: those offered, and
    // those kept apart.
    Q_PROPERTY(RecordList *projects READ projectList CONSTANT)
    Q_PROPERTY(RecordList *keptProjects READ keptProjectList CONSTANT)
    Q_PROPERTY(int projectCount READ projectCount NOTIFY projectsChanged) // offered, not kept
    // What cleaning the idle projects would give back, and how many they are.
    Q_PROPERTY(double idleProjectsSize READ idleProjectsSize NOTIFY projectsChanged)
    Q_PROPERTY(int idleProjectsCount READ idleProjectsCount NOTIFY projectsChanged)
    Q_PROPERTY(int projectIdleDays READ projectIdleDays NOTIFY projectsChanged)
    // The project folders as the settings list them ("~/src"): the setting's, or while it names
    // none the usual ones searched in its place.
    Q_PROPERTY(QStringList projectFolders READ projectFolders NOTIFY projectFoldersChanged)
    // Where a folder chooser starts.
    Q_PROPERTY(QUrl homeFolderUrl READ homeFolderUrl CONSTANT)
    // The folders really searched: those of the list that exist.
    Q_PROPERTY(
        QStringList searchedProjectFolders READ searchedProjectFolders NOTIFY projectFoldersChanged)
    Q_PROPERTY(QStringList usualProjectFolders READ usualProjectFolders CONSTANT)
    Q_PROPERTY(bool demo READ demo CONSTANT) // the setting, read when the program started
    Q_PROPERTY(AutoClean *autoClean READ autoClean CONSTANT) // the quick clean on a timer
    // The views reach the settings and the login item through the model.
    Q_PROPERTY(Settings *settings READ settings CONSTANT)
    Q_PROPERTY(LoginSwitch *login READ login CONSTANT)
    Q_PROPERTY(SpaceModel *space READ space CONSTANT) // what fills the disk: the space map
    // The home's used and free space over the last days, with the cleans.
    Q_PROPERTY(SpaceHistoryModel *history READ history CONSTANT)

public:
    enum class Pane {
        cepat,
        lanjutan,
        pengembang,
        proyek,
        downloads,
        aplikasi,
        log,
        pengaturan,
        ruang
    };
    Q_ENUM(Pane)
    // How the last action ended: the views mark anything but `done`.
    enum class ResultKind { done, cancelled, skipped, partlyFailed, failed };
    Q_ENUM(ResultKind)

    // Why a target of the quick clean was skipped or partly left, as data; `text()` in the
    // language of the moment.
    enum class StatusKind { skipped, partlyFailed };
    Q_ENUM(StatusKind)
    struct TargetStatus {
        StatusKind kind = StatusKind::skipped;
        QString app;                            // skipped: the application that is open
        std::optional<Engine::Failure> failure; // partly failed: the last failure
        QString text() const;
        bool operator==(const TargetStatus &) const = default;
    };
    static QString kindName(StatusKind kind);

    // A text made when it is read, in the language of that moment: a result keeps its figures
    // and says them again after a change of language.
    using LiveText = std::function<QString()>;
    // The pair, picked when read.
    static LiveText pair(const QString &indonesian, const QString &english);
    // "Failed: " and the failure, said when read.
    static LiveText failedWith(const Engine::Failure &failure);
    static LiveText failedWith(const QString &error);
    // "20 MB freed."
    static LiveText freedWith(qint64 bytes);
    // A result: the pane whose action made it, what it is about (none when the text names it)
    // and what came of it.
    struct Result {
        Pane pane = Pane::cepat;
        LiveText subject;
        LiveText text;
        ResultKind kind = ResultKind::done;
    };

    // Starts nothing: a caller that only cleans (the terminal tool) needs no scan.
    explicit Model(Services services = linuxServices(), QObject *parent = nullptr);
    ~Model() override;

    // Reads the free space at once, starts the first scan (or loads the sample data in demo
    // mode), runs the demo start-up steps when demo mode is on, and re-scans every
    // `rescanEvery`. With `FirstScan::whenAsked` the scan shows as under way but waits for
    // beginFirstScan(): a window lets its first frame come first.
    enum class FirstScan { now, whenAsked };
    void start(std::chrono::milliseconds rescanEvery = std::chrono::minutes(30),
               FirstScan first = FirstScan::now);
    void beginFirstScan();

    qint64 freeBytes() const { return m_free; }
    qint64 totalBytes() const { return m_total; }
    const QMap<QString, qint64> &sizes() const { return m_sizes; }
    const QMap<QString, TargetStatus> &statuses() const { return m_statuses; }
    const QMap<QString, qint64> &adv() const { return m_adv; }
    const std::vector<FileItem> &downloads() const { return m_downloads; }
    const std::vector<FileItem> &apps() const { return m_apps; }
    bool mauInstalled() const { return m_mauInstalled; }
    QStringList msApps() const { return m_msApps; }
    bool scanning() const { return m_scanning; }
    bool scanningAdv() const { return m_scanningAdv; }
    bool busy() const { return m_busy; }
    double cleanProgress() const { return m_cleanProgress; }
    QString result() const; // a null text while there is none
    QString resultPane() const;
    const std::optional<Result> &lastResult() const { return m_result; }
    ResultKind resultKind() const { return m_result ? m_result->kind : ResultKind::done; }
    bool resultDone() const { return resultKind() == ResultKind::done; }
    bool canUndo() const { return m_undo.has_value(); }
    static constexpr std::chrono::seconds undoWindow{10};
    QStringList warnings() const { return m_warnings; }
    Pane pane() const { return m_pane; }
    void setPane(Pane pane);
    QString paneKey() const;
    void setPaneKey(const QString &key);
    bool showSettings() const { return m_showSettings; }
    void setShowSettings(bool show);
    qint64 swapBytes() const { return m_swapBytes; }
    QDateTime bootDate() const { return m_bootDate; }

    double uptime() const;
    bool suggestRestart() const;
    qint64 quickTotal() const;
    double usedFraction() const;
    bool isLow() const;
    QList<CacheTarget> visibleQuick() const;
    // Built anew when what they show changes (the measures, the updater, the language).
    const std::vector<AdvItem> &advItems() const { return m_advItems; }
    const std::vector<DevItem> &devItems() const { return m_devItems; }
    int devCount() const;
    using ProjectItem = ::ProjectItem;
    const std::vector<ProjectItem> &projects() const { return m_projects; }
    int projectCount() const;
    qint64 idleProjectsSize() const;
    int idleProjectsCount() const;
    int projectIdleDays() const;
    QStringList projectFolders() const;
    QStringList searchedProjectFolders() const;
    // The usual project folders, as "~/src", …, for when none of them exists.
    QStringList usualProjectFolders() const;
    // A folder chosen by the user joins the list, which then no longer follows the usual ones;
    // false when it is no local folder or is listed already.
    Q_INVOKABLE bool addProjectFolder(const QUrl &folder);
    QUrl homeFolderUrl() const;
    // The folder chooser could not be opened (a part of Qt it needs is missing): said in the
    // window, with the other way to add a folder.
    Q_INVOKABLE void folderChooserFailed();
    // The list's entry at `index` leaves it; with none left the usual folders are searched.
    Q_INVOKABLE void removeProjectFolder(int index);
    // The projects under the roots now, measured, kept as the setting says. Blocks.
    static std::vector<ProjectItem> measureProjects();
    bool demo() const;
    AutoClean *autoClean() { return &m_autoClean; }
    Settings *settings() const { return &Settings::instance(); }
    LoginSwitch *login() { return &m_login; }
    // The icon of the first installed application named one of `names`; "" when none.
    Q_INVOKABLE QString appIcon(const QStringList &names) { return m_appIcons.iconFor(names); }
    // The activity log's newest entries, newest first, read afresh at each call.
    Q_INVOKABLE QStringList logLines() const;
    // The lists as the views read them, owned by the model.
    FileItemList *downloadList() { return &m_downloadList; }
    FileItemList *appList() { return &m_appList; }
    QuickTargetList *visibleQuickList() { return &m_visibleQuickList; }
    AdvItemList *advItemList() { return &m_advItemList; }
    DevCacheList *devItemList() { return &m_devItemList; }
    DevCacheList *keptDevItemList() { return &m_keptDevItemList; }
    DevQuickCacheList *devQuickCacheList() { return &m_devQuickCacheList; }
    ProjectList *projectList() { return &m_projectList; }
    ProjectList *keptProjectList() { return &m_keptProjectList; }
    SpaceModel *space() { return &m_space; }
    SpaceHistoryModel *history() { return &m_history; }

    // The first of `names`, in order, that is running now; none for an empty list.
    std::optional<QString> blocked(const QStringList &names) const;

    // The quick clean's rule, shared with what previews it: the first of the target's blockers
    // that runs.
    static std::optional<QString> firstBlocker(const CacheTarget &target,
                                               const QSet<QString> &running);

    // The quick clean of only these folders (as the targets resolved them when they were shown
    // to the user): never more than was shown, and only what still resolves the same way now.
    void cleanQuickOf(const std::vector<std::filesystem::path> &shown);
    // The quick clean runs for the timer, not the user: its log line says "otomatis".
    void setScheduledRun(bool on) { scheduledRun = on; }
    // Moves a listed item to the Trash: an application image as an application, anything else
    // as a download, each behind its confirmation.
    void trash(const FileItem &item);

    // The rules behind the derived values.
    static bool restartAdvised(qint64 swapBytes, double uptimeSeconds);
    static bool lowSpace(qint64 free, qint64 total);
    static double usedFractionOf(qint64 free, qint64 total);

    // Where each measured advanced card's folder lies.
    static std::filesystem::path advFolder(const QString &key);

public Q_SLOTS:
    void refresh();
    // "Scan again": the panes and, once it was walked, the space map.
    void scanAgain();
    void cleanQuick();
    void cleanAutoRecovery();
    void removeMAU();
    void emptyTrash();
    void restartMac();
    void showSettingsPage();
    void loadDemo();
    // For the views: the card's action, and the Trash button of a listed item, by id.
    void activateAdvItem(const QString &id);
    // A developer cache's action behind its confirmation; keeping takes it off the offers and
    // the counts, releasing brings it back.
    void activateDevItem(const QString &id);
    void keepDevItem(const QString &id);
    void releaseDevItem(const QString &id);
    // A project's artifacts, or those of every idle project not kept, behind a confirmation.
    void cleanProjectItem(const QString &id);
    void cleanIdleProjects();
    void keepProject(const QString &id);
    void releaseProject(const QString &id);
    void trashItem(const QString &id);
    void revealItem(const QString &id);
    void clearResult() { setResult(std::nullopt); }
    // Puts the item of the last move to the Trash back where it was, when nothing took its
    // place; the result says which.
    void undo();

Q_SIGNALS:
    void freeChanged();
    void totalChanged();
    void sizesChanged();
    void statusesChanged();
    void warningsChanged();
    void advChanged();
    void downloadsChanged();
    void appsChanged();
    void mauInstalledChanged();
    void msAppsChanged();
    void scanningChanged();
    void scanningAdvChanged();
    void busyChanged();
    void cleanProgressChanged();
    void resultChanged();
    void paneChanged();
    void showSettingsChanged();
    void swapBytesChanged();
    void bootDateChanged();
    void suggestRestartChanged();
    // The uptime grows by itself: told at each scan and whenever the boot date changes.
    void uptimeChanged();
    void spaceChanged();
    void visibleQuickChanged();
    void advItemsChanged();
    void devItemsChanged();
    void projectsChanged();
    void projectFoldersChanged();
    // A quick clean has published its result; `freed` is what it gave back.
    void quickCleanFinished(qint64 freed);

protected:
    // Field setters: the model's own work uses them; a view test drives the views through them.
    template<typename T> void assign(T &field, T value, void (Model::*changed)())
    {
        if (field == value)
            return;
        field = std::move(value);
        Q_EMIT(this->*changed)();
    }
    void setFreeAndTotal(qint64 free, qint64 total);
    void setSizes(QMap<QString, qint64> sizes);
    void setStatuses(QMap<QString, TargetStatus> statuses);
    void setWarnings(QStringList warnings);
    void startQuickClean(std::optional<std::vector<std::filesystem::path>> only);
    void setAdvValue(const QString &key, qint64 value);
    void setDownloads(std::vector<FileItem> items);
    void setApps(std::vector<FileItem> items);
    void setMauInstalled(bool installed);
    void setMsApps(QStringList apps);
    void setScanning(bool scanning);
    void setScanningAdv(bool scanning);
    void setBusy(bool busy);
    void setResult(std::optional<Result> result);
    void setResult(Pane pane, LiveText subject, LiveText text, ResultKind kind = ResultKind::done);
    void setSwapBytes(qint64 bytes);
    void setBootDate(QDateTime date);
    void setDevItems(std::vector<DevItem> items);
    void setProjects(std::vector<ProjectItem> items);

private:
    // Shows the confirmation and runs `action` only when the user confirms.
    void ask(const QString &title, const QString &message, const QString &confirmLabel,
             const std::function<void()> &action);
    struct Outcome {
        LiveText text;
        ResultKind kind = ResultKind::done;
    };
    // Runs `work` in the background, logs "lanjutan: <name>: <text>", publishes the outcome
    // about `subject` and scans again.
    // `changed`: what the work may change on disk, measured again in the space map.
    void runAdvanced(const QString &name, LiveText subject, std::function<Outcome()> work,
                     std::vector<std::filesystem::path> changed = {});
    void removeFolder(const QString &name, LiveText subject, const std::filesystem::path &path,
                      const QStringList &blockers, const QString &title, const QString &message);
    void trashApp(const FileItem &item);
    void trashDownload(const FileItem &item);

    const FileItem *findItem(const QString &id) const;
    // Publishes a measured advanced card's size (a scan stage).
    std::function<void(qint64)> publishAdv(const QString &key);

    void moveToTrash(const FileItem &item, const QString &name, const QString &logPrefix);
    // Lists the largest items of the pane again, so that the next one takes a moved item's place.
    void relistLargeItems(Pane pane);
    void startDemo();
    void runScan();
    // The refresh an action owes: run now, or when the scan in progress ends.
    void refreshAfterAction();
    void simulateQuickClean();
    // What a quick clean's result is about.
    static LiveText quickSubject();

    QVariantMap sizesMap() const;
    QVariantMap statusesMap() const;
    QVariantMap advMap() const;
    // Lays the fields over the lists the views read; a change of language rewrites their texts.
    void fillFileLists();
    void fillQuickLists();
    void fillDevLists();
    void fillProjectLists();
    void runDev(const Engine::DevCache &cache);
    std::vector<ProjectItem> idleProjects() const;
    void askToCleanProjects(std::vector<ProjectItem> chosen);
    std::vector<AdvItem> buildAdvItems();
    void rebuildAdvItems();

    Services services;
    BackgroundTasks tasks;
    QTimer rescanTimer;
    // An action's own refresh that came while a scan ran: it runs when that scan ends.
    bool refreshOwed = false;
    bool firstScanWaits = false;
    // How many of the largest downloads and applications are listed.
    static constexpr int largeItemCount = 12;
    bool scheduledRun = false;

    qint64 m_free = 0;
    qint64 m_total = 0;
    QMap<QString, qint64> m_sizes;
    QMap<QString, TargetStatus> m_statuses;
    QStringList m_warnings;
    QMap<QString, qint64> m_adv;
    std::vector<FileItem> m_downloads;
    std::vector<FileItem> m_apps;
    bool m_mauInstalled = false;
    QStringList m_msApps;
    bool m_scanning = false;
    bool m_scanningAdv = false;
    bool m_busy = false;
    double m_cleanProgress = -1;
    std::optional<Result> m_result;
    // What the last move to the Trash needs to be undone, while it may be.
    struct TrashUndo {
        Trash::Entry entry;
        std::filesystem::path original;
        QString name;
        Pane pane = Pane::downloads;
    };
    std::optional<TrashUndo> m_undo;
    QTimer undoTimer;
    // After a move from `original` that `moving` read just before.
    void offerUndo(const std::optional<Trash::Moving> &moving,
                   const std::filesystem::path &original, const QString &name, Pane pane);
    Pane m_pane = Pane::cepat;
    bool m_showSettings = false;
    qint64 m_swapBytes = 0;
    QDateTime m_bootDate = QDateTime::currentDateTimeUtc();
    std::vector<AdvItem> m_advItems;
    std::vector<DevItem> m_devItems;
    std::vector<ProjectItem> m_projects;
    FileItemList m_downloadList{false, this};
    FileItemList m_appList{true, this};
    QuickTargetList m_visibleQuickList{this};
    AdvItemList m_advItemList{this};
    DevCacheList m_devItemList{this};
    DevCacheList m_keptDevItemList{this};
    DevQuickCacheList m_devQuickCacheList{this};
    ProjectList m_projectList{this};
    ProjectList m_keptProjectList{this};
    // The timer runs the terminal program installed beside the window's.
    AutoClean m_autoClean{services.schedule,
                          services.desktop->selfBundle().parent_path() / "ampa-cli", this};
    LoginSwitch m_login{services.desktop, this};
    AppIcons m_appIcons;
    SpaceModel m_space{
        services,
        [this](SpaceModel::Text text, bool failed) {
            setResult(Pane::ruang, {}, std::move(text),
                      failed ? ResultKind::failed : ResultKind::done);
        },
        [this](const std::optional<Trash::Moving> &moving, const std::filesystem::path &original,
               const QString &name) { offerUndo(moving, original, name, Pane::ruang); },
        this};
    SpaceHistoryModel m_history{services.confirmation, this};
};
