import QtQuick
import QtQuick.Layouts
import Ampa

// The quick clean: free space, the clean button, the restart suggestion, and the caches found.
Themed {
    id: pane
    implicitWidth: 560
    implicitHeight: column.implicitHeight + 48

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: 24
        spacing: 14

        Rectangle {
            objectName: "summary"
            Layout.fillWidth: true
            implicitHeight: summary.implicitHeight + 40
            radius: 16
            color: Theme.control
            border.width: 1
            border.color: Theme.primary(0.08)

            RowLayout {
                id: summary
                anchors.fill: parent
                anchors.margins: 20
                spacing: 16
                Ring {
                    Layout.preferredWidth: 68
                    Layout.preferredHeight: 68
                    fraction: Model.usedFraction
                    low: Model.isLow
                    lineWidth: 8
                    Text {
                        anchors.centerIn: parent
                        text: Math.trunc(Model.usedFraction * 100) + "%"
                        font.pixelSize: 15
                        font.weight: Font.DemiBold
                        color: Theme.text
                    }
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    Layout.preferredWidth: 100
                    spacing: 2
                    Text {
                        objectName: "freeText"
                        text: Texts.fmt(Model.free)
                        // Read out whole: the figure alone would not say what it counts.
                        Accessible.role: Accessible.StaticText
                        Accessible.name: Texts.bilingual("%1 kosong dari %2, %3% terpakai",
                                                         "%1 free of %2, %3% used")
                                         .arg(Texts.fmt(Model.free)).arg(Texts.fmt(Model.total))
                                         .arg(WindowRules.usedPercent(Model.usedFraction))
                        font.pixelSize: 30
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
                CleanButton {}
            }
        }

        // Made only while suggested: most starts do not suggest it. By file, so that a start
        // without it does not even read it.
        Loader {
            Layout.fillWidth: true
            active: Model.suggestRestart
            visible: active
            source: "RestartCard.qml"
        }
        LoginNote { Layout.fillWidth: true }
        WarningNotes { Layout.fillWidth: true }
        ResultChip {
            Layout.fillWidth: true
            pane: "cepat"
        }
        ScanChip {
            visible: Model.scanning
            text: Texts.bilingual("Memindai cache", "Scanning caches")
        }

        TargetList { Layout.fillWidth: true }

        Text {
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Texts.bilingual("Cache yang dibuat ulang sendiri. Cache aplikasi yang sedang terbuka dilewati.",
                           "Caches that rebuild themselves. Caches of apps that are open are skipped.")
            font.pixelSize: Theme.callout
            color: Theme.secondaryText
        }
        Item { Layout.fillHeight: true }
    }
}
