import QtQuick
import Ampa

// The brand mark: the application's icon and its name.
Row {
    id: mark
    property real size: 28
    spacing: size * 0.35

    Rectangle {
        width: mark.size
        height: mark.size
        radius: mark.size * 0.24
        color: Theme.accent
        Symbol {
            anchors.centerIn: parent
            name: "sparkles"
            tint: "white"
            size: mark.size * 0.6
        }
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: "Ampa"
        font.pixelSize: mark.size * 0.62
        font.weight: Font.DemiBold
        color: Theme.text
    }
}
