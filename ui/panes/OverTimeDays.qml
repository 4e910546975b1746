pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Ampa

// How far back the picture over time looks: 30 or 90 days. Two choices on one capsule; Tab
// reaches each, Space or Return takes it.
Rectangle {
    id: choice
    objectName: "overTimeDays"
    implicitWidth: options.implicitWidth + 4
    implicitHeight: 28
    radius: height / 2
    color: Theme.control
    border.width: 1
    border.color: Theme.primary(0.12)
    Accessible.role: Accessible.Grouping
    Accessible.name: Texts.bilingual("Rentang waktu", "Time span")

    Row {
        id: options
        anchors.centerIn: parent
        Repeater {
            model: [30, 90]
            delegate: Button {
                id: option
                required property int modelData
                objectName: "overTimeDays" + modelData
                readonly property bool chosen: Model.history.days === modelData
                text: Texts.bilingual("%1 hari", "%1 days").arg(modelData)
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
                    Model.history.days = modelData
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
