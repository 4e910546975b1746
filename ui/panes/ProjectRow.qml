import QtQuick
import QtQuick.Layouts
import Ampa

// One project: its name, where it lies, its kind, age and state, what its artifacts take, its
// clean, and keeping it out of the offers (or releasing it).
RowLayout {
    id: row
    // { id, name, path, kind, artifacts, size, idleDays, dirty, inUse, unreadable, noLockfile, kept,
    //   withheld, offered }
    property var item: ({})

    objectName: "projectRow_" + (item.name || "")
    spacing: 12
    Accessible.role: Accessible.ListItem
    Accessible.name: Texts.withSize(item.name || "", item.size)
    Accessible.description: detail.text + ". " + state.text

    IconTile { symbol: "folder" }
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
            id: detail
            Layout.fillWidth: true
            elide: Text.ElideMiddle
            text: (row.item.kind || "") + " · " + (row.item.artifacts || "") + " · " + (row.item.path || "")
            font.pixelSize: Theme.caption
            color: Theme.secondaryText
        }
        Text {
            id: state
            objectName: "projectState"
            Layout.fillWidth: true
            elide: Text.ElideRight
            text: {
                const days = row.item.idleDays
                const parts = [days === 0 ? Texts.bilingual("aktif hari ini", "active today")
                                          : Texts.bilingual("%1 hari tanpa aktivitas",
                                                            days === 1 ? "%1 day idle" : "%1 days idle").arg(days)]
                if (row.item.dirty)
                    parts.push(Texts.bilingual("ada perubahan belum di-commit", "uncommitted changes"))
                if (row.item.inUse)
                    parts.push(Texts.bilingual("sedang dipakai", "in use"))
                if (row.item.noLockfile)
                    parts.push(Texts.bilingual("tanpa lockfile atau requirements: tidak ikut dihapus bersama", "no lockfile or requirements: not in the idle clean"))
                if (row.item.withheld)
                    parts.push(Texts.bilingual("tidak ditawarkan: %1", "not offered: %1").arg(row.item.withheld))
                if (row.item.unreadable)
                    parts.push(Texts.bilingual("repositori tak terbaca: %1", "repository unreadable: %1").arg(row.item.unreadable))
                return parts.join(" · ")
            }
            font.pixelSize: Theme.caption
            color: row.item.inUse || row.item.unreadable || row.item.withheld ? Theme.orange : Theme.secondaryText
        }
    }
    Text {
        text: Texts.fmt(row.item.size || 0)
        font.pixelSize: Theme.body
        color: Theme.secondaryText
    }
    PillButton {
        objectName: "projectClean_" + (row.item.name || "")
        visible: !row.item.kept
        text: Texts.bilingual("Hapus", "Delete")
        destructive: true
        Accessible.name: text + " " + (row.item.name || "")
        enabled: !Model.busy && !row.item.inUse && !row.item.unreadable && row.item.offered
        onClicked: Model.cleanProjectItem(row.item.id)
    }
    PillButton {
        objectName: "projectKeep_" + (row.item.name || "")
        text: row.item.kept ? Texts.bilingual("Lepaskan", "Release") : Texts.bilingual("Pertahankan", "Keep")
        Accessible.name: text + " " + (row.item.name || "")
        enabled: !Model.busy
        onClicked: row.item.kept ? Model.releaseProject(row.item.id) : Model.keepProject(row.item.id)
    }
}
