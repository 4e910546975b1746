import QtQuick
import Ampa

// The quick clean: free space, the clean button, the restart suggestion, and the caches found.
Themed {
    id: pane
    implicitWidth: 560
    implicitHeight: column.implicitHeight + 48

    Column {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 24
        spacing: 14

        Rectangle {
            objectName: "summary"
            width: parent.width
            implicitHeight: summary.implicitHeight + 40
            radius: 16
            color: Theme.control
            border.width: 1
            border.color: Theme.primary(0.08)

            Item {
                id: summary
                anchors.fill: parent
                anchors.margins: 20
                implicitHeight: Math.max(ring.height, figures.implicitHeight, clean.implicitHeight)
                Ring {
                    id: ring
                    anchors.verticalCenter: parent.verticalCenter
                    width: 68
                    height: 68
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
                Column {
                    id: figures
                    anchors.left: ring.right
                    anchors.leftMargin: 16
                    anchors.right: clean.left
                    anchors.rightMargin: 16
                    anchors.verticalCenter: parent.verticalCenter
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
                        width: parent.width
                        wrapMode: Text.Wrap
                        font.pixelSize: Theme.callout
                        color: Theme.secondaryText
                    }
                }
                CleanButton {
                    id: clean
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                }
            }
        }

        // Made only while suggested: most starts do not suggest it. By file, so that a start
        // without it does not even read it.
        Loader {
            width: parent.width
            active: Model.suggestRestart
            visible: active
            source: "RestartCard.qml"
        }
        LoginNote { width: parent.width }
        WarningNotes { width: parent.width }
        ResultChip {
            width: parent.width
            pane: "cepat"
        }
        ScanChip {
            visible: Model.scanning
            text: Texts.bilingual("Memindai cache", "Scanning caches")
        }

        TargetList { width: parent.width }

        Text {
            width: parent.width
            wrapMode: Text.Wrap
            text: Texts.bilingual("Cache yang dibuat ulang sendiri. Cache aplikasi yang sedang terbuka dilewati.",
                           "Caches that rebuild themselves. Caches of apps that are open are skipped.")
            font.pixelSize: Theme.callout
            color: Theme.secondaryText
        }
    }
}
