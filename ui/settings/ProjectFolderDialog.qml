import QtQuick
import QtQuick.Dialogs
import Ampa

// The desktop's folder chooser (its portal where there is one): the folder chosen joins the
// project folders.
FolderDialog {
    title: Texts.bilingual("Pilih folder proyek", "Choose a project folder")
    onAccepted: Model.addProjectFolder(selectedFolder)
}
