pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Ampa

// The folder looked at as rings round it, three levels deep: each part as wide as its share,
// coloured by its kind, hatched where most of it rebuilds by itself. Pointing at a part or
// reaching it with the arrow keys says what it is; a click, Return or Space opens a folder and
// chooses anything else in the list, Backspace or the middle goes up. One stop for Tab: the
// list beside it stays the way through the entries.
Item {
    id: chart
    property int currentId: -1
    signal picked(int id, bool folder)

    implicitWidth: 320
    implicitHeight: 360
    activeFocusOnTab: true

    readonly property SpaceChartModel parts: SpaceChartModel {
        space: Model.space
    }

    property int hovered: -1
    property int focusedId: -1
    property int focusedPart: -1
    // Parts made again keep the keys on the same entry.
    Connections {
        target: chart.parts
        function onPartsChanged() {
            chart.hovered = -1
            const again = chart.parts.indexOf(chart.focusedId)
            chart.focusedPart = again >= 0 ? again : (chart.parts.count > 0 && chart.activeFocus ? 0 : -1)
        }
    }
    onActiveFocusChanged: {
        if (!activeFocus)
            return
        keysLead = true
        if (focusedPart < 0 || focusedPart >= chart.parts.count)
            focusTo(chart.parts.count > 0 ? 0 : -1)
    }
    function focusTo(index: int) {
        focusedPart = index
        const part = chart.parts.part(index)
        focusedId = part["id"] !== undefined ? part["id"] : -1
    }

    property bool keysLead: false
    readonly property int shownPart: hovered >= 0 && !keysLead ? hovered
                                                               : (activeFocus ? focusedPart : -1)
    // Read again whenever the parts are made again.
    readonly property var shown: chart.parts.count >= 0 && shownPart >= 0 ? chart.parts.part(shownPart) : ({})
    readonly property bool stale: chart.parts.folderId !== Model.space.folderId

    function kindName(kind: string): string {
        switch (kind) {
        case "media": return Texts.bilingual("Media", "Media")
        case "documents": return Texts.bilingual("Dokumen", "Documents")
        case "archives": return Texts.bilingual("Arsip", "Archives")
        case "code": return Texts.bilingual("Kode", "Code")
        case "build": return Texts.bilingual("Hasil build", "Build output")
        case "caches": return Texts.bilingual("Cache", "Caches")
        }
        return Texts.bilingual("Lainnya", "Other")
    }
    function shareText(share: real): string {
        const locale = Qt.locale(Settings.language === "id" ? "id_ID" : "en_US")
        return (share * 100).toLocaleString(locale, "f", share < 0.1 ? 1 : 0) + "%"
    }
    // Where the part is: its path, or for small items merged, how many and where.
    function placeText(part: var): string {
        if (part.merged === undefined)
            return ""
        if (part.merged > 0)
            return Texts.bilingual("%1 item kecil lainnya di %2", "%1 other small items in %2")
                .arg(part.merged).arg(part.path)
        return part.path
    }
    // Its size, its share of the folder looked at, its kind and what of it rebuilds by itself.
    function figuresText(part: var): string {
        if (part.size === undefined)
            return ""
        return Texts.fmt(part.size) + " · " + shareText(part.share) + " · " + kindName(part.kind)
               + (part.reclaimable > 0
                  ? " · " + Texts.bilingual("%1 dibuat ulang sendiri", "%1 rebuilds by itself")
                    .arg(Texts.fmt(part.reclaimable))
                  : "")
    }

    // A folder opens; a file is chosen in the list, in its own folder when it lies deeper; small
    // items merged open the folder that holds them.
    function take(index: int) {
        if (index === -2) {
            Model.space.up()
            return
        }
        const part = chart.parts.part(index)
        if (part["id"] === undefined)
            return
        if (part["id"] >= 0 && part.folder) {
            chart.picked(part["id"], true)
            return
        }
        const holder = part.parent >= 0 ? chart.parts.part(part.parent)["id"] : -1
        if (part["id"] < 0) {
            if (holder >= 0)
                chart.picked(holder, true)
            return
        }
        if (holder >= 0)
            Model.space.open(holder)
        chart.picked(part["id"], false)
    }

    Accessible.role: Accessible.Chart
    Accessible.name: Texts.bilingual("Bagan isi %1", "Chart of the contents of %1").arg(Model.space.folder)
    Accessible.description: shownPart >= 0 ? placeText(shown) + ", " + figuresText(shown)
                                           : Texts.bilingual("Panah untuk menjelajah bagian, Enter untuk membuka",
                                                             "Arrows move between parts, Return opens")
    Keys.onPressed: event => {
        const at = chart.focusedPart
        let next = at
        switch (event.key) {
        case Qt.Key_Right: next = chart.parts.beside(at, 1); break
        case Qt.Key_Left: next = chart.parts.beside(at, -1); break
        case Qt.Key_Down: next = chart.parts.outward(at); break
        case Qt.Key_Up: next = chart.parts.inward(at) >= 0 ? chart.parts.inward(at) : at; break
        case Qt.Key_Return:
        case Qt.Key_Enter:
        case Qt.Key_Space:
            if (at >= 0) {
                chart.take(at)
                chart.forceActiveFocus(Qt.TabFocusReason)
            }
            event.accepted = true
            return
        case Qt.Key_Backspace:
            Model.space.up()
            event.accepted = true
            return
        default:
            return
        }
        chart.keysLead = true
        chart.focusTo(next)
        event.accepted = true
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 6

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumHeight: 160

            SpaceRings {
                id: rings
                objectName: "spaceRings"
                anchors.centerIn: parent
                width: Math.min(parent.width, parent.height)
                height: width
                parts: chart.parts
                opacity: chart.stale ? 0.35 : 1
                colours: Theme.kindColours
                hatch: Theme.hatch
                gap: Theme.window
                middle: Theme.control
                outline: Theme.text
                chosenOutline: Theme.accentText
                highlighted: chart.shownPart
                chosenId: chart.currentId

                MouseArea {
                    id: pointer
                    property point last: Qt.point(-1, -1)
                    // The scene moving under a pointer that stays is no pointing: the keys keep
                    // the lead until the pointer moves.
                    function point() {
                        const now = pointer.mapToItem(null, pointer.mouseX, pointer.mouseY)
                        if (now.x === last.x && now.y === last.y)
                            return
                        last = now
                        chart.keysLead = false
                        const at = rings.partAt(pointer.mouseX, pointer.mouseY)
                        chart.hovered = at >= 0 ? at : -1
                    }
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: chart.hovered === -2 || (chart.hovered >= 0 && chart.shown.folder)
                                 ? Qt.PointingHandCursor : Qt.ArrowCursor
                    onEntered: point()
                    onPositionChanged: point()
                    onExited: chart.hovered = -1
                    onClicked: mouse => chart.take(rings.partAt(mouse.x, mouse.y))
                }
            }

            // The folder looked at, in the middle.
            Column {
                anchors.centerIn: parent
                width: rings.middleRadius * 1.8
                spacing: 0
                Text {
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.Wrap
                    maximumLineCount: 2
                    elide: Text.ElideRight
                    text: Model.space.crumbs.length > 0 && Model.space.crumbs[Model.space.crumbs.length - 1].home
                          ? Texts.bilingual("Folder home", "Home")
                          : Model.space.crumbs.length > 0
                            ? Model.space.crumbs[Model.space.crumbs.length - 1].name : ""
                    font.pixelSize: Theme.caption
                    color: Theme.secondaryText
                }
                Text {
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    elide: Text.ElideRight
                    text: Texts.fmt(Model.space.total)
                    font.pixelSize: Theme.body
                    font.weight: Font.DemiBold
                    color: Theme.text
                }
            }
        }

        // What the part pointed at or reached is.
        Text {
            objectName: "spaceChartPlace"
            Layout.fillWidth: true
            elide: Text.ElideMiddle
            text: chart.shownPart >= 0 ? chart.placeText(chart.shown)
                                       : Texts.bilingual("Arahkan ke bagian bagan untuk melihatnya.",
                                                         "Point at a part of the chart to see what it is.")
            font.pixelSize: Theme.callout
            color: chart.shownPart >= 0 ? Theme.text : Theme.secondaryText
        }
        Text {
            objectName: "spaceChartFigures"
            Layout.fillWidth: true
            elide: Text.ElideRight
            text: chart.figuresText(chart.shown)
            font.pixelSize: Theme.callout
            color: Theme.secondaryText
        }

        // The kinds shown, and the stripes.
        Flow {
            objectName: "spaceChartLegend"
            Layout.fillWidth: true
            spacing: 10
            Repeater {
                model: chart.parts.kinds
                delegate: Row {
                    id: kind
                    required property string modelData
                    spacing: 4
                    Rectangle {
                        anchors.verticalCenter: parent.verticalCenter
                        width: 10
                        height: 10
                        radius: 2
                        color: Theme.kindColours[kind.modelData]
                    }
                    Text {
                        text: chart.kindName(kind.modelData)
                        font.pixelSize: Theme.caption
                        color: Theme.text
                    }
                }
            }
            Row {
                visible: Model.space.reclaimable > 0
                spacing: 4
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 10
                    height: 10
                    radius: 2
                    clip: true
                    color: Theme.kindColours["other"]
                    Repeater {
                        model: 3
                        delegate: Rectangle {
                            required property int index
                            x: index * 5 - 3
                            y: -2
                            width: 1.6
                            height: 16
                            rotation: 45
                            color: Theme.hatch
                        }
                    }
                }
                Text {
                    text: Texts.bilingual("Dibuat ulang sendiri", "Rebuilds by itself")
                    font.pixelSize: Theme.caption
                    color: Theme.text
                }
            }
        }
    }

    FocusRing {
        visible: chart.activeFocus
        radius: 8
    }
}
