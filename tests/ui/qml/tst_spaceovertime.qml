import QtQuick
import QtTest
import Ampa

// The space over time on a real history of the test's home: what shows when there is nothing
// to plot, the 30 / 90 days' switch from the keyboard, and the cleans' marks, reached by Tab and
// named for a screen reader.
TestCase {
    id: testCase
    name: "SpaceOverTime"
    width: 760
    height: 400
    visible: true
    when: windowShown

    Component { id: overTime; SpaceOverTime { width: 720 } }

    function init() {
        Settings.language = "en"
        Settings.spaceHistory = true
        Model.history.days = 30
    }
    function cleanup() {
        Settings.spaceHistory = true
    }

    function shown(walks, cleans) {
        Model.setHistoryForTest(walks, cleans)
        const view = createTemporaryObject(overTime, testCase)
        tryVerify(() => Model.history.walkCount === walks.length, 20000)
        waitForRendering(view)
        return view
    }
    function focused() { return testCase.Window.activeFocusItem }

    function test_emptyStates() {
        const view = shown([], [])
        const empty = findChild(view, "overTimeEmpty")
        tryCompare(empty, "visible", true)
        verify(empty.text.startsWith("No walk recorded yet."), empty.text)
        compare(findChild(view, "overTimePlot").visible, false)

        Settings.spaceHistory = false
        tryVerify(() => empty.text.startsWith("The space history is off"), 20000, empty.text)

        // Walks, but none in the span.
        Settings.spaceHistory = true
        Model.setHistoryForTest([{ daysAgo: 60, used: 300 }], [])
        tryVerify(() => empty.text === "No walk in the last 30 days.", 20000, empty.text)

        // One walk: plotted, and the summary says the line needs another.
        Model.setHistoryForTest([{ daysAgo: 60, used: 300 }, { daysAgo: 3, used: 320 }], [])
        tryCompare(empty, "visible", false, 20000)
        const summary = findChild(view, "overTimeSummary")
        verify(summary.visible)
        compare(summary.text, "One walk in the last 30 days: 320 GB used, 180 GB free. No cleans. "
                              + "The line begins with the next walk.")
        compare(summary.Accessible.name, summary.text)
    }

    // Tab reaches the switch's two choices; Space takes 90 days, which brings the older walk.
    function test_daysSwitchFromTheKeyboard() {
        const view = shown([{ daysAgo: 60, used: 300 }, { daysAgo: 20, used: 320 },
                            { daysAgo: 2, used: 340 }], [])
        tryCompare(Model.history.points, "length", 2, 20000)
        const thirty = findChild(view, "overTimeDays30")
        const ninety = findChild(view, "overTimeDays90")
        verify(thirty.Accessible.checked)
        verify(!ninety.Accessible.checked)
        compare(ninety.Accessible.role, Accessible.RadioButton)
        compare(ninety.Accessible.name, "90 days")

        thirty.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Tab)
        compare(focused(), ninety)
        keyClick(Qt.Key_Space)
        compare(Model.history.days, 90)
        verify(ninety.Accessible.checked)
        verify(!thirty.Accessible.checked)
        tryCompare(Model.history.points, "length", 3, 20000)
        const summary = findChild(view, "overTimeSummary")
        tryVerify(() => summary.text.startsWith("Used space rose from 300 GB to 340 GB over the last 90 days"),
                  20000, summary.text)
    }

    // Each clean of the span has a mark Tab reaches, named with its day and entry and shown
    // on focus; cleans a moment apart share one.
    function test_cleanMarks() {
        const view = shown([{ daysAgo: 20, used: 320 }, { daysAgo: 2, used: 300 }],
                           [{ daysAgo: 40, message: "cepat: dibebaskan 1 GB" },
                            { daysAgo: 10, message: "proyek: webapp: 20 GB freed." },
                            { daysAgo: 5, message: "lanjutan: playwright: 201 MB freed." },
                            { daysAgo: 4.99, message: "ruang: trash /home/user/old.iso" }])
        tryCompare(Model.history.cleans, "length", 3, 20000)
        waitForRendering(view)
        const first = findChild(view, "overTimeClean0")
        const second = findChild(view, "overTimeClean1")
        verify(first && second)
        compare(findChild(view, "overTimeClean2"), null)
        compare(first.Accessible.role, Accessible.ListItem)
        verify(first.Accessible.name.startsWith("Clean on "), first.Accessible.name)
        verify(first.Accessible.name.endsWith(": proyek: webapp: 20 GB freed."), first.Accessible.name)
        const both = second.Accessible.name.split("\n")
        compare(both.length, 2)
        verify(both[0].endsWith(": lanjutan: playwright: 201 MB freed."), both[0])
        verify(both[1].endsWith(": ruang: trash /home/user/old.iso"), both[1])
        verify(first.x < second.x)

        // From the switch, Tab goes on to the marks, oldest first.
        findChild(view, "overTimeDays90").forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Tab)
        compare(focused(), first)
        verify(first.showing)
        keyClick(Qt.Key_Tab)
        compare(focused(), second)
        verify(!first.showing)
        verify(second.showing)
    }
}
