import QtQuick
import QtTest
import Ampa

// Demo mode is said wherever figures show: in both layouts of the window and in the tray panel.
TestCase {
    id: testCase
    name: "DemoMark"
    width: 1000
    height: 800
    visible: true
    when: windowShown

    Component { id: mainView; MainView { width: 1000; height: 800 } }
    Component { id: trayPanel; MenuBarPanel { width: 320 } }

    function init() {
        Settings.language = "en"
        Model.showSettings = false
    }
    function cleanup() {
        Settings.viewMode = "sidebar"
    }

    function shownIn(view) {
        const mark = findChild(view, "demoMark")
        verify(mark !== null, "no demo mark")
        verify(mark.visible && mark.width > 0, "the demo mark is not shown")
        compare(mark.Accessible.name, "Demo mode: sample figures, nothing is removed.")
        // Whole, inside the part of the view it is in.
        const sidebar = findChild(view, "sidebar")
        const room = sidebar && sidebar.visible ? sidebar.width : view.width
        verify(mark.mapToItem(view, mark.width, 0).x <= room, "the demo mark is cut")
    }

    function test_everywhereFiguresShow_data() {
        return [{ tag: "sidebar", layout: "sidebar" }, { tag: "single page", layout: "halaman" }]
    }
    function test_everywhereFiguresShow(data) {
        verify(Model.demo) // the views' tests run the model on its sample data
        Settings.viewMode = data.layout
        const view = createTemporaryObject(mainView, testCase)
        waitForRendering(view)
        shownIn(view)
    }
    function test_trayPanel() {
        const panel = createTemporaryObject(trayPanel, testCase)
        waitForRendering(panel)
        shownIn(panel)
    }
}
