pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// What fills the disk, and what of it comes back by itself: the folder looked at as a chart and
// as a list, the largest first (or by name, count, age or growth; on disk or by apparent size;
// filtered by name). Return or a click opens a folder, Backspace or a breadcrumb goes up. Nothing
// here removes for good: an entry goes to the Trash, after a confirmation. A saved scan is shown
// the same way, and nothing can be done to it. Beside the map: the folders that grew most, and
// the space over time.
Themed {
    id: pane
    objectName: "spacePane"
    property bool embedded: false
    // "map", "grew" (what grew) or "time" (the space over time).
    property string shown: "map"
    readonly property bool onMap: shown === "map"
    // The views shown so far: each is made at its first showing, then kept.
    property var made: ({})
    onShownChanged: if (!made[shown]) made = Object.assign({ [shown]: true }, made)
    // The height of the view the pane is shown in: the chart and the list grow into it.
    property real viewHeight: 0
    implicitWidth: 640
    // On the single page the page's own margins stand around it, as around every section.
    readonly property real margin: embedded ? 0 : 24
    implicitHeight: column.implicitHeight + 2 * margin

    // The pane that cleans each kind of mark. Developer caches offer the tagged folders that lie
    // where tools keep their files.
    readonly property var cleaningPane: ({
        "quick": "cepat", "developer": "pengembang", "project": "proyek", "trash": "lanjutan",
        "cachedir": "pengembang"
    })
    function kindText(kind: string): string {
        switch (kind) {
        case "quick": return Texts.bilingual("Pembersihan cepat", "Quick clean")
        case "developer": return Texts.bilingual("Cache pengembang", "Developer caches")
        case "project": return Texts.bilingual("Artefak proyek", "Project artifacts")
        case "trash": return "Trash"
        case "cachedir": return Texts.bilingual("Cache bertanda", "Tagged cache")
        }
        return ""
    }
    readonly property var current: list.currentItem
    // Why the chosen entry may not go to the Trash, said before anything is asked.
    readonly property string refusal: current && !Model.space.walking && !Model.space.savedScan
                                      ? Model.space.trashRefusal(current.entryId) : ""
    // "Of 40 GB here, 12 GB rebuilds by itself", or what files hold beside what they take.
    function summary(): string {
        const total = Texts.fmt(Model.space.total)
        const onDisk = Texts.fmt(Model.space.totalOnDisk)
        const back = Texts.fmt(Model.space.reclaimable)
        if (Model.space.savedScan)
            return Model.space.apparent
                   ? Texts.bilingual("Berkas di sini berisi %1; di disk %2.",
                                     "Files here hold %1; on disk they take %2.").arg(total).arg(onDisk)
                   : Texts.bilingual("%1 di sini.", "%1 here.").arg(total)
        if (Model.space.apparent)
            return Model.space.walking
                   ? Texts.bilingual("Sejauh ini berkas di sini berisi %1 (di disk %2, %3 di antaranya dibuat ulang sendiri); masih mengukur.",
                                     "Files here hold %1 so far (%2 on disk, %3 of it rebuilding by itself); still measuring.")
                     .arg(total).arg(onDisk).arg(back)
                   : Texts.bilingual("Berkas di sini berisi %1; di disk %2, %3 di antaranya dibuat ulang sendiri.",
                                     "Files here hold %1; on disk they take %2, of which %3 rebuilds by itself.")
                     .arg(total).arg(onDisk).arg(back)
        // While walking, the figures are what was counted so far, and say so.
        if (Model.space.walking)
            return Texts.bilingual("Sejauh ini %1 di sini, %2 di antaranya dibuat ulang sendiri; masih mengukur.",
                                   "%1 here so far, %2 of it rebuilding by itself; still measuring.")
                   .arg(total).arg(back)
        return (Model.space.reclaimable > 0
                ? Texts.bilingual("Dari %1 di sini, %2 dibuat ulang sendiri oleh pemiliknya.",
                                  "Of %1 here, %2 rebuilds by itself.").arg(total).arg(back)
                : Texts.bilingual("%1 di sini; tidak ada yang dibuat ulang sendiri.",
                                  "%1 here; none of it rebuilds by itself.").arg(total))
               + (Model.space.grownText !== "" ? " " + Model.space.grownText + "." : "")
    }
    // Shows one of the three views, the keys in it.
    function show(view: string) {
        shown = view
        if (view === "map")
            list.forceActiveFocus(Qt.OtherFocusReason)
        else if (view === "grew")
            growthView.focusList()
    }
    function refusalText(why: string): string {
        switch (why) {
        case "homeOrAbove": return Texts.bilingual("Folder home tidak dipindah ke Trash.",
                                                   "The home folder is not moved to the Trash.")
        case "trash": return Texts.bilingual("Ini Trash itu sendiri; kosongkan di Lanjutan.",
                                             "This is the Trash itself; empty it in Advanced.")
        case "baseFolder": return Texts.bilingual("Program menyimpan berkasnya di sini; memindahkannya merusak mereka dan tidak membebaskan apa pun.",
                                                  "Programs keep their files here; moving it breaks them and frees nothing.")
        case "keysPlace": return Texts.bilingual("Kunci, kredensial atau konfigurasi: tidak dipindah dari peta.",
                                                 "Keys, credentials or configuration: the map does not move them.")
        case "cleanedInItsPane": return Texts.bilingual("Dibersihkan di panelnya sendiri, seperti pemiliknya melakukannya.",
                                                        "Cleaned in its own pane, as its owner would.")
        }
        return ""
    }

    Component.onCompleted: if (!Model.space.started) Model.space.start("")

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: pane.margin
        spacing: 12

        ResultChip {
            Layout.fillWidth: true
            pane: "ruang"
        }
        ScanChip {
            objectName: "spaceWalking"
            visible: Model.space.walking
            // After a change only the folders it touched are measured again, and counted.
            text: (Model.space.measuringAgain
                   ? Texts.bilingual("Mengukur ulang: %1 entri, %2", "Measuring again: %1 entries, %2")
                   : Texts.bilingual("Mengukur: %1 entri, %2", "Measuring: %1 entries, %2"))
                  .arg(Model.space.walkedEntries).arg(Texts.fmt(Model.space.walkedBytes))
        }
        ScanChip {
            objectName: "spaceReading"
            visible: Model.space.reading !== ""
            text: Texts.bilingual("Membuka pindaian tersimpan %1…", "Opening the saved scan %1…")
                  .arg(Model.space.reading)
        }
        SpaceScanHeader {
            Layout.fillWidth: true
            visible: Model.space.savedScan
        }

        // Which view, and what growth is counted against.
        RowLayout {
            objectName: "spaceViewBar"
            Layout.fillWidth: true
            spacing: 8
            SpaceViewChoice {
                shown: pane.shown
                onPicked: view => pane.show(view)
            }
            Item { Layout.fillWidth: true }
            SpaceSinceChoice {
                visible: pane.shown !== "time" && !Model.space.savedScan
            }
        }

        // The way down from the walk's root; each step goes back up to it.
        RowLayout {
            Layout.fillWidth: true
            visible: pane.onMap
            spacing: 8
            Flow {
                objectName: "spaceCrumbs"
                Layout.fillWidth: true
                spacing: 4
                Repeater {
                    model: Model.space.crumbs
                    delegate: Row {
                        id: crumb
                        required property var modelData
                        required property int index
                        readonly property bool here: modelData.id === Model.space.folderId
                        readonly property string shown: modelData.home
                                                        ? Texts.bilingual("Folder home", "Home")
                                                        : modelData.name
                        function go() { if (!here) Model.space.open(modelData.id) }
                        spacing: 4
                        Text {
                            visible: crumb.index > 0
                            text: "›"
                            font.pixelSize: Theme.body
                            color: Theme.secondaryText
                        }
                        // A way up: reached with Tab, taken with Return or Space.
                        Text {
                            objectName: "spaceCrumb_" + crumb.index
                            text: crumb.shown
                            font.pixelSize: Theme.body
                            font.weight: crumb.here ? Font.DemiBold : Font.Normal
                            color: crumb.here ? Theme.text : Theme.accentText
                            activeFocusOnTab: !crumb.here
                            Keys.onReturnPressed: crumb.go()
                            Keys.onEnterPressed: crumb.go()
                            Keys.onSpacePressed: crumb.go()
                            Accessible.role: Accessible.Link
                            Accessible.name: crumb.shown
                            Accessible.onPressAction: crumb.go()
                            FocusRing { visible: parent.activeFocus; radius: 4 }
                            MouseArea {
                                anchors.fill: parent
                                cursorShape: crumb.here ? Qt.ArrowCursor : Qt.PointingHandCursor
                                onClicked: crumb.go()
                            }
                        }
                    }
                }
            }
            SpacePlaces { Layout.alignment: Qt.AlignTop }
        }

        // The folder's figures, and the panes that clean what of it rebuilds by itself.
        Text {
            objectName: "spaceSummary"
            Layout.fillWidth: true
            visible: pane.onMap
            wrapMode: Text.Wrap
            text: pane.summary()
            font.pixelSize: Theme.title3
            color: Theme.text
        }
        Flow {
            Layout.fillWidth: true
            spacing: 8
            visible: pane.onMap && Model.space.parts.length > 0
            Repeater {
                model: Model.space.parts
                delegate: PillButton {
                    required property var modelData
                    readonly property string target: pane.cleaningPane[modelData.kind] || ""
                    text: pane.kindText(modelData.kind) + ": " + Texts.fmt(modelData.bytes)
                          + (target !== "" ? "  →" : "")
                    enabled: target !== ""
                    Accessible.name: target !== ""
                                     ? Texts.bilingual("%1, %2: buka panelnya", "%1, %2: open its pane")
                                       .arg(pane.kindText(modelData.kind)).arg(Texts.fmt(modelData.bytes))
                                     : text
                    onClicked: if (target !== "") Model.paneKey = target
                }
            }
        }

        SpaceListTools {
            id: listTools
            Layout.fillWidth: true
            visible: pane.onMap
            listView: list
        }

        RowLayout {
            id: chartRow
            // What the pane's other parts take, to give the chart and the list the rest.
            readonly property real others: {
                let sum = 48
                for (let i = 0; i < column.children.length; ++i) {
                    const part = column.children[i]
                    if (part !== chartRow && part !== growthView && part.visible)
                        sum += part.implicitHeight + column.spacing
                }
                return sum
            }
            Layout.fillWidth: true
            Layout.preferredHeight: Math.max(340, pane.viewHeight - others)
            visible: pane.onMap
            spacing: 12

            SpaceChart {
                id: chart
                objectName: "spaceChart"
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: 1
                currentId: pane.current ? pane.current.entryId : -1
                onPicked: (id, folder) => {
                    if (folder)
                        Model.space.open(id)
                    else
                        list.currentIndex = Model.space.rowOf(id)
                    list.forceActiveFocus(Qt.MouseFocusReason)
                }
            }

            ListView {
                id: list
                objectName: "spaceList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredWidth: 1
                clip: true
                model: Model.space
                focus: true
                activeFocusOnTab: true
                keyNavigationEnabled: true
                currentIndex: 0
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar {}
                Accessible.role: Accessible.List
                Accessible.name: Texts.bilingual("Isi %1", "Contents of %1").arg(Model.space.folder)
                Accessible.description: listTools.orderText(Model.space.order)
                                        + (Model.space.filter !== ""
                                           ? ", " + Texts.bilingual("%1 dari %2 entri ditampilkan", "%1 of %2 entries shown")
                                             .arg(Model.space.count).arg(Model.space.entries)
                                           : "")
                Keys.onReturnPressed: if (pane.current) pane.current.activate()
                Keys.onEnterPressed: if (pane.current) pane.current.activate()
                Keys.onPressed: event => {
                    if (event.key === Qt.Key_Backspace) {
                        Model.space.up()
                        event.accepted = true
                    } else if (event.key === Qt.Key_F5 && pane.current && !Model.space.walking
                               && !Model.space.savedScan) {
                        Model.space.remeasure(pane.current.entryId)
                        event.accepted = true
                    } else if (event.key === Qt.Key_Escape && Model.space.filter !== "") {
                        Model.space.filter = ""
                        event.accepted = true
                    }
                }
                readonly property int folderId: Model.space.folderId
                onFolderIdChanged: currentIndex = 0
                // The rows sorted again (when a walk ends) keep the chosen entry chosen.
                property int chosenId: -1
                Connections {
                    target: list.model
                    function onModelAboutToBeReset() {
                        list.chosenId = pane.current ? pane.current.entryId : -1
                    }
                    function onModelReset() {
                        const row = list.chosenId >= 0 ? Model.space.rowOf(list.chosenId) : -1
                        if (row >= 0)
                            list.currentIndex = row
                    }
                }
                delegate: SpaceRow {
                    width: list.width
                    current: ListView.isCurrentItem
                    focused: ListView.isCurrentItem && list.activeFocus
                    kindName: pane.kindText(kind)
                    onChosen: {
                        list.currentIndex = index
                        list.forceActiveFocus(Qt.MouseFocusReason)
                    }
                }
            }
        }

        // The other two views are made when first shown, then kept: most visits stay on the map,
        // and the pane's first frame would pay for them.
        Loader {
            id: growthView
            Layout.fillWidth: true
            Layout.preferredHeight: Math.max(340, pane.viewHeight - chartRow.others)
            visible: pane.shown === "grew"
            active: pane.made.grew === true
            function focusList() { (item as SpaceGrowthView)?.focusList() }
            source: "SpaceGrowthView.qml"
            onLoaded: {
                const view = item as SpaceGrowthView
                view.kindNames = Qt.binding(() => ({
                    "quick": pane.kindText("quick"), "developer": pane.kindText("developer"),
                    "project": pane.kindText("project"), "trash": pane.kindText("trash"),
                    "cachedir": pane.kindText("cachedir")
                }))
                view.opened.connect(() => pane.show("map"))
            }
        }
        Loader {
            Layout.fillWidth: true
            visible: pane.shown === "time"
            active: pane.made.time === true
            source: "SpaceOverTime.qml"
        }

        // What can be done with the entry chosen in the list.
        RowLayout {
            objectName: "spaceActions"
            Layout.fillWidth: true
            visible: pane.onMap
            spacing: 8
            Text {
                Layout.fillWidth: true
                elide: Text.ElideMiddle
                text: pane.current ? pane.current.entryPath + " · " + Texts.fmt(pane.current.entrySize) : ""
                font.pixelSize: Theme.callout
                color: Theme.secondaryText
            }
            PillButton {
                objectName: "spaceOpen"
                text: Texts.bilingual("Buka", "Open")
                visible: pane.current !== null && pane.current.entryFolder
                onClicked: Model.space.open(pane.current.entryId)
            }
            PillButton {
                objectName: "spaceReveal"
                text: Texts.bilingual("Tampilkan", "Reveal")
                visible: !Model.space.savedScan
                enabled: pane.current !== null
                onClicked: Model.space.reveal(pane.current.entryId)
            }
            PillButton {
                objectName: "spaceRemeasure"
                text: Texts.bilingual("Ukur ulang", "Measure again")
                visible: !Model.space.savedScan
                enabled: pane.current !== null && !Model.space.walking
                Accessible.description: "F5"
                onClicked: Model.space.remeasure(pane.current.entryId)
            }
            PillButton {
                objectName: "spaceKeep"
                visible: pane.current !== null && pane.current.entryMarked && !Model.space.savedScan
                text: pane.current && pane.current.entryKept ? Texts.bilingual("Lepaskan", "Release")
                                                             : Texts.bilingual("Pertahankan", "Keep")
                onClicked: pane.current.entryKept ? Model.space.release(pane.current.entryId)
                                                  : Model.space.keep(pane.current.entryId)
            }
            PillButton {
                objectName: "spaceItsPane"
                readonly property string target: pane.current ? (pane.cleaningPane[pane.current.kind] || "") : ""
                visible: pane.refusal === "cleanedInItsPane" && target !== ""
                text: Texts.bilingual("Buka panelnya", "Open its pane") + "  →"
                onClicked: Model.paneKey = target
            }
            PillButton {
                objectName: "spaceTrash"
                destructive: true
                text: Texts.bilingual("Ke Trash", "Move to Trash")
                visible: !Model.space.savedScan
                enabled: pane.current !== null && !Model.space.walking && pane.refusal === ""
                Accessible.description: pane.refusalText(pane.refusal)
                // The move disables this button while the Trash is measured again: the keys go
                // back to the list, on the row that took the entry's place.
                onClicked: {
                    if (Model.space.trash(pane.current.entryId))
                        list.forceActiveFocus(Qt.OtherFocusReason)
                }
            }
        }
        Text {
            objectName: "spaceRefusal"
            Layout.fillWidth: true
            visible: pane.onMap && pane.refusal !== ""
            wrapMode: Text.Wrap
            text: pane.refusalText(pane.refusal)
            font.pixelSize: Theme.callout
            color: Theme.secondaryText
        }
        Text {
            Layout.fillWidth: true
            visible: pane.onMap && !Model.space.savedScan
            wrapMode: Text.Wrap
            text: Texts.bilingual("Ukuran dihitung seperti du -x: blok yang terpakai, tautan keras sekali, sistem berkas lain tidak dimasuki. Yang ditandai dibersihkan di panelnya sendiri; di sini hanya ke Trash, setelah konfirmasi.",
                                  "Sizes count as du -x counts them: blocks in use, a hard link once, other file systems not entered. What is marked is cleaned in its own pane; here things only go to the Trash, after you confirm.")
            font.pixelSize: Theme.callout
            color: Theme.secondaryText
        }
    }
}
