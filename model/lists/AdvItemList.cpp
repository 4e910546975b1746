#include "AdvItemList.h"

AdvItemList::AdvItemList(QObject *parent)
    : RecordList({"id", "symbol", "initials", "title", "size", "note", "short", "button", "enabled",
                  "prominent"},
                 parent)
{}

void AdvItemList::set(const std::vector<AdvItem> &items)
{
    std::vector<Row> rows;
    for (const AdvItem &item : items) {
        rows.push_back({item.id,
                        {item.id, item.symbol, item.initials, item.title,
                         item.size ? QVariant(*item.size) : QVariant(), item.note, item.shortText,
                         item.button, item.enabled, item.prominent}});
    }
    replace(std::move(rows));
}
