import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "FocusRing"
    width: 760
    height: 700
    visible: true
    when: windowShown

    Component {
        id: screen
        Column {
            property alias quick: quick
            Toolbar { width: 760 }
            QuickPane { id: quick; width: 640 }
            AdvancedPane { width: 640 }
        }
    }

    function init() {
        Model.loadDemo()
        Model.setBusyForTest(false)
    }

    function ringOf(item) {
        for (let i = 0; item && i < 4; ++i, item = item.background) {
            const ring = findChild(item, "focusRing")
            if (ring)
                return ring
            if (item.objectName === "focusRing")
                return item
        }
        return null
    }

    // Tab goes through the controls, and the one that has the focus wears a ring; the others
    // do not; a click leaves none.
    function test_keyboardFocusIsVisible() {
        const column = createTemporaryObject(screen, testCase)
        waitForRendering(column)
        let ringed = 0
        for (let step = 0; step < 25; ++step) {
            keyClick(Qt.Key_Tab)
            const focused = testCase.Window.activeFocusItem
            if (!focused || focused.visualFocus === undefined)
                continue
            const ring = ringOf(focused.background ? focused.background : focused)
                         || findChild(focused, "focusRing")
            verify(ring !== null, "no focus ring on " + focused)
            verify(ring.visible, "the ring of " + focused + " is hidden")
            ++ringed
        }
        verify(ringed >= 5, "only " + ringed + " controls took the focus")
        const clean = findChild(column.quick, "cleanButton")
        mouseClick(clean)
        verify(!findChild(clean, "focusRing").visible)
    }
}
