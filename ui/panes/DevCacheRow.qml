import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Ampa

// One developer cache: its symbol, name, note and size, whether its owner runs, its action, and
// keeping it out of the offers (or releasing it).
RowLayout {
    id: row
    // { id, name, note, symbol, mode, size, running, kept, available, button, keep, refused }
    property var item: ({})

    objectName: "devRow_" + (item.id || "")
    spacing: 12
    Accessible.role: Accessible.ListItem
    Accessible.name: Texts.withSize(item.name || "", item.size)
    Accessible.description: noteText.text

    IconTile { symbol: row.item.symbol || "" }
    ColumnLayout {
        Layout.fillWidth: true
        Layout.preferredWidth: 100
        spacing: 1
        Text {
            Layout.fillWidth: true
            elide: Text.ElideRight
            text: row.item.name || ""
            font.pixelSize: Theme.body
            font.weight: Font.Medium
            color: Theme.text
        }
        Text {
            id: noteText
            objectName: "devNote"
            Layout.fillWidth: true
            elide: Text.ElideRight
            text: row.item.running
                  ? Texts.bilingual("Sedang berjalan: tutup dulu untuk membersihkan",
                                    "Running: quit it to clean")
                  : row.item.available === false
                    ? Texts.bilingual("Programnya tidak terpasang di sini", "Its program is not installed here")
                    : row.item.note || ""
            font.pixelSize: Theme.callout
            color: row.item.running ? Theme.orange : Theme.secondaryText
            // A note cut short (a tagged folder's says why it is only offered) reads whole
            // under the pointer, and on the row's buttons for screen readers.
            HoverHandler { id: noteHover }
            ToolTip.visible: noteHover.hovered && noteText.truncated
            ToolTip.text: noteText.text
            ToolTip.delay: 300
        }
        Text {
            objectName: "devRefused"
            visible: (row.item.refused || []).length > 0
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: visible ? Texts.bilingual("Tidak disentuh: %1", "Left alone: %1").arg(row.item.refused.join("; ")) : ""
            font.pixelSize: Theme.caption
            color: Theme.orange
        }
    }
    Text {
        // A command whose yield cannot be known without running it says so, rather than 0.
        objectName: "devSize"
        text: row.item.size !== undefined
              ? Texts.fmt(row.item.size)
              : Texts.bilingual("ukuran diketahui setelah dibersihkan", "size known after cleaning")
        font.pixelSize: Theme.body
        color: Theme.secondaryText
    }
    PillButton {
        objectName: "devButton_" + (row.item.id || "")
        visible: !row.item.kept
        text: row.item.button || ""
        Accessible.name: text + " " + (row.item.name || "")
        // Every removal looks the same; what a choice loses is in its question.
        prominent: row.item.mode !== "report"
        destructive: row.item.mode !== "report"
        enabled: !Model.busy && !row.item.running && row.item.available !== false
        onClicked: Model.activateDevItem(row.item.id)
    }
    PillButton {
        objectName: "devKeep_" + (row.item.id || "")
        text: row.item.kept ? Texts.bilingual("Lepaskan", "Release") : Texts.bilingual("Pertahankan", "Keep")
        Accessible.name: text + " " + (row.item.name || "")
        Accessible.description: row.item.kept
                                ? Texts.bilingual("Tawarkan dan hitung lagi", "Offer and count it again")
                                : Texts.bilingual("Jangan tawarkan atau hitung", "Do not offer or count it")
        enabled: !Model.busy
        onClicked: row.item.kept ? Model.releaseDevItem(row.item.id) : Model.keepDevItem(row.item.id)
    }
}
