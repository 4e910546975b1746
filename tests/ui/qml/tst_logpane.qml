import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "LogPane"
    width: 640
    height: 400
    visible: true
    when: windowShown

    Component { id: logPane; LogPane { width: 640; height: 400 } }

    function test_emptyThenNewestFirst() {
        Settings.language = "en"
        const pane = createTemporaryObject(logPane, testCase)
        const empty = findChild(pane, "logEmpty")
        verify(empty.visible)
        compare(empty.text, "No cleanups logged yet.")
        Model.logForTest("cepat: dibebaskan 1 GB")
        Model.logForTest("lanjutan: kosongkan trash")
        // Read again each time the pane comes into view.
        pane.visible = false
        pane.visible = true
        verify(!empty.visible)
        compare(pane.lines.length, 2)
        verify(pane.lines[0].endsWith(" lanjutan: kosongkan trash"))
    }

    // A long line wraps between words, never inside one that fits on a line.
    function test_longLinesWrapBetweenWords() {
        Model.logForTest("lanjutan: trash " + "Quarterly budget review final draft ".repeat(6))
        const pane = createTemporaryObject(logPane, testCase)
        waitForRendering(pane)
        const line = findChild(pane, "logLine")
        verify(line.text.indexOf("Quarterly") > 0, line.text)
        verify(line.lineCount > 1, "one line of " + line.width + " px")
        const text = line.text
        for (let i = 1; i < text.length; ++i) {
            if (line.positionToRectangle(i).y > line.positionToRectangle(i - 1).y)
                verify(text[i - 1] === " ", "broken inside a word at " + i + ": " + text.substring(i - 8, i + 8))
        }
    }

    // A long log reads from the keyboard: Tab gives it the focus, the keys scroll it.
    function test_scrollsFromTheKeyboard() {
        for (let i = 0; i < 60; ++i)
            Model.logForTest("cepat: dibebaskan " + i + " MB")
        const pane = createTemporaryObject(logPane, testCase)
        waitForRendering(pane)
        keyClick(Qt.Key_Tab)
        const scroll = findChild(pane, "logScroll")
        verify(scroll.activeFocus)
        const flick = scroll.contentItem
        const end = scroll.contentHeight - flick.height
        verify(end > 0)
        keyClick(Qt.Key_Down)
        compare(flick.contentY, 40)
        keyClick(Qt.Key_PageDown)
        verify(flick.contentY > 300, flick.contentY)
        keyClick(Qt.Key_End)
        compare(flick.contentY, end)
        keyClick(Qt.Key_Home)
        compare(flick.contentY, 0)
    }
}
