import QtQuick
import Ampa

// The quick-clean targets that hold something or have a status, in catalogue order; while there
// are none, what the scan is doing or that all is clean.
Rectangle {
    objectName: "targetList"
    implicitHeight: targets.implicitHeight
    radius: 12
    color: Theme.secondaryFill
    clip: true

    Column {
        id: targets
        width: parent.width

        Item {
            visible: Model.visibleQuick.count === 0
            width: parent.width
            implicitHeight: Math.max(emptyTile.height, emptyText.implicitHeight) + 28
            IconTile {
                id: emptyTile
                x: 14
                anchors.verticalCenter: parent.verticalCenter
                symbol: "checkmark"
            }
            Text {
                id: emptyText
                objectName: "targetsEmpty"
                anchors.left: emptyTile.right
                anchors.leftMargin: 12
                anchors.right: parent.right
                anchors.rightMargin: 14
                anchors.verticalCenter: parent.verticalCenter
                text: Model.scanning ? Texts.bilingual("Memindai cache", "Scanning caches")
                                     : Texts.bilingual("Semua cache sudah bersih.",
                                                "All caches are clean.")
                font.pixelSize: Theme.body
                color: Theme.secondaryText
            }
        }
        Repeater {
            model: Model.visibleQuick
            delegate: Column {
                id: targetRow
                required property var model
                required property int index
                width: parent ? parent.width : 0
                Rectangle {
                    visible: targetRow.index > 0
                    x: 54
                    width: parent.width - 54
                    height: 1
                    color: Theme.primary(0.08)
                }
                Item {
                    objectName: "target_" + targetRow.model.id
                    Accessible.role: Accessible.ListItem
                    Accessible.name: Texts.withSize(targetRow.model.name,
                                                    targetRow.model.size)
                    Accessible.description: targetRow.model.status !== ""
                                            ? targetRow.model.status : targetRow.model.note
                    width: parent.width
                    implicitHeight: Math.max(icon.height, texts.implicitHeight, sizeText.implicitHeight) + 24
                    TargetIcon {
                        id: icon
                        x: 14
                        anchors.verticalCenter: parent.verticalCenter
                        target: targetRow.model
                    }
                    Column {
                        id: texts
                        anchors.left: icon.right
                        anchors.leftMargin: 12
                        anchors.right: sizeText.left
                        anchors.rightMargin: 12
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 1
                        Text {
                            text: targetRow.model.name
                            font.pixelSize: Theme.body
                            color: Theme.text
                        }
                        Text {
                            objectName: "targetCaption"
                            width: parent.width
                            elide: Text.ElideRight
                            text: targetRow.model.status !== ""
                                  ? targetRow.model.status : targetRow.model.note
                            font.pixelSize: Theme.caption
                            color: targetRow.model.status !== "" ? Theme.orange
                                                                     : Theme.secondaryText
                        }
                    }
                    Text {
                        id: sizeText
                        anchors.right: parent.right
                        anchors.rightMargin: 12
                        anchors.verticalCenter: parent.verticalCenter
                        text: Texts.fmt(targetRow.model.size)
                        font.pixelSize: Theme.body
                        color: Theme.secondaryText
                    }
                }
            }
        }
    }
}
