import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// The larger clean-ups, one row each, every action behind its own confirmation.
Themed {
    id: pane
    implicitWidth: 560
    implicitHeight: column.implicitHeight + 48

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 24
        spacing: 14

        ResultChip {
            Layout.fillWidth: true
            pane: "lanjutan"
        }
        ScanChip {
            visible: Model.scanningAdv
            text: Texts.bilingual("Memindai data besar", "Scanning large data")
        }

        Rectangle {
            objectName: "advList"
            Layout.fillWidth: true
            implicitHeight: rows.implicitHeight
            radius: 12
            color: Theme.control
            border.width: 1
            border.color: Theme.primary(0.1)

            ColumnLayout {
                id: rows
                width: parent.width
                spacing: 0
                Repeater {
                    model: Model.advItems
                    delegate: ColumnLayout {
                        id: advRow
                        required property var modelData
                        required property int index
                        Layout.fillWidth: true
                        spacing: 0
                        Rectangle {
                            visible: advRow.index > 0
                            Layout.fillWidth: true
                            implicitHeight: 1
                            color: Theme.primary(0.08)
                        }
                        RowLayout {
                            Accessible.role: Accessible.ListItem
                            Accessible.name: Texts.withSize(advRow.modelData.title,
                                                            advRow.modelData.size)
                            Accessible.description: advRow.modelData.note
                            Layout.fillWidth: true
                            Layout.margins: 12
                            Layout.leftMargin: 14
                            Layout.rightMargin: 14
                            spacing: 12
                            Avatar { initials: advRow.modelData.initials }
                            ColumnLayout {
                                Layout.fillWidth: true
                                spacing: 1
                                HoverHandler { id: noteHover }
                                ToolTip.visible: noteHover.hovered
                                ToolTip.text: advRow.modelData.note
                                Text {
                                    text: advRow.modelData.title
                                    font.pixelSize: Theme.body
                                    font.weight: Font.Medium
                                    color: Theme.text
                                }
                                Text {
                                    Layout.fillWidth: true
                                    elide: Text.ElideRight
                                    text: advRow.modelData.short
                                    font.pixelSize: Theme.callout
                                    color: Theme.secondaryText
                                }
                            }
                            Text {
                                visible: advRow.modelData.size !== undefined
                                text: visible ? Texts.fmt(advRow.modelData.size) : ""
                                font.pixelSize: Theme.body
                                color: Theme.secondaryText
                            }
                            PillButton {
                                objectName: "advButton_" + advRow.modelData.id
                                text: advRow.modelData.button
                                prominent: advRow.modelData.prominent
                                // The prominent ones open an app; the others remove data.
                                destructive: !advRow.modelData.prominent
                                enabled: advRow.modelData.enabled && !Model.busy
                                onClicked: Model.activateAdvItem(advRow.modelData.id)
                            }
                        }
                    }
                }
            }
        }

        Text {
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Texts.bilingual("Setiap tindakan meminta konfirmasi dulu.", "Every action asks you first.")
            font.pixelSize: Theme.callout
            color: Theme.secondaryText
        }
        Item { Layout.fillHeight: true }
    }
}
