#pragma once

#include "AdvItem.h"
#include "RecordList.h"

// The Advanced pane's cards: id, symbol, initials, title, size (undefined when unmeasured), note,
// short, button, enabled, prominent.
class AdvItemList : public RecordList {
    Q_OBJECT

public:
    explicit AdvItemList(QObject *parent = nullptr);

    void set(const std::vector<AdvItem> &items);
};
