import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// Language, layout, appearance, open at login, the tray icon, projects, the automatic clean and
// the space map's history. The same form embedded in the sidebar's settings pane and in the
// single page's settings sheet.
Themed {
    id: view
    property bool embedded: true

    implicitWidth: 560
    implicitHeight: card.implicitHeight + 48

    readonly property LoginSwitch login: Model.login
    ProjectFolderDialog { id: folderChooser }

    component Choice: RowLayout {
        id: choice
        property string title
        property var options: []   // [{ value, label }]
        property string value
        signal chosen(string value)
        Layout.fillWidth: true
        spacing: 12
        Text {
            Layout.preferredWidth: 170
            text: choice.title
            font.pixelSize: Theme.body
            color: Theme.text
        }
        PillComboBox {
            objectName: "choice_" + choice.title
            // Named by its row, not by the value it shows.
            Accessible.name: choice.title
            Layout.fillWidth: true
            model: choice.options.map(option => option.label)
            currentIndex: choice.options.findIndex(option => option.value === choice.value)
            onActivated: index => {
                choice.chosen(choice.options[index].value)
                // As with the switches: a choice that failed springs back to the real value.
                currentIndex = Qt.binding(
                    () => choice.options.findIndex(option => option.value === choice.value))
            }
        }
    }
    component Toggle: RowLayout {
        id: toggle
        property string title
        property bool checked
        signal toggled(bool on)
        Layout.fillWidth: true
        Text {
            Layout.fillWidth: true
            text: toggle.title
            font.pixelSize: Theme.body
            color: Theme.text
        }
        PillSwitch {
            objectName: "toggle_" + toggle.title
            Accessible.name: toggle.title
            checked: toggle.checked
            onToggled: {
                toggle.toggled(checked)
                // A click breaks the binding: bind again, so that a change that failed springs
                // back to the real state.
                checked = Qt.binding(() => toggle.checked)
            }
        }
    }

    Rectangle {
        id: card
        x: 24
        y: 24
        width: Math.min(560, view.width - 48)
        implicitHeight: form.implicitHeight + 32
        radius: 12
        color: Theme.control
        border.width: 1
        border.color: Theme.primary(0.08)

    ColumnLayout {
        id: form
        anchors.fill: parent
        anchors.margins: 16
        spacing: 12

        Choice {
            title: "Language / Bahasa"
            options: [{ value: "en", label: "English" }, { value: "id", label: "Bahasa Indonesia" }]
            value: Settings.language
            onChosen: value => Settings.language = value
        }
        Choice {
            title: Texts.bilingual("Tampilan", "Layout")
            options: [{ value: "sidebar", label: "Sidebar" },
                      { value: "halaman", label: Texts.bilingual("Satu halaman", "Single page") }]
            value: Settings.viewMode === "sidebar" ? "sidebar" : "halaman"
            onChosen: value => Settings.viewMode = value
        }
        Choice {
            title: "Mode"
            options: [{ value: "sistem", label: Texts.bilingual("Ikuti sistem", "Match system") },
                      { value: "terang", label: Texts.bilingual("Terang", "Light") },
                      { value: "gelap", label: Texts.bilingual("Gelap", "Dark") }]
            value: Settings.appearance === "terang" || Settings.appearance === "gelap"
                   ? Settings.appearance : "sistem"
            onChosen: value => Settings.appearance = value
        }
        Toggle {
            title: Texts.bilingual("Buka saat login", "Open at login")
            checked: view.login.on
            onToggled: on => view.login.set(on)
        }
        Toggle {
            title: Texts.bilingual("Tampilkan di system tray", "Show in system tray")
            checked: Settings.showMenuBar
            onToggled: on => Settings.showMenuBar = on
        }
        Text {
            objectName: "loginError"
            visible: view.login.error !== ""
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: view.login.error
            font.pixelSize: Theme.caption
            color: Theme.red
        }
        Text {
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Texts.bilingual("Kalau keduanya aktif, Ampa berjalan diam-diam di system tray setiap kali login.",
                           "With both on, Ampa runs quietly in the system tray every time you log in.")
            font.pixelSize: Theme.caption
            color: Theme.secondaryText
        }
        Toggle {
            objectName: "notifyLowSpace"
            title: Texts.bilingual("Beri tahu saat ruang disk hampir habis",
                                   "Notify when disk space runs low")
            checked: Settings.notifyLowSpace
            onToggled: on => Settings.notifyLowSpace = on
        }
        // The space map's history: kept or not, and forgotten on demand.
        Toggle {
            objectName: "spaceHistory"
            title: Texts.bilingual("Simpan riwayat peta ruang", "Keep a history of the space map")
            checked: Settings.spaceHistory
            onToggled: on => Settings.spaceHistory = on
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            Text {
                objectName: "spaceHistoryCleared"
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                text: Model.history.clearState === "done"
                      ? Texts.bilingual("Riwayat sudah dihapus.", "The history was cleared.")
                      : Model.history.clearState === "failed"
                      ? Texts.bilingual("Riwayat tidak bisa dihapus.", "The history could not be cleared.")
                      : Texts.bilingual("Peta ruang mencatat ukuran folder di setiap pengukuran, untuk melihat apa yang bertambah.",
                                        "The space map records the folders' sizes at each walk, to show what grew.")
                font.pixelSize: Theme.caption
                color: Model.history.clearState === "failed" ? Theme.red : Theme.secondaryText
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            PillButton {
                objectName: "clearSpaceHistory"
                text: Texts.bilingual("Hapus riwayat", "Clear history")
                Accessible.name: Texts.bilingual("Hapus riwayat peta ruang", "Clear the space map's history")
                destructive: true
                onClicked: Model.history.clear()
            }
        }
        Text {
            objectName: "spaceHistoryProblem"
            visible: Model.history.problem !== ""
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Model.history.problem
            font.pixelSize: Theme.caption
            color: Theme.red
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
        }
        // Where projects are looked for, and when one counts as idle.
        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 4
            spacing: 12
            Text {
                Layout.fillWidth: true
                text: Texts.bilingual("Folder proyek", "Project folders")
                font.pixelSize: Theme.body
                color: Theme.text
            }
            PillButton {
                objectName: "addProjectFolderSetting"
                text: Texts.bilingual("Tambah…", "Add…")
                Accessible.name: Texts.bilingual("Tambah folder proyek", "Add a project folder")
                onClicked: folderChooser.choose()
            }
        }
        Rectangle {
            objectName: "projectFolders"
            Layout.fillWidth: true
            implicitHeight: Math.max(32, folders.implicitHeight + 8)
            radius: 8
            color: Theme.window
            border.width: 1
            border.color: Theme.primary(0.1)
            Accessible.role: Accessible.List
            Accessible.name: Texts.bilingual("Folder proyek", "Project folders")
            Text {
                visible: Model.projectFolders.length === 0
                anchors.verticalCenter: parent.verticalCenter
                x: 10
                text: Texts.bilingual("Belum ada: folder yang biasa dipakai dicari kalau ada.",
                                      "None yet: the usual folders are searched where they exist.")
                font.pixelSize: Theme.callout
                color: Theme.secondaryText
            }
            ColumnLayout {
                id: folders
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: 4
                spacing: 0
                Repeater {
                    model: Model.projectFolders
                    delegate: RowLayout {
                        id: folderRow
                        required property string modelData
                        required property int index
                        Layout.fillWidth: true
                        Layout.leftMargin: 6
                        spacing: 8
                        Symbol {
                            name: "folder"
                            tint: Theme.secondaryText
                            size: 14
                        }
                        Text {
                            Layout.fillWidth: true
                            text: folderRow.modelData
                            elide: Text.ElideMiddle
                            font.pixelSize: Theme.callout
                            color: Theme.text
                        }
                        ToolButton {
                            objectName: "removeProjectFolder_" + folderRow.index
                            implicitWidth: 26
                            implicitHeight: 26
                            padding: 7
                            Accessible.name: Texts.bilingual("Hapus %1 dari daftar", "Remove %1 from the list")
                                                 .arg(folderRow.modelData)
                            onClicked: Model.removeProjectFolder(folderRow.index)
                            Keys.onReturnPressed: clicked()
                            contentItem: Symbol {
                                name: "xmark"
                                tint: Theme.secondaryText
                                size: 12
                            }
                            background: FocusRing {}
                        }
                    }
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            Text {
                Layout.fillWidth: true
                text: Texts.bilingual("Menganggur setelah (hari)", "Idle after (days)")
                font.pixelSize: Theme.body
                color: Theme.text
            }
            SpinBox {
                objectName: "projectIdleDays"
                Accessible.name: Texts.bilingual("Proyek menganggur setelah berapa hari",
                                                 "Days after which a project is idle")
                from: 1
                to: 3650
                editable: true
                value: Settings.projectIdleDays
                onValueModified: {
                    Settings.projectIdleDays = value
                    value = Qt.binding(() => Settings.projectIdleDays)
                }
            }
        }

        Choice {
            title: Texts.bilingual("Bersihkan otomatis", "Clean automatically")
            options: [{ value: "off", label: Texts.bilingual("Mati", "Off") },
                      { value: "daily", label: Texts.bilingual("Setiap hari", "Daily") },
                      { value: "weekly", label: Texts.bilingual("Setiap minggu", "Weekly") },
                      { value: "monthly", label: Texts.bilingual("Setiap bulan", "Monthly") }]
            value: Model.autoClean.choice
            onChosen: value => Model.autoClean.choose(value)
        }
        Text {
            objectName: "autoCleanError"
            visible: Model.autoClean.error !== ""
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Model.autoClean.error
            font.pixelSize: Theme.caption
            color: Theme.red
        }
        Text {
            objectName: "autoCleanRuns"
            visible: text !== ""
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Model.autoClean.lastRun === "" ? Model.autoClean.nextRun
                  : Model.autoClean.nextRun === "" ? Model.autoClean.lastRun
                  : Model.autoClean.lastRun + "\n" + Model.autoClean.nextRun
            font.pixelSize: Theme.caption
            color: Theme.secondaryText
        }
    }

    }

    // The timer's clean runs in a process of its own: its log line and the next run are read anew;
    // so is the login item, which the first run may have written.
    Component.onCompleted: {
        Model.autoClean.refresh()
        view.login.reload()
    }

    Connections {
        target: Settings
        function onAppearanceChanged() { Appearance.applyAppearance(Settings.appearance) }
    }
}
