import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
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
    ColumnLayout {
        anchors.fill: parent
        spacing: 0
        Toolbar {
            id: toolbar
            Layout.fillWidth: true
        }
        Loader {
            id: content
            objectName: "layout"
            Layout.fillWidth: true
            Layout.fillHeight: true
            sourceComponent: view.sidebar ? sidebarLayout : classicPage
        }
    }
    Component { id: sidebarLayout; SidebarLayout {} }
    Component { id: classicPage; ClassicPage {} }

    Popup {
        id: sheet
        objectName: "settingsSheet"
        modal: true
        focus: true // Escape closes it
        anchors.centerIn: parent
        width: 480
        padding: 0
        visible: Model.showSettings
        onClosed: Model.showSettings = false
        background: Rectangle {
            radius: 12
            color: Theme.window
            border.width: 1
            border.color: Theme.primary(0.15)
        }
        // Made when first opened, then kept: most starts never open the sheet.
        property bool made: false
        onAboutToShow: made = true
        contentItem: Loader {
            active: sheet.made
            focus: true
            // What a popup holds keeps the palette it was made with: follow the view's scheme.
            palette: view.palette
            sourceComponent: ColumnLayout {
                spacing: 0
                SettingsView {
                    Layout.fillWidth: true
                    embedded: false
                }
                RowLayout {
                    Layout.fillWidth: true
                    Layout.margins: 20
                    Item { Layout.fillWidth: true }
                    Button {
                        objectName: "sheetDone"
                        text: Texts.bilingual("Selesai", "Done")
                        highlighted: true
                        focus: true // Return presses it
                        onClicked: Model.showSettings = false
                        Keys.onReturnPressed: Model.showSettings = false
                    }
                }
            }
        }
    }

    Connections {
        target: Settings
        function onAppearanceChanged() { Appearance.applyAppearance(Settings.appearance) }
    }
}
