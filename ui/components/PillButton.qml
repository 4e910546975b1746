import QtQuick
import QtQuick.Controls
import Ampa

// The pill-shaped button: a label on a capsule; prominent is the card's main action, destructive
// one that removes data (drawn in the palette's red).
Button {
    id: pill
    property bool prominent: false
    property bool destructive: false

    padding: 0
    leftPadding: 12
    rightPadding: 12
    topPadding: 5
    bottomPadding: 5
    opacity: enabled ? 1 : 0.5
    scale: pressed && enabled ? 0.97 : 1
    hoverEnabled: true
    // Return presses a focused button, as on the rest of the desktop (Space already does).
    Keys.onReturnPressed: pill.clicked()
    Keys.onEnterPressed: pill.clicked()

    // The full text colour while enabled: grey text would read as a disabled button.
    contentItem: Text {
        text: pill.text
        font.pixelSize: Theme.callout
        font.weight: pill.prominent || pill.destructive ? Font.Medium : Font.Normal
        color: pill.destructive ? Theme.red : Theme.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideNone
    }
    background: Rectangle {
        radius: height / 2
        color: pill.prominent ? Theme.primary(0.08) : Theme.control
        border.width: 1
        border.color: pill.destructive ? Theme.faded(Theme.red, 0.45)
                                       : Theme.primary(pill.prominent ? 0.3 : 0.12)
        FocusRing { control: pill; radius: height / 2 }
    }
}
