import QtQuick
import QtTest
import Ampa

// The note that the first run turned on start at login: shown until read, leading to the switch.
TestCase {
    id: testCase
    name: "LoginNote"
    width: 800
    height: 700
    visible: true
    when: windowShown

    Component { id: quickPane; QuickPane {} }

    function init() {
        Settings.language = "en"
        Model.loadDemo()
        Model.showSettings = false
        Model.paneKey = "cepat"
    }
    function cleanup() { Settings.loginNote = false }

    function test_dismissed() {
        Settings.loginNote = true
        const pane = createTemporaryObject(quickPane, testCase)
        const note = findChild(pane, "loginNote")
        verify(note.visible)
        waitForRendering(pane)
        mouseClick(findChild(note, "loginNoteDone"))
        verify(!Settings.loginNote)
        verify(!note.visible)
    }

    function test_leadsToTheSwitch() {
        Settings.loginNote = true
        const pane = createTemporaryObject(quickPane, testCase)
        const note = findChild(pane, "loginNote")
        waitForRendering(pane)
        mouseClick(findChild(note, "loginNoteSettings"))
        compare(Model.paneKey, "pengaturan")
        verify(!Settings.loginNote)
    }

    // Using the switch is reading the note.
    function test_switchUsedEndsIt() {
        Settings.loginNote = true
        const on = Model.login.on
        Model.login.set(!on)
        verify(!Settings.loginNote)
        Model.login.set(on)
    }
}
