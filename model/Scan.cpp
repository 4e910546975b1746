// The scan: measures the volume, the quick targets, the advanced cards' folders and the large
// items, and publishes each stage as soon as it is measured.

#include "DevCleaning.h"
#include "EngineWords.h"
#include "Model.h"
#include "Office.h"
#include "Paths.h"
#include "Settings.h"
#include "Stages.h"
#include "SystemProbes.h"
#include "TargetCleaning.h"
#include "TreeSize.h"

#include <utility>

namespace {

struct QuickPart {
    QMap<QString, qint64> sizes;
    QStringList warnings;
    Engine::DiskSpace disk;
    qint64 swap = 0;
    QDateTime boot;
};

struct OfficePart {
    bool mauInstalled = false;
    QStringList apps;
};

QuickPart measureQuickPart()
{
    QuickPart part;
    for (const CacheTarget &target : quickTargets())
        part.sizes.insert(target.id, Engine::size(target));
    part.warnings = baseFolderWarnings();
    part.disk = Engine::disk();
    part.swap = Engine::swapTotal();
    part.boot = Engine::bootDate();
    return part;
}

auto measureFolder(std::filesystem::path path)
{
    return [path = std::move(path)] { return Engine::size(path); };
}

qint64 measureAutoRecovery()
{
    qint64 total = 0;
    for (const std::filesystem::path &copy : Engine::autoRecoverFiles())
        total += Engine::size(copy);
    return total;
}

// The developer caches present now, measured unless kept, with whether their owners run.
std::vector<DevItem> measureDevItems()
{
    return Engine::devEntries();
}

} // namespace

std::filesystem::path Model::advFolder(const QString &key)
{
    if (key == QLatin1String("playwright"))
        return userCacheDir().native() + "ms-playwright";
    if (key == QLatin1String("claudevm"))
        return Engine::url("~/Library/Application Support/Claude/vm_bundles");
    if (key == QLatin1String("whatsapp"))
        return Engine::url("~/Library/Group Containers/group.net.whatsapp.WhatsApp.shared");
    return {};
}

void Model::refresh()
{
    if (demo()) {
        loadDemo();
        return;
    }
    if (m_scanning || m_scanningAdv)
        return; // dropped, not queued
    setScanning(true);
    setScanningAdv(true);
    runScan();
}

void Model::runScan()
{
    // The quick part first: the ring and the button are what the user waits for.
    Stages()
        .then(measureQuickPart,
              [this](QuickPart part) {
                  setSizes(std::move(part.sizes));
                  setWarnings(std::move(part.warnings));
                  setFreeAndTotal(part.disk.free, part.disk.total);
                  setSwapBytes(part.swap);
                  setBootDate(part.boot);
                  // Time has passed since the last scan even when the boot date stayed.
                  Q_EMIT uptimeChanged();
                  Q_EMIT suggestRestartChanged();
                  setScanning(false);
              })
        .then(
            [] {
                return OfficePart{Engine::mauInstalled(), Engine::microsoftAppsInstalled()};
            },
            [this](OfficePart part) {
                setMauInstalled(part.mauInstalled);
                setMsApps(std::move(part.apps));
            })
        .then(measureFolder(advFolder("claudevm")), publishAdv("claudevm"))
        .then(measureFolder(advFolder("playwright")), publishAdv("playwright"))
        .then(measureAutoRecovery, publishAdv("autorecover"))
        .then([] { return Engine::downloadsTop(largeItemCount); },
              [this](std::vector<FileItem> items) { setDownloads(std::move(items)); })
        .then([] { return Engine::appsTop(largeItemCount); },
              [this](std::vector<FileItem> items) { setApps(std::move(items)); })
        .then(measureFolder(advFolder("whatsapp")), publishAdv("whatsapp"))
        .then(measureDevItems,
              [this](std::vector<DevItem> items) { setDevItems(std::move(items)); })
        .then(measureProjects,
              [this](std::vector<ProjectItem> items) { setProjects(std::move(items)); })
        .run(tasks, [this] {
            setScanningAdv(false);
            if (std::exchange(refreshOwed, false))
                refresh();
        });
}

std::function<void(qint64)> Model::publishAdv(const QString &key)
{
    return [this, key](qint64 bytes) { setAdvValue(key, bytes); };
}

void Model::scanAgain()
{
    refresh();
    if (m_space.started())
        m_space.rescan();
}

void Model::refreshAfterAction()
{
    if (m_scanning || m_scanningAdv)
        refreshOwed = true; // this scan may have measured before the action
    else
        refresh();
}
