#pragma once

#include "RecordList.h"
#include "SpaceGrowth.h"

#include <memory>

// The folders that grew most since the walk compared with, as rows: id (the folder in the map;
// -1 when it is gone since), path (below the walk's root, as shown; the root itself is its whole
// path), grown (bytes on disk, signed), size (now), rebuilds (all of it rebuilds by itself, as
// the map marks it) and kind (the mark's name, or its largest part's; "" for none).
class GrowthList : public RecordList {
    Q_OBJECT

public:
    explicit GrowthList(QObject *parent = nullptr);

    void set(const std::shared_ptr<const Engine::SpaceTree> &tree,
             const std::vector<Engine::Growth> &grown);
};
