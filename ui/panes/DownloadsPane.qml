import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// The largest items of Downloads, or the largest applications, as tiles or rows. The arrangement
// is one setting for both panes.
Themed {
    id: pane
    property bool apps: false
    readonly property RecordList items: apps ? Model.apps : Model.downloads
    readonly property bool grid: Settings.downloadsLayout === "grid"

    implicitWidth: 560
    implicitHeight: column.implicitHeight + 48

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 24
        spacing: 14

        RowLayout {
            Layout.fillWidth: true
            Text {
                objectName: "countText"
                // Nothing counted says nothing: the empty note below speaks for it.
                visible: pane.items.count > 0
                text: pane.items.count === 1
                      ? (pane.apps ? Texts.bilingual("1 aplikasi", "1 app") : Texts.bilingual("1 item", "1 item"))
                      : (pane.apps ? Texts.bilingual("%1 aplikasi terbesar", "%1 largest apps")
                                   : Texts.bilingual("%1 item terbesar", "%1 largest items"))
                        .arg(pane.items.count)
                font.pixelSize: Theme.body
                color: Theme.secondaryText
            }
            Item { Layout.fillWidth: true }
            Row {
                objectName: "arrangement"
                Accessible.name: Texts.bilingual("Susunan", "Arrangement")
                spacing: 0
                Repeater {
                    model: [{ value: "grid", symbol: "square.grid.2x2", help: "Grid" },
                            { value: "list", symbol: "list.bullet", help: "List" }]
                    delegate: ToolButton {
                        id: arrangeButton
                        required property var modelData
                        objectName: "arrange_" + modelData.value
                        checked: (modelData.value === "grid") === pane.grid
                        implicitWidth: 30
                        implicitHeight: 24
                        ToolTip.visible: hovered
                        ToolTip.text: modelData.help
                        Accessible.name: modelData.help
                        onClicked: Settings.downloadsLayout = modelData.value
                        contentItem: Symbol {
                            name: arrangeButton.modelData.symbol
                            tint: arrangeButton.checked ? Theme.text : Theme.secondaryText
                            size: 14
                        }
                        background: Rectangle {
                            radius: 6
                            color: arrangeButton.checked ? Theme.primary(0.1) : "transparent"
                            border.width: 1
                            border.color: Theme.primary(0.12)
                            FocusRing { control: arrangeButton }
                        }
                    }
                }
            }
        }

        ResultChip {
            Layout.fillWidth: true
            pane: pane.apps ? "aplikasi" : "downloads"
        }
        ScanChip {
            visible: pane.items.count === 0 && Model.scanningAdv
            text: pane.apps ? Texts.bilingual("Memindai Applications", "Scanning Applications")
                            : Texts.bilingual("Memindai Downloads", "Scanning Downloads")
        }

        Rectangle {
            objectName: "emptyBox"
            visible: pane.items.count === 0 && !Model.scanningAdv
            Layout.fillWidth: true
            implicitHeight: emptyText.implicitHeight + 28
            radius: 12
            color: Theme.secondaryFill
            Text {
                id: emptyText
                anchors.centerIn: parent
                width: parent.width - 28
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                text: pane.apps ? Texts.bilingual("Belum ada aplikasi yang terbaca.", "No apps found yet.")
                                : Texts.bilingual("Downloads kosong.", "Downloads is empty.")
                font.pixelSize: Theme.body
                color: Theme.secondaryText
            }
        }

        GridLayout {
            objectName: "tiles"
            visible: pane.items.count > 0 && pane.grid
            Layout.fillWidth: true
            // The column's whole width, whatever the tiles' limits add up to.
            Layout.maximumWidth: Infinity
            columns: Math.max(1, Math.floor((width + 14) / (150 + 14)))
            columnSpacing: 14
            rowSpacing: 14
            Repeater {
                model: pane.grid ? pane.items : null
                delegate: FileTile {
                    id: tileEntry
                    required property var model
                    Layout.fillWidth: true
                    Layout.minimumWidth: 150
                    // One column's width: a lone tile keeps to its column, not the whole row.
                    readonly property GridLayout grid: tileEntry.parent as GridLayout
                    Layout.maximumWidth: grid ? Math.max(150, (grid.width - (grid.columns - 1)
                                                               * grid.columnSpacing) / grid.columns)
                                              : 150
                    item: tileEntry.model
                }
            }
        }

        Rectangle {
            objectName: "rows"
            visible: pane.items.count > 0 && !pane.grid
            Layout.fillWidth: true
            implicitHeight: rowColumn.implicitHeight
            radius: 12
            color: Theme.control
            border.width: 1
            border.color: Theme.primary(0.1)
            ColumnLayout {
                id: rowColumn
                width: parent.width
                spacing: 0
                Repeater {
                    model: pane.grid ? null : pane.items
                    delegate: ColumnLayout {
                        id: listEntry
                        required property var model
                        required property int index
                        Layout.fillWidth: true
                        spacing: 0
                        Rectangle {
                            visible: listEntry.index > 0
                            Layout.fillWidth: true
                            implicitHeight: 1
                            color: Theme.primary(0.08)
                        }
                        DownloadRow {
                            Layout.fillWidth: true
                            item: listEntry.model
                        }
                    }
                }
            }
        }
        Item { Layout.fillHeight: true }
    }
}
