#pragma once

#include "DevItem.h"
#include "RecordList.h"

// Developer caches as rows: id, name, note, symbol, mode, size (undefined when only cleaning can
// tell), running, kept, available, button, keep (paths that stay), refused (paths left alone,
// each with why). The model holds two: the offered ones and those kept apart.
class DevCacheList : public RecordList {
    Q_OBJECT

public:
    explicit DevCacheList(QObject *parent = nullptr);

    // Only the items whose `kept` is `kept`, in their order.
    void set(const std::vector<DevItem> &items, bool kept);

    // The label of the cache's action, also its confirmation's button.
    static QString buttonFor(const DevItem &item);
};
