import QtQuick
import Ampa

// The usage ring: a track and a progress arc from the top, clockwise, red when low. It grows
// from empty when it first appears, then follows changes with a quicker spring.
Item {
    id: ring
    property real fraction: 0
    property bool low: false
    property real lineWidth: 12
    property bool shown: false
    property real progress: shown ? fraction : 0

    implicitWidth: 68
    implicitHeight: 68

    // The first growth is slow and soft; later changes use the quicker spring.
    property bool settled: false
    Behavior on progress {
        SpringAnimation {
            spring: ring.settled ? 4 : 2
            damping: ring.settled ? 0.4 : 0.3
            epsilon: 0.001
            onRunningChanged: if (!running && ring.shown) ring.settled = true
        }
    }

    Timer {
        interval: 150
        running: true
        onTriggered: ring.shown = true
    }

    onProgressChanged: canvas.requestPaint()
    onLowChanged: canvas.requestPaint()

    Canvas {
        id: canvas
        anchors.fill: parent
        renderStrategy: Canvas.Immediate
        onPaint: {
            const ctx = getContext("2d")
            ctx.reset()
            const radius = (Math.min(width, height) - ring.lineWidth) / 2
            const cx = width / 2
            const cy = height / 2
            ctx.lineWidth = ring.lineWidth
            ctx.strokeStyle = Theme.track
            ctx.beginPath()
            ctx.arc(cx, cy, radius, 0, 2 * Math.PI)
            ctx.stroke()
            const p = Math.max(0, Math.min(1, ring.progress))
            if (p <= 0)
                return
            ctx.lineCap = "round"
            ctx.strokeStyle = ring.low ? Theme.red : Theme.accent
            ctx.beginPath()
            ctx.arc(cx, cy, radius, -Math.PI / 2, -Math.PI / 2 + 2 * Math.PI * p)
            ctx.stroke()
        }
    }

    Connections {
        target: Theme
        function onDarkChanged() { canvas.requestPaint() }
    }
}
