pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Ampa

// The folder looked at as a squarified treemap: each tile an entry, as large as its share; the
// part that rebuilds by itself is drawn in the accent colour. A click opens a folder and selects
// anything else; the tile of the list's current row is outlined, so chart and list follow each
// other. Pointer only: the list beside it is the way for the keyboard and screen readers.
Item {
    id: chart
    property int currentId: -1
    signal picked(int id, bool folder)

    readonly property var tiles: Model.space.total >= 0 && Model.space.count >= 0
                                 ? Model.space.tiles(width, height) : []

    Rectangle {
        anchors.fill: parent
        radius: 8
        color: Theme.secondaryFill
    }

    Repeater {
        model: chart.tiles
        delegate: Rectangle {
            id: tile
            required property var modelData
            readonly property bool isFolder: modelData.folder
            readonly property real reclaimedShare: modelData.size > 0
                                                   ? modelData.reclaimable / modelData.size : 0
            x: modelData.x + 1
            y: modelData.y + 1
            width: modelData.width - 2
            height: modelData.height - 2
            radius: 3
            color: reclaimedShare > 0.5 ? Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b,
                                                  Theme.dark ? 0.55 : 0.45)
                                        : (isFolder ? Theme.track : Theme.control)
            border.width: modelData.id === chart.currentId ? 2 : (hover.containsMouse ? 1 : 0)
            border.color: modelData.id === chart.currentId ? Theme.accentText : Theme.secondaryText
            Text {
                visible: tile.width > 46 && tile.height > 18
                anchors.fill: parent
                anchors.margins: 4
                text: tile.modelData.name
                elide: Text.ElideRight
                font.pixelSize: Theme.caption
                color: Theme.text
            }
            MouseArea {
                id: hover
                anchors.fill: parent
                hoverEnabled: true
                cursorShape: tile.isFolder ? Qt.PointingHandCursor : Qt.ArrowCursor
                onClicked: chart.picked(tile.modelData.id, tile.isFolder)
            }
            ToolTip.visible: hover.containsMouse
            ToolTip.delay: 300
            ToolTip.text: tile.modelData.path + "\n" + Texts.fmt(tile.modelData.size)
        }
    }
}
