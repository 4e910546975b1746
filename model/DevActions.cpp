// The developer caches' actions: each asks first, runs in the background and says what came free.

#include "DevCacheList.h"
#include "DevCacheWords.h"
#include "DevChoices.h"
#include "DevCleaning.h"
#include "EngineWords.h"
#include "Model.h"
#include "Paths.h"
#include "Text.h"

namespace {

QString pathList(const std::vector<std::filesystem::path> &paths)
{
    QStringList lines;
    for (const std::filesystem::path &path : paths)
        lines << QStringLiteral("• ") + isolatedName(Engine::displayPath(path));
    return lines.join('\n');
}

QString sizeLine(const std::optional<qint64> &size)
{
    return size ? bilingual(QStringLiteral("Ukuran: %1."), QStringLiteral("Size: %1."))
                      .arg(fmt(*size))
                : bilingual("Ukurannya baru diketahui setelah dibersihkan.",
                            "Its size is known only once it is cleaned.");
}

// The confirmation's text: what will happen, to what, for how much, and what stays.
QString confirmation(const DevItem &item)
{
    const Engine::DevCache &cache = item.cache;
    QStringList parts;
    switch (cache.mode) {
    case Engine::DevMode::Command:
        parts << bilingual(QStringLiteral("Ampa menjalankan perintah pemiliknya sendiri:\n%1"),
                           QStringLiteral("Ampa runs its owner's own command:\n%1"))
                     .arg(cache.command ? cache.command->text() : QString());
        break;
    case Engine::DevMode::Choice:
        parts << devCacheLost(cache.id);
        if (cache.command) {
            parts << bilingual(QStringLiteral("Ampa menjalankan:\n%1"),
                               QStringLiteral("Ampa runs:\n%1"))
                         .arg(cache.command->text());
            break;
        }
        [[fallthrough]];
    case Engine::DevMode::Delete:
        parts << bilingual("Dihapus permanen:", "Deleted for good:") + '\n' + pathList(cache.paths);
        break;
    case Engine::DevMode::Report:
        parts << bilingual(QStringLiteral("Hanya root yang bisa membersihkannya. Jalankan di "
                                          "terminal:\n%1"),
                           QStringLiteral("Only root can clean it. Run in a terminal:\n%1"))
                     .arg(cache.rootCommand);
        break;
    }
    parts << sizeLine(item.size);
    if (!cache.keep.empty())
        parts << bilingual("Tetap ada:", "Stays:") + '\n' + pathList(cache.keep);
    return parts.join("\n\n");
}

} // namespace

int Model::devCount() const
{
    return static_cast<int>(std::count_if(m_devItems.begin(), m_devItems.end(),
                                          [](const DevItem &item) { return !item.kept; }));
}

void Model::setDevItems(std::vector<DevItem> items)
{
    // Offered ones first, kept ones apart at the end, each group in catalogue order.
    std::stable_partition(items.begin(), items.end(),
                          [](const DevItem &item) { return !item.kept; });
    m_devItems = std::move(items);
    Q_EMIT devItemsChanged();
}

void Model::activateDevItem(const QString &id)
{
    const auto found = std::find_if(m_devItems.begin(), m_devItems.end(),
                                    [&id](const DevItem &item) { return item.cache.id == id; });
    if (found == m_devItems.end() || !Engine::devOffered(id, m_devItems) || m_busy)
        return;
    const DevItem item = *found; // the list may be rebuilt while the question waits
    const Engine::DevCache &cache = item.cache;
    if (cache.mode == Engine::DevMode::Report) {
        ask(bilingual(QStringLiteral("Bersihkan %1 sebagai root"),
                      QStringLiteral("Clean %1 as root"))
                .arg(isolatedName(devCacheName(cache.id))),
            confirmation(item), bilingual("Tutup", "Close"), [] {});
        return;
    }
    if (item.running) {
        setResult(
            Pane::pengembang, {},
            [id = cache.id] {
                return bilingual(QStringLiteral("Tutup %1 dulu."), QStringLiteral("Quit %1 first."))
                    .arg(isolatedName(devCacheName(id)));
            },
            ResultKind::skipped);
        return;
    }
    const QString title =
        cache.mode == Engine::DevMode::Command
            ? bilingual(QStringLiteral("Bersihkan %1?"), QStringLiteral("Clean %1?"))
                  .arg(isolatedName(devCacheName(cache.id)))
            : bilingual(QStringLiteral("Hapus %1?"), QStringLiteral("Delete %1?"))
                  .arg(isolatedName(devCacheName(cache.id)));
    ask(title, confirmation(item), DevCacheList::buttonFor(item), [this, cache] { runDev(cache); });
}

void Model::runDev(const Engine::DevCache &cache)
{
    if (demo()) {
        // Sample figures: nothing is removed, the entry only reads as cleaned.
        std::vector<DevItem> items = m_devItems;
        for (DevItem &item : items) {
            if (item.cache.id == cache.id) {
                setResult(
                    Pane::pengembang, [id = cache.id] { return shownName(devCacheName(id)); },
                    freedWith(item.size.value_or(0)));
                item.size = 0;
            }
        }
        setDevItems(std::move(items));
        return;
    }
    setBusy(true);
    tasks.run(
        [cache] {
            // Asked again now: the owner may have started while the question waited.
            return Engine::cleanDev(cache, true, Engine::userProcesses());
        },
        [this, id = cache.id, changed = cache.paths,
         emptied = cache.emptied](const Engine::DevResult &result) {
            using DevOutcome = Engine::DevResult::Outcome;
            const LiveText subject = [id] { return shownName(devCacheName(id)); };
            const LiveText freed = freedWith(result.freed);
            switch (result.outcome) {
            case DevOutcome::done:
                if (result.failure)
                    setResult(
                        Pane::pengembang, subject,
                        [freed, failure = failedWith(*result.failure)] {
                            return freed() + ' ' + failure();
                        },
                        ResultKind::partlyFailed);
                else
                    setResult(Pane::pengembang, subject, freed);
                break;
            case DevOutcome::running:
                setResult(
                    Pane::pengembang, {},
                    [id] {
                        return bilingual(QStringLiteral("Tutup %1 dulu."),
                                         QStringLiteral("Quit %1 first."))
                            .arg(isolatedName(devCacheName(id)));
                    },
                    ResultKind::skipped);
                break;
            case DevOutcome::notChosen:
            case DevOutcome::notHere:
            case DevOutcome::failed:
                setResult(Pane::pengembang, subject,
                          result.failure ? failedWith(*result.failure) : LiveText([id] {
                              return failedText(isolatedName(devCacheName(id)));
                          }),
                          ResultKind::failed);
                break;
            }
            setBusy(false);
            m_space.cleaned(changed);
            m_space.measureAgain(emptied);
            refreshAfterAction();
        });
}

void Model::keepDevItem(const QString &id)
{
    QStringList present;
    for (const DevItem &item : m_devItems)
        present << item.cache.id;
    if (Engine::keepDev(id, present).outcome != Engine::DevKeepResult::Outcome::changed)
        return;
    std::vector<DevItem> items = m_devItems;
    for (DevItem &item : items)
        if (item.cache.id == id)
            item.kept = true;
    setDevItems(std::move(items));
}

void Model::releaseDevItem(const QString &id)
{
    if (Engine::releaseDev(id).outcome != Engine::DevKeepResult::Outcome::changed)
        return;
    // Measured again: it may have grown while kept.
    refreshAfterAction();
}
