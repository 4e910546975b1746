import QtQuick
import QtTest
import Ampa

// The space map's chart: what a part pointed at or reached by the keys says of itself, a folder
// opened by a click and by the keys, the middle going up, and Tab passing through.
TestCase {
    id: testCase
    name: "SpaceChart"
    width: 900
    height: 760
    visible: true
    when: windowShown

    Component {
        id: pane
        SpacePane {
            width: 900
            height: 760
        }
    }

    function init() {
        Settings.language = "en"
    }

    function focused() { return testCase.Window.activeFocusItem }
    // The pane at the walk's root, its chart made.
    function shown() {
        const view = createTemporaryObject(pane, testCase)
        waitForRendering(view)
        tryVerify(() => !Model.space.walking, 20000)
        if (Model.space.folderId !== 0)
            Model.space.up()
        const chart = findChild(view, "spaceChart")
        tryVerify(() => chart.parts.folderId === 0 && chart.parts.count > 0, 20000)
        return view
    }
    function partNamed(chart, name) {
        for (let i = 0; i < chart.parts.count; ++i) {
            if (chart.parts.part(i).name === name)
                return i
        }
        return -1
    }

    function test_pointingSaysWhatAPartIs() {
        const view = shown()
        const chart = findChild(view, "spaceChart")
        const rings = findChild(view, "spaceRings")
        const place = findChild(view, "spaceChartPlace")
        const figures = findChild(view, "spaceChartFigures")
        const videos = partNamed(chart, "Videos")
        verify(videos >= 0)
        const part = chart.parts.part(videos)
        verify(part.path.endsWith("/Videos"))
        compare(part.kind, "media")

        const at = rings.pointIn(videos)
        mouseMove(rings, at.x, at.y)
        tryCompare(place, "text", part.path)
        verify(figures.text.startsWith(Texts.fmt(part.size) + " · "), figures.text)
        verify(figures.text.includes(Math.round(part.share * 100) + "%"), figures.text)
        verify(figures.text.endsWith("Media"), figures.text)
        compare(rings.highlighted, videos)

        // A file deeper in: its own path, its share of the folder looked at.
        const film = partNamed(chart, "holiday.mp4")
        verify(film >= 0)
        compare(chart.parts.part(film).level, 2)
        const inside = rings.pointIn(film)
        mouseMove(rings, inside.x, inside.y)
        tryVerify(() => place.text.endsWith("/Videos/holiday.mp4"), 5000, place.text)

        // The legend names each kind shown.
        const legend = findChild(view, "spaceChartLegend")
        verify(legend.children.length >= chart.parts.kinds.length)
        verify(chart.parts.kinds.includes("media") && chart.parts.kinds.includes("documents"))

        // A click opens the folder; the middle goes back up.
        mouseClick(rings, at.x, at.y)
        tryVerify(() => Model.space.folder.endsWith("/Videos"))
        tryVerify(() => chart.parts.folderId === Model.space.folderId, 20000)
        mouseClick(rings, rings.width / 2, rings.height / 2)
        tryVerify(() => Model.space.folderId === 0)
    }

    function test_theKeysReachEachPart() {
        const view = shown()
        const chart = findChild(view, "spaceChart")
        const list = findChild(view, "spaceList")
        const place = findChild(view, "spaceChartPlace")
        compare(chart.Accessible.name, "Chart of the contents of " + Model.space.folder)

        // One stop for Tab, before the list.
        list.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Backtab)
        verify(focused() === chart, "Backtab from the list does not reach the chart")
        verify(findChild(chart, "focusRing").visible)
        compare(chart.focusedPart, 0)
        const first = chart.parts.part(0)
        compare(place.text, first.path)
        verify(chart.Accessible.description.startsWith(place.text), chart.Accessible.description)

        // Round the first ring to the videos, out to a file of theirs and back in.
        const videos = partNamed(chart, "Videos")
        for (let step = 0; step < chart.parts.count && chart.focusedPart !== videos; ++step)
            keyClick(Qt.Key_Right)
        compare(chart.focusedPart, videos)
        compare(place.text, chart.parts.part(videos).path)
        keyClick(Qt.Key_Down)
        compare(chart.parts.part(chart.focusedPart).parent, videos)
        keyClick(Qt.Key_Up)
        compare(chart.focusedPart, videos)
        keyClick(Qt.Key_Left)
        verify(chart.focusedPart !== videos)
        keyClick(Qt.Key_Right)

        // Return opens it, and the keys stay on the chart.
        keyClick(Qt.Key_Return)
        tryVerify(() => Model.space.folder.endsWith("/Videos"))
        verify(focused() === chart)
        keyClick(Qt.Key_Backspace)
        tryVerify(() => Model.space.folderId === 0)

        // Tab goes on to the list: the chart keeps no one.
        keyClick(Qt.Key_Tab)
        verify(list.activeFocus, "Tab stays on the chart")
    }

    // A file chosen in the chart is chosen in the list, in its own folder.
    function test_aFileIsChosenInTheList() {
        const view = shown()
        const chart = findChild(view, "spaceChart")
        const rings = findChild(view, "spaceRings")
        const list = findChild(view, "spaceList")
        const film = partNamed(chart, "holiday.mp4")
        const at = rings.pointIn(film)
        mouseClick(rings, at.x, at.y)
        tryVerify(() => Model.space.folder.endsWith("/Videos"))
        tryCompare(list.currentItem, "name", "holiday.mp4")
        verify(list.activeFocus)
        tryVerify(() => chart.parts.folderId === Model.space.folderId, 20000)
        compare(rings.chosenId, list.currentItem.entryId)
    }
}
