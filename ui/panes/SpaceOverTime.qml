import QtQuick
import QtQuick.Layouts
import Ampa

// Used and free space over the last weeks, with the cleans marked.
Themed {
    id: view
    objectName: "spaceOverTime"
    implicitWidth: 640
    implicitHeight: column.implicitHeight + 24

    readonly property SpaceHistoryModel history: Model.history
    readonly property int count: history.points.length
    // The span the points are of, ending now (read again with each read of the history).
    readonly property real to: history.points, history.cleans, Date.now() / 1000
    readonly property real from: to - history.days * 86400
    // What shows instead of the plot: "" when the plot shows.
    readonly property string empty: !history.loaded
        ? Texts.bilingual("Membaca riwayat…", "Reading the history…")
        : history.walkCount === 0 && !history.recording
        ? Texts.bilingual("Riwayat ruang mati: nyalakan di Pengaturan untuk melihat ruang dari waktu ke waktu.",
                          "The space history is off: turn it on in the settings to see the space over time.")
        : history.walkCount === 0
        ? Texts.bilingual("Belum ada pengukuran yang tercatat. Peta ruang mencatat satu setiap kali mengukur folder rumah Anda.",
                          "No walk recorded yet. The space map records one each time it walks your home.")
        : count === 0
        ? Texts.bilingual("Tidak ada pengukuran dalam %1 hari terakhir.", "No walk in the last %1 days.")
              .arg(history.days)
        : ""

    // The first look reads the history (not the making of a pane that hides it); later changes
    // read it again by themselves.
    function readOnce() {
        if (visible && !history.loaded)
            history.reload()
    }
    onVisibleChanged: readOnce()
    Component.onCompleted: readOnce()

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 12
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            spacing: 12
            Text {
                Layout.fillWidth: true
                text: Texts.bilingual("Ruang dari waktu ke waktu", "Space over time")
                font.pixelSize: Theme.title3
                font.weight: Font.Medium
                color: Theme.text
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
            Row {
                spacing: 12
                visible: view.count > 0
                Repeater {
                    model: [{ text: Texts.bilingual("Terpakai", "Used"), colour: Theme.accentText },
                            { text: Texts.bilingual("Kosong", "Free"), colour: Theme.orange },
                            { text: Texts.bilingual("Pembersihan", "Clean"), colour: Theme.red }]
                    delegate: Row {
                        id: key
                        required property var modelData
                        spacing: 5
                        Accessible.ignored: true
                        Rectangle {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 10
                            height: 10
                            radius: 2
                            color: key.modelData.colour
                        }
                        Text {
                            text: key.modelData.text
                            font.pixelSize: Theme.caption
                            color: Theme.secondaryText
                        }
                    }
                }
            }
            OverTimeDays {}
        }

        // The history found could not be used: said once, until it is put away.
        Rectangle {
            objectName: "overTimeProblem"
            visible: view.history.problem !== ""
            Layout.fillWidth: true
            implicitHeight: problemRow.implicitHeight + 12
            radius: 8
            color: Theme.faded(Theme.orange, 0.12)
            RowLayout {
                id: problemRow
                anchors.fill: parent
                anchors.margins: 6
                anchors.leftMargin: 10
                Text {
                    Layout.fillWidth: true
                    wrapMode: Text.Wrap
                    text: view.history.problem
                    font.pixelSize: Theme.callout
                    color: Theme.text
                    Accessible.role: Accessible.AlertMessage
                    Accessible.name: text
                }
                PillButton {
                    objectName: "overTimeProblemOk"
                    text: "OK"
                    Accessible.name: Texts.bilingual("Tutup pesan riwayat", "Close the history's message")
                    onClicked: view.history.dismissProblem()
                }
            }
        }

        Text {
            objectName: "overTimeOff"
            visible: !view.history.recording && view.history.walkCount > 0
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Texts.bilingual("Riwayat ruang mati: pengukuran baru tidak dicatat.",
                                  "The space history is off: new walks are not recorded.")
            font.pixelSize: Theme.caption
            color: Theme.secondaryText
        }

        Item {
            Layout.fillWidth: true
            implicitHeight: 200
            OverTimePlot {
                anchors.fill: parent
                visible: view.empty === ""
                points: view.history.points
                cleans: view.history.cleans
                from: view.from
                to: view.to
            }
            Text {
                objectName: "overTimeEmpty"
                visible: view.empty !== ""
                anchors.centerIn: parent
                width: Math.min(parent.width - 32, 460)
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                text: view.empty
                font.pixelSize: Theme.body
                color: Theme.secondaryText
            }
        }

        Text {
            objectName: "overTimeSummary"
            visible: view.empty === ""
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: view.count === 1
                  ? view.history.summary + " "
                    + Texts.bilingual("Garisnya mulai dengan pengukuran berikutnya.",
                                      "The line begins with the next walk.")
                  : view.history.summary
            font.pixelSize: Theme.callout
            color: Theme.secondaryText
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
