import QtQuick
import QtQuick.Window
import Ampa

// The main window "Ampa". The sidebar layout can grow freely; the single page is 760 wide and as
// tall as its content allows within the screen.
Window {
    id: window
    objectName: "main"
    title: "Ampa"
    color: Theme.window
    width: 1000
    height: 680

    readonly property bool sidebar: Settings.viewMode === "sidebar"
    readonly property real classicHeight: scope.item
        ? WindowRules.classicHeight((scope.item as MainView).classicContentHeight,
                                    Screen.desktopAvailableHeight)
        : 640

    minimumWidth: sidebar ? 940 : 760
    maximumWidth: sidebar ? 16777215 : 760
    minimumHeight: sidebar ? 600 : classicHeight
    maximumHeight: sidebar ? 16777215 : classicHeight

    // The size the user gave the sidebar layout, restored when it comes back. What the window
    // system does to the size while the layout changes back (the new limits clamp it, and its
    // answers come late) is not the user's doing: once it has answered, the size kept when the
    // sidebar went is set again.
    property size sidebarSize: Qt.size(1000, 680)
    property size keptSidebarSize: Qt.size(1000, 680)
    onWidthChanged: if (sidebar) sidebarSize.width = width
    onHeightChanged: if (sidebar) sidebarSize.height = height
    Timer {
        id: settling
        interval: 400
        onTriggered: {
            window.sidebarSize = window.keptSidebarSize
            window.fit()
        }
    }

    onSidebarChanged: {
        if (sidebar)
            settling.restart()
        else
            keptSidebarSize = Qt.size(sidebarSize.width, sidebarSize.height)
        fit()
    }
    function fit() {
        if (sidebar) {
            width = Math.max(sidebarSize.width, 940)
            height = Math.max(sidebarSize.height, 600)
        } else {
            width = 760
            height = classicHeight
        }
    }

    // The settings command, from any window of the program.
    signal settingsRequested()
    signal quitRequested()
    Shortcut {
        sequence: "Ctrl+,"
        context: Qt.ApplicationShortcut
        onActivated: window.settingsRequested()
    }
    Shortcut {
        sequence: "Ctrl+Q"
        context: Qt.ApplicationShortcut
        onActivated: window.quitRequested()
    }
    // Closing goes through the same rules as the title bar's button.
    Shortcut {
        sequence: "Ctrl+W"
        onActivated: window.close()
    }

    LanguageScope {
        id: scope
        anchors.fill: parent
        content: Component { MainView {} }
    }
}
