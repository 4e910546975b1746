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
}
