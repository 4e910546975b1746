pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Ampa

// What growth is counted against: the walk before this one, or the one nearest some days ago.
PillComboBox {
    id: since
    objectName: "spaceSince"
    readonly property var choices: [
        { value: "last", text: Texts.bilingual("terakhir kali", "last time") },
        { value: 7, text: Texts.bilingual("7 hari lalu", "7 days ago") },
        { value: 30, text: Texts.bilingual("30 hari lalu", "30 days ago") },
        { value: 90, text: Texts.bilingual("90 hari lalu", "90 days ago") }
    ]
    model: choices
    textRole: "text"
    valueRole: "value"
    currentIndex: Math.max(0, choices.findIndex(c => String(c.value) === String(Model.space.since)))
    displayText: Texts.bilingual("Sejak: %1", "Since: %1").arg(currentText)
    implicitWidth: 190
    Accessible.name: Texts.bilingual("Bandingkan dengan", "Compare with")
    Accessible.description: Model.space.comparable
                            ? Model.space.sinceText
                            : Texts.bilingual("Belum ada pengukuran untuk dibandingkan",
                                              "No measure to compare with yet")
    onActivated: index => Model.space.since = choices[index].value
}
