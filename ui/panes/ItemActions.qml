import QtQuick
import QtQuick.Controls
import Ampa

// The two small buttons of a large item: show it in the file manager, move it to the Trash. They
// show under the pointer; from the keyboard the item itself takes the focus and the same keys.
Row {
    id: actions
    property string itemId
    spacing: 2

    ToolButton {
        objectName: "reveal"
        implicitWidth: 24
        implicitHeight: 24
        ToolTip.visible: hovered
        ToolTip.text: Texts.bilingual("Tampilkan di folder", "Show in folder")
        Accessible.name: ToolTip.text
        focusPolicy: Qt.NoFocus
        onClicked: Model.revealItem(actions.itemId)
        contentItem: Symbol { name: "magnifyingglass"; tint: Theme.secondaryText; size: 14 }
        background: FocusRing {}
    }
    ToolButton {
        objectName: "trash"
        implicitWidth: 24
        implicitHeight: 24
        ToolTip.visible: hovered
        ToolTip.text: Texts.bilingual("Pindahkan ke Trash", "Move to Trash")
        Accessible.name: ToolTip.text
        focusPolicy: Qt.NoFocus
        onClicked: Model.trashItem(actions.itemId)
        contentItem: Symbol { name: "trash"; tint: Theme.secondaryText; size: 14 }
        background: FocusRing {}
    }
}
