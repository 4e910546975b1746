import QtQuick
import QtQuick.Dialogs
import Ampa

// The desktop's folder chooser (its portal where there is one, else Qt's own), starting in the
// home: the folder chosen joins the project folders.
FolderDialog {
    id: dialog
    title: Texts.bilingual("Pilih folder proyek", "Choose a project folder")
    currentFolder: Model.homeFolderUrl
    onAccepted: Model.addProjectFolder(selectedFolder)

    // Opens it; one that cannot be made (a part of Qt it needs is missing) is said in the window
    // rather than doing nothing.
    function choose() {
        dialog.open()
        if (!dialog.visible)
            Model.folderChooserFailed()
    }
}
