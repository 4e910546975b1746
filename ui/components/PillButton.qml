import QtQuick
import QtQuick.Controls
import Ampa

// The pill-shaped button: a dot and a label on a capsule; prominent is the card's main action.
Button {
    id: pill
    property bool prominent: false

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

    contentItem: Row {
        spacing: 6
        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 6
            height: 6
            radius: 3
            color: Theme.faded(pill.prominent ? Theme.text : Theme.secondaryText, 0.6)
        }
        Text {
            text: pill.text
            font.pixelSize: Theme.callout
            font.weight: pill.prominent ? Font.Medium : Font.Normal
            color: pill.prominent ? Theme.text : Theme.secondaryText
            elide: Text.ElideNone
        }
    }
    background: Rectangle {
        radius: height / 2
        color: pill.prominent ? Theme.primary(0.08) : Theme.control
        border.width: 1
        border.color: Theme.primary(pill.prominent ? 0.3 : 0.12)
        FocusRing { control: pill; radius: height / 2 }
    }
}
