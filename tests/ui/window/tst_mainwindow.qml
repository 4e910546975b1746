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
        // The space map is made in the background and walks the home: its rows change the
        // page's height when they come, which only the lists below may do here.
        tryVerify(() => findChild(window, "spacePane") !== null && !Model.space.walking, 10000)
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

    // Back on the page before the sidebar's size settled: what settles it is not for the page,
    // which the user may size meanwhile, and the sidebar comes back at the size it had.
    function test_quickReturnFromTheSidebar() {
        const window = createTemporaryObject(mainWindow, testCase)
        const settling = findChild(window, "sidebarSettling")
        Settings.viewMode = "sidebar"
        tryVerify(() => !settling.running && window.width >= 940)
        window.width = 1100
        window.height = 700
        tryVerify(() => window.sidebarSize.width === 1100 && window.sidebarSize.height === 700)
        Settings.viewMode = "halaman"
        tryVerify(() => window.width < 940)

        Settings.viewMode = "sidebar"
        verify(settling.running)
        tryVerify(() => window.width >= 940)
        // A late answer of the window system's, not the user's doing.
        window.height = 650
        tryVerify(() => window.sidebarSize.height === 650)
        // Unless the machine was too slow to tell.
        const early = settling.running
        const kept = early ? Qt.size(1100, 700)
                           : Qt.size(window.sidebarSize.width, window.sidebarSize.height)
        Settings.viewMode = "halaman"
        verify(!early || !settling.running)
        tryVerify(() => window.width < 940)

        Settings.viewMode = "sidebar"
        tryVerify(() => !settling.running && window.width >= 940)
        compare(Qt.size(window.width, window.height), kept)
    }

    // Qt's own folder chooser (no portal runs here), opened from the settings: its chosen row
    // reads at 4.5:1 or more, in both schemes.
    function luminance(c) {
        const channel = v => v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4)
        return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b)
    }
    function contrast(a, b) {
        const [hi, lo] = [luminance(a), luminance(b)].sort((x, y) => y - x)
        return (hi + 0.05) / (lo + 0.05)
    }
    function chosenRow(item) {
        for (let i = 0; i < item.children.length; ++i) {
            const child = item.children[i]
            if (child.fileName !== undefined && child.highlighted)
                return child
            const found = chosenRow(child)
            if (found)
                return found
        }
        return null
    }
    function test_folderChooserReadable_data() {
        return [{ tag: "light", appearance: "terang" }, { tag: "dark", appearance: "gelap" }]
    }
    function test_folderChooserReadable(data) {
        Settings.viewMode = "sidebar"
        Settings.appearance = data.appearance
        const window = createTemporaryObject(mainWindow, testCase)
        Model.showSettingsPage()
        const add = findChild(window.contentItem, "addProjectFolderSetting")
        tryVerify(() => add && add.visible)
        add.clicked()
        let row = null
        tryVerify(() => (row = chosenRow(window.contentItem)) !== null, 5000,
                  "no chosen row in the folder chooser")
        // The name is drawn in the icon's colour.
        const ratio = contrast(row.icon.color, row.background.color)
        verify(ratio >= 4.5, "the chosen row reads at " + ratio.toFixed(2) + ":1 in " + data.tag)
        Settings.appearance = "sistem"
    }

    // The settings' drop-down lists its choices readably in both schemes, the chosen one and the
    // others.
    function test_dropDownReadable_data() {
        return [{ tag: "light", appearance: "terang" }, { tag: "dark", appearance: "gelap" }]
    }
    function test_dropDownReadable(data) {
        Settings.viewMode = "sidebar"
        Settings.appearance = data.appearance
        const window = createTemporaryObject(mainWindow, testCase)
        Model.showSettingsPage()
        let combo = null
        tryVerify(() => (combo = findChild(window.contentItem, "choice_Language / Bahasa")) !== null)
        combo.popup.open()
        tryVerify(() => combo.popup.opened)
        const list = combo.popup.contentItem
        tryCompare(list, "count", 2)
        for (let i = 0; i < list.count; ++i) {
            const choice = list.itemAtIndex(i)
            const behind = choice.highlighted ? choice.background.color : combo.popup.background.color
            const ratio = contrast(choice.contentItem.color, behind)
            verify(ratio >= 4.5, choice.text + " reads at " + ratio.toFixed(2) + ":1 in " + data.tag)
        }
        combo.popup.close()
        Settings.appearance = "sistem"
    }
}
