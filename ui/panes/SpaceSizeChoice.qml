pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Ampa

// Which size the map shows: the blocks on disk (what a removal gives back) or the bytes the
// files hold. Two joined choices; Tab reaches each, Space or Return takes it.
Row {
    id: choice
    objectName: "spaceSizeChoice"
    spacing: 0
    Accessible.role: Accessible.Grouping
    Accessible.name: Texts.bilingual("Ukuran yang ditampilkan", "Sizes shown")

    Repeater {
        model: [{ apparent: false, text: Texts.bilingual("Di disk", "On disk") },
                { apparent: true, text: Texts.bilingual("Ukuran nyata", "Apparent size") }]
        delegate: Button {
            id: option
            required property var modelData
            required property int index
            objectName: modelData.apparent ? "spaceSizeApparent" : "spaceSizeOnDisk"
            readonly property bool chosen: Model.space.apparent === modelData.apparent
            text: modelData.text
            checkable: true
            checked: chosen
            implicitHeight: 28
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
                color: option.chosen ? Theme.primary(0.1) : Theme.control
                border.width: 1
                border.color: Theme.primary(0.12)
                // The joined edge is square.
                Rectangle {
                    width: parent.radius
                    height: parent.height
                    x: option.index === 0 ? parent.width - width : 0
                    color: parent.color
                    border.width: 0
                    Rectangle { width: parent.width; height: 1; color: Theme.primary(0.12) }
                    Rectangle { width: parent.width; height: 1; y: parent.height - 1; color: Theme.primary(0.12) }
                }
                FocusRing { control: option; radius: height / 2 }
            }
        }
    }
}
