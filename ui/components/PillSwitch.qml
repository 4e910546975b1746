import QtQuick
import QtQuick.Controls
import Ampa

// An on/off switch in the window's own style: an accent track when on, a white knob.
Switch {
    id: control
    padding: 0
    spacing: 0
    implicitWidth: indicator.implicitWidth
    implicitHeight: indicator.implicitHeight
    indicator: Rectangle {
        implicitWidth: 38
        implicitHeight: 22
        x: control.leftPadding
        y: (control.height - height) / 2
        radius: height / 2
        color: control.checked ? Theme.accent : Theme.track
        border.width: 1
        border.color: control.checked ? Theme.accent : Theme.primary(0.15)
        Rectangle {
            x: control.checked ? parent.width - width - 2 : 2
            y: 2
            width: parent.height - 4
            height: width
            radius: width / 2
            color: "#ffffff"
            border.width: 1
            border.color: Theme.primary(0.12)
            Behavior on x { NumberAnimation { duration: 120 } }
        }
        FocusRing { control: control; radius: height / 2 }
    }
    contentItem: Item {}
}
