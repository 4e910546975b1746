import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// The activity log, newest first, read again each time the pane is shown.
ScrollView {
    id: pane
    property var lines: []

    implicitWidth: 560
    implicitHeight: 400
    contentWidth: availableWidth

    function load() {
        lines = Texts.logLines()
    }
    Component.onCompleted: load()
    onVisibleChanged: if (visible) load()

    ColumnLayout {
        width: pane.availableWidth
        spacing: 6
        Item { implicitHeight: 18 }
        Text {
            objectName: "logEmpty"
            visible: pane.lines.length === 0
            Layout.leftMargin: 24
            text: Texts.tr("Belum ada catatan pembersihan.", "No cleanups logged yet.")
            font.pixelSize: Palette.body
            color: Palette.secondaryText
        }
        Repeater {
            model: pane.lines
            delegate: TextEdit {
                required property string modelData
                Layout.fillWidth: true
                Layout.leftMargin: 24
                Layout.rightMargin: 24
                text: modelData
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.WrapAnywhere
                font.family: "DejaVu Sans Mono"
                font.pixelSize: Palette.callout
                color: Palette.text
                selectionColor: Palette.faded(Palette.accent, 0.35)
            }
        }
        Item { implicitHeight: 18 }
    }
}
