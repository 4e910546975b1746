#pragma once

#include "CacheTarget.h"
#include "RecordList.h"

#include <QMap>

// The quick clean's developer caches that hold something, named in the developer pane: id, name,
// size. Their bytes are counted by the quick clean only.
class DevQuickCacheList : public RecordList {
    Q_OBJECT

public:
    explicit DevQuickCacheList(QObject *parent = nullptr);

    void set(const QList<CacheTarget> &targets, const QMap<QString, qint64> &sizes);
};
