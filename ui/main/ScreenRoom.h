#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

// The room a window has on its screen: the screen's available area (without panels and docks)
// less the window's own frame. The program's own resizes go through it, so that a window it
// makes taller never ends under a panel or below the screen.
class ScreenRoom : public QObject {
    Q_OBJECT
    QML_ELEMENT
    // A window (an object only for the views' type checks, which know no QWindow).
    Q_PROPERTY(QObject *window READ window WRITE setWindow NOTIFY windowChanged)
    // The largest content that fits, frame included; 0 while the window has no screen.
    Q_PROPERTY(int width READ width NOTIFY roomChanged)
    Q_PROPERTY(int height READ height NOTIFY roomChanged)

public:
    using QObject::QObject;

    QObject *window() const { return target; }
    void setWindow(QObject *window);
    int width() const { return current.width(); }
    int height() const { return current.height(); }

    // The size resize() gives for this one: no larger than the room.
    Q_INVOKABLE QSize fitted(double width, double height) const;
    // Gives the window this content size, shrunk to the room and moved as little as needed to
    // lie wholly inside the available area. Before the window shows, only the size is set: the
    // window manager places it.
    Q_INVOKABLE void resize(double width, double height);

    // Where content of CONTENT's size and place goes so that it and its FRAME lie inside AREA:
    // as large as fits, moved the least. A frame larger than the area keeps its top-left corner
    // (and so its title bar) inside.
    static QRect inside(const QRect &content, const QMargins &frame, const QRect &area);

signals:
    void windowChanged();
    void roomChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followScreen();
    void measure();
    QRect placed(QSize size) const;

    QPointer<QWindow> target;
    QPointer<QScreen> screen;
    QSize current{0, 0};
};
