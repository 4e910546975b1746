import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "ResultChip"
    width: 1300
    height: 800
    visible: true
    when: windowShown

    Component {
        id: bothPanes
        Row {
            property alias quick: quick
            property alias advanced: advanced
            QuickPane { id: quick; width: 640 }
            ClassicPage { id: advanced; width: 640; height: 800 }
        }
    }

    Component {
        id: threePanes
        Row {
            property alias dev: dev
            property alias projects: projects
            property alias downloads: downloads
            DevCachesPane { id: dev; width: 420 }
            ProjectsPane { id: projects; width: 420 }
            DownloadsPane { id: downloads; width: 420 }
        }
    }

    // A result shows in the pane whose action made it, naming what it is about, and nowhere
    // else; its alert for screen readers reads the same.
    function test_shownInItsOwnPane() {
        Model.loadDemo()
        const panes = createTemporaryObject(threePanes, testCase)
        Model.setResultForTest("20 MB freed.", true, "pengembang", "Cargo registry")
        const devChip = findChild(panes.dev, "dismissResult").parent.parent
        verify(devChip.visible)
        compare(findChild(panes.dev, "resultText").text, "Cargo registry: 20 MB freed.")
        compare(findChild(panes.dev, "resultAnnouncement").Accessible.name,
                "Cargo registry: 20 MB freed.")
        verify(!findChild(panes.projects, "dismissResult").parent.parent.visible)
        verify(!findChild(panes.downloads, "dismissResult").parent.parent.visible)

        Model.setResultForTest("Failed: Permission denied", false, "downloads")
        verify(!devChip.visible)
        verify(findChild(panes.downloads, "dismissResult").parent.parent.visible)
        compare(findChild(panes.downloads, "resultAnnouncement").Accessible.role,
                Accessible.AlertMessage)
        Model.clearResult()
    }

    // A failure never wears the success mark; dismissing the chip in one pane clears it in all.
    function test_markedThenDismissedEverywhere() {
        Model.loadDemo()
        const panes = createTemporaryObject(bothPanes, testCase)
        Model.setResultForTest("1.2 GB freed.")
        const symbol = findChild(panes.quick, "resultSymbol")
        compare(symbol.name, "checkmark.circle.fill")
        Model.setResultForTest("Failed: Permission denied", false)
        compare(symbol.name, "exclamationmark.triangle.fill")
        compare(symbol.tint, Theme.orange)

        const quickDismiss = findChild(panes.quick, "dismissResult")
        const advancedDismiss = findChild(panes.advanced, "dismissResult")
        verify(quickDismiss.parent.parent.visible)
        verify(advancedDismiss.parent.parent.visible)
        waitForRendering(panes)
        // The × at its full size, not squeezed by the button's padding into a blob.
        const cross = findChild(quickDismiss, "drawing")
        compare(cross.width, 12)
        compare(cross.height, 12)
        mouseClick(advancedDismiss)
        compare(Model.result, "")
        verify(!quickDismiss.parent.parent.visible)
        verify(!advancedDismiss.parent.parent.visible)
    }
}
