#pragma once

#include "SpaceChartModel.h"

#include <QtQml/qqml.h>

// The chart of the folder the space map looks at, made by the view that draws it.
struct SpaceChartType {
    Q_GADGET
    QML_FOREIGN(SpaceChartModel)
    QML_NAMED_ELEMENT(SpaceChartModel)
};
