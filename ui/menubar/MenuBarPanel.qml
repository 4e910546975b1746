import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// The tray panel: free space, the restart suggestion, the quick clean, the first five advanced
// items, and the way to the main window.
Themed {
    id: panel
    // Asks the host to show the main window, on `pane` when one is given ("" for none).
    signal openRequested(string pane)
    signal quitRequested()

    implicitWidth: 320
    implicitHeight: column.implicitHeight + 32

    Rectangle {
        anchors.fill: parent
        color: Theme.window
        radius: 10
        border.width: 1
        border.color: Theme.primary(0.12)
    }

    ColumnLayout {
        id: column
        x: 16
        y: 16
        width: parent.width - 32
        spacing: 12

        AmpaMark {}

        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            Ring {
                Layout.preferredWidth: 44
                Layout.preferredHeight: 44
                fraction: Model.usedFraction
                low: Model.isLow
                lineWidth: 6
            }
            ColumnLayout {
                Layout.fillWidth: true
                Layout.preferredWidth: 100
                spacing: 1
                Text {
                    text: Texts.fmt(Model.free)
                    font.pixelSize: 20
                    font.bold: true
                    color: Model.isLow ? Theme.red : Theme.text
                }
                Text {
                    text: Model.isLow
                          ? Texts.bilingual("Kosong. Di bawah 10 GB, komputer bisa melambat.",
                                     "Free. Under 10 GB, a computer can slow down.")
                          : Texts.bilingual("kosong dari %1", "free of %1").arg(Texts.fmt(Model.total))
                    Layout.fillWidth: true
                    wrapMode: Text.Wrap
                    font.pixelSize: Theme.callout
                    color: Theme.secondaryText
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
            Accessible.role: Model.resultDone ? Accessible.StatusBar : Accessible.AlertMessage
            Accessible.name: text
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Model.result
            font.pixelSize: Theme.caption
            color: Theme.text
        }

        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Theme.primary(0.1) }

        Text {
            text: Texts.bilingual("Opsi lanjutan", "Advanced options")
            font.pixelSize: Theme.caption
            font.weight: Font.DemiBold
            color: Theme.secondaryText
        }
        Repeater {
            objectName: "panelAdvItems"
            // The first five items show; the Advanced pane lists them all.
            model: Model.advItems
            delegate: RowLayout {
                id: advRow
                required property int index
                required property var model
                visible: index < 5
                Accessible.role: Accessible.ListItem
                Accessible.name: Texts.withSize(advRow.model.title, advRow.model.size)
                Accessible.description: advRow.model.note
                Layout.fillWidth: true
                spacing: 10
                HoverHandler { id: rowHover }
                ToolTip.visible: rowHover.hovered
                ToolTip.delay: 600
                ToolTip.text: advRow.model.note
                Avatar { initials: advRow.model.initials; size: 26 }
                ColumnLayout {
                    Layout.fillWidth: true
                    Layout.preferredWidth: 100
                    spacing: 0
                    Text {
                        Layout.fillWidth: true
                        elide: Text.ElideRight
                        text: advRow.model.title
                        font.pixelSize: Theme.callout
                        color: Theme.text
                    }
                    Text {
                        visible: advRow.model.size !== undefined
                        text: visible ? Texts.fmt(advRow.model.size) : ""
                        font.pixelSize: Theme.caption
                        color: Theme.secondaryText
                    }
                }
                PillButton {
                    text: advRow.model.button
                    prominent: advRow.model.prominent
                    // The prominent ones open an app; the others remove data.
                    destructive: !advRow.model.prominent
                    enabled: advRow.model.enabled && !Model.busy
                    onClicked: Model.activateAdvItem(advRow.model.id)
                }
            }
        }

        Rectangle { Layout.fillWidth: true; implicitHeight: 1; color: Theme.primary(0.1) }

        RowLayout {
            Layout.fillWidth: true
            PillButton {
                objectName: "openAmpa"
                text: Texts.bilingual("Buka Ampa", "Open Ampa")
                onClicked: panel.openRequested("")
            }
            Item { Layout.fillWidth: true }
            ToolButton {
                objectName: "panelSettings"
                ToolTip.visible: hovered
                ToolTip.text: Texts.bilingual("Pengaturan", "Settings")
                Accessible.name: ToolTip.text
                onClicked: panel.openRequested("pengaturan")
                contentItem: Symbol { name: "gearshape"; tint: Theme.secondaryText; size: 16 }
                background: FocusRing {}
            }
            ToolButton {
                objectName: "panelQuit"
                ToolTip.visible: hovered
                ToolTip.text: Texts.bilingual("Keluar", "Quit")
                Accessible.name: ToolTip.text
                onClicked: panel.quitRequested()
                contentItem: Symbol { name: "power"; tint: Theme.secondaryText; size: 16 }
                background: FocusRing {}
            }
        }
    }
}
