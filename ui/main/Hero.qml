import QtQuick
import QtQuick.Layouts
import Ampa

// The single page's summary: the big ring, free space, and the quick-clean button.
Rectangle {
    implicitHeight: row.implicitHeight + 48
    radius: 16
    color: Theme.secondaryFill

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 24
        spacing: 28
        Ring {
            Layout.preferredWidth: 132
            Layout.preferredHeight: 132
            fraction: Model.usedFraction
            low: Model.isLow
            lineWidth: 14
            Column {
                anchors.centerIn: parent
                Text {
                    objectName: "usedPercent"
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: WindowRules.usedPercent(Model.usedFraction) + "%"
                    font.pixelSize: 30
                    font.weight: Font.DemiBold
                    color: Theme.text
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: Texts.bilingual("terpakai", "used")
                    font.pixelSize: Theme.caption
                    color: Theme.secondaryText
                }
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.preferredWidth: 100
            spacing: 4
            Text {
                text: Texts.fmt(Model.free)
                // Read out whole: the figure alone would not say what it counts.
                Accessible.role: Accessible.StaticText
                Accessible.name: Texts.bilingual("%1 kosong dari %2, %3% terpakai",
                                         "%1 free of %2, %3% used")
                                 .arg(Texts.fmt(Model.free)).arg(Texts.fmt(Model.total))
                                 .arg(WindowRules.usedPercent(Model.usedFraction))
                font.pixelSize: 40
                font.bold: true
                color: Model.isLow ? Theme.red : Theme.text
            }
            Text {
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                text: Model.isLow ? Texts.bilingual("Kosong. Di bawah 10 GB, komputer bisa melambat.",
                                             "Free. Under 10 GB, a computer can slow down.")
                                  : Texts.bilingual("Kosong dari %1", "Free of %1").arg(Texts.fmt(Model.total))
                font.pixelSize: Theme.body
                color: Theme.secondaryText
            }
            CleanButton { Layout.topMargin: 8 }
        }
    }
}
