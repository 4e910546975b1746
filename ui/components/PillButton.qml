import QtQuick
import Ampa

// The pill-shaped button: a label on a capsule; prominent is the card's main action, destructive
// one that removes data (drawn in the palette's red).
PlainButton {
    id: pill
    property bool prominent: false
    property bool destructive: false

    implicitWidth: label.implicitWidth + 24
    implicitHeight: label.implicitHeight + 10
    opacity: enabled ? 1 : 0.5
    scale: pressed && enabled ? 0.97 : 1

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: pill.prominent ? Theme.primary(0.08) : Theme.control
        border.width: 1
        border.color: pill.destructive ? Theme.faded(Theme.red, 0.45)
                                       : Theme.primary(pill.prominent ? 0.3 : 0.12)
        FocusRing { control: pill; radius: height / 2 }
    }
    // The full text colour while enabled: grey text would read as a disabled button.
    Text {
        id: label
        anchors.centerIn: parent
        text: pill.text
        font.pixelSize: Theme.callout
        font.weight: pill.prominent || pill.destructive ? Font.Medium : Font.Normal
        color: pill.destructive ? Theme.red : Theme.text
    }
}
