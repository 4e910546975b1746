#pragma once

#include "SpaceModel.h"

#include <QtQml/qqml.h>

// The model's space map, known to the views by its type (Model.space), never made by one.
struct SpaceModelType {
    Q_GADGET
    QML_FOREIGN(SpaceModel)
    QML_NAMED_ELEMENT(SpaceModel)
    QML_UNCREATABLE("the model's own")
};
