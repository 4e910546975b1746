import QtQuick
import QtQuick.Layouts
import Ampa

// The restart suggestion: uptime, what swap takes, and the Restart button.
Rectangle {
    id: card
    property bool compact: false
    readonly property string swap: Texts.fmt(Model.swapBytes)
    readonly property string heading: Texts.bilingual("Menyala %1", "On for %1").arg(Texts.uptimeText(Model.uptime))
    readonly property string body: card.compact
          ? Texts.bilingual("Restart mengembalikan %1 swap.", "A restart frees %1 of swap.").arg(card.swap)
          : Texts.bilingual("Swap, yaitu RAM cadangan di disk, memakai %1. Restart "
                            + "mengembalikan ruang itu dan menyegarkan memori.",
                            "Swap, the backup RAM on your disk, takes %1. A restart "
                            + "frees that space and refreshes memory.").arg(card.swap)

    // Read as one alert when it appears: the suggestion and why, then its button.
    Accessible.role: Accessible.AlertMessage
    Accessible.name: Texts.bilingual("Saran restart. ", "Restart suggested. ") + heading
    Accessible.description: body

    implicitHeight: row.implicitHeight + 2 * row.anchors.margins
    implicitWidth: row.implicitWidth + 2 * row.anchors.margins
    radius: 12
    color: Theme.faded(Theme.orange, 0.1)

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: card.compact ? 10 : 14
        spacing: 12
        Symbol {
            name: "arrow.clockwise.circle.fill"
            tint: Theme.orange
            size: card.compact ? 20 : 26
            SequentialAnimation on opacity {
                // Only while shown: a hidden card must not keep the program awake.
                running: card.visible
                loops: Animation.Infinite
                NumberAnimation { to: 0.45; duration: 900; easing.type: Easing.InOutSine }
                NumberAnimation { to: 1; duration: 900; easing.type: Easing.InOutSine }
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.preferredWidth: 100
            spacing: 2
            Text {
                text: card.heading
                Accessible.ignored: true
                font.pixelSize: Theme.body
                font.weight: Font.Medium
                color: Theme.text
            }
            Text {
                Layout.fillWidth: true
                text: card.body
                Accessible.ignored: true
                wrapMode: Text.Wrap
                font.pixelSize: card.compact ? Theme.caption : Theme.callout
                color: Theme.secondaryText
            }
        }
        PillButton {
            visible: !card.compact
            text: "Restart"
            onClicked: Model.restartMac()
        }
        PlainButton {
            id: restartLink
            visible: card.compact
            text: "Restart"
            implicitWidth: linkText.implicitWidth + 12
            implicitHeight: linkText.implicitHeight + 12
            onClicked: Model.restartMac()
            FocusRing { control: restartLink }
            Text {
                id: linkText
                anchors.centerIn: parent
                text: "Restart"
                font.pixelSize: Theme.callout
                font.underline: restartLink.hovered
                color: Theme.accentText
            }
        }
    }
}
