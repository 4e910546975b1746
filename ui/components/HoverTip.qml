import QtQuick
import Ampa

// A control's help, below it while the pointer rests on it. Laid over the whole window, where
// nothing drawn later covers it, and kept inside the window.
Rectangle {
    id: tip
    // The control it helps with, and its help.
    required property ButtonItem control
    property string text
    readonly property bool wanted: control.hovered && text !== ""

    parent: control.Window.contentItem
    z: 1000000
    visible: false
    width: label.implicitWidth + 16
    height: label.implicitHeight + 8
    radius: 4
    color: Theme.control
    border.width: 1
    border.color: Theme.primary(0.15)
    Accessible.role: Accessible.ToolTip
    Accessible.name: text

    // After a rest, as the desktop's own tips: passing over the toolbar shows none.
    Timer {
        id: rest
        interval: 500
        onTriggered: tip.show()
    }
    onWantedChanged: {
        if (wanted) {
            rest.restart()
        } else {
            rest.stop()
            visible = false
        }
    }
    function show() {
        if (!parent)
            return
        const below = tip.control.mapToItem(parent, tip.control.width / 2, tip.control.height)
        x = Math.round(Math.max(4, Math.min(below.x - width / 2, parent.width - width - 4)))
        y = Math.round(below.y + 6)
        visible = true
    }

    Text {
        id: label
        anchors.centerIn: parent
        text: tip.text
        font.pixelSize: Theme.callout
        color: Theme.text
    }
}
