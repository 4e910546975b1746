import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// One entry of the folder looked at: its name, a bar of its share, its size and what of it
// rebuilds by itself; how much it grew since the walk compared with (in the mark's colour where
// all of it rebuilds by itself); for a folder how many entries it holds, and how long ago
// anything in it (a file: it) last changed, the time itself in a tooltip. Return or a double
// click opens a folder.
Rectangle {
    id: row
    required property int index
    required property int id
    required property string name
    required property string path
    required property double size // in the view chosen
    required property double onDisk
    required property double share
    required property double reclaimable
    required property string kind
    required property bool folder
    required property bool kept
    required property bool marked
    required property bool otherMount
    required property bool unreadable
    required property bool complete
    required property double count
    required property double newest
    required property double grown // NaN: not known
    required property bool grownRebuilds
    property bool current: false
    property bool focused: false // the current row of the list that has the keyboard
    property string kindName: ""
    signal chosen()

    // What the pane's actions read of the chosen row.
    readonly property int entryId: id
    readonly property string entryPath: path
    readonly property double entrySize: size
    readonly property bool entryFolder: folder && !otherMount
    readonly property bool entryMarked: marked
    readonly property bool entryKept: kept
    readonly property string ageText: Model.space.ageText(newest)
    readonly property string timeText: Model.space.timeText(newest)
    readonly property string countText: folder && !otherMount ? Model.space.countText(count) : ""
    readonly property string grownText: Model.space.growthText(grown)

    function activate() {
        if (entryFolder)
            Model.space.open(id)
    }

    implicitHeight: 44
    radius: 6
    color: current ? Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.16) : "transparent"

    Accessible.role: Accessible.ListItem
    Accessible.name: name + ", " + Texts.fmt(size)
                     + (reclaimable > 0 ? ", " + Texts.bilingual("%1 dibuat ulang sendiri",
                                                                "%1 rebuilds by itself")
                                                 .arg(Texts.fmt(reclaimable)) : "")
                     + (kindName !== "" ? ", " + kindName : "")
                     + (kept ? ", " + Texts.bilingual("disimpan", "kept") : "")
                     + (otherMount ? ", " + Texts.bilingual("sistem berkas lain", "another file system") : "")
                     + (unreadable ? ", " + Texts.bilingual("tak terbaca", "unreadable") : "")
                     + (countText !== "" ? ", " + countText : "")
                     + (ageText !== "" ? ", " + Texts.bilingual("diubah %1", "changed %1").arg(ageText) : "")
    Accessible.description: [grownText !== ""
                             ? grownText + " " + Model.space.sinceText
                               + (grownRebuilds ? ", " + Texts.bilingual("dibuat ulang sendiri", "rebuilds by itself") : "")
                             : "",
                             timeText !== ""
                             ? Texts.bilingual("Terakhir diubah %1", "Last changed %1").arg(timeText) : ""]
                            .filter(part => part !== "").join(". ")
    Accessible.selected: current

    FocusRing {
        objectName: "spaceRowRing"
        visible: row.focused
        radius: 8
    }

    MouseArea {
        anchors.fill: parent
        onClicked: row.chosen()
        onDoubleClicked: row.activate()
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        anchors.topMargin: 4
        anchors.bottomMargin: 4
        spacing: 2
        RowLayout {
            Layout.fillWidth: true
            spacing: 6
            Symbol {
                name: row.folder ? "folder" : ""
                tint: Theme.secondaryText
                size: 14
            }
            Text {
                Layout.fillWidth: true
                text: row.name + (row.otherMount ? "  ⟂" : "") + (row.unreadable ? "  ⚠" : "")
                elide: Text.ElideMiddle
                font.pixelSize: Theme.body
                color: Theme.text
            }
            Text {
                visible: row.kindName !== ""
                text: row.kept ? row.kindName + " · " + Texts.bilingual("disimpan", "kept") : row.kindName
                font.pixelSize: Theme.caption
                color: row.kept ? Theme.secondaryText : Theme.accentText
            }
            Text {
                text: Texts.fmt(row.size) + (row.complete ? "" : "…")
                font.pixelSize: Theme.body
                color: Theme.text
            }
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            Rectangle {
                Layout.fillWidth: true
                implicitHeight: 4
                radius: 2
                color: Theme.track
                Rectangle {
                    width: parent.width * Math.min(1, row.share)
                    height: parent.height
                    radius: 2
                    color: Theme.secondaryText
                    Rectangle {
                        width: row.onDisk > 0 ? parent.width * Math.min(1, row.reclaimable / row.onDisk) : 0
                        height: parent.height
                        radius: 2
                        color: Theme.accent
                    }
                }
            }
            Text {
                objectName: "spaceRowGrown"
                visible: Model.space.comparable
                Layout.preferredWidth: 76
                horizontalAlignment: Text.AlignRight
                text: row.grownText
                elide: Text.ElideLeft
                font.pixelSize: Theme.caption
                font.weight: row.grownRebuilds ? Font.Medium : Font.Normal
                color: row.grownRebuilds ? Theme.accentText : Theme.secondaryText
            }
            Text {
                objectName: "spaceRowCount"
                Layout.preferredWidth: 84
                horizontalAlignment: Text.AlignRight
                text: row.countText
                elide: Text.ElideLeft
                font.pixelSize: Theme.caption
                color: Theme.secondaryText
            }
            Text {
                objectName: "spaceRowAge"
                Layout.preferredWidth: 104
                horizontalAlignment: Text.AlignRight
                text: row.ageText
                elide: Text.ElideRight
                font.pixelSize: Theme.caption
                color: Theme.secondaryText
                HoverHandler { id: ageHover }
                ToolTip.visible: ageHover.hovered && row.timeText !== ""
                ToolTip.delay: 300
                ToolTip.text: row.timeText
            }
        }
    }
}
