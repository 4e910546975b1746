import QtQuick
import Ampa

// A symbol of the icon theme, drawn in `tint` (or in its own colours when `tint` is unset), at
// `size` whatever the size of the theme's own drawing.
Item {
    id: symbol
    property string name
    property color tint: "transparent"
    property real size: 16

    implicitWidth: size
    implicitHeight: size

    // At its own size in the middle of whatever room a control's padding leaves: stretched to
    // that room it came out squeezed or oval.
    Image {
        objectName: "drawing"
        anchors.centerIn: parent
        width: symbol.size
        height: symbol.size
        sourceSize.width: Math.ceil(symbol.size * 2)
        sourceSize.height: Math.ceil(symbol.size * 2)
        smooth: true
        source: symbol.name === "" ? ""
                                   : Icons.source(symbol.name, symbol.tint)
    }
}
