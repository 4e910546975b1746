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
}
