pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Ampa

// Which size the map shows: the blocks on disk (what a removal gives back) or the bytes the
// files hold. Two choices on one capsule; Tab reaches each, Space or Return takes it.
Rectangle {
    id: choice
    objectName: "spaceSizeChoice"
    implicitWidth: options.implicitWidth + 4
    implicitHeight: 28
    radius: height / 2
    color: Theme.control
    border.width: 1
    border.color: Theme.primary(0.12)
    Accessible.role: Accessible.Grouping
    Accessible.name: Texts.bilingual("Ukuran yang ditampilkan", "Sizes shown")

    Row {
        id: options
        anchors.centerIn: parent
        spacing: 0
        Repeater {
            model: [{ apparent: false, text: Texts.bilingual("Di disk", "On disk") },
                    { apparent: true, text: Texts.bilingual("Ukuran nyata", "Apparent size") }]
            delegate: Button {
                id: option
                required property var modelData
                objectName: modelData.apparent ? "spaceSizeApparent" : "spaceSizeOnDisk"
                readonly property bool chosen: Model.space.apparent === modelData.apparent
                text: modelData.text
                checkable: true
                checked: chosen
                implicitHeight: 24
                leftPadding: 12
                rightPadding: 12
                topPadding: 0
                bottomPadding: 0
                Accessible.role: Accessible.RadioButton
                Accessible.name: text
                Accessible.checkable: true
                Accessible.checked: chosen
                Keys.onReturnPressed: option.clicked()
                Keys.onEnterPressed: option.clicked()
                // A click on the chosen one keeps it chosen: one of the two always is.
                onClicked: {
                    Model.space.apparent = modelData.apparent
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
