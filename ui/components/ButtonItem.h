#pragma once

#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

// What makes an item a button, without Qt Quick Controls: pressed by the mouse or by Space,
// clicked on release inside it or by Return, hovered, and focused with the reason kept, so that
// the focus ring shows only when the keyboard brought the focus. The first frame's buttons are
// built on it: loading the Controls with their style costs a start more than all its views.
class ButtonItem : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool pressed READ isPressed NOTIFY pressedChanged)
    Q_PROPERTY(bool hovered READ isHovered NOTIFY hoveredChanged)
    Q_PROPERTY(bool visualFocus READ hasVisualFocus NOTIFY visualFocusChanged)
    // Drawn as chosen; the button's owner decides when (a layout picker's current layout).
    Q_PROPERTY(bool checked MEMBER m_checked NOTIFY checkedChanged)

public:
    explicit ButtonItem(QQuickItem *parent = nullptr);

    bool isPressed() const { return m_pressed; }
    bool isHovered() const { return m_hovered; }
    bool hasVisualFocus() const { return m_visualFocus; }

Q_SIGNALS:
    void clicked();
    void pressedChanged();
    void hoveredChanged();
    void visualFocusChanged();
    void checkedChanged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseUngrabEvent() override;
    void hoverEnterEvent(QHoverEvent *event) override;
    void hoverLeaveEvent(QHoverEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void itemChange(ItemChange change, const ItemChangeData &data) override;

private:
    void setPressed(bool pressed);
    void setHovered(bool hovered);
    void setVisualFocus(bool visualFocus);

    bool m_pressed = false;
    bool m_hovered = false;
    bool m_visualFocus = false;
    bool m_checked = false;
    // Pressed by Space rather than by the mouse: only Space's release clicks it then.
    bool m_keyPress = false;
};
