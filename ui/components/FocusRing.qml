import QtQuick
import Ampa

// The mark of keyboard focus on a control: a ring in the accent colour just outside it, shown
// only when the focus came from the keyboard (a click leaves none). Put it in the control's
// background, or make it the background.
Rectangle {
    id: ring
    // The control whose focus it shows: the parent, unless the parent is the control's background.
    property var control: ring.parent

    objectName: "focusRing"
    x: -3
    y: -3
    width: (ring.parent ? ring.parent.width : 0) + 6
    height: (ring.parent ? ring.parent.height : 0) + 6
    radius: 8
    color: "transparent"
    border.width: 2
    border.color: Theme.accent
    visible: ring.control ? ring.control.visualFocus === true : false
}
