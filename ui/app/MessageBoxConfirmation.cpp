#include "MessageBoxConfirmation.h"

#include "Text.h"

#include <QMessageBox>
#include <QPushButton>

bool MessageBoxConfirmation::confirm(const QString &title, const QString &message,
                                     const QString &confirmLabel)
{
    QMessageBox box(QMessageBox::Warning, title, title);
    box.setInformativeText(message);
    QPushButton *confirmButton = box.addButton(confirmLabel, QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(bilingual("Batal", "Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == confirmButton;
}
