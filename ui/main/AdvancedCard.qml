import QtQuick
import QtQuick.Layouts
import Ampa

// One advanced item as a card of the single page.
Rectangle {
    id: card
    // { id, symbol, title, size, note, button, enabled, prominent }
    property var item: ({})
    objectName: "advCard_" + (item.id || "")
    Accessible.role: Accessible.ListItem
    Accessible.name: Texts.withSize(item.title || "", item.size)
    Accessible.description: item.note || ""

    implicitHeight: column.implicitHeight + 32
    radius: 12
    color: Theme.secondaryFill

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 16
        spacing: 6
        RowLayout {
            Layout.fillWidth: true
            IconTile { symbol: card.item.symbol || "" }
            Item { Layout.fillWidth: true }
            Text {
                visible: card.item.size !== undefined
                text: visible ? Texts.fmt(card.item.size) : ""
                font.pixelSize: Theme.title3
                font.weight: Font.DemiBold
                color: Theme.text
            }
        }
        Text {
            text: card.item.title || ""
            font.pixelSize: 14
            font.weight: Font.DemiBold
            color: Theme.text
        }
        Text {
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: card.item.note || ""
            font.pixelSize: Theme.caption
            color: Theme.secondaryText
        }
        Item { Layout.fillHeight: true }
        PillButton {
            objectName: "cardButton_" + (card.item.id || "")
            text: card.item.button || ""
            prominent: card.item.prominent || false
            // The prominent ones open an app; the others remove data.
            destructive: !(card.item.prominent || false)
            enabled: card.item.enabled === true
            onClicked: Model.activateAdvItem(card.item.id)
        }
    }
}
