// The scan: measures the volume, the quick targets, the advanced cards' folders and the large
// items, and publishes each stage as soon as it is measured.

#include "Model.h"
#include "Office.h"
#include "Paths.h"
#include "SystemProbes.h"
#include "TargetCleaning.h"
#include "TreeSize.h"

#include <array>
#include <utility>

namespace {

constexpr int largeItemCount = 12;

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

// The two measured folder cards, in the order the scan publishes them.
const std::array<const char *, 2> advFolderKeys{"claudevm", "playwright"};

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
    scanQuickPart();
}

void Model::scanQuickPart()
{
    tasks.run(
        [] {
            QuickPart part;
            for (const CacheTarget &target : quickTargets())
                part.sizes.insert(target.id, Engine::size(target));
            part.warnings = baseFolderWarnings();
            part.disk = Engine::disk();
            part.swap = Engine::swapTotal();
            part.boot = Engine::bootDate();
            return part;
        },
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
            scanOfficePart();
        });
}

void Model::scanOfficePart()
{
    tasks.run(
        [] {
            return OfficePart{Engine::mauInstalled(), Engine::microsoftAppsInstalled()};
        },
        [this](OfficePart part) {
            setMauInstalled(part.mauInstalled);
            setMsApps(std::move(part.apps));
            scanAdvFolder(0);
        });
}

void Model::scanAdvFolder(std::size_t index)
{
    if (index == advFolderKeys.size()) {
        scanAutoRecovery();
        return;
    }
    const QString key = QLatin1String(advFolderKeys[index]);
    tasks.run([path = advFolder(key)] { return Engine::size(path); },
              [this, key, index](qint64 bytes) {
                  setAdvValue(key, bytes);
                  scanAdvFolder(index + 1);
              });
}

void Model::scanAutoRecovery()
{
    tasks.run(
        [] {
            qint64 total = 0;
            for (const std::filesystem::path &copy : Engine::autoRecoverFiles())
                total += Engine::size(copy);
            return total;
        },
        [this](qint64 total) {
            setAdvValue("autorecover", total);
            scanDownloads();
        });
}

void Model::scanDownloads()
{
    tasks.run([] { return Engine::downloadsTop(largeItemCount); },
              [this](std::vector<FileItem> items) {
                  setDownloads(std::move(items));
                  scanApps();
              });
}

void Model::scanApps()
{
    tasks.run([] { return Engine::appsTop(largeItemCount); },
              [this](std::vector<FileItem> items) {
                  setApps(std::move(items));
                  scanWhatsApp();
              });
}

void Model::scanWhatsApp()
{
    tasks.run([path = advFolder("whatsapp")] { return Engine::size(path); },
              [this](qint64 bytes) {
                  setAdvValue("whatsapp", bytes);
                  setScanningAdv(false);
                  if (std::exchange(refreshOwed, false))
                      refresh();
              });
}

void Model::refreshAfterAction()
{
    if (m_scanning || m_scanningAdv)
        refreshOwed = true; // this scan may have measured before the action
    else
        refresh();
}
