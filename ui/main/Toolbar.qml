import QtQuick
import Ampa

// The window's toolbar: layout, light or dark, scan again, settings.
Rectangle {
    id: bar
    implicitHeight: 44
    color: Theme.window
    // The keyboard's place on the single page when it has none.
    function takeFocus() { settingsButton.forceActiveFocus(Qt.OtherFocusReason) }

    component ToolIcon: PlainButton {
        id: tool
        property string symbol
        implicitWidth: 32
        implicitHeight: 28
        HoverTip {
            control: tool
            text: tool.text
        }
        Rectangle {
            anchors.fill: parent
            radius: 6
            color: tool.checked || tool.pressed ? Theme.primary(0.1)
                                             : (tool.hovered ? Theme.primary(0.05) : "transparent")
            FocusRing { control: tool }
        }
        Symbol {
            anchors.centerIn: parent
            name: tool.symbol
            tint: tool.enabled ? (tool.checked ? Theme.accentText : Theme.text) : Theme.secondaryText
            size: 16
        }
    }

    Row {
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 4

        Row {
            objectName: "layoutPicker"
            Accessible.name: Texts.bilingual("Tampilan", "Layout")
            ToolIcon {
                objectName: "layoutSidebar"
                symbol: "sidebar.left"
                text: Texts.bilingual("Tampilan sidebar", "Sidebar layout")
                checkable: true
                checked: Settings.viewMode === "sidebar"
                onClicked: Settings.viewMode = "sidebar"
            }
            ToolIcon {
                objectName: "layoutPage"
                symbol: "rectangle.grid.1x2"
                text: Texts.bilingual("Tampilan satu halaman", "Single page layout")
                checkable: true
                checked: Settings.viewMode !== "sidebar"
                onClicked: Settings.viewMode = "halaman"
            }
        }
        ToolIcon {
            id: appearanceButton
            objectName: "appearanceMenu"
            symbol: "circle.lefthalf.filled"
            text: Texts.bilingual("Mode terang atau gelap", "Light or dark mode")
            // Made at the first click: most starts never open it, and its items cost the
            // window's first frame.
            property var menu: null
            onClicked: {
                if (!menu) {
                    menu = Qt.createComponent("AppearanceMenu.qml")
                             .createObject(appearanceButton, { button: appearanceButton })
                }
                menu.open()
            }
        }
        ToolIcon {
            objectName: "rescan"
            symbol: "arrow.clockwise"
            text: Texts.bilingual("Pindai ulang", "Scan again")
            enabled: !Model.scanning && !Model.scanningAdv && !Model.busy
            onClicked: Model.scanAgain()
        }
        ToolIcon {
            id: settingsButton
            objectName: "settingsButton"
            symbol: "gearshape"
            text: Texts.bilingual("Pengaturan", "Settings")
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
