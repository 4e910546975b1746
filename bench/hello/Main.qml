import QtQuick
import QtQuick.Window

Window {
    width: 1000
    height: 680
    visible: true
    title: "Hello"

    Text {
        anchors.centerIn: parent
        text: "Hello, world"
        font.pixelSize: 20
    }
}
