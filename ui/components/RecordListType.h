#pragma once

#include "RecordList.h"

#include <QtQml/qqml.h>

// The model's lists, known to the views by their type (Model.downloads, Model.projects, …),
// never made by one.
struct RecordListType {
    Q_GADGET
    QML_FOREIGN(RecordList)
    QML_NAMED_ELEMENT(RecordList)
    QML_UNCREATABLE("the model's own")
};
