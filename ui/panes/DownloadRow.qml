import QtQuick
import QtQuick.Layouts
import Ampa
import "ItemFocus.js" as ItemFocus

// One large item as a row: icon, name and date, the item's buttons under the pointer or the
// keyboard focus, and its size. From the keyboard: Return shows it in its folder, Delete moves it
// to the Trash (asking first), Up and Down go to the rows around it.
Item {
    id: row
    // { id, path, name, size, modified }
    property var item: ({})
    property bool hover: hoverHandler.hovered || activeFocus

    objectName: "downloadRow_" + (item.name || "")
    activeFocusOnTab: true
    Accessible.role: Accessible.ListItem
    Accessible.name: Texts.withSize(item.name || "", item.size)
    Keys.onReturnPressed: Model.revealItem(row.item.id)
    Keys.onEnterPressed: Model.revealItem(row.item.id)
    Keys.onDeletePressed: Model.trashItem(row.item.id)
    Keys.onUpPressed: ItemFocus.move(row, false, "downloadRow_", false)
    Keys.onDownPressed: ItemFocus.move(row, true, "downloadRow_", false)

    implicitHeight: layout.implicitHeight + 16
    implicitWidth: layout.implicitWidth + 28

    HoverHandler { id: hoverHandler }
    FocusRing {
        control: null
        visible: row.activeFocus
        x: 0
        y: 0
        width: row.width
        height: row.height
        radius: 8
    }

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: 14
        anchors.rightMargin: 14
        anchors.topMargin: 8
        anchors.bottomMargin: 8
        spacing: 10
        FileIcon {
            path: row.item.path || ""
            size: 28
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 1
            Text {
                objectName: "itemName"
                Layout.fillWidth: true
                text: row.item.name || ""
                elide: Text.ElideMiddle
                font.pixelSize: Theme.body
                color: Theme.text
            }
            Text {
                text: row.item.modified ? Texts.shortDate(row.item.modified) : ""
                font.pixelSize: Theme.caption
                color: Theme.secondaryText
            }
        }
        ItemActions {
            visible: row.hover
            itemId: row.item.id || ""
        }
        Text {
            Layout.minimumWidth: 70
            horizontalAlignment: Text.AlignRight
            text: Texts.fmt(row.item.size || 0)
            font.pixelSize: Theme.body
            color: Theme.secondaryText
        }
    }
}
