#pragma once

#include "SpaceChartModel.h"

#include <QColor>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

// The chart drawn as rings round the folder it is of: each ring one level deeper, each part as
// wide as its share, filled with its kind's colour, and hatched where most of it rebuilds by
// itself. Painted in one pass, so that hundreds of parts cost little with the software renderer.
class SpaceRings : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(SpaceChartModel *parts READ chart WRITE setChart NOTIFY changed)
    // Each kind's colour, by its name (see fileKindName).
    Q_PROPERTY(QVariantMap colours MEMBER colours WRITE setColours NOTIFY changed)
    Q_PROPERTY(QColor hatch MEMBER hatch WRITE setHatch NOTIFY changed)
    // Between parts, and the middle's fill.
    Q_PROPERTY(QColor gap MEMBER gap WRITE setGap NOTIFY changed)
    Q_PROPERTY(QColor middle MEMBER middle WRITE setMiddle NOTIFY changed)
    // The part pointed at or reached by the keys, outlined in `outline`; the entry chosen in
    // the list (its id), outlined in `chosenOutline`.
    Q_PROPERTY(int highlighted MEMBER highlighted WRITE setHighlighted NOTIFY changed)
    Q_PROPERTY(int chosenId MEMBER chosenId WRITE setChosenId NOTIFY changed)
    Q_PROPERTY(QColor outline MEMBER outline WRITE setOutline NOTIFY changed)
    Q_PROPERTY(QColor chosenOutline MEMBER chosenOutline WRITE setChosenOutline NOTIFY changed)
    // The middle's radius, as a fraction of the whole.
    Q_PROPERTY(qreal middleRadius READ middleRadius NOTIFY changed)

public:
    explicit SpaceRings(QQuickItem *parent = nullptr);

    SpaceChartModel *chart() const { return m_chart; }
    void setChart(SpaceChartModel *chart);
    void setColours(const QVariantMap &value) { set(colours, value); }
    void setHatch(const QColor &value) { set(hatch, value); }
    void setGap(const QColor &value) { set(gap, value); }
    void setMiddle(const QColor &value) { set(middle, value); }
    void setHighlighted(int value) { set(highlighted, value); }
    void setChosenId(int value) { set(chosenId, value); }
    void setOutline(const QColor &value) { set(outline, value); }
    void setChosenOutline(const QColor &value) { set(chosenOutline, value); }
    qreal middleRadius() const { return radius() * middleShare; }

    // The part drawn at this point of the item; -2 in the middle, -1 outside the rings.
    Q_INVOKABLE int partAt(qreal x, qreal y) const;
    // A point inside the part, halfway through its arc and ring.
    Q_INVOKABLE QPointF pointIn(int part) const;

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void changed();

private:
    template<typename T> void set(T &field, const T &value)
    {
        if (field == value)
            return;
        field = value;
        Q_EMIT changed();
        update();
    }
    qreal radius() const;
    qreal ringWidth() const;

    static constexpr qreal middleShare = 0.32;
    QPointer<SpaceChartModel> m_chart;
    QVariantMap colours;
    QColor hatch;
    QColor gap;
    QColor middle;
    int highlighted = -1;
    int chosenId = -1;
    QColor outline;
    QColor chosenOutline;
};
