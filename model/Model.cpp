#include "Model.h"

#include "ActivityLog.h"
#include "EngineWords.h"
#include "Paths.h"
#include "Settings.h"
#include "SystemProbes.h"
#include "Text.h"

#include <QMetaEnum>

#include <utility>

namespace {

template<typename T> QVariantMap variantMap(const QMap<QString, T> &map)
{
    QVariantMap variants;
    for (auto it = map.begin(); it != map.end(); ++it)
        variants.insert(it.key(), it.value());
    return variants;
}

} // namespace

Model::Model(Services services_, QObject *parent) : QObject(parent), services(std::move(services_))
{
    // Derived values notify when a field they read changes.
    connect(this, &Model::freeChanged, this, &Model::spaceChanged);
    connect(this, &Model::totalChanged, this, &Model::spaceChanged);
    connect(this, &Model::swapBytesChanged, this, &Model::suggestRestartChanged);
    connect(this, &Model::bootDateChanged, this, &Model::suggestRestartChanged);
    connect(this, &Model::bootDateChanged, this, &Model::uptimeChanged);
    connect(this, &Model::sizesChanged, this, &Model::visibleQuickChanged);
    connect(this, &Model::statusesChanged, this, &Model::visibleQuickChanged);
    connect(this, &Model::advChanged, this, &Model::rebuildAdvItems);
    connect(this, &Model::mauInstalledChanged, this, &Model::rebuildAdvItems);
    connect(this, &Model::msAppsChanged, this, &Model::rebuildAdvItems);
    connect(&Settings::instance(), &Settings::languageChanged, this, &Model::rebuildAdvItems);
    // Other folders: searched at once. Another idle limit: the same projects counted anew.
    connect(&Settings::instance(), &Settings::projectRootsChanged, this, [this] {
        Q_EMIT projectFoldersChanged();
        refresh();
    });
    connect(&Settings::instance(), &Settings::projectIdleDaysChanged, this,
            &Model::projectsChanged);
    // The result is said again in the new language.
    connect(&Settings::instance(), &Settings::languageChanged, this, [this] {
        if (m_result)
            Q_EMIT resultChanged();
    });
    m_advItems = buildAdvItems();

    // The lists follow the fields they show.
    connect(this, &Model::downloadsChanged, this, &Model::fillFileLists);
    connect(this, &Model::appsChanged, this, &Model::fillFileLists);
    connect(this, &Model::visibleQuickChanged, this, &Model::fillQuickLists);
    connect(this, &Model::advItemsChanged, this, [this] { m_advItemList.set(m_advItems); });
    connect(this, &Model::devItemsChanged, this, &Model::fillDevLists);
    connect(this, &Model::projectsChanged, this, &Model::fillProjectLists);
    for (auto fill : {&Model::fillQuickLists, &Model::fillDevLists, &Model::fillProjectLists})
        connect(&Settings::instance(), &Settings::languageChanged, this, fill);
    fillQuickLists();
    m_advItemList.set(m_advItems);

    // The picture over time follows the walks the map records.
    connect(&m_space, &SpaceModel::historyChanged, &m_history, &SpaceHistoryModel::reload);
    connect(&rescanTimer, &QTimer::timeout, this, &Model::refresh);
    undoTimer.setSingleShot(true);
    connect(&undoTimer, &QTimer::timeout, this, [this] {
        m_undo.reset();
        Q_EMIT resultChanged();
    });
}

void Model::start(std::chrono::milliseconds rescanEvery, FirstScan first)
{
    // One statvfs call: the first frame shows the real free space, not "0 MB of 0 MB", while
    // the scan measures the rest.
    if (!demo()) {
        const Engine::DiskSpace disk = Engine::disk();
        setFreeAndTotal(disk.free, disk.total);
    }
    if (first == FirstScan::whenAsked && !demo()) {
        // Under way as far as the views can tell, so none shows an unmeasured 0 B; a refresh
        // asked for meanwhile is dropped as during any scan.
        firstScanWaits = true;
        setScanning(true);
        setScanningAdv(true);
    } else {
        refresh();
    }
    if (demo())
        startDemo();
    rescanTimer.start(rescanEvery);
}

void Model::beginFirstScan()
{
    if (std::exchange(firstScanWaits, false))
        runScan();
}

Model::~Model() = default;

void Model::setPane(Pane pane)
{
    assign(m_pane, pane, &Model::paneChanged);
}

QString Model::paneKey() const
{
    return QString::fromLatin1(QMetaEnum::fromType<Pane>().valueToKey(int(m_pane)));
}

void Model::setPaneKey(const QString &key)
{
    bool ok = false;
    const int value = QMetaEnum::fromType<Pane>().keyToValue(key.toLatin1().constData(), &ok);
    if (ok)
        setPane(Pane(value));
}

void Model::setShowSettings(bool show)
{
    assign(m_showSettings, show, &Model::showSettingsChanged);
}

void Model::setFreeAndTotal(qint64 free, qint64 total)
{
    assign(m_free, free, &Model::freeChanged);
    assign(m_total, total, &Model::totalChanged);
}

void Model::setSizes(QMap<QString, qint64> sizes)
{
    assign(m_sizes, std::move(sizes), &Model::sizesChanged);
}

void Model::setStatuses(QMap<QString, TargetStatus> statuses)
{
    assign(m_statuses, std::move(statuses), &Model::statusesChanged);
}

void Model::setWarnings(QStringList warnings)
{
    assign(m_warnings, std::move(warnings), &Model::warningsChanged);
}

void Model::setAdvValue(const QString &key, qint64 value)
{
    if (m_adv.contains(key) && m_adv.value(key) == value)
        return;
    m_adv.insert(key, value);
    Q_EMIT advChanged();
}

