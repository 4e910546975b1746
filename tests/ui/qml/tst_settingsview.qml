import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "SettingsView"
    width: 600
    height: 500
    visible: true
    when: windowShown

    Component { id: settingsView; SettingsView { width: 600 } }

    function cleanup() { Model.blockLoginItemForTest(false) }

    // The autostart entry cannot be written: the switch springs back and the error shows.
    function test_failedLoginSwitchSpringsBack() {
        Model.blockLoginItemForTest(true)
        const view = createTemporaryObject(settingsView, testCase)
        const toggle = findChild(view, "toggle_Open at login")
        verify(!toggle.checked)
        mouseClick(toggle)
        tryCompare(findChild(view, "loginError"), "visible", true)
        verify(!toggle.checked, "the switch shows on while the login item is off")
        // And a write that works turns it on.
        Model.blockLoginItemForTest(false)
        mouseClick(toggle)
        tryCompare(toggle, "checked", true)
    }

    // Nothing can be scheduled in the test's home (no user systemd manager, no ampa-cli beside
    // the test): the choice says why and springs back to Off, and the setting stays as it was.
    function test_failedScheduleSpringsBack() {
        const view = createTemporaryObject(settingsView, testCase)
        const combo = findChild(view, "choice_Clean automatically")
        compare(combo.currentIndex, 0)
        combo.forceActiveFocus()
        keyClick(Qt.Key_Down)
        tryCompare(findChild(view, "autoCleanError"), "visible", true)
        compare(Model.autoClean.choice, "off")
        compare(combo.currentIndex, 0, "the choice shows Daily while the schedule is off")
        compare(findChild(view, "autoCleanRuns").visible, false)
    }

    // The space map's history: the switch is the setting; Clear asks first, and the
    // confirmation here declines, so every walk stays and nothing says it was cleared.
    function test_spaceHistorySwitchAndClear() {
        Model.setHistoryForTest([{ daysAgo: 2, used: 300 }], [])
        tryCompare(Model.history, "walkCount", 1, 20000)
        const view = createTemporaryObject(settingsView, testCase)
        const toggle = findChild(view, "toggle_Keep a history of the space map")
        verify(toggle.checked)
        compare(toggle.Accessible.name, "Keep a history of the space map")
        toggle.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Space)
        compare(Settings.spaceHistory, false)
        keyClick(Qt.Key_Space)
        compare(Settings.spaceHistory, true)

        const clear = findChild(view, "clearSpaceHistory")
        compare(clear.Accessible.name, "Clear the space map's history")
        clear.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Space)
        verify(!Model.history.clearing)
        compare(Model.history.clearState, "")
        verify(findChild(view, "spaceHistoryCleared").text.startsWith("The space map records"))
        Model.history.reload()
        tryCompare(Model.history, "loaded", true)
        compare(Model.history.walkCount, 1)
    }
}
