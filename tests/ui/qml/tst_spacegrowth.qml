import QtQuick
import QtTest
import Ampa

// The space pane's three views and what grew: the switch by keyboard and for a screen reader,
// the rows' growth, a folder of what grew opened in the map by Return and by a click, and why
// nothing is listed when nothing can be.
TestCase {
    id: testCase
    name: "SpaceGrowth"
    width: 1000
    height: 800
    visible: true
    when: windowShown

    // Made anew when the language changes, as in the window.
    Component {
        id: mainView
        LanguageScope {
            width: 1000
            height: 800
            content: Component { MainView {} }
        }
    }

    function init() {
        Settings.language = "en"
        Settings.viewMode = "sidebar"
        Settings.spaceHistory = true
        Model.showSettings = false
        Model.paneKey = "ruang"
        Model.space.since = "last"
        Model.space.order = "size"
    }
    function cleanup() {
        Settings.spaceHistory = true
        Settings.language = "en"
    }

    function focused() { return testCase.Window.activeFocusItem }
    function settle() { tryVerify(() => !Model.space.walking, 20000) }
    function shown() {
        const view = createTemporaryObject(mainView, testCase)
        waitForRendering(view)
        settle()
        return view
    }
    // A walk of the home, then one after `grow` made a folder grow: the second is compared with
    // the first.
    function grownHome(view, grow) {
        if (Model.space.crumbs.length > 1 || !Model.space.crumbs[0].home)
            Model.space.start("")
        settle()
        Model.space.rescan()
        settle()
        grow()
        Model.space.rescan()
        settle()
        tryVerify(() => Model.space.comparable && Model.space.grew.count > 0, 20000)
    }
    function rowOf(list, key, value) {
        const items = list.contentItem.children
        for (let i = 0; i < items.length; ++i) {
            if (items[i][key] === value)
                return items[i]
        }
        return null
    }

    function test_theSwitch() {
        const view = shown()
        const pane = findChild(view, "spacePane")
        const map = findChild(view, "spaceShowMap")
        const grew = findChild(view, "spaceShowGrew")
        const time = findChild(view, "spaceShowTime")
        compare(pane.shown, "map")
        compare(map.Accessible.role, Accessible.PageTab)
        verify(map.Accessible.checked && !grew.Accessible.checked)
        compare(grew.text, "What grew")

        // The keyboard reaches the switch from the list, and takes a view with Space or Return.
        const list = findChild(view, "spaceList")
        list.forceActiveFocus(Qt.TabFocusReason)
        for (let step = 0; step < 30 && focused() !== grew; ++step)
            keyClick(Qt.Key_Backtab)
        verify(focused() === grew, "the keyboard never reaches the switch")
        keyClick(Qt.Key_Space)
        compare(pane.shown, "grew")
        verify(grew.Accessible.checked && !map.Accessible.checked)
        verify(findChild(view, "spaceGrowthView").visible)
        verify(!list.visible && !findChild(view, "spaceSummary").visible)
        time.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Return)
        compare(pane.shown, "time")
        verify(findChild(view, "spaceOverTime").visible)
        verify(!findChild(view, "spaceGrowthView").visible)
        verify(!findChild(view, "spaceSince").visible)
        mouseClick(map)
        compare(pane.shown, "map")
        verify(list.visible && list.activeFocus)

        Settings.language = "id"
        tryVerify(() => findChild(view.item, "spaceShowGrew") !== grew)
        compare(findChild(view.item, "spaceShowGrew").text, "Yang bertambah")
        compare(findChild(view.item, "spaceShowTime").text, "Dari waktu ke waktu")
        compare(findChild(view.item, "spaceShowMap").text, "Peta")
    }

    // Each row says how it grew, to the eye and to a screen reader; the list sorts by it.
    function test_rowsShowGrowth() {
        const view = shown()
        grownHome(view, () => Model.makeFileForTest("Videos/trip.mp4", 3000000))
        const list = findChild(view, "spaceList")
        const videos = rowOf(list, "name", "Videos")
        verify(videos !== null)
        verify(videos.grown >= 3000000, videos.grown)
        const text = findChild(videos, "spaceRowGrown")
        verify(text.visible)
        verify(text.text.startsWith("+"), text.text)
        verify(videos.Accessible.description.startsWith(text.text + " since "),
               videos.Accessible.description)
        verify(findChild(view, "spaceSummary").text.indexOf(" since ") > 0)
        Model.space.order = "grown"
        tryCompare(list.currentItem, "name", "Videos")
        compare(findChild(view, "spaceOrder").displayText, "Sort: Growth")
    }

    function test_whatGrewOpensAFolder_data() {
        return [{ tag: "Return", folder: "Pictures/trip" }, { tag: "click", folder: "Music/live" }]
    }
    function test_whatGrewOpensAFolder(data) {
        const view = shown()
        grownHome(view, () => Model.makeFileForTest(data.folder + "/big.bin", 5000000))
        const pane = findChild(view, "spacePane")
        pane.show("grew")
        const list = findChild(view, "spaceGrewList")
        tryVerify(() => list.visible && rowOf(list, "path", data.folder) !== null)
        const row = rowOf(list, "path", data.folder)
        verify(row.Accessible.name.startsWith(data.folder + ", +"), row.Accessible.name)
        verify(list.activeFocus)
        if (data.tag === "Return") {
            while (list.currentItem !== row && list.currentIndex < list.count - 1)
                keyClick(Qt.Key_Down)
            keyClick(Qt.Key_Return)
        } else {
            mouseClick(row)
        }
        compare(pane.shown, "map")
        tryVerify(() => Model.space.folder.endsWith("/" + data.folder))
        verify(findChild(view, "spaceList").activeFocus)
    }

    // No walk of a folder to compare with yet, the history off, nothing grew: each says so.
    function test_whyNothingIsListed() {
        const view = shown()
        Model.space.start("")
        settle()
        const home = Model.space.folder
        const pane = findChild(view, "spacePane")
        pane.show("grew")
        const empty = findChild(view, "spaceGrewEmptyText")
        const settings = findChild(view, "spaceGrewSettings")

        Model.makeFileForTest("Quiet/file.bin", 100000)
        Settings.spaceHistory = false
        Model.space.start(home + "/Quiet")
        settle()
        verify(empty.visible)
        verify(empty.text.startsWith("The space history is off"), empty.text)
        verify(settings.visible)
        mouseClick(settings)
        verify(Model.showSettings)
        Model.showSettings = false

        Settings.spaceHistory = true
        Model.space.rescan()
        settle()
        verify(empty.text.startsWith("Ampa records each measure"), empty.text)
        verify(!settings.visible)
        const again = findChild(view, "spaceGrewAgain")
        again.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Return)
        settle()
        tryVerify(() => Model.space.comparable)
        tryVerify(() => empty.text.startsWith("Nothing grew or shrank since "), 5000, empty.text)
        verify(!findChild(view, "spaceGrewList").visible)

        Model.space.start("")
        settle()
    }
}
