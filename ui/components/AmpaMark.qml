import QtQuick
import Ampa

// The brand mark: the application's icon and its name.
Row {
    id: mark
    property real size: 28
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
}
