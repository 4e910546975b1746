import QtQuick
import Ampa

// Work in progress, drawn at the size it is given: a turning arc while the amount of work is
// unknown (`progress` below 0), else a ring filled to `progress` (0 to 1).
Item {
    id: spinner
    property color tint: Theme.accent
    property real progress: -1
    property bool running: visible

    implicitWidth: 16
    implicitHeight: 16

    Canvas {
        id: canvas
        anchors.fill: parent
        onPaint: {
            const context = getContext("2d")
            context.reset()
            const line = Math.max(2, width / 7)
            const radius = (Math.min(width, height) - line) / 2
            context.lineWidth = line
            context.lineCap = "round"
            context.strokeStyle = Qt.rgba(spinner.tint.r, spinner.tint.g, spinner.tint.b, 0.3)
            context.beginPath()
            context.arc(width / 2, height / 2, radius, 0, 2 * Math.PI)
            context.stroke()
            context.strokeStyle = spinner.tint
            context.beginPath()
            const start = -Math.PI / 2
            const sweep = spinner.progress < 0 ? Math.PI / 2 : 2 * Math.PI * Math.min(1, spinner.progress)
            context.arc(width / 2, height / 2, radius, start, start + sweep)
            context.stroke()
        }
    }
    Connections {
        target: spinner
        function onProgressChanged() { canvas.requestPaint() }
        function onTintChanged() { canvas.requestPaint() }
    }
    RotationAnimator {
        target: canvas
        from: 0
        to: 360
        duration: 900
        loops: Animation.Infinite
        running: spinner.running && spinner.progress < 0
        onStopped: canvas.rotation = 0
    }
}
