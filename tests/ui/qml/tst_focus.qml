import QtQuick
import QtTest
import Ampa

// Where the keyboard is after what changes the views under it.
TestCase {
    id: testCase
    name: "Focus"
    width: 1000
    height: 760
    visible: true
    when: windowShown

    Component {
        id: window
        LanguageScope {
            width: 1000
            height: 760
            content: Component { MainView {} }
        }
    }

    function init() {
        Model.loadDemo()
        Settings.language = "en"
        Settings.viewMode = "sidebar"
        Model.paneKey = "cepat"
        Model.showSettings = false
    }
    function cleanup() {
        Settings.language = "en"
        Settings.viewMode = "sidebar"
        Model.showSettings = false
    }

    function focused() { return testCase.Window.activeFocusItem }
    function named(item) {
        for (let at = item; at; at = at.parent) {
            if (at.objectName !== "")
                return at.objectName
        }
        return ""
    }
    // Whether the keyboard is on a shown control of the view, not nowhere.
    function placed() {
        const item = focused()
        return item !== null && item !== testCase.Window.contentItem && item.visible
    }

    // However many rows had the focus, a round of Tab stops once in the sidebar.
    function test_sidebarIsOneTabStop() {
        const scope = createTemporaryObject(window, testCase)
        waitForRendering(scope)
        for (let step = 0; step < 40 && named(focused()) !== "row_cepat"; ++step)
            keyClick(Qt.Key_Tab)
        compare(named(focused()), "row_cepat")
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Down)
        keyClick(Qt.Key_Up)
        compare(named(focused()), "row_ruang")
        let rows = 0
        let steps = 0
        do {
            keyClick(Qt.Key_Tab)
            if (named(focused()).startsWith("row_"))
                ++rows
            ++steps
        } while (named(focused()) !== "row_ruang" && steps < 200)
        compare(rows, 1)
    }

    // The language chosen from the keyboard: the keyboard stays on the language's choice, in
    // the view made anew.
    function test_languageChangeKeepsTheFocus() {
        Model.paneKey = "pengaturan"
        const scope = createTemporaryObject(window, testCase)
        waitForRendering(scope)
        const choice = findChild(scope, "choice_Language / Bahasa")
        choice.forceActiveFocus(Qt.TabFocusReason)
        verify(choice.activeFocus)
        Settings.language = "id"
        tryVerify(() => placed() && named(focused()) === "choice_Language / Bahasa")
        verify(focused() !== choice) // a control of the new tree
    }

    // Ctrl+, in either layout puts the keyboard in the settings; Escape out of the single
    // page's sheet puts it back on the toolbar.
    function test_settingsShortcutAndEscape() {
        const scope = createTemporaryObject(window, testCase)
        waitForRendering(scope)
        findChild(scope, "row_proyek") // the sidebar is there
        Model.showSettingsPage()
        tryVerify(placed)

        Settings.viewMode = "halaman"
        waitForRendering(scope)
        Model.showSettingsPage()
        const sheet = findChild(scope, "settingsSheet")
        tryVerify(() => sheet.opened)
        tryVerify(() => placed() && named(focused()) !== "")
        let inSheet = false
        for (let at = focused(); at; at = at.parent)
            inSheet = inSheet || at === sheet.contentItem
        verify(inSheet, named(focused()))
        keyClick(Qt.Key_Escape)
        tryVerify(() => !sheet.visible)
        tryVerify(placed)

        // Opened from the toolbar's button: closed, the keyboard is back on it.
        const button = findChild(scope, "settingsButton")
        button.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Space)
        tryVerify(() => sheet.opened)
        tryVerify(() => placed() && focused() !== button)
        keyClick(Qt.Key_Escape)
        tryVerify(() => !sheet.visible)
        tryCompare(testCase.Window, "activeFocusItem", button)
    }
}
