pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// How the list shows the folder: which size, in which order, and a filter by name. The filter
// is of the folder looked at (the model clears it when another is); Escape clears it, Down goes
// to the list.
RowLayout {
    id: tools
    objectName: "spaceListTools"
    // Where Down in the filter goes.
    property Item listView
    spacing: 8

    readonly property var orders: [
        { value: "size", text: Texts.bilingual("Ukuran", "Size") },
        { value: "name", text: Texts.bilingual("Nama", "Name") },
        { value: "count", text: Texts.bilingual("Jumlah entri", "Entries") },
        { value: "age", text: Texts.bilingual("Terbaru diubah", "Last modified") },
        { value: "grown", text: Texts.bilingual("Pertambahan", "Growth") }
    ]
    // The order as a screen reader says it.
    function orderText(order: string): string {
        switch (order) {
        case "size": return Model.space.apparent
                            ? Texts.bilingual("diurutkan menurut ukuran nyata, terbesar dulu",
                                              "sorted by apparent size, largest first")
                            : Texts.bilingual("diurutkan menurut ukuran di disk, terbesar dulu",
                                              "sorted by size on disk, largest first")
        case "name": return Texts.bilingual("diurutkan menurut nama", "sorted by name")
        case "count": return Texts.bilingual("diurutkan menurut jumlah entri, terbanyak dulu",
                                             "sorted by number of entries, most first")
        case "age": return Texts.bilingual("diurutkan menurut perubahan terakhir, terbaru dulu",
                                           "sorted by last change, newest first")
        case "grown": return Texts.bilingual("diurutkan menurut pertambahan, terbesar dulu",
                                             "sorted by growth, largest first")
        }
        return ""
    }

    SpaceSizeChoice {}

    PillComboBox {
        id: order
        objectName: "spaceOrder"
        model: tools.orders
        textRole: "text"
        valueRole: "value"
        currentIndex: Math.max(0, tools.orders.findIndex(o => o.value === Model.space.order))
        displayText: Texts.bilingual("Urut: %1", "Sort: %1").arg(currentText)
        implicitWidth: 170
        Accessible.name: Texts.bilingual("Urutan", "Order")
        Accessible.description: tools.orderText(Model.space.order)
        onActivated: index => Model.space.order = tools.orders[index].value
    }

    TextField {
        id: filter
        objectName: "spaceFilter"
        Layout.fillWidth: true
        Layout.minimumWidth: 120
        implicitHeight: 28
        leftPadding: 12
        rightPadding: 12
        topPadding: 0
        bottomPadding: 0
        font.pixelSize: Theme.callout
        color: Theme.text
        placeholderText: Texts.bilingual("Saring menurut nama", "Filter by name")
        placeholderTextColor: Theme.secondaryText
        selectByMouse: true
        text: Model.space.filter
        Accessible.role: Accessible.EditableText
        Accessible.name: Texts.bilingual("Saring menurut nama di folder ini",
                                         "Filter by name in this folder")
        Accessible.description: Model.space.filter !== "" ? shown.text : ""
        onTextEdited: Model.space.filter = text
        Keys.onEscapePressed: event => {
            // Nothing to clear: Escape is the window's.
            event.accepted = text !== ""
            if (event.accepted)
                Model.space.filter = ""
        }
        Keys.onDownPressed: if (tools.listView) tools.listView.forceActiveFocus(Qt.TabFocusReason)
        Keys.onReturnPressed: if (tools.listView) tools.listView.forceActiveFocus(Qt.TabFocusReason)
        background: Rectangle {
            radius: height / 2
            color: Theme.control
            border.width: 1
            border.color: filter.activeFocus ? Theme.accent : Theme.primary(0.12)
        }
    }

    // How many of the folder's entries the list shows.
    Text {
        id: shown
        objectName: "spaceShown"
        text: Model.space.filter !== ""
              ? Texts.bilingual("%1 dari %2 ditampilkan", "%1 of %2 shown").arg(Model.space.count).arg(Model.space.entries)
              : Model.space.countText(Model.space.entries)
        font.pixelSize: Theme.callout
        color: Theme.secondaryText
    }
}
