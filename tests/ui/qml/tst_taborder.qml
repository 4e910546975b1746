import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "TabOrder"
    width: 1000
    height: 800
    visible: true
    when: windowShown

    Component { id: mainView; MainView { width: 1000; height: 800 } }

    function init() {
        Settings.language = "en"
        Model.loadDemo()
        Model.setBusyForTest(false)
        Model.showSettings = false
    }

    // The controls a pointer can act on: buttons, switches and choices, shown and enabled.
    function actions(item, found) {
        if (!item.visible || !item.enabled)
            return found
        const button = "checkable" in item && "autoRepeat" in item
        const choice = "currentIndex" in item && "popup" in item
        if (button || choice)
            found.push(item)
        for (let i = 0; i < item.children.length; ++i)
            actions(item.children[i], found)
        return found
    }

    // Tab from the window's start until the focus comes round again.
    function tabChain() {
        const chain = []
        for (let step = 0; step < 120; ++step) {
            keyClick(Qt.Key_Tab)
            const focused = testCase.Window.activeFocusItem
            if (chain.length > 0 && focused === chain[0])
                return chain
            chain.push(focused)
        }
        fail("the focus never came round: " + chain.length + " stops")
    }

    function reachable(action, chain) {
        for (let item = action; item; item = item.parent) {
            if (chain.indexOf(item) >= 0)
                return true
        }
        return false
    }

    function test_everyActionInReadingOrder_data() {
        return [{ tag: "quick", layout: "sidebar", pane: "cepat" },
                { tag: "advanced", layout: "sidebar", pane: "lanjutan" },
                { tag: "developer", layout: "sidebar", pane: "pengembang" },
                { tag: "projects", layout: "sidebar", pane: "proyek" },
                { tag: "downloads", layout: "sidebar", pane: "downloads" },
                { tag: "applications", layout: "sidebar", pane: "aplikasi" },
                { tag: "log", layout: "sidebar", pane: "log" },
                { tag: "settings", layout: "sidebar", pane: "pengaturan" },
                { tag: "space", layout: "sidebar", pane: "ruang" },
                { tag: "single page", layout: "halaman", pane: "cepat" }]
    }
    // Every action can be reached with Tab (an item's small buttons through the item itself,
    // which takes their keys), and the focus goes through the toolbar, the sidebar, then the
    // pane from top to bottom and left to right.
    function test_everyActionInReadingOrder(data) {
        Settings.viewMode = data.layout
        Model.paneKey = data.pane
        const view = createTemporaryObject(mainView, testCase)
        waitForRendering(view)
        // The single page makes the map once scrolled to it.
        const spaceLoader = findChild(view, "spaceLoader")
        if (spaceLoader) {
            spaceLoader.active = true
            tryVerify(() => spaceLoader.status === Loader.Ready)
            waitForRendering(view)
        }
        // The map's actions are enabled once its walk ends; tabbing before would miss them.
        tryVerify(() => !Model.space.walking, 20000)
        const chain = tabChain()
        // A screen reader names every stop (a button by its text, when it has no other name).
        for (const item of chain)
            verify((item.Accessible.name || item.text || "") !== "",
                   item + " " + item.objectName + " has no name")
        for (const action of actions(view, []))
            verify(reachable(action, chain), action + " " + action.Accessible.name
                   + " cannot be reached with Tab")

        // Regions in order: the toolbar, the sidebar, the pane.
        const sidebar = findChild(view, "sidebar")
        const toolbarHeight = 44
        let start = chain.findIndex(item => item.objectName === "layoutSidebar")
        verify(start >= 0, "the toolbar is not in the Tab chain")
        const ordered = chain.slice(start).concat(chain.slice(0, start))
        let region = 0
        let previous = null
        for (const item of ordered) {
            const at = item.mapToItem(view, 0, 0)
            const here = at.y < toolbarHeight ? 0
                       : sidebar && sidebar.visible && at.x < sidebar.width ? 1 : 2
            verify(here >= region, item + " " + item.Accessible.name + " comes back to an earlier part")
            if (here === 2 && region === 2) {
                // Down the pane; along a row only to the right.
                const before = previous.mapToItem(view, 0, 0)
                const sameRow = Math.abs(at.y - before.y) < previous.height / 2
                verify(sameRow ? at.x > before.x : at.y > before.y,
                       item.Accessible.name + " at " + at + " after " + previous.Accessible.name
                       + " at " + before)
            }
            region = here
            previous = item
        }
        verify(region === 2, "the Tab chain never enters the pane")
    }
}
