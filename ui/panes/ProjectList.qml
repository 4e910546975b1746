import QtQuick
import QtQuick.Layouts
import Ampa

// The projects offered (or, with `kept`, those kept apart) as rows in a card.
Rectangle {
    id: list
    property bool kept: false
    readonly property RecordList items: kept ? Model.keptProjects : Model.projects

    objectName: kept ? "projectKeptList" : "projectList"
    visible: items.count > 0
    implicitHeight: rows.implicitHeight
    radius: 12
    color: Theme.control
    border.width: 1
    border.color: Theme.primary(0.1)

    ColumnLayout {
        id: rows
        width: parent.width
        spacing: 0
        Repeater {
            model: list.items
            delegate: ColumnLayout {
                id: entry
                required property var model
                required property int index
                Layout.fillWidth: true
                spacing: 0
                Rectangle {
                    visible: entry.index > 0
                    Layout.fillWidth: true
                    implicitHeight: 1
                    color: Theme.primary(0.08)
                }
                ProjectRow {
                    Layout.fillWidth: true
                    Layout.margins: 12
                    Layout.leftMargin: 14
                    Layout.rightMargin: 14
                    item: entry.model
                }
            }
        }
    }
}
