import QtQuick
import Ampa

// Said once, after the first run turned on start at login without asking: that it did, why, and
// where to turn it off. Gone once read or once the switch was used.
Rectangle {
    id: note
    objectName: "loginNote"
    visible: Settings.loginNote
    implicitHeight: Math.max(noteText.implicitHeight, buttons.height) + 24
    radius: 12
    color: Theme.secondaryFill
    Accessible.role: Accessible.StaticText
    Accessible.name: noteText.text

    Text {
        id: noteText
        anchors.left: parent.left
        anchors.right: buttons.left
        anchors.margins: 12
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        wrapMode: Text.Wrap
        text: Texts.bilingual("Ampa kini berjalan saat Anda login, untuk mengawasi ruang kosong. Matikan di Pengaturan kapan saja.",
                              "Ampa now starts when you log in, to keep an eye on free space. Turn it off in Settings at any time.")
        font.pixelSize: Theme.callout
        color: Theme.text
    }
    Row {
        id: buttons
        anchors.right: parent.right
        anchors.rightMargin: 12
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10
        PillButton {
            objectName: "loginNoteSettings"
            text: Texts.bilingual("Pengaturan", "Settings")
            onClicked: {
                Settings.loginNote = false
                Model.showSettingsPage()
            }
        }
        PillButton {
            objectName: "loginNoteDone"
            text: "OK"
            Accessible.name: Texts.bilingual("Tutup catatan", "Dismiss the note")
            onClicked: Settings.loginNote = false
        }
    }
}
