import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "Progress"
    width: 400
    height: 200
    visible: true
    when: windowShown

    Component { id: spinner; Spinner { width: 16; height: 16; tint: "black" } }
    Component { id: cleanButton; CleanButton {} }

    // The painted extent of what the item drew, in pixels.
    function paintedWidth(item) {
        const image = grabImage(item)
        let left = item.width, right = -1
        for (let x = 0; x < item.width; ++x)
            for (let y = 0; y < item.height; ++y)
                if (image.pixel(x, y).a > 0.5) {
                    left = Math.min(left, x)
                    right = Math.max(right, x)
                }
        return right - left + 1
    }

    // Drawn across the size it is given, not as a dot inside padding.
    function test_spinnerFillsItsSize_data() {
        return [{ tag: "unknown amount", progress: -1 }, { tag: "half done", progress: 0.5 }]
    }
    function test_spinnerFillsItsSize(data) {
        const item = createTemporaryObject(spinner, testCase, { progress: data.progress })
        waitForRendering(item)
        verify(paintedWidth(item) >= 12, "painted " + paintedWidth(item) + " of 16 px")
    }

    // Return presses the focused button.
    function test_returnCleans() {
        Model.loadDemo()
        const button = createTemporaryObject(cleanButton, testCase)
        button.forceActiveFocus(Qt.TabFocusReason)
        let clicks = 0
        button.clicked.connect(() => ++clicks)
        keyClick(Qt.Key_Return)
        compare(clicks, 1)
        verify(Model.busy)
        tryCompare(Model, "busy", false, 10000)
    }

    function test_cleaningShowsItsProgress() {
        Model.loadDemo()
        const button = createTemporaryObject(cleanButton, testCase)
        const progress = findChild(button, "cleanProgress")
        verify(!progress.visible)
        Model.setBusyForTest(true)
        verify(progress.visible)
        compare(progress.progress, Model.cleanProgress)
        Model.setBusyForTest(false)
    }
}
