import QtQuick
import QtTest
import Ampa

// The main window's size on the single page: its content's height within the screen, until the
// user gives it another.
TestCase {
    id: testCase
    name: "MainWindow"
    when: windowShown

    Component { id: mainWindow; MainWindow { visible: true } }

    function init() {
        Settings.viewMode = "halaman"
        Model.loadDemo()
    }
    function cleanup() { Settings.viewMode = "sidebar" }

    // On a screen taller than the sample page, whose height the window takes.
    function test_singlePageFollowsItsContentUntilSized() {
        const window = createTemporaryObject(mainWindow, testCase)
        tryVerify(() => window.classicHeight > 1000 && window.classicHeight < Screen.height - 100)
        tryCompare(window, "height", window.classicHeight)
        const full = window.height
        Model.clearListsForTest()
        tryVerify(() => window.classicHeight < full)
        tryCompare(window, "height", window.classicHeight)
        const shorter = window.height
        Model.loadDemo()
        tryVerify(() => window.classicHeight > shorter)
        tryCompare(window, "height", window.classicHeight)

        window.height = full - 100
        tryVerify(() => window.pageSized)
        Model.clearListsForTest()
        tryVerify(() => window.classicHeight < full - 100)
        // The content changed under the user's height, which holds.
        compare(window.height, full - 100)

        // Back from the sidebar, the page follows its content again.
        Settings.viewMode = "sidebar"
        tryVerify(() => window.width >= 940)
        Settings.viewMode = "halaman"
        tryCompare(window, "height", window.classicHeight)
        verify(!window.pageSized)
    }
}
