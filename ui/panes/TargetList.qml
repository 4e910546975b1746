import QtQuick
import QtQuick.Layouts
import Ampa

// The quick-clean targets that hold something or have a status, in catalogue order; while there
// are none, what the scan is doing or that all is clean.
Rectangle {
    objectName: "targetList"
    implicitHeight: targets.implicitHeight
    radius: 12
    color: Theme.secondaryFill
    clip: true

    ColumnLayout {
        id: targets
        width: parent.width
        spacing: 0

        RowLayout {
            visible: Model.visibleQuick.count === 0
            Layout.fillWidth: true
            Layout.margins: 14
            spacing: 12
            IconTile { symbol: "checkmark" }
            Text {
                objectName: "targetsEmpty"
                Layout.fillWidth: true
                text: Model.scanning ? Texts.bilingual("Memindai cache", "Scanning caches")
                                     : Texts.bilingual("Semua cache sudah bersih.",
                                                "All caches are clean.")
                font.pixelSize: Theme.body
                color: Theme.secondaryText
            }
        }
        Repeater {
            model: Model.visibleQuick
            delegate: ColumnLayout {
                id: targetRow
                required property var model
                required property int index
                Layout.fillWidth: true
                spacing: 0
                Rectangle {
                    visible: targetRow.index > 0
                    Layout.fillWidth: true
                    Layout.leftMargin: 54
                    implicitHeight: 1
                    color: Theme.primary(0.08)
                }
                RowLayout {
                    objectName: "target_" + targetRow.model.id
                    Accessible.role: Accessible.ListItem
                    Accessible.name: Texts.withSize(targetRow.model.name,
                                                    targetRow.model.size)
                    Accessible.description: targetRow.model.status !== ""
                                            ? targetRow.model.status : targetRow.model.note
                    Layout.fillWidth: true
                    Layout.margins: 12
                    Layout.leftMargin: 14
                    spacing: 12
                    TargetIcon { target: targetRow.model }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 1
                        Text {
                            text: targetRow.model.name
                            font.pixelSize: Theme.body
                            color: Theme.text
                        }
                        Text {
                            objectName: "targetCaption"
                            Layout.fillWidth: true
                            elide: Text.ElideRight
                            text: targetRow.model.status !== ""
                                  ? targetRow.model.status : targetRow.model.note
                            font.pixelSize: Theme.caption
                            color: targetRow.model.status !== "" ? Theme.orange
                                                                     : Theme.secondaryText
                        }
                    }
                    Text {
                        text: Texts.fmt(targetRow.model.size)
                        font.pixelSize: Theme.body
                        color: Theme.secondaryText
                    }
                }
            }
        }
    }
}
