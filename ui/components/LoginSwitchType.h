#pragma once

#include "LoginSwitch.h"

#include <QtQml/qqml.h>

// The model's open-at-login switch, known to the views by its type (Model.login), never made by
// one.
struct LoginSwitchType {
    Q_GADGET
    QML_FOREIGN(LoginSwitch)
    QML_NAMED_ELEMENT(LoginSwitch)
    QML_UNCREATABLE("the model's own")
};
