#pragma once

#include "SpaceHistoryModel.h"

#include <QtQml/qqml.h>

// The home's space over time, known to the views by its type (Model.history), never made by one.
struct SpaceHistoryType {
    Q_GADGET
    QML_FOREIGN(SpaceHistoryModel)
    QML_NAMED_ELEMENT(SpaceHistoryModel)
    QML_UNCREATABLE("the model's own")
};
