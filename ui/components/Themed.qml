import QtQuick
import Ampa

// The root of a view: gives the controls inside the colours of the light or dark theme.
Item {
    palette.window: Theme.window
    palette.windowText: Theme.text
    palette.base: Theme.control
    palette.alternateBase: Theme.secondaryFill
    palette.text: Theme.text
    palette.button: Theme.control
    palette.buttonText: Theme.text
    palette.brightText: Theme.text
    palette.highlight: Theme.accent
    palette.highlightedText: Theme.textOnAccent
    palette.light: Theme.dark ? "#4a4a4e" : "#ffffff"
    palette.midlight: Theme.dark ? "#3c3c40" : "#f0f0f2"
    palette.mid: Theme.dark ? "#2f2f33" : "#c8c8cc"
    palette.dark: Theme.dark ? "#1a1a1c" : "#a0a0a5"
    palette.shadow: "#000000"
    palette.toolTipBase: Theme.control
    palette.toolTipText: Theme.text
}
