import QtQuick
import QtTest
import Ampa

// The space map at the window's sizes: its chart and list grow into a large window, keep a
// usable height in the smallest one, and the pane scrolls to its last line there.
TestCase {
    id: testCase
    name: "SpaceSize"
    width: 2400
    height: 1200
    visible: true
    when: windowShown

    Component { id: mainView; MainView {} }

    function init() {
        Settings.language = "en"
        Settings.viewMode = "sidebar"
        Model.showSettings = false
        Model.paneKey = "ruang"
    }

    function test_growsAndScrolls_data() {
        return [{ tag: "large", width: 2400, height: 1200 }, { tag: "smallest", width: 940, height: 600 }]
    }
    function test_growsAndScrolls(data) {
        const view = createTemporaryObject(mainView, testCase, { width: data.width, height: data.height })
        waitForRendering(view)
        tryVerify(() => !Model.space.walking, 20000)
        const chart = findChild(view, "spaceChart")
        const detail = findChild(view, "detail")
        const pane = findChild(view, "spacePane")
        verify(chart.height >= 340, "the chart is " + chart.height + " high")
        // No more than a little is left empty below the pane, and all of it can be scrolled to.
        verify(pane.height >= detail.availableHeight - 1 || chart.height === 340,
               "the pane " + pane.height + " leaves the view " + detail.availableHeight + " empty")
        verify(detail.contentHeight >= pane.height)
        if (data.tag === "large")
            verify(chart.height > 600 && chart.width > 900, chart.width + "x" + chart.height)
    }
}
