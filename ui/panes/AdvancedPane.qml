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
                        required property var model
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
                            Accessible.name: Texts.withSize(advRow.model.title,
                                                            advRow.model.size)
                            Accessible.description: advRow.model.note
                            Layout.fillWidth: true
                            Layout.margins: 12
                            Layout.leftMargin: 14
                            Layout.rightMargin: 14
                            spacing: 12
                            Avatar { initials: advRow.model.initials }
                            ColumnLayout {
                                Layout.fillWidth: true
                                spacing: 1
                                HoverHandler { id: noteHover }
                                ToolTip.visible: noteHover.hovered
                                ToolTip.text: advRow.model.note
                                Text {
                                    text: advRow.model.title
                                    font.pixelSize: Theme.body
                                    font.weight: Font.Medium
                                    color: Theme.text
                                }
                                Text {
                                    Layout.fillWidth: true
                                    elide: Text.ElideRight
                                    text: advRow.model.short
                                    font.pixelSize: Theme.callout
                                    color: Theme.secondaryText
                                }
                            }
                            Text {
                                visible: advRow.model.size !== undefined
                                text: visible ? Texts.fmt(advRow.model.size) : ""
                                font.pixelSize: Theme.body
                                color: Theme.secondaryText
                            }
                            PillButton {
                                objectName: "advButton_" + advRow.model.id
                                text: advRow.model.button
                                prominent: advRow.model.prominent
                                // The prominent ones open an app; the others remove data.
                                destructive: !advRow.model.prominent
                                enabled: advRow.model.enabled && !Model.busy
                                onClicked: Model.activateAdvItem(advRow.model.id)
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
