#include "ButtonItem.h"

#include <QKeyEvent>
#include <QMouseEvent>

ButtonItem::ButtonItem(QQuickItem *parent) : QQuickItem(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    setAcceptHoverEvents(true);
    setActiveFocusOnTab(true);
}

void ButtonItem::mousePressEvent(QMouseEvent *event)
{
    // A click gives the focus, as to any control, but not the ring: that is the keyboard's.
    if (activeFocusOnTab())
        forceActiveFocus(Qt::MouseFocusReason);
    m_keyPress = false;
    setPressed(true);
    event->accept();
}

void ButtonItem::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_keyPress)
        setPressed(contains(event->position()));
    event->accept();
}

void ButtonItem::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && !m_keyPress && contains(event->position());
    if (!m_keyPress)
        setPressed(false);
    event->accept();
    if (click)
        emit clicked();
}

// A flickable took the drag over: no click.
void ButtonItem::mouseUngrabEvent()
{
    if (!m_keyPress)
        setPressed(false);
}

void ButtonItem::hoverEnterEvent(QHoverEvent *event)
{
    setHovered(true);
    event->accept();
}

void ButtonItem::hoverLeaveEvent(QHoverEvent *event)
{
    setHovered(false);
    event->accept();
}

void ButtonItem::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        if (!event->isAutoRepeat()) {
            m_keyPress = true;
            setPressed(true);
        }
        event->accept();
        return;
    // Return presses a focused button too, as elsewhere on the desktop.
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        if (!event->isAutoRepeat())
            emit clicked();
        return;
    default:
        QQuickItem::keyPressEvent(event);
    }
}

void ButtonItem::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QQuickItem::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || !m_keyPress)
        return;
    m_keyPress = false;
    const bool click = m_pressed;
    setPressed(false);
    if (click)
        emit clicked();
}

void ButtonItem::focusInEvent(QFocusEvent *event)
{
    QQuickItem::focusInEvent(event);
    const Qt::FocusReason reason = event->reason();
    setVisualFocus(reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
                   || reason == Qt::ShortcutFocusReason);
}

void ButtonItem::focusOutEvent(QFocusEvent *event)
{
    QQuickItem::focusOutEvent(event);
    setVisualFocus(false);
    // Space held while the focus went elsewhere clicks nothing.
    if (m_keyPress) {
        m_keyPress = false;
        setPressed(false);
    }
}

void ButtonItem::itemChange(ItemChange change, const ItemChangeData &data)
{
    QQuickItem::itemChange(change, data);
    if ((change == ItemEnabledHasChanged || change == ItemVisibleHasChanged) && !data.boolValue) {
        m_keyPress = false;
        setPressed(false);
        setHovered(false);
    }
}

void ButtonItem::setPressed(bool pressed)
{
    if (m_pressed == pressed)
        return;
    m_pressed = pressed;
    emit pressedChanged();
}

void ButtonItem::setHovered(bool hovered)
{
    if (m_hovered == hovered)
        return;
    m_hovered = hovered;
    emit hoveredChanged();
}

void ButtonItem::setVisualFocus(bool visualFocus)
{
    if (m_visualFocus == visualFocus)
        return;
    m_visualFocus = visualFocus;
    emit visualFocusChanged();
}
