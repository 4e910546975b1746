import QtQuick
import Ampa

// One pane of the sidebar layout, made at its first visit and kept from then on. Named by its
// file rather than its type, so a start does not even read the panes it does not show; made
// asynchronously, so the click that opens it is answered at once.
Loader {
    id: slot
    required property string key
    property url file
    property var initial: ({})
    // The pane the layout shows now: this one only once it is made.
    property string shownKey
    readonly property bool wanted: Model.paneKey === key
    readonly property bool ready: status === Loader.Ready && item !== null

    visible: shownKey === key

    objectName: "pane_" + key
    asynchronous: true
    active: false
    onWantedChanged: if (wanted) active = true
    Component.onCompleted: {
        // Only stored while inactive: the file is read when the pane is first wanted.
        setSource(file, initial)
        // The pane shown when the layout is made belongs to the layout's first frame.
        if (wanted) {
            asynchronous = false
            active = true
        }
    }
}