void Model::setDownloads(std::vector<FileItem> items)
{
    m_downloads = std::move(items); // fresh records carry fresh ids: always a change
    Q_EMIT downloadsChanged();
}

void Model::setApps(std::vector<FileItem> items)
{
    m_apps = std::move(items);
    Q_EMIT appsChanged();
}

void Model::setMauInstalled(bool installed)
{
    assign(m_mauInstalled, installed, &Model::mauInstalledChanged);
}

void Model::setMsApps(QStringList apps)
{
    assign(m_msApps, std::move(apps), &Model::msAppsChanged);
}

void Model::setScanning(bool scanning)
{
    assign(m_scanning, scanning, &Model::scanningChanged);
}

void Model::setScanningAdv(bool scanning)
{
    assign(m_scanningAdv, scanning, &Model::scanningAdvChanged);
}

void Model::setBusy(bool busy)
{
    assign(m_busy, busy, &Model::busyChanged);
}

Model::LiveText Model::pair(const QString &indonesian, const QString &english)
{
    return [indonesian, english] { return bilingual(indonesian, english); };
}

Model::LiveText Model::failedWith(const Engine::Failure &failure)
{
    return [failure] { return failedText(failure.text()); };
}

Model::LiveText Model::failedWith(const QString &error)
{
    return [error] { return failedText(error); };
}

Model::LiveText Model::freedWith(qint64 bytes)
{
    return [bytes] {
        return bilingual(QStringLiteral("%1 dibebaskan."), QStringLiteral("%1 freed."))
            .arg(fmt(bytes));
    };
}

void Model::setResult(std::optional<Result> result)
{
    // Each new result is announced, even one that reads as the last did: it is news again.
    if (!result && !m_result)
        return;
    // A new result, or none: the last move to the Trash is no longer offered for undoing.
    m_undo.reset();
    undoTimer.stop();
    m_result = std::move(result);
    Q_EMIT resultChanged();
}

void Model::setResult(Pane pane, LiveText subject, LiveText text, ResultKind kind)
{
    setResult(Result{pane, std::move(subject), std::move(text), kind});
}

QString Model::result() const
{
    if (!m_result)
        return {};
    const QString text = m_result->text ? m_result->text() : QString();
    const QString subject = m_result->subject ? m_result->subject() : QString();
    return subject.isEmpty() ? text : subject + QStringLiteral(": ") + text;
}

QString Model::resultPane() const
{
    if (!m_result)
        return {};
    return QString::fromLatin1(QMetaEnum::fromType<Pane>().valueToKey(int(m_result->pane)));
}

void Model::setSwapBytes(qint64 bytes)
{
    assign(m_swapBytes, bytes, &Model::swapBytesChanged);
}

void Model::setBootDate(QDateTime date)
{
    assign(m_bootDate, std::move(date), &Model::bootDateChanged);
}

double Model::uptime() const
{
    return m_bootDate.msecsTo(QDateTime::currentDateTimeUtc()) / 1000.0;
}

bool Model::restartAdvised(qint64 swapBytes, double uptimeSeconds)
{
    return swapBytes > 1'999'999'999 || uptimeSeconds >= 259'200;
}

bool Model::lowSpace(qint64 free, qint64 total)
{
    return total >= 1 && free < 10'000'000'000;
}

double Model::usedFractionOf(qint64 free, qint64 total)
{
    if (total < 1)
        return 0;
    return static_cast<double>(total - free) / static_cast<double>(total);
}

bool Model::suggestRestart() const
{
    return restartAdvised(m_swapBytes, uptime());
}

qint64 Model::quickTotal() const
{
    qint64 total = 0;
    for (qint64 size : m_sizes)
        total += size;
    return total;
}

double Model::usedFraction() const
{
    return usedFractionOf(m_free, m_total);
}

bool Model::isLow() const
{
    return lowSpace(m_free, m_total);
}

QList<CacheTarget> Model::visibleQuick() const
{
    QList<CacheTarget> visible;
    for (CacheTarget &target : quickTargets()) {
        if (m_sizes.value(target.id) > 0 || m_statuses.contains(target.id))
            visible.append(std::move(target));
    }
    return visible;
}

bool Model::demo() const
{
    return Settings::instance().demo();
}

QVariantMap Model::sizesMap() const
{
    return variantMap(m_sizes);
}

QVariantMap Model::statusesMap() const
{
    QVariantMap texts;
    for (auto it = m_statuses.begin(); it != m_statuses.end(); ++it)
        texts.insert(it.key(), it->text());
    return texts;
}

QVariantMap Model::advMap() const
{
    return variantMap(m_adv);
}

void Model::fillFileLists()
{
    m_downloadList.set(m_downloads);
    m_appList.set(m_apps);
}

void Model::fillQuickLists()
{
    QMap<QString, QString> statusTexts;
    for (auto it = m_statuses.begin(); it != m_statuses.end(); ++it)
        statusTexts.insert(it.key(), it->text());
    m_visibleQuickList.set(visibleQuick(), m_sizes, statusTexts);
    m_devQuickCacheList.set(quickTargets(), m_sizes);
}

void Model::fillDevLists()
{
    m_devItemList.set(m_devItems, false);
    m_keptDevItemList.set(m_devItems, true);
}

void Model::fillProjectLists()
{
    m_projectList.set(m_projects, false);
    m_keptProjectList.set(m_projects, true);
}

void Model::rebuildAdvItems()
{
    m_advItems = buildAdvItems();
    Q_EMIT advItemsChanged();
}

QStringList Model::logLines() const
{
    return Engine::logLines();
}
