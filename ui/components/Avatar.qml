import QtQuick
import Ampa

// Initials on a soft circle whose hue comes from the initials alone.
Rectangle {
    id: avatar
    property string initials
    property real size: 32
    readonly property real hue: AvatarHue.of(initials)

    width: size
    height: size
    radius: size / 2
    color: Qt.hsva(hue, 0.18, 0.95, 1)
    border.width: 1
    border.color: Qt.hsva(hue, 0.3, 0.8, 1)

    Text {
        anchors.centerIn: parent
        text: avatar.initials
        font.pixelSize: avatar.size * 0.375
        font.weight: Font.DemiBold
        color: Qt.hsva(avatar.hue, 0.45, 0.45, 1)
    }
}
