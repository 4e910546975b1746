import QtQuick
import Ampa

// What the user should know about the environment before cleaning, one line each (a cache base
// folder that was refused). Nothing shows when there is nothing to say.
Column {
    visible: Model.warnings.length > 0
    spacing: 4

    Repeater {
        model: Model.warnings
        Text {
            required property string modelData
            objectName: "warning"
            width: parent.width
            text: modelData
            wrapMode: Text.Wrap
            font.pixelSize: Theme.callout
            color: Theme.orange
        }
    }
}
