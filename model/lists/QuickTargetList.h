#pragma once

#include "CacheTarget.h"
#include "RecordList.h"

#include <QMap>

// The quick clean's targets that hold something or have a status, in catalogue order: id, name,
// note, icon, app, blockers, size, and status (why it was skipped or partly left; "" when none).
class QuickTargetList : public RecordList {
    Q_OBJECT

public:
    explicit QuickTargetList(QObject *parent = nullptr);

    // `statuses`: the texts of the targets' statuses, by target id.
    void set(const QList<CacheTarget> &targets, const QMap<QString, qint64> &sizes,
             const QMap<QString, QString> &statuses);
};
