pragma Singleton
import QtQuick
import Ampa

// The colours of the interface, light and dark, and the one accent.
QtObject {
    readonly property string chosen: Appearance.scheme(Settings.appearance)
    readonly property bool dark: chosen === "dark" || (chosen === "" && Appearance.systemDark)

    // Every text colour below reads at 4.5:1 or more on the fills it is drawn on, in both
    // schemes (tst_theme checks the pairs).
    // Dark enough that white on it reads at 4.5:1.
    readonly property color accent: "#0b7a6d"
    readonly property color textOnAccent: "#ffffff"
    // The accent as text: on a dark window the fill's own teal would be too dim.
    readonly property color accentText: dark ? "#3fc4b3" : "#0a6b60"
    readonly property color window: dark ? "#1f1f21" : "#f5f5f7"
    readonly property color control: dark ? "#2b2b2e" : "#ffffff"
    readonly property color secondaryFill: dark ? "#2a2a2d" : "#ececef"
    readonly property color text: dark ? "#f2f2f2" : "#1d1d1f"
    readonly property color secondaryText: dark ? "#a8a8ad" : "#5f5f64"
    readonly property color track: dark ? "#3a3a3d" : "#e3e3e6"
    readonly property color orange: dark ? "#ff9f0a" : "#9e5200"
    readonly property color red: dark ? "#ff6961" : "#d70015"
    readonly property color folder: dark ? "#5aa9ec" : "#3b8fd9"

    // The kinds of what fills a folder, as the space map's chart colours them: apart in hue and
    // lightness for the colour-blind too (and named in its legend), in both schemes.
    readonly property var kindColours: dark ? ({
        "media": "#3a93d3", "documents": "#e8a92a", "archives": "#d58db5", "code": "#1fb386",
        "build": "#e57a2e", "caches": "#7ccaf2", "other": "#77777d"
    }) : ({
        "media": "#0072b2", "documents": "#e69f00", "archives": "#cc79a7", "code": "#009e73",
        "build": "#d55e00", "caches": "#56b4e9", "other": "#b4b4b9"
    })
    // The stripes over what rebuilds by itself.
    readonly property color hatch: dark ? Qt.rgba(0, 0, 0, 0.6) : Qt.rgba(1, 1, 1, 0.75)

    // The primary colour at a given opacity, for hairlines and fills.
    function primary(opacity) {
        return Qt.rgba(text.r, text.g, text.b, opacity)
    }
    function faded(colour, opacity) {
        return Qt.rgba(colour.r, colour.g, colour.b, opacity)
    }

    // Font sizes, in pixels.
    readonly property int body: 13
    readonly property int callout: 12
    readonly property int caption: 11
    readonly property int title3: 16
}
