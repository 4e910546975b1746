import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// The tray panel: free space, the restart suggestion, the quick clean, the first five advanced
// items, and the way to the main window.
Rectangle {
    id: panel
    // Asks the host to show the main window, on `pane` when one is given ("" for none).
    signal openRequested(string pane)
    signal quitRequested()

    implicitWidth: 320
    implicitHeight: column.implicitHeight + 32
    color: Palette.window
    radius: 10
    border.width: 1
    border.color: Palette.primary(0.12)

    ColumnLayout {
        id: column
        x: 16
        y: 16
        width: parent.width - 32
        spacing: 12

        AmpaMark {}

        RowLayout {
            spacing: 12
            Ring {
                Layout.preferredWidth: 44
                Layout.preferredHeight: 44
                fraction: Model.usedFraction
                low: Model.isLow
                lineWidth: 6
            }
            ColumnLayout {
                spacing: 1
                Text {
                    text: Texts.fmt(Model.free)
                    font.pixelSize: 20
                    font.bold: true
                    color: Model.isLow ? Palette.red : Palette.text
                }
                Text {
                    text: Model.isLow
                          ? Texts.tr("Kosong. Di bawah 10 GB, komputer bisa melambat.",
                                     "Free. Under 10 GB, a computer can slow down.")
                          : Texts.tr("kosong dari " + Texts.fmt(Model.total),
                                     "free of " + Texts.fmt(Model.total))
                    font.pixelSize: Palette.callout
                    color: Palette.secondaryText
                }
            }
        }

        RestartCard {
            Layout.fillWidth: true
            compact: true
            visible: Model.suggestRestart
        }
        CleanButton {
            Layout.fillWidth: true
            fullWidth: true
        }
        Text {
            objectName: "panelResult"
            visible: Model.result !== ""
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Model.result
            font.pixelSize: Palette.caption
            color: Palette.text
        }

        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Palette.primary(0.1) }

        Text {
            text: Texts.tr("Opsi lanjutan", "Advanced options")
            font.pixelSize: Palette.caption
            font.weight: Font.DemiBold
            color: Palette.secondaryText
        }
        Repeater {
            objectName: "panelAdvItems"
            // The first five items; the Advanced pane lists them all.
            model: Math.min(5, Model.advItems.length)
            delegate: RowLayout {
                id: advRow
                required property int index
                readonly property var modelData: Model.advItems[index]
                Layout.fillWidth: true
                spacing: 10
                HoverHandler { id: rowHover }
                ToolTip.visible: rowHover.hovered
                ToolTip.delay: 600
                ToolTip.text: advRow.modelData.note
                Avatar { initials: advRow.modelData.initials; size: 26 }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 0
                    Text {
                        Layout.fillWidth: true
                        elide: Text.ElideRight
                        text: advRow.modelData.title
                        font.pixelSize: Palette.callout
                        color: Palette.text
                    }
                    Text {
                        visible: advRow.modelData.size !== undefined
                        text: visible ? Texts.fmt(advRow.modelData.size) : ""
                        font.pixelSize: Palette.caption
                        color: Palette.secondaryText
                    }
                }
                PillButton {
                    text: advRow.modelData.button
                    prominent: advRow.modelData.prominent
                    enabled: advRow.modelData.enabled && !Model.busy
                    onClicked: Model.activateAdvItem(advRow.modelData.id)
                }
            }
        }

        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Palette.primary(0.1) }

        RowLayout {
            Layout.fillWidth: true
            Button {
                objectName: "openAmpa"
                text: Texts.tr("Buka Ampa", "Open Ampa")
                icon.source: Icons.source("macwindow", Palette.text)
                onClicked: panel.openRequested("")
            }
            Item { Layout.fillWidth: true }
            ToolButton {
                objectName: "panelSettings"
                ToolTip.visible: hovered
                ToolTip.text: Texts.tr("Pengaturan", "Settings")
                onClicked: panel.openRequested("pengaturan")
                contentItem: Symbol { name: "gearshape"; tint: Palette.secondaryText; size: 16 }
                background: Item {}
            }
            ToolButton {
                objectName: "panelQuit"
                ToolTip.visible: hovered
                ToolTip.text: Texts.tr("Keluar", "Quit")
                onClicked: panel.quitRequested()
                contentItem: Symbol { name: "power"; tint: Palette.secondaryText; size: 16 }
                background: Item {}
            }
        }
    }
}
