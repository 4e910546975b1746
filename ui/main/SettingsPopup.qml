import QtQuick
import QtQuick.Controls
import Ampa

// The single page's settings, as a sheet over the view it is made on (its parent): dims what
// lies behind, closes with Escape or Done, and gives the keyboard back where it was.
Popup {
    id: popup
    objectName: "settingsSheet"
    modal: true
    focus: true // Escape closes it
    anchors.centerIn: parent
    width: 480
    // Within the window, scrolled inside when the form is taller.
    height: Math.min(implicitHeight, (parent ? parent.height : 480) - 40)
    padding: 0
    visible: Model.showSettings
    onClosed: {
        Model.showSettings = false
        // Back where the keyboard was before, when that is still there.
        if (returnTo && returnTo.visible)
            returnTo.forceActiveFocus(Qt.OtherFocusReason)
        returnTo = null
    }
    property Item returnTo: null
    onOpened: forceActiveFocus(Qt.PopupFocusReason)
    background: Rectangle {
        radius: 12
        color: Theme.window
        border.width: 1
        border.color: Theme.primary(0.15)
    }
    // What lies behind is dimmed: the sheet is the one thing to answer now.
    Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, Theme.dark ? 0.5 : 0.3) }
    onAboutToShow: {
        const focused = parent ? parent.Window.activeFocusItem : null
        returnTo = focused && focused !== parent.Window.contentItem ? focused : null
    }
    contentItem: Loader {
        focus: true
        // What a popup holds keeps the palette it was made with: follow the view's scheme.
        palette: popup.parent.palette
        source: "SettingsSheet.qml"
    }
}
