#include "DevQuickCacheList.h"

#include "EngineWords.h"

DevQuickCacheList::DevQuickCacheList(QObject *parent) : RecordList({"id", "name", "size"}, parent)
{}

void DevQuickCacheList::set(const QList<CacheTarget> &targets, const QMap<QString, qint64> &sizes)
{
    std::vector<Row> rows;
    for (const CacheTarget &target : targets) {
        const qint64 size = sizes.value(target.id);
        if (target.developer && size > 0)
            rows.push_back({target.id, {target.id, quickTargetName(target.id), double(size)}});
    }
    replace(std::move(rows));
}
