import QtQuick
import QtQuick.Layouts
import Ampa

// The developer caches: each cleaned as its owner would, behind its own confirmation; the kept
// ones apart.
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
            pane: "pengembang"
        }
        ScanChip {
            visible: Model.scanningAdv
            text: Texts.bilingual("Memindai cache pengembang", "Scanning developer caches")
        }
        Text {
            objectName: "devEmpty"
            visible: !Model.scanningAdv && Model.devCount === 0
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Texts.bilingual("Tidak ada cache pengembang yang ditemukan.", "No developer caches found.")
            font.pixelSize: Theme.body
            color: Theme.secondaryText
        }
        DevCacheList { Layout.fillWidth: true }
        // The developer caches that the quick clean takes: named here so that every cache is in
        // one place, counted there only.
        SectionTitle {
            visible: quickCaches.count > 0
            text: Texts.bilingual("Di pembersihan cepat", "In the quick clean")
        }
        Repeater {
            id: quickCaches
            model: Model.devQuickCaches
            delegate: RowLayout {
                id: quickRow
                required property var model
                objectName: "devQuick_" + model.id
                Layout.fillWidth: true
                Accessible.role: Accessible.StaticText
                Accessible.name: Texts.withSize(model.name, model.size)
                Text {
                    Layout.fillWidth: true
                    elide: Text.ElideRight
                    text: quickRow.model.name
                    font.pixelSize: Theme.body
                    color: Theme.text
                }
                Text {
                    text: Texts.fmt(quickRow.model.size)
                    font.pixelSize: Theme.body
                    color: Theme.secondaryText
                }
            }
        }
        PillButton {
            objectName: "devToQuick"
            visible: quickCaches.count > 0
            text: Texts.bilingual("Buka pembersihan cepat", "Open the quick clean")
            onClicked: Model.paneKey = "cepat"
        }
        Text {
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Texts.bilingual("Setiap tindakan meminta konfirmasi dulu, dengan yang akan dihapus atau dijalankan.",
                                  "Every action asks you first, showing what it removes or runs.")
            font.pixelSize: Theme.callout
            color: Theme.secondaryText
        }
        SectionTitle {
            visible: keptList.visible
            text: Texts.bilingual("Disimpan", "Kept")
        }
        DevCacheList {
            id: keptList
            Layout.fillWidth: true
            kept: true
        }
        Item { Layout.fillHeight: true }
    }
}
