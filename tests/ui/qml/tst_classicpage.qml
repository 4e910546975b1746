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

    // The map is made only once the page is scrolled near it, in the background, with room
    // kept for it meanwhile; then it stays.
    function test_spaceMadeWhenScrolledNear() {
        const page = createTemporaryObject(classicPage, testCase)
        waitForRendering(page)
        const loader = findChild(page, "spaceLoader")
        verify(!loader.active && loader.item === null, "the map was made out of sight")
        verify(loader.height >= 300)
        verify(findChild(page, "spacePane") === null)
        const flick = page.contentItem
        flick.contentY = findChild(page, "spaceSection").y
        tryVerify(() => loader.status === Loader.Ready && loader.item !== null)
        verify(loader.item.embedded)
        flick.contentY = 0
        waitForRendering(page)
        verify(loader.item !== null)
    }

    // The map lines up with the other sections: the page's margins stand around it, not its own.
    function test_spaceLinesUp() {
        const page = createTemporaryObject(classicPage, testCase)
        waitForRendering(page)
        const column = findChild(page, "pageColumn")
        page.contentItem.contentY = findChild(page, "spaceSection").y
        tryVerify(() => findChild(findChild(page, "spaceSection"), "spaceSummary") !== null)
        const summary = findChild(findChild(page, "spaceSection"), "spaceSummary")
        const advanced = findChild(page, "advancedSection")
        tryCompare(summary, "width", advanced.width)
        compare(summary.mapToItem(column, 0, 0).x, advanced.mapToItem(column, 0, 0).x)
    }

    // Each card takes half the section (the Trash card alone too, not the whole of it), and its
    // button lies inside it, with the demo's cards and with the Trash alone, there from the start
    // or brought by a scan.
    function test_buttonsInsideCards_data() {
        return [{ tag: "demo", trashOnly: false, later: false },
                { tag: "Trash alone", trashOnly: true, later: false },
                { tag: "Trash alone, after a scan", trashOnly: true, later: true }]
    }
    function test_buttonsInsideCards(data) {
        if (data.trashOnly && !data.later)
            Model.onlyTrashCardForTest()
        const page = createTemporaryObject(classicPage, testCase)
        waitForRendering(page)
        // The cards a scan brings once the page is up.
        if (data.later) {
            Model.onlyTrashCardForTest()
            waitForRendering(page)
        }
        const section = findChild(page, "advancedSection")
        const ids = []
        for (let i = 0; i < Model.advItems.count; ++i)
            ids.push(Model.advItems.get(i).id)
        verify(ids.length > 0)
        for (const id of ids) {
            const card = findChild(page, "advCard_" + id)
            const button = findChild(page, "cardButton_" + id)
            verify(card !== null && button !== null, id)
            verify(card.width >= (section.width - 12) / 2 - 1 && card.width < section.width / 2 + 1,
                   id + ": the card spans " + card.width + " of " + section.width)
            const at = button.mapToItem(card, 0, 0)
            verify(at.x >= 0 && at.y >= 0 && at.x + button.width <= card.width
                   && at.y + button.height <= card.height,
                   id + ": the button at " + at.x + "," + at.y + " (" + button.width + "×"
                   + button.height + ") leaves the card of " + card.width + "×" + card.height)
        }
    }
}
