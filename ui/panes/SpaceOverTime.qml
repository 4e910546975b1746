import QtQuick
import Ampa

// Used and free space over the last weeks, with the cleans marked.
Themed {
    id: view
    objectName: "spaceOverTime"
    implicitWidth: 640
    implicitHeight: 240
}
