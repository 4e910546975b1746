import QtQuick
import QtQuick.Layouts
import Ampa

// The single page's largest downloads or applications, as rows.
ColumnLayout {
    id: section
    property bool apps: false
    readonly property RecordList items: apps ? Model.apps : Model.downloads
    spacing: 8

    SectionTitle {
        text: section.apps ? Texts.bilingual("Aplikasi terbesar", "Largest apps")
                           : Texts.bilingual("Item terbesar di Downloads", "Largest items in Downloads")
    }
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: rows.implicitHeight
        radius: 12
        color: Theme.secondaryFill
        ColumnLayout {
            id: rows
            width: parent.width
            spacing: 0
            Text {
                visible: section.items.count === 0
                Layout.fillWidth: true
                Layout.margins: 14
                wrapMode: Text.Wrap
                text: Model.scanningAdv
                      ? (section.apps ? Texts.bilingual("Memindai Applications", "Scanning Applications")
                                      : Texts.bilingual("Memindai Downloads", "Scanning Downloads"))
                      : (section.apps ? Texts.bilingual("Belum ada aplikasi yang terbaca.", "No apps found yet.")
                                      : Texts.bilingual("Downloads kosong.", "Downloads is empty."))
                font.pixelSize: Theme.callout
                color: Theme.secondaryText
            }
            Repeater {
                model: section.items
                delegate: ColumnLayout {
                    id: entry
                    required property var model
                    required property int index
                    Layout.fillWidth: true
                    spacing: 0
                    Rectangle {
                        visible: entry.index > 0
                        Layout.fillWidth: true
                        Layout.leftMargin: 52
                        implicitHeight: 1
                        color: Theme.primary(0.08)
                    }
                    DownloadRow {
                        Layout.fillWidth: true
                        item: entry.model
                    }
                }
            }
        }
    }
}
