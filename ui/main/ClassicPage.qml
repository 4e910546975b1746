import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// Everything on one scrolling page: the summary, then each section under the other.
ScrollView {
    id: page
    // The height the content wants; the window follows it within the screen.
    readonly property real contentHeightWanted: column.implicitHeight + 56
    contentWidth: availableWidth
    // The column's margins count too, or the last row could not be scrolled into view.
    contentHeight: column.implicitHeight + 56
    readonly property Flickable flickable: contentItem as Flickable

    ColumnLayout {
        id: column
        objectName: "pageColumn"
        x: 28
        y: 28
        width: page.availableWidth - 56
        spacing: 16

        AmpaMark {}
        Hero { Layout.fillWidth: true }
        // Made only while suggested: most starts do not suggest it.
        Loader {
            Layout.fillWidth: true
            active: Model.suggestRestart
            visible: active
            sourceComponent: RestartCard {}
        }
        LoginNote { Layout.fillWidth: true }
        WarningNotes { Layout.fillWidth: true }
        ResultChip {
            objectName: "resultBanner"
            Layout.fillWidth: true
            pane: ""
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 8
            SectionTitle { text: Texts.bilingual("Pembersihan cepat", "Quick clean") }
            Text {
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                text: Texts.bilingual("Cache yang dibuat ulang sendiri. Cache aplikasi yang sedang terbuka dilewati.",
                               "Caches that rebuild themselves. Caches of apps that are open are skipped.")
                font.pixelSize: Theme.callout
                color: Theme.secondaryText
            }
            TargetList { Layout.fillWidth: true }
        }

        ColumnLayout {
            objectName: "advancedSection"
            Layout.fillWidth: true
            enabled: !Model.busy
            spacing: 8
            SectionTitle { text: Texts.bilingual("Opsi lanjutan", "Advanced options") }
            Text {
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                text: Texts.bilingual("Data yang lebih besar. Setiap tindakan meminta konfirmasi dulu.",
                               "Larger data. Every action asks you first.")
                font.pixelSize: Theme.callout
                color: Theme.secondaryText
            }
            GridLayout {
                id: cards
                Layout.fillWidth: true
                columns: 2
                columnSpacing: 12
                rowSpacing: 12
                Repeater {
                    model: Model.advItems
                    delegate: AdvancedCard {
                        id: advCard
                        required property var model
                        // Half the page's column each, given outright: a card alone (often the
                        // Trash on Linux) keeps to its column and still has room for its button.
                        // The column (grid, section, column) has a width set outright; any width
                        // a layout gives would feed back through the cards' limits.
                        readonly property Item pageColumn: advCard.parent && advCard.parent.parent
                                                           ? advCard.parent.parent.parent : null
                        readonly property real columnWidth: pageColumn ? Math.max(0, (pageColumn.width - 12) / 2) : 0
                        Layout.preferredWidth: advCard.columnWidth
                        Layout.maximumWidth: advCard.columnWidth
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        item: advCard.model
                    }
                }
                Rectangle {
                    visible: Model.scanningAdv
                    Layout.preferredWidth: Math.max(0, (column.width - cards.columnSpacing) / 2)
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    implicitHeight: 120
                    radius: 12
                    color: Theme.secondaryFill
                    ScanChip {
                        anchors.centerIn: parent
                        text: Texts.bilingual("Memindai WhatsApp", "Scanning WhatsApp")
                    }
                }
            }
        }

        ColumnLayout {
            id: spaceSection
            objectName: "spaceSection"
            Layout.fillWidth: true
            spacing: 8
            SectionTitle { text: Texts.bilingual("Ruang disk", "Space") }
            // The map is the heaviest section: read from its file and made in the background
            // once the page is scrolled to it, which a start that stays at the top never is.
            Loader {
                id: space
                objectName: "spaceLoader"
                Layout.fillWidth: true
                // Room kept while it is made, so the sections below do not jump up and back.
                Layout.preferredHeight: item ? (item as Item).implicitHeight : 340
                // Once laid out: before, every section sits at the top.
                readonly property bool near: spaceSection.y > 0
                                             && spaceSection.y + column.y
                                                < page.flickable.contentY + page.height
                asynchronous: true
                active: false
                onNearChanged: if (near) active = true
                Component.onCompleted: setSource("../panes/SpacePane.qml", { embedded: true })
                ScanChip {
                    anchors.centerIn: parent
                    visible: space.status !== Loader.Ready
                    text: Texts.bilingual("Memuat peta ruang", "Loading the space map")
                }
            }
        }

        ColumnLayout {
            objectName: "devSection"
            visible: Model.devItems.count + Model.keptDevItems.count > 0
            Layout.fillWidth: true
            spacing: 8
            SectionTitle { text: Texts.bilingual("Cache pengembang", "Developer caches") }
            DevCacheList { Layout.fillWidth: true }
            DevCacheList {
                Layout.fillWidth: true
                kept: true
            }
        }

        ColumnLayout {
            objectName: "projectsSection"
            visible: Model.projects.count + Model.keptProjects.count > 0
            Layout.fillWidth: true
            spacing: 8
            SectionTitle { text: Texts.bilingual("Proyek", "Projects") }
            ProjectList { Layout.fillWidth: true }
            ProjectList {
                Layout.fillWidth: true
                kept: true
            }
        }

        ItemsSection {
            Layout.fillWidth: true
            enabled: !Model.busy
        }
        ItemsSection {
            Layout.fillWidth: true
            apps: true
            enabled: !Model.busy
        }
    }
}
