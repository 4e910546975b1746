import QtQuick
import QtQuick.Controls
import Ampa

// The toolbar's choice of light, dark or the system's scheme, below its button, with the chosen
// mode under the keyboard's focus.
Menu {
    id: modeMenu
    required property Item button
    readonly property var modes: [
        { value: "sistem", scheme: "", label: Texts.bilingual("Ikuti sistem", "Match system"), symbol: "circle.lefthalf.filled" },
        { value: "terang", scheme: "light", label: Texts.bilingual("Terang", "Light"), symbol: "sun.max" },
        { value: "gelap", scheme: "dark", label: Texts.bilingual("Gelap", "Dark"), symbol: "moon" }]

    // A popup and its items keep the palette they were made with: follow the scheme.
    palette: modeMenu.button.palette
    title: "Mode"
    y: modeMenu.button.height + 4
    onAboutToShow: currentIndex = modes.findIndex(mode => mode.scheme === Theme.chosen)

    Repeater {
        model: modeMenu.modes
        delegate: MenuItem {
            id: modeItem
            required property var modelData
            palette: modeItem.menu.palette
            text: modeItem.modelData.label
            icon.source: Icons.source(modeItem.modelData.symbol, Theme.text)
            readonly property bool current: Theme.chosen === modeItem.modelData.scheme
            // One choice of three: a tick beside the chosen one, not check boxes.
            checkable: true
            checked: current
            indicator: Symbol {
                x: modeItem.leftPadding
                y: (modeItem.height - height) / 2
                name: "checkmark"
                tint: modeItem.highlighted ? palette.highlightedText : Theme.text
                size: 14
                opacity: modeItem.checked ? 1 : 0
            }
            onTriggered: {
                Settings.appearance = modeItem.modelData.value
                // A click toggles the item itself: tie it to the setting again.
                checked = Qt.binding(() => modeItem.current)
            }
        }
    }
}
