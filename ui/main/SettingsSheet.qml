import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// The settings sheet over the single page: its title, the settings, and Done. Made when the
// sheet first opens: most starts never open it.
ColumnLayout {
    spacing: 0
    Accessible.role: Accessible.Dialog
    Accessible.name: Texts.bilingual("Pengaturan", "Settings")
    Text {
        objectName: "sheetTitle"
        Layout.leftMargin: 24
        Layout.topMargin: 20
        text: Texts.bilingual("Pengaturan", "Settings")
        font.pixelSize: Theme.title3
        font.weight: Font.DemiBold
        color: Theme.text
    }
    ScrollView {
        Layout.fillWidth: true
        Layout.fillHeight: true
        Layout.preferredHeight: contentHeight
        contentWidth: availableWidth
        SettingsView {
            // The scrolled area is as wide as the view's room.
            width: parent ? parent.width : 0
            embedded: false
        }
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
