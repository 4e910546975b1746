import QtQuick
import Ampa

// One row of the sidebar: a symbol, a label and a count; selecting it shows its pane. From the
// keyboard the sidebar is one stop of the Tab chain (its focus scope), the selected row; the
// arrows move along it.
Rectangle {
    id: row
    property string key
    property string symbol
    property string label
    property int badge: 0
    readonly property bool selected: Model.paneKey === key
    // Up (-1) or Down (+1) was pressed on this row.
    signal stepped(int by)

    // The focus of the sidebar's scope: Tab into the sidebar lands on the selected row, and no
    // other row is a stop of its own, whichever had the focus before.
    focus: selected
    Keys.onUpPressed: row.stepped(-1)
    Keys.onDownPressed: row.stepped(1)
    Accessible.role: Accessible.PageTab
    Accessible.name: label
    Accessible.selectable: true
    Accessible.selected: selected

    objectName: "row_" + key
    width: parent ? parent.width : implicitWidth
    implicitHeight: 30
    radius: 6
    color: selected ? Theme.faded(Theme.accent, 0.18) : (hover.hovered ? Theme.primary(0.05) : "transparent")

    FocusRing {
        control: null
        visible: row.activeFocus
    }
    HoverHandler { id: hover }
    TapHandler { onTapped: Model.paneKey = row.key }

    Item {
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        Symbol {
            id: rowSymbol
            anchors.verticalCenter: parent.verticalCenter
            name: row.symbol
            tint: row.selected ? Theme.accentText : Theme.secondaryText
            size: 15
        }
        Text {
            objectName: "rowLabel"
            anchors.left: rowSymbol.right
            anchors.leftMargin: 8
            anchors.right: badgeText.visible ? badgeText.left : parent.right
            anchors.rightMargin: badgeText.visible ? 8 : 0
            anchors.verticalCenter: parent.verticalCenter
            text: row.label
            elide: Text.ElideRight
            font.pixelSize: Theme.body
            color: Theme.text
        }
        Text {
            id: badgeText
            objectName: "badge"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            visible: row.badge > 0
            text: row.badge
            font.pixelSize: Theme.caption
            color: Theme.secondaryText
        }
    }
}
