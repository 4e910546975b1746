import QtQuick
import Ampa

// The last action's result, shown only in the pane whose action made it (or wherever `pane` is
// left empty: the single page, the tray's panel), with a button that dismisses it everywhere.
Rectangle {
    id: chip
    // The pane by its stored name ("pengembang", …); empty: every pane's results.
    property string pane
    readonly property string text: Model.result
    readonly property bool mine: text !== "" && (pane === "" || Model.resultPane === pane)
    // Anything short of done is marked, so a failure never looks like a success.
    readonly property bool done: Model.resultDone

    visible: mine
    implicitHeight: Math.max(check.height, resultText.implicitHeight, actions.height) + 24
    implicitWidth: check.width + resultText.implicitWidth + actions.width + 16 + 24
    radius: 12
    color: Theme.faded(done ? Theme.accent : Theme.orange, 0.1)

    onTextChanged: if (mine) announce()
    onMineChanged: if (mine) announce()
    // A screen reader speaks an alert when it appears: each new result appears anew.
    function announce() {
        bounce.restart()
        announcement.visible = false
        announcement.visible = true
    }

    Item {
        id: announcement
        objectName: "resultAnnouncement"
        anchors.fill: parent
        Accessible.role: chip.done ? Accessible.StatusBar : Accessible.AlertMessage
        Accessible.name: chip.text
        Accessible.description: chip.done ? Texts.bilingual("Selesai", "Done")
                                          : Texts.bilingual("Perlu perhatian", "Needs attention")
    }

    Symbol {
        id: check
        objectName: "resultSymbol"
        anchors.left: parent.left
        anchors.leftMargin: 12
        anchors.verticalCenter: parent.verticalCenter
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
        id: resultText
        objectName: "resultText"
        anchors.left: check.right
        anchors.leftMargin: 8
        anchors.right: actions.left
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        text: chip.text
        wrapMode: Text.Wrap
        font.pixelSize: Theme.body
        color: Theme.text
        // Read once, as the announcement's name.
        Accessible.ignored: true
    }
    Row {
        id: actions
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8
        // For a few seconds after a move to the Trash: the item goes back where it was.
        PillButton {
            objectName: "undoResult"
            anchors.verticalCenter: parent.verticalCenter
            visible: Model.canUndo
            text: Texts.bilingual("Batalkan", "Undo")
            Accessible.description: Texts.bilingual("Kembalikan dari Trash", "Put it back from the Trash")
            onClicked: Model.undo()
        }
        PlainButton {
            id: dismiss
            objectName: "dismissResult"
            anchors.verticalCenter: parent.verticalCenter
            implicitWidth: 22
            implicitHeight: 22
            onClicked: Model.clearResult()
            text: Texts.bilingual("Tutup pesan", "Dismiss message")
            FocusRing { control: dismiss }
            Symbol {
                anchors.centerIn: parent
                name: "xmark"
                tint: Theme.secondaryText
                size: 12
            }
        }
    }
}
