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
            AdvancedPane { id: advanced; width: 640 }
        }
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
