#include "QuickTargetList.h"

#include "EngineWords.h"

QuickTargetList::QuickTargetList(QObject *parent)
    : RecordList({"id", "name", "note", "icon", "app", "blockers", "size", "status"}, parent)
{}

void QuickTargetList::set(const QList<CacheTarget> &targets, const QMap<QString, qint64> &sizes,
                          const QMap<QString, QString> &statuses)
{
    std::vector<Row> rows;
    for (const CacheTarget &target : targets) {
        rows.push_back({target.id,
                        {target.id, quickTargetName(target.id), quickTargetNote(target.id),
                         target.icon, target.app.value_or(QString()), target.blockers,
                         sizes.value(target.id), statuses.value(target.id)}});
    }
    replace(std::move(rows));
}
