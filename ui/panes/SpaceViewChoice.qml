pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Ampa

// What the space pane shows: the map, what grew, or the space over time. Three choices on one
// capsule, like the sizes the map shows; Tab reaches each, Space or Return takes it.
Rectangle {
    id: choice
    objectName: "spaceViewChoice"
    // "map", "grew" or "time".
    property string shown: "map"
    signal picked(string view)

    implicitWidth: options.implicitWidth + 4
    implicitHeight: 30
    radius: height / 2
    color: Theme.control
    border.width: 1
    border.color: Theme.primary(0.12)
    Accessible.role: Accessible.PageTabList
    Accessible.name: Texts.bilingual("Tampilan ruang", "Space view")

    Row {
        id: options
        anchors.centerIn: parent
        spacing: 0
        Repeater {
            model: [{ view: "map", name: "spaceShowMap", text: Texts.bilingual("Peta", "Map") },
                    { view: "grew", name: "spaceShowGrew",
                      text: Texts.bilingual("Yang bertambah", "What grew") },
                    { view: "time", name: "spaceShowTime",
                      text: Texts.bilingual("Dari waktu ke waktu", "Over time") }]
            delegate: Button {
                id: option
                required property var modelData
                objectName: modelData.name
                readonly property bool chosen: choice.shown === modelData.view
                text: modelData.text
                checkable: true
                checked: chosen
                implicitHeight: 26
                leftPadding: 14
                rightPadding: 14
                topPadding: 0
                bottomPadding: 0
                Accessible.role: Accessible.PageTab
                Accessible.name: text
                Accessible.checkable: true
                Accessible.checked: chosen
                Accessible.selected: chosen
                Keys.onReturnPressed: option.clicked()
                Keys.onEnterPressed: option.clicked()
                // A click on the chosen one keeps it chosen: one of the three always is.
                onClicked: {
                    choice.picked(modelData.view)
                    checked = Qt.binding(() => option.chosen)
                }
                contentItem: Text {
                    text: option.text
                    font.pixelSize: Theme.callout
                    font.weight: option.chosen ? Font.Medium : Font.Normal
                    color: option.chosen ? Theme.text : Theme.secondaryText
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
                background: Rectangle {
                    radius: height / 2
                    color: option.chosen ? Theme.primary(0.1) : "transparent"
                    FocusRing { control: option; radius: height / 2 }
                }
            }
        }
    }
}
