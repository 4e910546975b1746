import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// The last action's result, with a button that dismisses it everywhere.
Rectangle {
    id: chip
    property string text
    // Anything short of done is marked, so a failure never looks like a success.
    readonly property bool done: Model.resultDone

    implicitHeight: row.implicitHeight + 24
    implicitWidth: row.implicitWidth + 24
    radius: 12
    color: Theme.faded(done ? Theme.accent : Theme.orange, 0.1)

    onTextChanged: bounce.restart()

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 12
        spacing: 8
        Symbol {
            id: check
            objectName: "resultSymbol"
            name: chip.done ? "checkmark.circle.fill" : "exclamationmark.triangle.fill"
            tint: chip.done ? Theme.accent : Theme.orange
            size: 16
            SequentialAnimation {
                id: bounce
                NumberAnimation { target: check; property: "scale"; to: 1.25; duration: 120 }
                NumberAnimation { target: check; property: "scale"; to: 1; duration: 180; easing.type: Easing.OutBack }
            }
        }
        Text {
            Layout.fillWidth: true
            text: chip.text
            wrapMode: Text.Wrap
            font.pixelSize: Theme.body
            color: Theme.text
        }
        ToolButton {
            objectName: "dismissResult"
            flat: true
            implicitWidth: 22
            implicitHeight: 22
            padding: 5 // the × keeps its 12 px
            onClicked: Model.clearResult()
            Accessible.name: Texts.bilingual("Tutup pesan", "Dismiss")
            contentItem: Symbol {
                name: "xmark"
                tint: Theme.secondaryText
                size: 12
            }
            background: FocusRing {}
        }
    }
}
