import QtQuick
import QtQuick.Controls

// The scroll bar of the sidebar layout's detail view, made once its content first grows taller
// than the view; shown from then on whenever there is something to scroll.
ScrollBar {
    required property Flickable flickable
    Component.onCompleted: {
        parent = flickable
        flickable.ScrollBar.vertical = this
    }
}
