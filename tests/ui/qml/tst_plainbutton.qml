import QtQuick
import QtTest
import Ampa

// The buttons of the first frame, built without Qt Quick Controls, behave as the Controls' do.
TestCase {
    id: testCase
    name: "PlainButton"
    width: 400
    height: 200
    visible: true
    when: windowShown

    Component {
        id: pair
        Row {
            property alias first: first
            property alias second: second
            property int clicks: 0
            spacing: 10
            PlainButton {
                id: first
                text: "First"
                width: 80
                height: 30
                onClicked: parent.clicks++
            }
            PlainButton {
                id: second
                text: "Second"
                width: 80
                height: 30
            }
        }
    }
    Component {
        id: helped
        PlainButton {
            id: tool
            property alias tip: tip
            width: 30
            height: 30
            HoverTip {
                id: tip
                control: tool
                text: "A help text much wider than its button"
            }
        }
    }

    function test_mouse() {
        const row = createTemporaryObject(pair, testCase)
        mouseClick(row.first)
        compare(row.clicks, 1)
        // A click focuses it, without the ring that says where the keyboard is.
        verify(row.first.activeFocus)
        verify(!row.first.visualFocus)

        // Pressed, then let go outside: no click.
        mousePress(row.first, 10, 10)
        verify(row.first.pressed)
        mouseMove(row.first, 200, 10)
        verify(!row.first.pressed)
        mouseRelease(row.first, 200, 10)
        compare(row.clicks, 1)

        mouseMove(row.first, 10, 10)
        verify(row.first.hovered)
        row.first.enabled = false
        verify(!row.first.hovered)
        mouseClick(row.first)
        compare(row.clicks, 1)
    }

    function test_keyboard() {
        const row = createTemporaryObject(pair, testCase)
        row.first.forceActiveFocus(Qt.TabFocusReason)
        verify(row.first.visualFocus)
        // Space clicks on its release, Return and Enter at once.
        keyPress(Qt.Key_Space)
        verify(row.first.pressed)
        compare(row.clicks, 0)
        keyRelease(Qt.Key_Space)
        compare(row.clicks, 1)
        keyClick(Qt.Key_Return)
        keyClick(Qt.Key_Enter)
        compare(row.clicks, 3)

        // Space held while the focus moves on clicks neither button.
        keyPress(Qt.Key_Space)
        keyClick(Qt.Key_Tab)
        verify(row.second.activeFocus)
        verify(row.second.visualFocus)
        verify(!row.first.visualFocus)
        verify(!row.first.pressed)
        keyRelease(Qt.Key_Space)
        compare(row.clicks, 3)
        verify(!row.second.pressed)

        // Focus given by the program shows no ring; a disabled button is no stop of the chain.
        row.first.forceActiveFocus(Qt.OtherFocusReason)
        verify(!row.first.visualFocus)
        row.second.enabled = false
        keyClick(Qt.Key_Tab)
        verify(!row.second.activeFocus)
    }

    // A screen reader's press clicks it.
    function test_accessiblePress() {
        const row = createTemporaryObject(pair, testCase)
        compare(row.first.Accessible.role, Accessible.Button)
        compare(row.first.Accessible.name, "First")
        row.first.Accessible.pressAction()
        compare(row.clicks, 1)
    }

    // The help shows after a rest on the button, inside the window even at its edge, and goes
    // with the pointer.
    function test_hoverTip() {
        const tool = createTemporaryObject(helped, testCase, { x: testCase.width - 30 })
        const tip = tool.tip
        verify(!tip.visible)
        mouseMove(tool, 15, 15)
        tryVerify(() => tip.visible)
        verify(tip.width > tool.width)
        verify(tip.x >= 0 && tip.x + tip.width <= testCase.width,
               "the tip spans " + tip.x + " to " + (tip.x + tip.width))
        verify(tip.y >= tool.height)
        mouseMove(testCase, 10, 150)
        verify(!tip.visible)
    }
}
