#include "WheelOnlyScroll.h"

#include <QMouseEvent>

WheelOnlyScroll::WheelOnlyScroll(QQuickItem *parent) : QQuickItem(parent)
{
    setFiltersChildMouseEvents(true);
}

bool WheelOnlyScroll::childMouseEventFilter(QQuickItem *item, QEvent *event)
{
    if (event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    return item->parentItem() == this && item->inherits("QQuickFlickable")
           && mouse->device()->type() == QInputDevice::DeviceType::Mouse;
}
