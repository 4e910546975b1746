pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// The folders that grew most since the walk compared with, then those that shrank most, each a
// way into the map (one gone since only listed); or why there is nothing to list: no walk to compare with yet, the history off, or nothing grew.
ColumnLayout {
    id: view
    objectName: "spaceGrowthView"
    // The map's name for each kind of mark.
    property var kindText: function(kind) { return kind }
    // A row was opened: the map looks at it now.
    signal opened()
    spacing: 8

    // "empty" (nothing to compare with), "off", "walking", "nothing" or "list".
    readonly property string showing: Model.space.walking && !Model.space.savedScan ? "walking"
                                     : Model.space.savedScan ? "scan"
                                     : !Model.space.comparable ? (Settings.spaceHistory ? "empty" : "off")
                                     : Model.space.grew.count === 0 ? "nothing" : "list"

    // The keys go to the list when there is one.
    function focusList() {
        if (showing === "list")
            list.forceActiveFocus(Qt.TabFocusReason)
    }

    Text {
        objectName: "spaceGrewHeading"
        Layout.fillWidth: true
        visible: view.showing === "list"
        wrapMode: Text.Wrap
        text: Texts.bilingual("Folder yang paling bertambah atau berkurang %1, di disk.",
                              "The folders that grew or shrank most %1, on disk.").arg(Model.space.sinceText)
        font.pixelSize: Theme.title3
        color: Theme.text
    }

    // Why nothing is listed, and what to do about it.
    ColumnLayout {
        objectName: "spaceGrewEmpty"
        Layout.fillWidth: true
        Layout.topMargin: 24
        Layout.bottomMargin: 24
        visible: view.showing !== "list"
        spacing: 10
        Text {
            objectName: "spaceGrewEmptyText"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            font.pixelSize: Theme.body
            color: Theme.secondaryText
            text: {
                switch (view.showing) {
                case "walking": return Texts.bilingual("Masih mengukur; yang bertambah tampil setelah selesai.",
                                                       "Still measuring; what grew shows once it is done.")
                case "scan": return Texts.bilingual("Pindaian tersimpan tidak punya riwayat untuk dibandingkan.",
                                                    "A saved scan has no history to compare with.")
                case "off": return Texts.bilingual("Riwayat ruang mati: tidak ada pengukuran yang dicatat. Nyalakan di Pengaturan untuk melihat yang bertambah.",
                                                   "The space history is off: no measure is recorded. Turn it on in the settings to see what grew.")
                case "empty": return Model.space.since === "last"
                                     ? Texts.bilingual("Ampa mencatat setiap pengukuran folder ini; kembali setelah pengukuran berikutnya untuk melihat yang bertambah.",
                                                       "Ampa records each measure of this folder; come back after the next one to see what grew.")
                                     : Texts.bilingual("Belum ada pengukuran folder ini dari sekitar %1 hari lalu; Ampa mencatat setiap pengukuran mulai sekarang.",
                                                       "There is no measure of this folder from about %1 days ago yet; Ampa records each one from now on.")
                                       .arg(Model.space.since)
                case "nothing": return Texts.bilingual("Tidak ada yang bertambah atau berkurang %1.",
                                                       "Nothing grew or shrank %1.")
                                       .arg(Model.space.sinceText)
                }
                return ""
            }
        }
        PillButton {
            objectName: "spaceGrewSettings"
            Layout.alignment: Qt.AlignHCenter
            visible: view.showing === "off"
            text: Texts.bilingual("Buka Pengaturan", "Open the settings")
            onClicked: Model.showSettings = true
        }
        PillButton {
            objectName: "spaceGrewAgain"
            Layout.alignment: Qt.AlignHCenter
            visible: view.showing === "empty" && Settings.spaceHistory
            text: Texts.bilingual("Ukur lagi sekarang", "Measure again now")
            onClicked: Model.space.rescan()
        }
    }

    ListView {
        id: list
        objectName: "spaceGrewList"
        Layout.fillWidth: true
        Layout.fillHeight: true
        Layout.minimumHeight: 200
        visible: view.showing === "list"
        clip: true
        model: Model.space.grew
        activeFocusOnTab: true
        keyNavigationEnabled: true
        currentIndex: 0
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {}
        Accessible.role: Accessible.List
        Accessible.name: Texts.bilingual("Yang paling bertambah %1", "What grew most %1")
                         .arg(Model.space.sinceText)
        readonly property var currentRow: currentItem
        Keys.onReturnPressed: if (currentRow) currentRow.activate()
        Keys.onEnterPressed: if (currentRow) currentRow.activate()
        delegate: SpaceGrowthRow {
            width: list.width
            current: ListView.isCurrentItem
            focused: ListView.isCurrentItem && list.activeFocus
            kindName: view.kindText(kind)
            onChosen: {
                list.currentIndex = index
                list.forceActiveFocus(Qt.MouseFocusReason)
            }
            onOpened: {
                Model.space.open(id)
                view.opened()
            }
        }
    }
}
