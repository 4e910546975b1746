import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import Ampa

// Where the map looks: the home, a mounted volume (another disk, a USB stick), any folder, or a
// scan saved elsewhere (ncdu's export, e.g. of a server with no desktop).
PillButton {
    id: places
    objectName: "spacePlaces"
    text: Texts.bilingual("Lihat…", "Look at…")
    Accessible.name: Texts.bilingual("Pilih yang diukur", "Choose what to measure")
    onClicked: {
        volumes.model = Model.space.volumes()
        menu.open()
    }

    Menu {
        id: menu
        objectName: "spacePlacesMenu"
        y: places.height + 4
        // A popup and its items keep the palette they were made with: follow the scheme.
        palette: places.palette
        MenuItem {
            objectName: "spacePlaceHome"
            palette: menu.palette
            text: Texts.bilingual("Folder home", "Home")
            onTriggered: Model.space.start("")
        }
        Instantiator {
            id: volumes
            delegate: MenuItem {
                required property var modelData
                required property int index
                objectName: "spacePlaceVolume_" + index
                palette: menu.palette
                text: Texts.bilingual("%1 (%2 kosong dari %3)", "%1 (%2 free of %3)")
                          .arg(modelData.mountPoint).arg(Texts.fmt(modelData.free))
                          .arg(Texts.fmt(modelData.total))
                onTriggered: Model.space.start(modelData.path)
            }
            onObjectAdded: (index, object) => menu.insertItem(index + 1, object)
            onObjectRemoved: (index, object) => menu.removeItem(object)
        }
        MenuSeparator {}
        MenuItem {
            objectName: "spacePlaceFolder"
            palette: menu.palette
            text: Texts.bilingual("Pilih folder…", "Choose a folder…")
            onTriggered: {
                chooser.open()
                if (!chooser.visible)
                    Model.folderChooserFailed()
            }
        }
        MenuItem {
            objectName: "spacePlaceScan"
            palette: menu.palette
            text: Texts.bilingual("Buka pindaian…", "Open a scan…")
            onTriggered: {
                scanChooser.open()
                if (!scanChooser.visible)
                    Model.space.scanChooserFailed()
            }
        }
    }

    // The desktop's folder chooser (its portal where there is one, else Qt's own).
    FolderDialog {
        id: chooser
        title: Texts.bilingual("Pilih folder untuk diukur", "Choose a folder to measure")
        currentFolder: Model.homeFolderUrl
        onAccepted: Model.space.startAt(selectedFolder)
    }

    // An export of ncdu (`ncdu -o FILE`): JSON, whatever its name ends with.
    FileDialog {
        id: scanChooser
        objectName: "spaceScanChooser"
        title: Texts.bilingual("Buka pindaian tersimpan", "Open a saved scan")
        currentFolder: Model.homeFolderUrl
        nameFilters: [Texts.bilingual("Ekspor JSON (*.json)", "JSON exports (*.json)"),
                      Texts.bilingual("Semua berkas (*)", "All files (*)")]
        onAccepted: Model.space.openScan(selectedFile)
    }
}
