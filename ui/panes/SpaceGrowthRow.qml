import QtQuick
import QtQuick.Layouts
import Ampa

// One folder of what grew most: its path, its growth (in the mark's colour, with the mark's name,
// where all of it rebuilds by itself) and its size now. Return or a click opens it in the map;
// a folder gone since is only listed.
Rectangle {
    id: row
    required property int index
    required property int id
    required property string path
    required property double grown
    required property double size
    required property bool rebuilds
    required property string kind
    property bool current: false
    property bool focused: false
    property string kindName: ""
    readonly property bool gone: id < 0
    readonly property string grownText: Model.space.growthText(grown)
    signal chosen()
    signal opened()

    function activate() {
        if (!gone)
            opened()
    }

    implicitHeight: 40
    radius: 6
    color: current ? Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.16) : "transparent"

    Accessible.role: Accessible.ListItem
    Accessible.name: path + ", " + grownText
                     + (rebuilds && kindName !== "" ? ", " + Texts.bilingual("dibuat ulang sendiri: %1", "rebuilds by itself: %1").arg(kindName) : "")
                     + (gone ? ", " + Texts.bilingual("sudah tidak ada", "gone")
                             : ", " + Texts.bilingual("sekarang %1", "now %1").arg(Texts.fmt(size)))
    Accessible.description: gone ? "" : Texts.bilingual("Return membukanya di peta", "Return opens it in the map")
    Accessible.selected: current

    FocusRing {
        visible: row.focused
        radius: 8
    }

    MouseArea {
        anchors.fill: parent
        cursorShape: row.gone ? Qt.ArrowCursor : Qt.PointingHandCursor
        onClicked: {
            row.chosen()
            row.activate()
        }
    }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        spacing: 10
        Symbol {
            name: "folder"
            tint: Theme.secondaryText
            size: 14
            opacity: row.gone ? 0.5 : 1
        }
        Text {
            Layout.fillWidth: true
            text: row.path
            elide: Text.ElideMiddle
            font.pixelSize: Theme.body
            font.strikeout: row.gone
            color: row.gone ? Theme.secondaryText : Theme.text
        }
        Text {
            visible: row.rebuilds && row.kindName !== ""
            text: row.kindName
            font.pixelSize: Theme.caption
            color: Theme.accentText
        }
        Text {
            objectName: "spaceGrewGrown"
            Layout.preferredWidth: 90
            horizontalAlignment: Text.AlignRight
            text: row.grownText
            font.pixelSize: Theme.body
            font.weight: Font.Medium
            color: row.rebuilds ? Theme.accentText : Theme.text
        }
        Text {
            Layout.preferredWidth: 90
            horizontalAlignment: Text.AlignRight
            text: row.gone ? Texts.bilingual("sudah tidak ada", "gone")
                           : Texts.bilingual("sekarang %1", "now %1").arg(Texts.fmt(row.size))
            font.pixelSize: Theme.caption
            color: Theme.secondaryText
        }
    }
}
