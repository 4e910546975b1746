import QtQuick
import QtQuick.Window
import Ampa

// The tray panel's window: frameless, beside the tray icon, gone when it loses focus.
Window {
    id: window
    objectName: "panel"
    title: "Ampa"
    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint
    color: "transparent"
    width: 320
    height: scope.implicitHeight

    signal openRequested(string pane)
    signal quitRequested()

    onActiveChanged: if (!active) hide()
    Shortcut {
        sequence: "Escape"
        onActivated: window.hide()
    }

    LanguageScope {
        id: scope
        anchors.fill: parent
        content: Component { MenuBarPanel {} }
    }
    Connections {
        target: scope.item as MenuBarPanel
        function onOpenRequested(pane) { window.openRequested(pane) }
        function onQuitRequested() { window.quitRequested() }
    }
}
