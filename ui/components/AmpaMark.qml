import QtQuick
import Ampa

// The brand mark: the application's icon and its name, and in demo mode a mark that says the
// figures are samples (wherever figures show, the brand is above them).
Row {
    id: mark
    property real size: 28
    property bool narrow: false // the demo mark in one word
    spacing: size * 0.35

    Image {
        width: mark.size
        height: mark.size
        sourceSize.width: mark.size * 2
        sourceSize.height: mark.size * 2
        smooth: true
        // Through the symbol provider: a plain image source makes Qt Quick load every image
        // format plugin to find the one for SVG.
        source: Icons.source(":/app.ampa.Ampa.svg")
    }
    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: "Ampa"
        font.pixelSize: mark.size * 0.62
        font.weight: Font.DemiBold
        color: Theme.text
    }
    Rectangle {
        objectName: "demoMark"
        visible: Model.demo
        anchors.verticalCenter: parent.verticalCenter
        implicitWidth: demoText.implicitWidth + 14
        implicitHeight: demoText.implicitHeight + 4
        width: implicitWidth
        height: implicitHeight
        radius: height / 2
        color: Theme.faded(Theme.orange, 0.18)
        border.width: 1
        border.color: Theme.faded(Theme.orange, 0.5)
        Accessible.role: Accessible.StaticText
        Accessible.name: Texts.bilingual("Mode demo: angka contoh, tidak ada yang dihapus.",
                                         "Demo mode: sample figures, nothing is removed.")
        Text {
            id: demoText
            anchors.centerIn: parent
            text: mark.narrow ? "Demo" : Texts.bilingual("Demo: angka contoh", "Demo: sample figures")
            font.pixelSize: Theme.caption
            font.weight: Font.Medium
            color: Theme.text
        }
    }
}
