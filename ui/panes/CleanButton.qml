import QtQuick
import Ampa

// The quick-clean button: "Clean <total>", a spinner while cleaning; no question asked.
PlainButton {
    id: button
    property bool fullWidth: false

    objectName: "cleanButton"
    enabled: !Model.busy && !Model.scanning && Model.quickTotal > 0
    implicitWidth: content.implicitWidth + 32
    implicitHeight: content.implicitHeight + 16
    onClicked: Model.cleanQuick()
    // Disabled, a grey pill rather than a faded accent: white on the faded accent is unreadable.
    readonly property color foreground: enabled ? Theme.textOnAccent : Theme.secondaryText
    // Before the first scan has measured anything, no "0 MB" that reads as nothing to clean.
    text: Model.busy
        ? Texts.bilingual("Membersihkan", "Cleaning")
        : Model.scanning && Model.quickTotal <= 0
          ? Texts.bilingual("Bersihkan", "Clean")
          : Texts.bilingual("Bersihkan %1", "Clean %1").arg(Texts.fmt(Model.quickTotal))
    Accessible.description: Texts.bilingual("Menghapus cache yang tercantum tanpa bertanya.",
                                            "Deletes the listed caches without asking.")

    // The sparkles bounce once whenever a result arrives.
    property real sparkleScale: 1
    SequentialAnimation {
        id: sparkle
        NumberAnimation { target: button; property: "sparkleScale"; to: 1.3; duration: 120 }
        NumberAnimation { target: button; property: "sparkleScale"; to: 1; duration: 200; easing.type: Easing.OutBack }
    }
    Connections {
        target: Model
        function onResultChanged() { sparkle.restart() }
    }

    Rectangle {
        anchors.fill: parent
        radius: button.fullWidth ? 8 : height / 2
        color: !button.enabled ? Theme.track
                               : button.pressed ? Qt.darker(Theme.accent, 1.15) : Theme.accent
        FocusRing { control: button; radius: button.fullWidth ? 11 : height / 2 }
    }
    Row {
        id: content
        anchors.centerIn: parent
        spacing: 8
        Spinner {
            objectName: "cleanProgress"
            visible: Model.busy
            tint: button.foreground
            progress: Model.cleanProgress
            width: 16
            height: 16
            anchors.verticalCenter: parent.verticalCenter
        }
        Symbol {
            visible: !Model.busy
            name: "sparkles"
            tint: button.foreground
            size: 16
            scale: button.sparkleScale
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            objectName: "cleanLabel"
            anchors.verticalCenter: parent.verticalCenter
            text: button.text
            font.pixelSize: Theme.body
            font.weight: Font.DemiBold
            color: button.foreground
        }
    }
}
