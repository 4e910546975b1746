import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// The activity log, newest first, read again each time the pane is shown.
Themed {
    id: pane
    property var lines: []

    implicitWidth: 560
    implicitHeight: 400

    function load() {
        lines = Model.logLines()
    }
    Component.onCompleted: load()
    onVisibleChanged: if (visible) load()

    ScrollView {
        id: scroll
        objectName: "logScroll"
        anchors.fill: parent
        contentWidth: availableWidth
        contentHeight: column.implicitHeight
        // The log reads from the keyboard too: it takes the focus and scrolls as a page does.
        activeFocusOnTab: true
        Accessible.role: Accessible.List
        Accessible.name: "Log"
        Keys.onPressed: event => {
            const flick = scroll.contentItem as Flickable
            const end = Math.max(0, column.implicitHeight - flick.height)
            const steps = {
                [Qt.Key_Up]: -40, [Qt.Key_Down]: 40,
                [Qt.Key_PageUp]: -flick.height * 0.9, [Qt.Key_PageDown]: flick.height * 0.9,
                [Qt.Key_Home]: -end, [Qt.Key_End]: end
            }
            if (steps[event.key] === undefined)
                return
            flick.contentY = Math.max(0, Math.min(end, flick.contentY + steps[event.key]))
            event.accepted = true
        }
        FocusRing {
            control: scroll
            x: 2
            y: 2
            width: scroll.width - 4
            height: scroll.height - 4
        }

        ColumnLayout {
            id: column
            width: scroll.availableWidth
            spacing: 6
            Item { implicitHeight: 18 }
            Text {
                objectName: "logEmpty"
                visible: pane.lines.length === 0
                Layout.leftMargin: 24
                text: Texts.bilingual("Belum ada catatan pembersihan.", "No cleanups logged yet.")
                font.pixelSize: Theme.body
                color: Theme.secondaryText
            }
            Repeater {
                model: pane.lines
                delegate: TextEdit {
                    required property string modelData
                    objectName: "logLine"
                    Layout.fillWidth: true
                    Layout.leftMargin: 24
                    Layout.rightMargin: 24
                    text: modelData
                    readOnly: true
                    selectByMouse: true
                    // Between words, and inside one only when it is longer than the line (a path).
                    wrapMode: TextEdit.Wrap
                    font.family: "DejaVu Sans Mono"
                    font.pixelSize: Theme.callout
                    color: Theme.text
                    selectionColor: Theme.faded(Theme.accent, 0.35)
                }
            }
            Item { implicitHeight: 18 }
        }
    }
}
