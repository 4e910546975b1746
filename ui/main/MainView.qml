pragma ComponentBehavior: Bound
import QtQuick
import Ampa

// The main window's content: the toolbar over the sidebar layout or the single page, and the
// settings sheet of the single page.
Themed {
    id: view
    readonly property bool sidebar: Settings.viewMode === "sidebar"
    // What the single page's content wants, for the window's height rule.
    readonly property real classicContentHeight: sidebar || !content.item ? 640
                                                 : (content.item as ClassicPage).contentHeightWanted
                                                   + toolbar.height

    Rectangle {
        anchors.fill: parent
        color: Theme.window
    }
    Toolbar {
        id: toolbar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
    }
    Loader {
        id: content
        objectName: "layout"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: toolbar.bottom
        anchors.bottom: parent.bottom
        // By file: a start reads only the layout it shows.
        source: view.sidebar ? "SidebarLayout.qml" : "ClassicPage.qml"
    }
    // Where the keyboard goes when its item went away (a pane changed under it, the settings
    // sheet closed): the sidebar's selected row, or on the single page the toolbar's settings
    // button, which opened the sheet.
    function settleFocus() {
        // An inactive window has no keyboard: the desktop gives back what had it.
        if (!view.Window.active)
            return
        const focused = view.Window.activeFocusItem
        if (focused && focused !== view.Window.contentItem && focused.visible)
            return
        if (Model.showSettings && sheet && sheet.opened) {
            sheet.forceActiveFocus(Qt.OtherFocusReason)
            return
        }
        if (view.sidebar && content.item)
            (content.item as SidebarLayout).takeFocus()
        else
            toolbar.takeFocus()
    }
    // After the change in hand is done: the item that takes the focus may still be coming.
    Timer {
        id: settling
        interval: 0
        onTriggered: view.settleFocus()
    }
    Connections {
        target: view.Window.window
        function onActiveFocusItemChanged() { settling.restart() }
    }
    Connections {
        target: Model
        function onPaneChanged() { settling.restart() }
        function onShowSettingsChanged() {
            view.makeSheet()
            settling.restart()
        }
    }

    // The single page's settings sheet, made when first asked for and then kept: most starts
    // never open it, and a popup loads the Controls with their style, which the first frame
    // does without.
    property var sheet: null
    function makeSheet() {
        if (sheet || !Model.showSettings)
            return
        sheet = Qt.createComponent("SettingsPopup.qml").createObject(view)
        sheet.closed.connect(settling.restart)
    }
    Component.onCompleted: makeSheet()
    Connections {
        target: Settings
        function onAppearanceChanged() { Appearance.applyAppearance(Settings.appearance) }
    }
}
