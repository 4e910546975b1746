#pragma once

#include "Services.h"

// The confirmation of destructive actions: a modal warning message box with the destructive
// button first and Cancel second.
class MessageBoxConfirmation : public Confirmation {
public:
    bool confirm(const QString &title, const QString &message,
                 const QString &confirmLabel) override;
};
