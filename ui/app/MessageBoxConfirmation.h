#pragma once

#include "Services.h"

#include <QString>

#include <memory>

class QMessageBox;

// The confirmation of destructive actions: a modal warning message box with the warning icon
// beside a heading and the body, the destructive button drawn as destructive and Cancel focused.
class MessageBoxConfirmation : public Confirmation {
public:
    bool confirm(const QString &title, const QString &message,
                 const QString &confirmLabel) override;

    // The box confirm() shows, not yet shown; the button of the destructive action has the
    // object name "confirm", Cancel "cancel". Owned by the caller.
    static std::unique_ptr<QMessageBox> make(const QString &title, const QString &message,
                                             const QString &confirmLabel);
};
