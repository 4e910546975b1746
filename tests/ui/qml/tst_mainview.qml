import QtQuick
import QtQuick.Controls
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "MainView"
    width: 1000
    height: 800
    visible: true
    when: windowShown

    Component { id: mainView; MainView { width: 1000; height: 800 } }

    function init() {
        Settings.language = "en"
        Settings.viewMode = "sidebar"
        Model.loadDemo()
        Model.setBusyForTest(false)
        Model.setScanningForTest(false)
        Model.setScanningAdvForTest(false)
        Model.showSettings = false
        Model.paneKey = "cepat"
    }

    function test_rescanWaitsForScansAndCleans_data() {
        return [{ tag: "scan", set: "setScanningForTest" },
                { tag: "large items", set: "setScanningAdvForTest" },
                { tag: "clean", set: "setBusyForTest" }]
    }
    function test_rescanWaitsForScansAndCleans(data) {
        const rescan = findChild(createTemporaryObject(mainView, testCase), "rescan")
        verify(rescan.enabled)
        Model[data.set](true)
        verify(!rescan.enabled)
    }

    // A pane in the sidebar layout, a sheet over the single page that Done, Return (its Done
    // has the focus) and Escape close.
    function test_settingsPageInBothLayouts_data() {
        return [{ tag: "Done" }, { tag: "Return" }, { tag: "Escape" }]
    }
    function test_settingsPageInBothLayouts(data) {
        const view = createTemporaryObject(mainView, testCase)
        Model.showSettingsPage()
        compare(Model.paneKey, "pengaturan")
        tryCompare(findChild(view, "paneTitle"), "text", "Settings")
        // The sheet is made when first asked for: in this layout, never.
        verify(!findChild(view, "settingsSheet"))

        Settings.viewMode = "halaman"
        Model.paneKey = "cepat"
        Model.showSettingsPage()
        compare(Model.paneKey, "cepat")
        tryVerify(() => findChild(view, "settingsSheet").visible)
        if (data.tag === "Escape")
            keyClick(Qt.Key_Escape)
        else if (data.tag === "Return")
            keyClick(Qt.Key_Return)
        else
            mouseClick(findChild(view, "sheetDone"))
        verify(!Model.showSettings)
        tryVerify(() => !findChild(view, "settingsSheet").visible)
    }

    // The detail view gets its scroll bar once its pane is taller than the view, and the bar
    // and the wheel move the pane, a mouse's drag does not.
    function test_detailScrollsWhenTaller() {
        const view = createTemporaryObject(mainView, testCase, { height: 300 })
        const detail = findChild(view, "detail")
        tryVerify(() => detail.contentHeight > detail.height + 100)
        tryVerify(() => detail.ScrollBar.vertical !== null)
        const bar = detail.ScrollBar.vertical
        compare(bar.parent, detail)
        tryVerify(() => bar.visible)
        verify(bar.x >= detail.width - bar.width - 1)
        bar.position = 0.2
        verify(detail.contentY > 0)

        // A mouse drags nothing along; the wheel scrolls.
        const before = detail.contentY
        mousePress(detail, 20, 200)
        for (let y = 190; y >= 20; y -= 10)
            mouseMove(detail, 20, y)
        mouseRelease(detail, 20, 20)
        compare(detail.contentY, before)
        mouseWheel(detail, 20, 100, 0, -120)
        tryVerify(() => detail.contentY > before)
    }

    // Pressing the layout already chosen keeps it chosen, and so does the arrangement.
    function test_chosenButtonsStayChosen() {
        const view = createTemporaryObject(mainView, testCase)
        const sidebarButton = findChild(view, "layoutSidebar")
        verify(sidebarButton.checked)
        mouseClick(sidebarButton)
        verify(sidebarButton.checked)
        compare(Settings.viewMode, "sidebar")
        mouseClick(findChild(view, "layoutPage"))
        compare(Settings.viewMode, "halaman")
        verify(!sidebarButton.checked)
        verify(findChild(view, "layoutPage").checked)
    }

    function test_sidebarFollowsThePane() {
        const view = createTemporaryObject(mainView, testCase)
        compare(findChild(view, "paneTitle").text, "Quick clean")
        Model.paneKey = "downloads"
        tryCompare(findChild(view, "paneTitle"), "text", "Downloads")
        compare(findChild(findChild(view, "row_cepat"), "badge").text, "7")
        mouseClick(findChild(view, "row_lanjutan"))
        compare(Model.paneKey, "lanjutan")
        tryCompare(findChild(view, "paneTitle"), "text", "Advanced options")
        Model.setSizesForTest({})
        Model.setSkippedForTest({})
        verify(!findChild(findChild(view, "row_cepat"), "badge").visible)
    }

    // Only the pane shown is made with the layout; another is made at its first visit, while the
    // one before stays on screen with its title until it is ready, and is then kept.
    function test_panesAreMadeAtTheirFirstVisit() {
        const view = createTemporaryObject(mainView, testCase)
        const quick = findChild(view, "pane_cepat")
        const projects = findChild(view, "pane_proyek")
        verify(quick.item !== null && quick.visible)
        for (const key of ["ruang", "lanjutan", "pengembang", "proyek", "downloads", "aplikasi",
                           "log", "pengaturan"])
            compare(findChild(view, "pane_" + key).item, null, key + " was made at the start")

        Model.paneKey = "proyek"
        verify(quick.visible, "the view is empty while the pane is made")
        compare(findChild(view, "paneTitle").text, "Quick clean")
        tryVerify(() => projects.visible && projects.item !== null)
        verify(!quick.visible)
        compare(findChild(view, "paneTitle").text, "Projects")

        // Back to a pane already made: at once, the same one.
        const made = quick.item
        Model.paneKey = "cepat"
        verify(quick.visible && !projects.visible)
        verify(quick.item === made)
        compare(findChild(view, "pane_ruang").item, null)
    }

    function test_usedShareIsTruncated() {
        Settings.viewMode = "halaman"
        const view = createTemporaryObject(mainView, testCase)
        Model.setSpaceForTest(1000, 1000000)
        compare(findChild(view, "usedPercent").text, "99%")
        Model.setSpaceForTest(0, 1000)
        compare(findChild(view, "usedPercent").text, "100%")
    }

    // The appearance menu opens under its button with the chosen mode under the keyboard's focus.
    function test_appearanceMenuOpensOnTheChosenMode() {
        Settings.appearance = "gelap"
        const view = createTemporaryObject(mainView, testCase)
        const button = findChild(view, "appearanceMenu")
        mouseClick(button)
        const menu = button.menu
        tryVerify(() => menu.opened)
        compare(menu.currentIndex, 2)
        compare(menu.y, button.height + 4)
        menu.close()
        tryVerify(() => !menu.visible)
        Settings.appearance = "terang"
        mouseClick(button)
        tryVerify(() => menu.opened)
        compare(menu.currentIndex, 1)
        menu.close()
        Settings.appearance = "sistem"
    }

    // Popups made in one scheme take the other when it changes: the sheet, its Done button and
    // the appearance menu were left light in the dark.
    function test_popupsFollowTheScheme() {
        Settings.appearance = "terang"
        Settings.viewMode = "halaman"
        const view = createTemporaryObject(mainView, testCase)
        Model.showSettingsPage()
        const sheet = findChild(view, "settingsSheet")
        tryVerify(() => sheet.visible)
        keyClick(Qt.Key_Escape)
        const button = findChild(view, "appearanceMenu")
        mouseClick(button)
        const menu = button.menu
        tryVerify(() => menu.opened)
        menu.close()
        Settings.appearance = "gelap"
        compare(Theme.window, "#1f1f21")
        for (const popup of [sheet, menu])
            compare(popup.palette.window, Theme.window)
        compare(findChild(view, "sheetDone").palette.button, Theme.control)
        compare(menu.itemAt(2).palette.windowText, Theme.text)
        Settings.appearance = "sistem"
    }
}
