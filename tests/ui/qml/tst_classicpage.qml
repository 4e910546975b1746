import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "ClassicPage"
    width: 760
    height: 500
    visible: true
    when: windowShown

    Component { id: classicPage; ClassicPage { width: 760; height: 500 } }

    function init() { Model.loadDemo() }

    // Scrolled to its end, the page shows its last row whole, bottom margin included.
    function test_scrollsToItsEnd() {
        const page = createTemporaryObject(classicPage, testCase)
        waitForRendering(page)
        const flick = page.contentItem
        flick.contentY = flick.contentHeight - flick.height
        const column = findChild(page, "pageColumn")
        verify(column.y + column.height + 28 <= flick.contentY + flick.height + 0.5,
               "the page's end lies below what can be scrolled to")
    }

    // The Trash card alone keeps to one column instead of spanning the page.
    function test_loneCardKeepsToItsColumn() {
        Model.onlyTrashCardForTest()
        const page = createTemporaryObject(classicPage, testCase)
        waitForRendering(page)
        const section = findChild(page, "advancedSection")
        const card = findChild(page, "advCard_trash")
        verify(card !== null)
        verify(card.width < section.width / 2 + 1, "the lone card spans " + card.width
               + " of " + section.width)
    }
}
