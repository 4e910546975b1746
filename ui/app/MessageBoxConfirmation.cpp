#include "MessageBoxConfirmation.h"

#include "Text.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>

namespace {

// The window the request came from: the one with the focus, else the main window when shown.
QWindow *askingWindow()
{
    if (QWindow *focused = QGuiApplication::focusWindow())
        return focused;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->objectName() == QLatin1String("main") && window->isVisible())
            return window;
    }
    return nullptr;
}

} // namespace

bool MessageBoxConfirmation::confirm(const QString &title, const QString &message,
                                     const QString &confirmLabel)
{
    QMessageBox box(QMessageBox::Warning, title, title);
    box.setInformativeText(message);
    QPushButton *confirmButton = box.addButton(confirmLabel, QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(bilingual("Batal", "Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    // Wide enough that the title stays whole and the message wraps into two or three lines.
    box.setStyleSheet(QStringLiteral("QLabel { min-width: 26em; }"));
    // Over the window it came from: a window of its own would open at the screen's corner on
    // Wayland, unrelated to the program.
    box.winId();
    if (QWindow *from = askingWindow(); from && box.windowHandle())
        box.windowHandle()->setTransientParent(from);
    box.exec();
    return box.clickedButton() == confirmButton;
}
