import QtQuick
import QtQuick.Layouts
import Ampa

// Projects' build output and dependencies: the idle ones cleaned at once, or one project at a
// time; projects in use are left alone; kept ones apart.
Themed {
    id: pane
    implicitWidth: 560
    implicitHeight: column.implicitHeight + 48

    function listed(folders: list<string>): string {
        let text = ""
        for (let i = 0; i < folders.length; ++i)
            text += (i > 0 ? ", " : "") + folders[i]
        return text
    }

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 24
        spacing: 14

        ResultChip {
            Layout.fillWidth: true
            pane: "proyek"
        }
        ScanChip {
            visible: Model.scanningAdv
            text: Texts.bilingual("Mencari proyek", "Looking for projects")
        }
        // Nothing found: where was looked, and a way to look elsewhere.
        ColumnLayout {
            visible: !Model.scanningAdv && Model.projectCount === 0
            Layout.fillWidth: true
            spacing: 8
            Text {
                objectName: "projectsEmpty"
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                text: Model.searchedProjectFolders.length > 0
                      ? Texts.bilingual("Tidak ada proyek dengan artefak build di %1.",
                                        "No projects with build output in %1.")
                            .arg(pane.listed(Model.searchedProjectFolders))
                      : Texts.bilingual("Belum ada folder proyek: tidak ada %1.",
                                        "No project folders yet: none of %1 exists.")
                            .arg(pane.listed(Model.usualProjectFolders))
                font.pixelSize: Theme.body
                color: Theme.secondaryText
            }
            PillButton {
                objectName: "addProjectFolder"
                text: Texts.bilingual("Tambah folder proyek…", "Add a project folder…")
                onClicked: chooser.choose()
            }
        }
        ProjectFolderDialog { id: chooser }
        RowLayout {
            visible: Model.projectCount > 0
            Layout.fillWidth: true
            spacing: 12
            Text {
                objectName: "idleSummary"
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                // Indonesian has no plural; English counts one project and one day apart.
                text: Texts.bilingual("%1 proyek tanpa aktivitas %2 hari atau lebih: %3",
                                      (Model.idleProjectsCount === 1 ? "%1 project" : "%1 projects")
                                      + (Model.projectIdleDays === 1 ? " idle for %2 day or more: %3"
                                                                     : " idle for %2 days or more: %3"))
                      .arg(Model.idleProjectsCount).arg(Model.projectIdleDays)
                      .arg(Texts.fmt(Model.idleProjectsSize))
                font.pixelSize: Theme.callout
                color: Theme.secondaryText
            }
            PillButton {
                objectName: "cleanIdleProjects"
                prominent: true
                destructive: true
                text: Texts.bilingual("Hapus yang menganggur", "Delete idle ones")
                enabled: !Model.busy && Model.idleProjectsCount > 0
                onClicked: Model.cleanIdleProjects()
            }
        }
        ProjectList { Layout.fillWidth: true }
        Text {
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Texts.bilingual("Hanya artefak yang dihapus: hasil build (target, folder build) kembali pada build berikutnya, node_modules pada instalasi berikutnya, venv saat dibuat ulang dan requirements-nya dipasang lagi. Setiap tindakan meminta konfirmasi dulu.",
                                  "Only artifacts go: build output (target, build folders) comes back with the next build, node_modules with the next install, a virtual environment when it is made again and its requirements installed. Every action asks you first.")
            font.pixelSize: Theme.callout
            color: Theme.secondaryText
        }
        SectionTitle {
            visible: keptList.visible
            text: Texts.bilingual("Disimpan", "Kept")
        }
        ProjectList {
            id: keptList
            Layout.fillWidth: true
            kept: true
        }
        Item { Layout.fillHeight: true }
    }
}
