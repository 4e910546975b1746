import QtQuick
import QtTest
import Ampa

// Every text colour of the palette reads at 4.5:1 at least on the fills it is drawn on, in the
// light and the dark scheme (the contrast ratio of WCAG 2).
TestCase {
    name: "Theme"

    property string stored: ""

    function initTestCase() {
        stored = Settings.appearance
    }
    function cleanupTestCase() {
        Settings.appearance = stored
    }

    function channel(value) {
        return value <= 0.03928 ? value / 12.92 : Math.pow((value + 0.055) / 1.055, 2.4)
    }
    function luminance(colour) {
        return 0.2126 * channel(colour.r) + 0.7152 * channel(colour.g) + 0.0722 * channel(colour.b)
    }
    function contrast(a, b) {
        const la = luminance(a)
        const lb = luminance(b)
        return (Math.max(la, lb) + 0.05) / (Math.min(la, lb) + 0.05)
    }
    // A translucent colour as it shows over an opaque one.
    function over(colour, base) {
        const a = colour.a
        return Qt.rgba(colour.r * a + base.r * (1 - a), colour.g * a + base.g * (1 - a),
                       colour.b * a + base.b * (1 - a), 1)
    }

    function test_textContrast_data() {
        return [{ tag: "light", appearance: "terang", dark: false },
                { tag: "dark", appearance: "gelap", dark: true }]
    }
    function test_textContrast(data) {
        Settings.appearance = data.appearance
        compare(Theme.dark, data.dark)
        const fills = { window: Theme.window, control: Theme.control,
                        secondaryFill: Theme.secondaryFill }
        const texts = { text: Theme.text, secondaryText: Theme.secondaryText,
                        orange: Theme.orange, red: Theme.red, accentText: Theme.accentText }
        const pairs = []
        for (const t in texts) {
            for (const f in fills)
                pairs.push([t + " on " + f, texts[t], fills[f]])
        }
        pairs.push(["textOnAccent on accent", Theme.textOnAccent, Theme.accent])
        pairs.push(["textOnAccent on the pressed accent", Theme.textOnAccent, Qt.darker(Theme.accent, 1.15)])
        // The clean button while it cannot be pressed.
        pairs.push(["secondaryText on track", Theme.secondaryText, Theme.track])
        // The selected sidebar row.
        pairs.push(["text on the selection", Theme.text,
                    over(Theme.faded(Theme.accent, 0.18), Theme.secondaryFill)])
        // The restart card's link on its tinted fill.
        pairs.push(["accentText on the orange tint", Theme.accentText,
                    over(Theme.faded(Theme.orange, 0.1), Theme.window)])
        for (const [what, fg, bg] of pairs) {
            const ratio = contrast(fg, bg)
            verify(ratio >= 4.5, what + ": " + ratio.toFixed(2) + ":1")
        }
    }
}
