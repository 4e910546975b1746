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

    // The size the user gave the sidebar layout, restored when it comes back.
    property size sidebarSize: Qt.size(1000, 680)
    onWidthChanged: if (sidebar) sidebarSize.width = width
    onHeightChanged: if (sidebar) sidebarSize.height = height

    onSidebarChanged: fit()
    onClassicHeightChanged: if (!sidebar) fit()
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
