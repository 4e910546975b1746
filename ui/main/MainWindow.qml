import QtQuick
import QtQuick.Window
import Ampa

// The main window "Ampa". The sidebar layout can grow freely; the single page is as tall as its
// content allows within the screen until the user sizes it. Either stays inside the screen's
// available area when the program resizes it.
Window {
    id: window
    objectName: "main"
    title: "Ampa"
    color: Theme.window
    width: 1000
    height: 680

    // Qt's own folder chooser lies outside the views and takes the window's colours: its chosen
    // row is a pale tint of the highlight under the highlighted text, which must then be dark.
    palette.light: Theme.dark ? "#4a4a4e" : "#ffffff"
    palette.highlightedText: Theme.text

    readonly property bool sidebar: Settings.viewMode === "sidebar"
    ScreenRoom {
        id: screenRoom
        window: window
    }
    readonly property real classicHeight: scope.item
        ? WindowRules.classicHeight((scope.item as MainView).classicContentHeight,
                                    screenRoom.height)
        : 640

    // A screen smaller than a layout's least size still shows the whole window.
    minimumWidth: Math.min(sidebar ? 940 : 640, screenRoom.width || 16777215)
    minimumHeight: Math.min(sidebar ? 600 : 320, screenRoom.height || 16777215)

    // The size the user gave the sidebar layout, restored when it comes back. What the window
    // system does to the size while the layout changes back (the new limits clamp it, and its
    // answers come late) is not the user's doing: once it has answered, the size kept when the
    // sidebar went is set again.
    property size sidebarSize: Qt.size(1000, 680)
    property size keptSidebarSize: Qt.size(1000, 680)
    // The single page follows its content's height until the user gives it another one. The
    // window system's answers to the program's own sizes may come late and one by one: a size
    // that is none of those asked lately is the user's.
    property bool pageSized: false
    property real pageWidth: 760
    property var asked: [Qt.size(width, height)]
    function ask(w, h) {
        const size = screenRoom.fitted(w, h)
        // Known before asking: an answer may come at once.
        asked = asked.concat([size]).slice(-6)
        screenRoom.resize(size.width, size.height)
    }
    function askedFor(side, value) { return asked.some(size => Math.abs(size[side] - value) <= 1) }
    onWidthChanged: {
        if (sidebar)
            sidebarSize.width = width
        else if (!askedFor("width", width))
            pageWidth = width
    }
    onHeightChanged: {
        if (sidebar)
            sidebarSize.height = height
        else if (!askedFor("height", height))
            pageSized = true
    }
    onClassicHeightChanged: if (!sidebar && !pageSized) fit()
    Timer {
        id: settling
        objectName: "sidebarSettling"
        interval: 400
        onTriggered: {
            window.sidebarSize = window.keptSidebarSize
            window.fit()
        }
    }

    onSidebarChanged: {
        if (sidebar) {
            settling.restart()
        } else {
            // Left before it settled, the sidebar's size is still the window system's doing; and
            // what settles it would undo a size the user gave the page meanwhile.
            if (!settling.running)
                keptSidebarSize = Qt.size(sidebarSize.width, sidebarSize.height)
            settling.stop()
            pageSized = false
        }
        refit.restart()
    }
    // Once the new layout's limits are set, or the old ones would clamp the new size.
    Timer {
        id: refit
        interval: 0
        onTriggered: window.fit()
    }
    Component.onCompleted: fit()
    function fit() {
        if (sidebar)
            ask(Math.max(sidebarSize.width, 940), Math.max(sidebarSize.height, 600))
        else
            ask(pageWidth, classicHeight)
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
