import QtQuick
import QtQuick.Layouts
import Ampa

// Says that the map shows a saved scan, not this disk: of which path, from when, read from which
// file; nothing can be done to its entries. Closing it walks a real folder again.
Rectangle {
    id: header
    objectName: "spaceScanHeader"
    implicitHeight: content.implicitHeight + 20
    radius: 8
    color: Theme.secondaryFill
    border.width: 1
    border.color: Theme.primary(0.12)
    Accessible.role: Accessible.StaticText
    Accessible.name: title.text + ". " + detail.text

    readonly property string root: Model.space.crumbs.length > 0 ? Model.space.crumbs[0].name : ""

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.margins: 10
        spacing: 12
        Symbol {
            Layout.alignment: Qt.AlignTop
            name: "doc.badge.clock"
            tint: Theme.secondaryText
            size: 18
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Text {
                id: title
                objectName: "spaceScanTitle"
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                text: Model.space.scanTime > 0
                      ? Texts.bilingual("Pindaian tersimpan dari %1, %2", "Saved scan of %1, from %2")
                        .arg(header.root).arg(Model.space.timeText(Model.space.scanTime))
                      : Texts.bilingual("Pindaian tersimpan dari %1", "Saved scan of %1").arg(header.root)
                font.pixelSize: Theme.body
                font.weight: Font.DemiBold
                color: Theme.text
            }
            Text {
                id: detail
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                text: Texts.bilingual("Dibaca dari %1. Hanya untuk dilihat: yang tampil di sini bukan disk ini, dan tidak ada yang bisa dipindah, disimpan, atau diukur ulang.",
                                      "Read from %1. Only for looking at: what is shown is not this disk, and nothing here can be moved, kept or measured again.")
                      .arg(Model.space.scanFile)
                font.pixelSize: Theme.callout
                color: Theme.secondaryText
            }
        }
        PillButton {
            objectName: "spaceCloseScan"
            Layout.alignment: Qt.AlignTop
            text: Texts.bilingual("Tutup pindaian", "Close the scan")
            Accessible.description: Texts.bilingual("Kembali mengukur folder di disk ini",
                                                    "Measure a folder of this disk again")
            onClicked: Model.space.closeScan()
        }
    }
}
