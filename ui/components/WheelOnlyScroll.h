#pragma once

#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

// Holds a flickable whose content a mouse does not drag: on the desktop a view scrolls by the
// wheel, its scroll bar and the keys, while a drag with the mouse is left to what lies under it.
// Touch still flicks. Mouse moves and releases meant for the flickable itself are held back; its
// children get theirs.
class WheelOnlyScroll : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT

public:
    explicit WheelOnlyScroll(QQuickItem *parent = nullptr);

protected:
    bool childMouseEventFilter(QQuickItem *item, QEvent *event) override;
};
