#include "DevCacheList.h"

#include "DevCacheWords.h"
#include "EngineWords.h"
#include "Paths.h"
#include "Text.h"

DevCacheList::DevCacheList(QObject *parent)
    : RecordList({"id", "name", "note", "symbol", "mode", "size", "running", "kept", "available",
                  "button", "keep", "refused"},
                 parent)
{}

QString DevCacheList::buttonFor(const DevItem &item)
{
    switch (item.cache.mode) {
    case Engine::DevMode::Delete:
    case Engine::DevMode::Choice:
        return bilingual("Hapus", "Delete");
    case Engine::DevMode::Command:
        return bilingual("Bersihkan", "Clean");
    case Engine::DevMode::Report:
        return bilingual("Lihat perintah", "Show command");
    }
    return {};
}

void DevCacheList::set(const std::vector<DevItem> &items, bool kept)
{
    std::vector<Row> rows;
    for (const DevItem &item : items) {
        if (item.kept != kept)
            continue;
        const Engine::DevCache &cache = item.cache;
        QStringList keep;
        for (const std::filesystem::path &path : cache.keep)
            keep << shownName(Engine::displayPath(path));
        QStringList refused;
        for (const Engine::DevRefusal &refusal : cache.refused)
            refused << isolatedName(Engine::displayPath(refusal.path)) + ": "
                           + refusalText(refusal.why);
        rows.push_back({cache.id,
                        {cache.id, shownName(devCacheName(cache.id)), devCacheNote(cache.id),
                         cache.icon, Engine::devModeName(cache.mode),
                         item.size ? QVariant(double(*item.size)) : QVariant(), item.running,
                         item.kept, cache.available, buttonFor(item), keep, refused}});
    }
    replace(std::move(rows));
}
