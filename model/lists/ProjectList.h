#pragma once

#include "ProjectItem.h"
#include "RecordList.h"

// Projects with build output as rows: id, name, path (from the home as "~/…"), kind, artifacts,
// size, idleDays, dirty, inUse, unreadable (why its repository cannot be read; "" when it can),
// noLockfile, kept. The model holds two: the offered ones and those kept apart.
class ProjectList : public RecordList {
    Q_OBJECT

public:
    explicit ProjectList(QObject *parent = nullptr);

    // Only the items whose `kept` is `kept`, in their order.
    void set(const std::vector<ProjectItem> &items, bool kept);
};
