import QtQuick
import Ampa

// A spinning indicator and what is being scanned, on a capsule.
Rectangle {
    id: chip
    property string text

    implicitWidth: row.implicitWidth + 24
    implicitHeight: row.implicitHeight + 12
    radius: height / 2
    color: Theme.control
    border.width: 1
    border.color: Theme.primary(0.08)

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 8
        Spinner {
            objectName: "scanSpinner"
            anchors.verticalCenter: parent.verticalCenter
            width: 16
            height: 16
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: chip.text
            font.pixelSize: Theme.callout
            color: Theme.secondaryText
        }
    }
}
