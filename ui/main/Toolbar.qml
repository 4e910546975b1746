import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// The window's toolbar: layout, light or dark, scan again, settings.
Rectangle {
    id: bar
    implicitHeight: 44
    color: Theme.window

    component ToolIcon: ToolButton {
        id: tool
        property string symbol
        property string help
        implicitWidth: 32
        implicitHeight: 28
        ToolTip.visible: hovered
        ToolTip.text: help
        Accessible.name: help
        Keys.onReturnPressed: tool.clicked()
        Keys.onEnterPressed: tool.clicked()
        contentItem: Symbol {
            name: tool.symbol
            tint: tool.enabled ? (tool.checked ? Theme.accent : Theme.text) : Theme.secondaryText
            size: 16
        }
        background: Rectangle {
            radius: 6
            color: tool.checked || tool.down ? Theme.primary(0.1)
                                             : (tool.hovered ? Theme.primary(0.05) : "transparent")
            FocusRing { control: tool }
        }
    }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        spacing: 4
        Item { Layout.fillWidth: true }

        Row {
            objectName: "layoutPicker"
            Accessible.name: Texts.bilingual("Tampilan", "Layout")
            ToolTip.text: Texts.bilingual("Pilih tampilan", "Choose a layout")
            ToolIcon {
                objectName: "layoutSidebar"
                symbol: "sidebar.left"
                help: Texts.bilingual("Tampilan sidebar", "Sidebar layout")
                checked: Settings.viewMode === "sidebar"
                onClicked: Settings.viewMode = "sidebar"
            }
            ToolIcon {
                objectName: "layoutPage"
                symbol: "rectangle.grid.1x2"
                help: Texts.bilingual("Tampilan satu halaman", "Single page layout")
                checked: Settings.viewMode !== "sidebar"
                onClicked: Settings.viewMode = "halaman"
            }
        }
        ToolIcon {
            id: appearanceButton
            objectName: "appearanceMenu"
            symbol: "circle.lefthalf.filled"
            help: Texts.bilingual("Mode terang atau gelap", "Light or dark mode")
            readonly property Menu menu: modeMenu
            readonly property var modes: [
                { value: "sistem", scheme: "", label: Texts.bilingual("Ikuti sistem", "Match system"), symbol: "circle.lefthalf.filled" },
                { value: "terang", scheme: "light", label: Texts.bilingual("Terang", "Light"), symbol: "sun.max" },
                { value: "gelap", scheme: "dark", label: Texts.bilingual("Gelap", "Dark"), symbol: "moon" }]
            // Below the button, with the chosen mode under the keyboard's focus.
            onClicked: {
                modeMenu.currentIndex = modes.findIndex(mode => mode.scheme === Theme.chosen)
                modeMenu.popup(0, height + 4)
            }
            Menu {
                id: modeMenu
                // A popup and its items keep the palette they were made with: follow the scheme.
                palette: bar.palette
                title: "Mode"
                Repeater {
                    model: appearanceButton.modes
                    delegate: MenuItem {
                        id: modeItem
                        required property var modelData
                        palette: modeItem.menu.palette
                        text: modeItem.modelData.label
                        icon.source: Icons.source(modeItem.modelData.symbol, Theme.text)
                        readonly property bool current: Theme.chosen === modeItem.modelData.scheme
                        // One choice of three: a tick beside the chosen one, not check boxes.
                        checkable: true
                        checked: current
                        indicator: Symbol {
                            x: modeItem.leftPadding
                            y: (modeItem.height - height) / 2
                            name: "checkmark"
                            tint: modeItem.highlighted ? palette.highlightedText : Theme.text
                            size: 14
                            opacity: modeItem.checked ? 1 : 0
                        }
                        onTriggered: {
                            Settings.appearance = modeItem.modelData.value
                            // A click toggles the item itself: tie it to the setting again.
                            checked = Qt.binding(() => modeItem.current)
                        }
                    }
                }
            }
        }
        ToolIcon {
            objectName: "rescan"
            symbol: "arrow.clockwise"
            help: Texts.bilingual("Pindai ulang", "Scan again")
            enabled: !Model.scanning && !Model.scanningAdv && !Model.busy
            onClicked: Model.refresh()
        }
        ToolIcon {
            objectName: "settingsButton"
            symbol: "gearshape"
            help: Texts.bilingual("Pengaturan", "Settings")
            onClicked: Model.showSettingsPage()
        }
    }
    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: Theme.primary(0.08)
    }
}
