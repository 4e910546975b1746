import QtQuick
import QtTest
import Ampa

// The space map from the keyboard, and for a screen reader: a click gives the list the keys,
// the current row shows the focus, the breadcrumbs are links the keyboard reaches, and a change
// of language leaves the keys on the list.
TestCase {
    id: testCase
    name: "SpaceKeys"
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
        Model.showSettings = false
        Model.paneKey = "ruang"
    }
    function cleanup() {
        Settings.language = "en"
    }

    function focused() { return testCase.Window.activeFocusItem }
    function shown() {
        const view = createTemporaryObject(mainView, testCase)
        waitForRendering(view)
        tryVerify(() => !Model.space.walking, 20000)
        if (Model.space.folderId !== 0)
            Model.space.up()
        return view
    }
    function rowOf(list, name) {
        const items = list.contentItem.children
        for (let i = 0; i < items.length; ++i) {
            if (items[i].entryPath !== undefined && items[i].name === name)
                return items[i]
        }
        return null
    }

    function test_aClickGivesTheListTheKeys() {
        const view = shown()
        const list = findChild(view, "spaceList")
        tryVerify(() => rowOf(list, "Videos") !== null)
        verify(!list.activeFocus)
        mouseClick(rowOf(list, "Videos"))
        verify(list.activeFocus)
        compare(list.currentItem.name, "Videos")
        verify(findChild(list.currentItem, "spaceRowRing").visible)
        keyClick(Qt.Key_Return)
        tryVerify(() => Model.space.folder.endsWith("/Videos"))
        verify(list.activeFocus)
        keyClick(Qt.Key_Backspace)
        tryVerify(() => Model.space.folderId === 0)

        // A tile of the map gives the list the keys too.
        const chart = findChild(view, "spaceChart")
        list.focus = false
        chart.picked(list.currentItem.entryId, false)
        verify(list.activeFocus)
    }

    function test_breadcrumbsAreLinksTheKeysReach() {
        const view = shown()
        const list = findChild(view, "spaceList")
        tryVerify(() => rowOf(list, "Documents") !== null)
        Model.space.open(rowOf(list, "Documents").entryId)
        const home = findChild(view, "spaceCrumb_0")
        compare(home.text, "Home")
        compare(home.Accessible.name, "Home")
        verify(home.activeFocusOnTab)
        verify(!findChild(view, "spaceCrumb_1").activeFocusOnTab) // the folder looked at
        list.forceActiveFocus(Qt.TabFocusReason)
        for (let step = 0; step < 30 && focused() !== home; ++step)
            keyClick(Qt.Key_Backtab)
        verify(focused() === home, "the keyboard never reaches the way up")
        keyClick(Qt.Key_Return)
        tryVerify(() => Model.space.folderId === 0)

        Settings.language = "id"
        tryVerify(() => findChild(view.item, "spaceCrumb_0")
                  && findChild(view.item, "spaceCrumb_0").text === "Folder home")
    }

    // Before the walk has made the root's entry, the way shows it already.
    function test_breadcrumbsOnFirstLook() {
        shown()
        Model.space.rescan()
        compare(Model.space.crumbs.length, 1)
        verify(Model.space.crumbs[0].home)
        tryVerify(() => !Model.space.walking, 20000)
    }

    function test_languageLeavesTheKeysOnTheList() {
        const view = shown()
        const list = findChild(view, "spaceList")
        tryVerify(() => rowOf(list, "Videos") !== null)
        mouseClick(rowOf(list, "Videos"))
        verify(list.activeFocus)
        Settings.language = "id"
        // The list of the tree made anew.
        tryVerify(() => findChild(view.item, "spaceList") !== list
                  && findChild(view.item, "spaceList").activeFocus)

        // And on the action it was on.
        const reveal = findChild(view.item, "spaceReveal")
        reveal.forceActiveFocus(Qt.TabFocusReason)
        Settings.language = "en"
        tryVerify(() => findChild(view.item, "spaceReveal") !== reveal
                  && findChild(view.item, "spaceReveal").activeFocus)
    }
}
