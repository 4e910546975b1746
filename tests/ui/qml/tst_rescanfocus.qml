import QtQuick
import QtTest
import Ampa

// A rescan that changes one row leaves the others as they were: the button that has the
// keyboard's focus keeps it, and the list keeps its place.
TestCase {
    id: testCase
    name: "RescanFocus"
    width: 700
    height: 900
    visible: true
    when: windowShown

    Component { id: projectsPane; ProjectsPane { width: 640 } }
    Component { id: downloadsPane; DownloadsPane { width: 640 } }

    function init() {
        Settings.language = "en"
        Settings.projectKeep = []
        Settings.downloadsLayout = "list"
        Model.loadDemo()
        Model.setBusyForTest(false)
    }

    function test_projectButtonKeepsFocus() {
        const pane = createTemporaryObject(projectsPane, testCase)
        waitForRendering(pane)
        const button = findChild(pane, "projectKeep_ray-tracer")
        button.forceActiveFocus()
        verify(button.activeFocus)

        Model.rescanProjectForTest("shop-frontend", 2500000000)
        compare(findChild(pane, "projectRow_shop-frontend").Accessible.name, "shop-frontend, 2.5 GB")
        compare(findChild(pane, "projectKeep_ray-tracer"), button, "the row was made anew")
        verify(button.activeFocus, "the focus left the button")
    }

    // Each scan gives every download a fresh record; the rows stand for the files and stay.
    function test_downloadRowKeepsFocus() {
        const pane = createTemporaryObject(downloadsPane, testCase)
        waitForRendering(pane)
        const row = findChild(pane, "downloadRow_Sample data.zip")
        row.forceActiveFocus()
        verify(row.activeFocus)

        Model.rescanDownloadForTest("Budget 2026.xlsx", 99000000)
        compare(findChild(pane, "downloadRow_Budget 2026.xlsx").Accessible.name,
                "Budget 2026.xlsx, 99 MB")
        compare(findChild(pane, "downloadRow_Sample data.zip"), row, "the row was made anew")
        verify(row.activeFocus, "the focus left the row")
    }
}
