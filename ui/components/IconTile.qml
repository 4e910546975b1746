import QtQuick
import Ampa

// A symbol in a small rounded square of its own tint.
Rectangle {
    property string symbol
    // The accent meant for foregrounds: the fill teal is too dim on the dark scheme.
    property color tint: Theme.accentText

    implicitWidth: 28
    implicitHeight: 28
    radius: 8
    color: Theme.faded(tint, 0.12)

    Symbol {
        anchors.centerIn: parent
        name: parent.symbol
        tint: parent.tint
        size: 15
    }
}
