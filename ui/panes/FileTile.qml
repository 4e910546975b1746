import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa
import "ItemFocus.js" as ItemFocus

// One large item as a tile: its icon, name and size; it rises under the pointer or the keyboard
// focus and offers the item's buttons, and a context menu with the same two actions. From the
// keyboard: Return shows it in its folder, Delete moves it to the Trash (asking first), the Menu
// key or Shift+F10 opens the menu, the arrows go to the tiles around it.
Item {
    id: tile
    // { id, path, name, size, modified }
    property var item: ({})
    readonly property bool hover: (hoverHandler.hovered || activeFocus) && enabled

    objectName: "tile_" + (item.name || "")
    activeFocusOnTab: true
    Accessible.role: Accessible.ListItem
    Accessible.name: Texts.withSize(item.name || "", item.size)
    Keys.onReturnPressed: Model.revealItem(tile.item.id)
    Keys.onEnterPressed: Model.revealItem(tile.item.id)
    Keys.onDeletePressed: Model.trashItem(tile.item.id)
    Keys.onLeftPressed: ItemFocus.move(tile, false, "tile_", false)
    Keys.onRightPressed: ItemFocus.move(tile, true, "tile_", false)
    Keys.onUpPressed: ItemFocus.move(tile, false, "tile_", true)
    Keys.onDownPressed: ItemFocus.move(tile, true, "tile_", true)
    Keys.onMenuPressed: menu.popup(tile, 0, tile.height)
    Keys.onPressed: event => {
        if (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)) {
            menu.popup(tile, 0, tile.height)
            event.accepted = true
        }
    }

    enabled: !Model.busy
    implicitWidth: 150
    implicitHeight: card.implicitHeight

    HoverHandler { id: hoverHandler }
    ToolTip.visible: hover
    ToolTip.delay: 600
    ToolTip.text: item.name || ""

    Rectangle {
        id: card
        width: parent.width
        y: tile.hover ? -2 : 0
        Behavior on y { NumberAnimation { duration: 150; easing.type: Easing.OutQuad } }
        implicitHeight: content.implicitHeight + 24
        radius: 12
        color: Theme.control
        border.width: 1
        border.color: Theme.primary(tile.hover ? 0.2 : 0.08)
        FocusRing {
            control: null
            visible: tile.activeFocus
            radius: 15
        }

        ColumnLayout {
            id: content
            anchors.fill: parent
            anchors.margins: 12
            spacing: 6
            FileIcon {
                path: tile.item.path || ""
                size: 36
            }
            Text {
                objectName: "itemName"
                Layout.fillWidth: true
                text: tile.item.name || ""
                elide: Text.ElideMiddle
                font.pixelSize: Theme.callout
                font.weight: Font.Medium
                color: Theme.text
            }
            Text {
                text: Texts.fmt(tile.item.size || 0)
                font.pixelSize: Theme.callout
                color: Theme.secondaryText
            }
        }
        ItemActions {
            visible: tile.hover
            anchors.top: parent.top
            anchors.right: parent.right
            anchors.margins: 6
            itemId: tile.item.id || ""
        }
    }

    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: menu.popup()
    }
    Menu {
        id: menu
        objectName: "tileMenu"
        // A popup and its items keep the palette they were made with: follow the scheme.
        palette: tile.palette
        MenuItem {
            palette: menu.palette
            text: Texts.bilingual("Tampilkan di folder", "Show in folder")
            onTriggered: Model.revealItem(tile.item.id)
        }
        MenuItem {
            palette: menu.palette
            text: Texts.bilingual("Pindahkan ke Trash", "Move to Trash")
            onTriggered: Model.trashItem(tile.item.id)
        }
    }
}
