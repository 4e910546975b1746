#include "SpaceRings.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace {

// Fractions of the turn are measured clockwise from twelve o'clock; QPainter's degrees
// counter-clockwise from three.
qreal degreesAt(double turn)
{
    return 90.0 - turn * 360.0;
}

// Painted on the render thread: an image, not a pixmap.
QBrush stripes(const QColor &colour, qreal ratio)
{
    constexpr int side = 8;
    QImage tile(int(std::lround(side * ratio)), int(std::lround(side * ratio)),
                QImage::Format_ARGB32_Premultiplied);
    tile.setDevicePixelRatio(ratio);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.6));
    // Both ends again past the corners, so that the tiles join into unbroken lines.
    for (int shift : {-side, 0, side})
        painter.drawLine(QPointF(shift, side), QPointF(shift + side, 0));
    painter.end();
    return QBrush(tile);
}

} // namespace

SpaceRings::SpaceRings(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    connect(this, &QQuickItem::widthChanged, this, &SpaceRings::changed);
    connect(this, &QQuickItem::heightChanged, this, &SpaceRings::changed);
}

void SpaceRings::setChart(SpaceChartModel *chart)
{
    if (m_chart == chart)
        return;
    if (m_chart)
        disconnect(m_chart, nullptr, this, nullptr);
    m_chart = chart;
    if (chart)
        connect(chart, &SpaceChartModel::partsChanged, this, [this] { update(); });
    Q_EMIT changed();
    update();
}

qreal SpaceRings::radius() const
{
    return std::max(0.0, std::min(width(), height()) / 2 - 2);
}

qreal SpaceRings::ringWidth() const
{
    const int levels = m_chart ? m_chart->levels() : 3;
    return radius() * (1 - middleShare) / levels;
}

int SpaceRings::partAt(qreal x, qreal y) const
{
    const qreal dx = x - width() / 2;
    const qreal dy = y - height() / 2;
    const qreal distance = std::hypot(dx, dy);
    if (distance < middleRadius())
        return -2;
    if (!m_chart || distance > radius() || ringWidth() <= 0)
        return -1;
    const int level = int((distance - middleRadius()) / ringWidth()) + 1;
    double turn = std::atan2(dx, -dy) / (2 * std::numbers::pi);
    if (turn < 0)
        turn += 1;
    const std::vector<ChartPart> &parts = m_chart->parts();
    for (std::size_t at = 0; at < parts.size(); ++at) {
        const ChartPart &part = parts[at];
        if (part.level == level && turn >= part.start && turn < part.start + part.span)
            return int(at);
    }
    return -1;
}

QPointF SpaceRings::pointIn(int index) const
{
    if (!m_chart || index < 0 || index >= m_chart->count())
        return {width() / 2, height() / 2};
    const ChartPart &part = m_chart->parts()[std::size_t(index)];
    const double turn = (part.start + part.span / 2) * 2 * std::numbers::pi;
    const qreal distance = middleRadius() + (part.level - 0.5) * ringWidth();
    return {width() / 2 + distance * std::sin(turn), height() / 2 - distance * std::cos(turn)};
}

void SpaceRings::paint(QPainter *painter)
{
    const QPointF centre(width() / 2, height() / 2);
    const qreal whole = radius();
    if (whole <= 0)
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(middle);
    painter->drawEllipse(centre, middleRadius(), middleRadius());
    if (!m_chart)
        return;
    const qreal ring = ringWidth();
    const QBrush hatched = stripes(hatch, painter->device()->devicePixelRatioF());
    const auto around = [&centre](qreal distance) {
        return QRectF(centre.x() - distance, centre.y() - distance, 2 * distance, 2 * distance);
    };
    const auto shape = [&](const ChartPart &part) {
        const qreal inner = middleRadius() + (part.level - 1) * ring;
        const qreal outer = inner + ring;
        const qreal from = degreesAt(part.start);
        const qreal sweep = -part.span * 360.0;
        QPainterPath path;
        path.arcMoveTo(around(outer), from);
        path.arcTo(around(outer), from, sweep);
        path.arcTo(around(inner), from + sweep, -sweep);
        path.closeSubpath();
        return path;
    };
    const std::vector<ChartPart> &parts = m_chart->parts();
    const QPen parting(gap, 1);
    std::vector<QPainterPath> outlined; // drawn last, over their neighbours
    std::vector<QColor> outlines;
    for (std::size_t at = 0; at < parts.size(); ++at) {
        const ChartPart &part = parts[at];
        // Thinner than half a pixel at its outer edge: nothing to see or point at.
        if (part.span * 2 * std::numbers::pi * (middleRadius() + part.level * ring) < 0.5)
            continue;
        const QPainterPath path = shape(part);
        painter->setPen(parting);
        painter->setBrush(colours.value(Engine::fileKindName(part.kind)).value<QColor>());
        painter->drawPath(path);
        if (part.reclaimable > 0 && part.reclaimable * 2 >= part.onDisk) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(hatched);
            painter->drawPath(path);
        }
        if (int(at) == highlighted) {
            outlined.push_back(path);
            outlines.push_back(outline);
        } else if (part.index != Engine::SpaceTree::noEntry && int(part.index) == chosenId) {
            outlined.push_back(path);
            outlines.push_back(chosenOutline);
        }
    }
    painter->setBrush(Qt::NoBrush);
    for (std::size_t at = 0; at < outlined.size(); ++at) {
        painter->setPen(QPen(outlines[at], 2.5));
        painter->drawPath(outlined[at]);
    }
}
