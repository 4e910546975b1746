import QtQuick
import QtTest
import Ampa

// The space map's list tools, by keyboard and for a screen reader: the filter narrows the list
// and says how many of how many it shows, Escape clears it and so does another folder; the
// order and the sizes shown are chosen from the keyboard and heard on the list.
TestCase {
    id: testCase
    name: "SpaceList"
    width: 1000
    height: 800
    visible: true
    when: windowShown

    Component { id: mainView; MainView {} }

    function init() {
        Settings.language = "en"
        Settings.viewMode = "sidebar"
        Model.showSettings = false
        Model.paneKey = "ruang"
    }
    function cleanup() {
        Model.space.filter = ""
        Model.space.order = "size"
        Model.space.apparent = false
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

    function test_filterNarrowsAndClears() {
        const view = shown()
        const filter = findChild(view, "spaceFilter")
        const list = findChild(view, "spaceList")
        const count = findChild(view, "spaceShown")
        const all = Model.space.entries
        verify(all >= 2)
        compare(count.text, all + " entries")
        filter.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_V)
        keyClick(Qt.Key_I)
        keyClick(Qt.Key_D)
        compare(Model.space.filter, "vid")
        tryCompare(list, "count", 1)
        compare(list.currentItem.name, "Videos")
        compare(count.text, "1 of " + all + " shown")
        verify(list.Accessible.description.indexOf("1 of " + all + " entries shown") >= 0)
        keyClick(Qt.Key_Escape)
        compare(Model.space.filter, "")
        compare(filter.text, "")
        tryCompare(list, "count", all)

        // Down goes to the list; opening a folder clears the filter, field and all.
        keyClick(Qt.Key_V)
        keyClick(Qt.Key_Down)
        verify(list.activeFocus)
        keyClick(Qt.Key_Return)
        tryVerify(() => Model.space.folder.endsWith("/Videos"))
        compare(Model.space.filter, "")
        compare(filter.text, "")
        // In the list, Escape clears a filter too.
        Model.space.filter = "zzz"
        compare(list.count, 0)
        list.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Escape)
        compare(Model.space.filter, "")
    }

    function test_orderAndSizesFromTheKeyboard() {
        const view = shown()
        const list = findChild(view, "spaceList")
        const order = findChild(view, "spaceOrder")
        verify(list.Accessible.description.indexOf("sorted by size on disk") >= 0)
        order.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Down)
        compare(Model.space.order, "name")
        compare(order.displayText, "Sort: Name")
        compare(list.Accessible.description, "sorted by name")
        // The rows follow, and the order stays in another folder.
        tryVerify(() => list.itemAtIndex(0) && list.itemAtIndex(1)
                  && list.itemAtIndex(0).name.toLowerCase() <= list.itemAtIndex(1).name.toLowerCase())
        Model.space.open(list.itemAtIndex(0).entryId)
        compare(Model.space.order, "name")
        compare(order.currentIndex, 1)

        const apparent = findChild(view, "spaceSizeApparent")
        const onDisk = findChild(view, "spaceSizeOnDisk")
        verify(onDisk.Accessible.checked)
        apparent.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Space)
        verify(Model.space.apparent)
        verify(apparent.checked && !onDisk.checked)
        verify(apparent.Accessible.checked)
        // Taking the chosen one again keeps it chosen.
        keyClick(Qt.Key_Space)
        verify(Model.space.apparent && apparent.checked)
        Model.space.order = "size"
        verify(list.Accessible.description.indexOf("sorted by apparent size") >= 0)
        onDisk.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Return)
        verify(!Model.space.apparent)
    }

    // A walk shows no saved scan's header, and the actions a walk allows.
    function test_aWalkIsNoSavedScan() {
        const view = shown()
        verify(!Model.space.savedScan)
        verify(!findChild(view, "spaceScanHeader").visible)
        verify(findChild(view, "spaceTrash").visible)
        verify(findChild(view, "spaceReveal").visible)
    }
}
