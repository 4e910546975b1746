#include "ScreenRoom.h"

#include <QEvent>

#include <algorithm>

void ScreenRoom::setWindow(QObject *object)
{
    auto *window = qobject_cast<QWindow *>(object);
    if (window == target)
        return;
    if (target) {
        target->removeEventFilter(this);
        disconnect(target, nullptr, this, nullptr);
    }
    target = window;
    if (target) {
        // The frame's size is known only once the window manager has framed the window, which
        // moves or exposes it: no signal says so.
        target->installEventFilter(this);
        connect(target, &QWindow::screenChanged, this, &ScreenRoom::followScreen);
    }
    followScreen();
    emit windowChanged();
}

void ScreenRoom::followScreen()
{
    if (screen)
        disconnect(screen, nullptr, this, nullptr);
    screen = target ? target->screen() : nullptr;
    if (screen)
        connect(screen, &QScreen::availableGeometryChanged, this, &ScreenRoom::measure);
    measure();
}

void ScreenRoom::measure()
{
    QSize room(0, 0);
    if (target && screen) {
        const QMargins frame = target->frameMargins();
        room = screen->availableGeometry().size().shrunkBy(frame);
    }
    if (room != current) {
        current = room;
        emit roomChanged();
    }
}

bool ScreenRoom::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Expose:
    case QEvent::Move:
    case QEvent::Resize:
        measure();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

QRect ScreenRoom::placed(QSize size) const
{
    if (!target || !target->isVisible() || !screen)
        return {target ? target->position() : QPoint(), size};
    return inside({target->position(), size}, target->frameMargins(), screen->availableGeometry());
}

QSize ScreenRoom::fitted(double width, double height) const
{
    return placed({qRound(width), qRound(height)}).size();
}

void ScreenRoom::resize(double width, double height)
{
    if (!target)
        return;
    const QRect place = placed({qRound(width), qRound(height)});
    if (!target->isVisible())
        target->resize(place.size());
    else if (place != target->geometry())
        target->setGeometry(place);
}

QRect ScreenRoom::inside(const QRect &content, const QMargins &frame, const QRect &area)
{
    const QRect room = area.marginsRemoved(frame);
    const QSize size(std::max(1, std::min(content.width(), room.width())),
                     std::max(1, std::min(content.height(), room.height())));
    // Right and down first, then left and up, so that the top-left corner wins when nothing fits.
    const int x = std::max(room.left(), std::min(content.x(), room.right() + 1 - size.width()));
    const int y = std::max(room.top(), std::min(content.y(), room.bottom() + 1 - size.height()));
    return {QPoint(x, y), size};
}
