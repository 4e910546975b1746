import QtQuick
import Ampa

// The panes listed on the left; the selected one fills the right.
Item {
    id: layout

    readonly property var titles: ({
        "cepat": Texts.bilingual("Pembersihan cepat", "Quick clean"),
        "ruang": Texts.bilingual("Ruang disk", "Space"),
        "lanjutan": Texts.bilingual("Opsi lanjutan", "Advanced options"),
        "pengembang": Texts.bilingual("Cache pengembang", "Developer caches"),
        "proyek": Texts.bilingual("Proyek", "Projects"),
        "downloads": "Downloads",
        "aplikasi": "Applications",
        "log": "Log",
        "pengaturan": Texts.bilingual("Pengaturan", "Settings")
    })
    // The pane on screen, and its title: the one asked for once it is made, until then the one
    // shown before, so that a first visit never shows an empty view.
    property string shownKey: ""
    readonly property string title: titles[shownKey] || ""
    // The keyboard's place when it has none: the selected row.
    function takeFocus() { sidebarScope.forceActiveFocus(Qt.OtherFocusReason) }
    function follow() {
        for (const slot of [quickPane, spacePane, advancedPane, devPane, projectsPane, downloadsPane,
                            appsPane, logPane, settingsPane]) {
            if (slot.wanted && slot.ready)
                shownKey = slot.key
        }
    }
    Connections {
        target: Model
        function onPaneChanged() { layout.follow() }
    }

    Rectangle {
        id: sidebar
        objectName: "sidebar"
        // The rows' labels in both languages: the sidebar is as wide as the longest of them, so
        // no label is cut whichever language is chosen.
        readonly property var labels: ({
            "cepat": ["Cepat", "Quick"],
            "ruang": ["Ruang disk", "Space"],
            "lanjutan": ["Lanjutan", "Advanced"],
            "pengembang": ["Cache pengembang", "Developer caches"],
            "proyek": ["Proyek", "Projects"],
            "downloads": ["Downloads", "Downloads"],
            "aplikasi": ["Applications", "Applications"],
            "log": ["Log", "Log"],
            "pengaturan": ["Pengaturan", "Settings"]
        })
        function label(key: string): string {
            return Texts.bilingual(labels[key][0], labels[key][1])
        }
        FontMetrics {
            id: labelMetrics
            font.pixelSize: Theme.body
        }
        readonly property real longestLabel: {
            let longest = 0
            for (const key in labels) {
                for (const words of labels[key])
                    longest = Math.max(longest, labelMetrics.advanceWidth(words))
            }
            return Math.ceil(longest)
        }
        // Margins, the row's padding, its symbol, spacing and a badge of up to three digits.
        readonly property real wanted: longestLabel + 2 * 10 + 2 * 8 + 15 + 2 * 8
                                       + labelMetrics.advanceWidth("000")
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: Math.max(180, wanted)
        color: Theme.secondaryFill

        // The row `by` places from `from`, selected and given the focus; the ends stay put.
        function step(from: string, by: int) {
            const order = "cepat ruang lanjutan pengembang proyek downloads aplikasi log pengaturan".split(" ")
            let at = 0
            for (let i = 0; i < order.length; ++i) {
                if (order[i] === from)
                    at = i
            }
            const next = order[Math.max(0, Math.min(order.length - 1, at + by))]
            Model.paneKey = next
            for (let i = 0; i < rows.children.length; ++i) {
                if (rows.children[i].objectName === "row_" + next)
                    rows.children[i].forceActiveFocus(Qt.TabFocusReason)
            }
        }

        // One stop of the Tab chain for the whole sidebar.
        FocusScope {
            id: sidebarScope
            objectName: "sidebarScope"
            anchors.fill: parent
            activeFocusOnTab: true
            Column {
                id: rows
                anchors.fill: parent
                anchors.margins: 10
                spacing: 2
                Item {
                    width: parent.width
                    implicitHeight: mark.height + 18
                    AmpaMark {
                        id: mark
                        y: 6
                        size: 24
                        narrow: true
                    }
                }
                SidebarRow {
                    onStepped: by => sidebar.step("cepat", by)
                    key: "cepat"; symbol: "sparkles"; label: sidebar.label("cepat")
                    badge: Model.visibleQuick.count
                }
                SidebarRow {
                    onStepped: by => sidebar.step("ruang", by)
                    key: "ruang"; symbol: "square.grid.2x2"; label: sidebar.label("ruang")
                }
                SidebarRow {
                    onStepped: by => sidebar.step("lanjutan", by)
                    key: "lanjutan"; symbol: "slider.horizontal.3"; label: sidebar.label("lanjutan")
                    badge: Model.advItems.count
                }
                SidebarRow {
                    onStepped: by => sidebar.step("pengembang", by)
                    key: "pengembang"; symbol: "hammer"; label: sidebar.label("pengembang")
                    badge: Model.devCount
                }
                SidebarRow {
                    onStepped: by => sidebar.step("proyek", by)
                    key: "proyek"; symbol: "folder"; label: sidebar.label("proyek")
                    badge: Model.projectCount
                }
                SidebarRow {
                    onStepped: by => sidebar.step("downloads", by)
                    key: "downloads"; symbol: "arrow.down.circle"; label: sidebar.label("downloads")
                    badge: Model.downloads.count
                }
                SidebarRow {
                    onStepped: by => sidebar.step("aplikasi", by)
                    key: "aplikasi"; symbol: "square.grid.3x3"; label: sidebar.label("aplikasi")
                    badge: Model.apps.count
                }
                SidebarRow { key: "log"; symbol: "list.bullet.rectangle"; label: sidebar.label("log"); onStepped: by => sidebar.step("log", by) }
                Item {
                    width: parent.width
                    implicitHeight: 17
                    Rectangle {
                        y: 8
                        width: parent.width
                        height: 1
                        color: Theme.primary(0.1)
                    }
                }
                SidebarRow {
                    key: "pengaturan"; symbol: "gearshape"; label: sidebar.label("pengaturan")
                    onStepped: by => sidebar.step("pengaturan", by)
                }
            }
        }
    }

    Rectangle {
        anchors.left: sidebar.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        color: Theme.window

        Text {
            id: paneTitle
            objectName: "paneTitle"
            x: 24
            y: 16
            text: layout.title
            font.pixelSize: 20
            font.weight: Font.DemiBold
            color: Theme.text
        }
        // The log is not scrolled as a whole: it scrolls its own list.
        PaneLoader {
            id: logPane
            key: "log"
            file: "../panes/LogPane.qml"
            shownKey: layout.shownKey
            onReadyChanged: layout.follow()
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: paneTitle.bottom
            anchors.bottom: parent.bottom
        }
        WheelOnlyScroll {
            visible: layout.shownKey !== "log"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: paneTitle.bottom
            anchors.bottom: parent.bottom
            // A plain flickable: a scroll view would load the Controls for the first frame.
            // Its scroll bar comes once there is something to scroll; a mouse scrolls it by
            // the wheel and the bar, as a scroll view, not by dragging.
            Flickable {
                id: scroll
                objectName: "detail"
                readonly property real availableWidth: width
                readonly property real availableHeight: height
                anchors.fill: parent
                clip: true
                pixelAligned: true
                boundsBehavior: Flickable.StopAtBounds
                contentWidth: width
                contentHeight: panes.implicitHeight
                Loader {
                    active: false
                    readonly property bool needed: scroll.height > 0
                                                   && scroll.contentHeight > scroll.height
                    onNeededChanged: if (needed) active = true
                    asynchronous: true
                    // Only stored while inactive.
                    Component.onCompleted: setSource("DetailScrollBar.qml", { flickable: scroll })
                }
                // A readable measure on a wide window: rows no wider than this. The space
                // map takes the whole view, which its chart and list grow into.
                Item {
                    id: panes
                    readonly property Item shown: {
                        for (const slot of [quickPane, spacePane, advancedPane, devPane,
                                            projectsPane, downloadsPane, appsPane, settingsPane]) {
                            if (slot.key === layout.shownKey)
                                return slot
                        }
                        return null
                    }
                    width: layout.shownKey === "ruang" ? scroll.availableWidth
                                                       : Math.min(scroll.availableWidth, 900)
                    implicitHeight: shown ? shown.implicitHeight : scroll.availableHeight

                    PaneLoader {
                        id: quickPane
                        key: "cepat"
                        file: "../panes/QuickPane.qml"
                        width: panes.width
                        shownKey: layout.shownKey
                        onReadyChanged: layout.follow()
                    }
                    PaneLoader {
                        id: spacePane
                        key: "ruang"
                        file: "../panes/SpacePane.qml"
                        width: panes.width
                        shownKey: layout.shownKey
                        onReadyChanged: layout.follow()
                        onLoaded: item.viewHeight = Qt.binding(() => scroll.availableHeight)
                    }
                    PaneLoader {
                        id: advancedPane
                        key: "lanjutan"
                        file: "../panes/AdvancedPane.qml"
                        width: panes.width
                        shownKey: layout.shownKey
                        onReadyChanged: layout.follow()
                    }
                    PaneLoader {
                        id: devPane
                        key: "pengembang"
                        file: "../panes/DevCachesPane.qml"
                        width: panes.width
                        shownKey: layout.shownKey
                        onReadyChanged: layout.follow()
                    }
                    PaneLoader {
                        id: projectsPane
                        key: "proyek"
                        file: "../panes/ProjectsPane.qml"
                        width: panes.width
                        shownKey: layout.shownKey
                        onReadyChanged: layout.follow()
                    }
                    PaneLoader {
                        id: downloadsPane
                        key: "downloads"
                        file: "../panes/DownloadsPane.qml"
                        width: panes.width
                        shownKey: layout.shownKey
                        onReadyChanged: layout.follow()
                    }
                    PaneLoader {
                        id: appsPane
                        key: "aplikasi"
                        file: "../panes/DownloadsPane.qml"
                        width: panes.width
                        shownKey: layout.shownKey
                        onReadyChanged: layout.follow()
                        initial: ({ apps: true })
                    }
                    PaneLoader {
                        id: settingsPane
                        key: "pengaturan"
                        file: "../settings/SettingsView.qml"
                        width: panes.width
                        shownKey: layout.shownKey
                        onReadyChanged: layout.follow()
                        initial: ({ embedded: true })
                    }
                }
            }
        }
    }
}
