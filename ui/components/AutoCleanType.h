#pragma once

#include "AutoClean.h"

#include <QtQml/qqml.h>

// The model's automatic clean, known to the views by its type (Model.autoClean), never made by
// one.
struct AutoCleanType {
    Q_GADGET
    QML_FOREIGN(AutoClean)
    QML_NAMED_ELEMENT(AutoClean)
    QML_UNCREATABLE("the model's own")
};
