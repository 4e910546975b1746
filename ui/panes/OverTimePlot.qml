pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Ampa

// Used and free space from `from` to `to` (seconds), on axes of dates and sizes, with a mark at
// each clean (or each few close together): Tab reaches each mark, which then says when it was and
// what it freed.
Item {
    id: plot
    objectName: "overTimePlot"
    property var points: []   // {time, used, free, total}, the oldest first
    property var cleans: []   // {time, entry}, the oldest first
    property real from: 0
    property real to: 1

    readonly property int leftRoom: 64
    readonly property int rightRoom: 10
    readonly property int topRoom: 14
    readonly property int bottomRoom: 22
    readonly property real plotWidth: Math.max(1, width - leftRoom - rightRoom)
    readonly property real plotHeight: Math.max(1, height - topRoom - bottomRoom)
    // The sizes' axis: from 0 to a round size above the largest file system, in `step`s.
    readonly property real largest: points.reduce((most, point) => Math.max(most, point.total), 0)
    readonly property real step: niceStep(largest / 5)
    readonly property real ceiling: step * Math.max(1, Math.ceil(largest / step))
    // The cleans a few pixels apart or less share one mark: {time (the first's), said}.
    readonly property var marks: {
        const groups = []
        for (const clean of cleans) {
            const said = Texts.bilingual("Pembersihan %1: %2", "Clean on %1: %2")
                             .arg(dateText(clean.time)).arg(clean.entry)
            const last = groups[groups.length - 1]
            if (last && xOf(clean.time) - xOf(last.time) < 12)
                last.said += "\n" + said
            else
                groups.push({ time: clean.time, said: said })
        }
        return groups
    }

    function niceStep(rough) {
        if (rough <= 0)
            return 1
        const power = Math.pow(10, Math.floor(Math.log(rough) / Math.LN10))
        for (const factor of [1, 2, 2.5, 5, 10]) {
            if (factor * power >= rough)
                return factor * power
        }
        return 10 * power
    }
    function xOf(time) {
        return leftRoom + (time - from) / Math.max(1, to - from) * plotWidth
    }
    function yOf(bytes) {
        return topRoom + (1 - bytes / ceiling) * plotHeight
    }
    function dateText(time) {
        return Texts.shortDate(new Date(time * 1000))
    }

    Accessible.role: Accessible.Chart
    Accessible.name: Texts.bilingual("Ruang terpakai dan kosong dari waktu ke waktu",
                                     "Used and free space over time")

    // The grid and the sizes.
    Repeater {
        model: Math.round(plot.ceiling / plot.step) + 1
        delegate: Item {
            id: level
            required property int index
            readonly property real bytes: index * plot.step
            Rectangle {
                x: plot.leftRoom
                y: plot.yOf(level.bytes)
                width: plot.plotWidth
                height: 1
                color: Theme.primary(level.index === 0 ? 0.25 : 0.08)
            }
            Text {
                x: 0
                width: plot.leftRoom - 8
                y: plot.yOf(level.bytes) - height / 2
                horizontalAlignment: Text.AlignRight
                text: Texts.fmt(level.bytes)
                font.pixelSize: Theme.caption
                color: Theme.secondaryText
                Accessible.ignored: true
            }
        }
    }
    // The dates: the span's ends and three days between.
    Repeater {
        model: 5
        delegate: Text {
            id: tick
            required property int index
            readonly property real time: plot.from + (plot.to - plot.from) * index / 4
            x: Math.max(0, Math.min(plot.width - width,
                                    plot.xOf(time) - (index === 0 ? 0 : index === 4 ? width : width / 2)))
            y: plot.height - plot.bottomRoom + 6
            text: plot.dateText(time)
            font.pixelSize: Theme.caption
            color: Theme.secondaryText
            Accessible.ignored: true
        }
    }

    Canvas {
        id: canvas
        anchors.fill: parent
        // Colours and points read here, so that a change of either draws again.
        readonly property var shown: [plot.points, plot.ceiling, plot.from, plot.to, Theme.dark,
                                      plot.width, plot.height]
        onShownChanged: requestPaint()
        onPaint: {
            const context = getContext("2d")
            context.reset()
            const points = plot.points
            if (points.length === 0)
                return
            const bottom = plot.yOf(0)
            context.lineJoin = "round"
            // Used: a filled area, the line on it.
            context.beginPath()
            context.moveTo(plot.xOf(points[0].time), bottom)
            for (const point of points)
                context.lineTo(plot.xOf(point.time), plot.yOf(point.used))
            context.lineTo(plot.xOf(points[points.length - 1].time), bottom)
            context.closePath()
            context.fillStyle = Theme.faded(Theme.accent, Theme.dark ? 0.35 : 0.18)
            context.fill()
            for (const series of [{ key: "used", colour: Theme.accentText },
                                  { key: "free", colour: Theme.orange }]) {
                context.strokeStyle = series.colour
                context.fillStyle = series.colour
                context.lineWidth = 2
                context.beginPath()
                points.forEach((point, index) => {
                    const x = plot.xOf(point.time), y = plot.yOf(point[series.key])
                    if (index === 0)
                        context.moveTo(x, y)
                    else
                        context.lineTo(x, y)
                })
                context.stroke()
                for (const point of points) {
                    context.beginPath()
                    context.arc(plot.xOf(point.time), plot.yOf(point[series.key]), 3, 0, 2 * Math.PI)
                    context.fill()
                }
            }
        }
    }

    // The cleans, each a line across the plot and a mark above it.
    Item {
        id: marks
        anchors.fill: parent
        Accessible.role: Accessible.List
        Accessible.name: Texts.bilingual("Pembersihan", "Cleans")
        Repeater {
            model: plot.marks
            delegate: Item {
                id: mark
                required property var modelData
                required property int index
                objectName: "overTimeClean" + index
                readonly property string said: modelData.said
                readonly property bool showing: activeFocus || hover.hovered
                x: plot.xOf(modelData.time) - width / 2
                y: plot.topRoom - 12
                width: 16
                height: plot.plotHeight + 12
                activeFocusOnTab: true
                Accessible.role: Accessible.ListItem
                Accessible.name: said
                Accessible.focusable: true
                Accessible.focused: activeFocus
                Rectangle {
                    anchors.horizontalCenter: parent.horizontalCenter
                    y: 12
                    width: 1
                    height: parent.height - 12
                    color: Theme.faded(Theme.red, mark.showing ? 0.9 : 0.5)
                }
                Rectangle {
                    id: knob
                    anchors.horizontalCenter: parent.horizontalCenter
                    y: 2
                    width: 10
                    height: 10
                    rotation: 45
                    color: Theme.red
                    border.width: mark.activeFocus ? 2 : 0
                    border.color: Theme.accent
                }
                HoverHandler {
                    id: hover
                }
                ToolTip.visible: mark.showing
                ToolTip.text: mark.said
            }
        }
    }
}
