import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "DeveloperCaches"
    width: 700
    height: 900
    visible: true
    when: windowShown

    Component { id: devPane; DevCachesPane { width: 640 } }

    function init() {
        Settings.language = "en"
        Settings.devKeep = []
        Model.loadDemo()
        Model.setBusyForTest(false)
    }

    // Offered rows with their actions; an owner that runs disables its row's action and says
    // why; keeping moves a row apart and out of the count, releasing brings it back.
    function test_offeredRunningAndKept() {
        const pane = createTemporaryObject(devPane, testCase)
        compare(findChild(pane, "devList").items.count, 7)
        compare(Model.devCount, 7)
        verify(!findChild(pane, "devKeptList").visible)
        const code = findChild(pane, "devRow_vscode")
        verify(!findChild(code, "devButton_vscode").enabled)
        compare(findChild(code, "devNote").text, "Running: quit it to clean")
        compare(findChild(pane, "devRow_cargo").Accessible.name, "Cargo registry, 2.1 GB")

        waitForRendering(pane)
        mouseClick(findChild(pane, "devKeep_cargo"))
        compare(Settings.devKeep, ["cargo"])
        compare(Model.devCount, 6)
        tryVerify(() => findChild(pane, "devKeptList").visible)
        const kept = findChild(findChild(pane, "devKeptList"), "devRow_cargo")
        verify(!findChild(kept, "devButton_cargo").visible)
        mouseClick(findChild(kept, "devKeep_cargo"))
        compare(Settings.devKeep, [])
        tryCompare(Model, "devCount", 7)
    }
}
