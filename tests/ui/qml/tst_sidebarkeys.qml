import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "SidebarKeys"
    width: 1000
    height: 680
    visible: true
    when: windowShown

    Component { id: sidebarLayout; SidebarLayout { width: 1000; height: 680 } }

    function init() {
        Model.loadDemo()
        Model.paneKey = "cepat"
    }

    // The sidebar is one stop of the Tab chain, the selected row; Up and Down select the row
    // above or below and keep the focus, marked, on it; the ends stay put.
    function test_arrowsMoveAlongTheSidebar() {
        const layout = createTemporaryObject(sidebarLayout, testCase)
        waitForRendering(layout)
        let focused = null
        for (let step = 0; step < 10 && (!focused || focused.objectName !== "row_cepat"); ++step) {
            keyClick(Qt.Key_Tab)
            focused = testCase.Window.activeFocusItem
        }
        compare(focused.objectName, "row_cepat")
        verify(findChild(focused, "focusRing").visible)
        compare(focused.Accessible.name, "Quick")
        keyClick(Qt.Key_Down)
        compare(Model.paneKey, "ruang")
        compare(testCase.Window.activeFocusItem.objectName, "row_ruang")
        for (let i = 0; i < 9; ++i)
            keyClick(Qt.Key_Down)
        compare(Model.paneKey, "pengaturan")
        keyClick(Qt.Key_Up)
        compare(Model.paneKey, "log")
        verify(!findChild(focused, "focusRing").visible)
    }

    Component { id: narrowLayout; SidebarLayout { width: 520; height: 680 } }

    // Every row's label is whole, in both languages and however narrow the window.
    function test_labelsWhole_data() {
        return [{ tag: "id, wide", language: "id", narrow: false },
                { tag: "id, narrow", language: "id", narrow: true },
                { tag: "en, wide", language: "en", narrow: false },
                { tag: "en, narrow", language: "en", narrow: true }]
    }
    function test_labelsWhole(data) {
        const stored = Settings.language
        Settings.language = data.language
        const layout = createTemporaryObject(data.narrow ? narrowLayout : sidebarLayout, testCase)
        waitForRendering(layout)
        const keys = "cepat ruang lanjutan pengembang proyek downloads aplikasi log pengaturan".split(" ")
        for (const key of keys) {
            const label = findChild(findChild(layout, "row_" + key), "rowLabel")
            verify(label !== null, key)
            verify(!label.truncated, key + ": '" + label.text + "' is cut at " + label.width)
        }
        Settings.language = stored
    }
}
