import QtQuick
import Ampa

// A symbol of the icon theme, drawn in `tint` (or in its own colours when `tint` is unset).
Image {
    id: symbol
    property string name
    property color tint: "transparent"
    property real size: 16

    width: size
    height: size
    sourceSize.width: Math.ceil(size * 2)
    sourceSize.height: Math.ceil(size * 2)
    smooth: true
    source: name === "" ? "" : Icons.source(name, tint.a > 0 ? tint : undefined)
}
