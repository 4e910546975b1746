#include "MessageBoxConfirmation.h"

#include "Text.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
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

// The red of the palette's destructive text, with white on it at more than 4.5:1.
constexpr QRgb destructiveRed = 0xffc4001a;

} // namespace

std::unique_ptr<QMessageBox> MessageBoxConfirmation::make(const QString &title,
                                                          const QString &message,
                                                          const QString &confirmLabel)
{
    // No window title: the desktop names the program there, and the title is the heading.
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, QString(), title);
    // What the desktop (and the desktop tests) can tell the box by, with no title of its own.
    box->setWindowRole(QStringLiteral("confirmation"));
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(message);

    // The title is the heading inside the box, not a line the body repeats.
    if (auto *heading = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        QFont font = heading->font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.15);
        heading->setFont(font);
    }
    // Only the body gets a width, so it wraps into two or three lines; the icon keeps its own.
    if (auto *body = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
        body->setTextFormat(Qt::PlainText);
        body->setMinimumWidth(body->fontMetrics().averageCharWidth() * 60);
    }

    QPushButton *confirmButton = box->addButton(confirmLabel, QMessageBox::DestructiveRole);
    confirmButton->setObjectName(QStringLiteral("confirm"));
    confirmButton->setProperty("destructive", true);
    QPalette red = confirmButton->palette();
    red.setColor(QPalette::Button, QColor::fromRgb(destructiveRed));
    red.setColor(QPalette::ButtonText, Qt::white);
    confirmButton->setPalette(red);

    QPushButton *cancel = box->addButton(bilingual("Batal", "Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    // The safe choice is the one Return and Escape take.
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    cancel->setFocus();
    return box;
}

bool MessageBoxConfirmation::confirm(const QString &title, const QString &message,
                                     const QString &confirmLabel)
{
    std::unique_ptr<QMessageBox> box = make(title, message, confirmLabel);
    // Over the window it came from: a window of its own would open at the screen's corner on
    // Wayland, unrelated to the program.
    box->winId();
    if (QWindow *from = askingWindow(); from && box->windowHandle())
        box->windowHandle()->setTransientParent(from);
    box->exec();
    return box->clickedButton() == box->findChild<QPushButton *>(QStringLiteral("confirm"));
}
