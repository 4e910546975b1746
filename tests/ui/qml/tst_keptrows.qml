import QtQuick
import QtTest
import Ampa

// The developer caches and the projects offer rows alike: an owner or a process at work disables
// a row's action and says why; keeping moves a row apart and out of the count, releasing brings
// it back.
TestCase {
    id: testCase
    name: "KeptRows"
    width: 700
    height: 900
    visible: true
    when: windowShown

    Component { id: devPane; DevCachesPane { width: 640 } }
    Component { id: projectsPane; ProjectsPane { width: 640 } }

    function init() {
        Settings.language = "en"
        Settings.devKeep = []
        Settings.projectKeep = []
        Model.loadDemo()
        Model.setBusyForTest(false)
    }

    function test_developerCaches() {
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
        // Still shown with its size, as a kept project is.
        verify(findChild(kept, "devSize").visible)
        compare(findChild(kept, "devSize").text, "2.1 GB")
        mouseClick(findChild(kept, "devKeep_cargo"))
        compare(Settings.devKeep, [])
        tryCompare(Model, "devCount", 7)
    }

    // The idle ones are summed up, and a kept project leaves the idle sum too.
    function test_projects() {
        const pane = createTemporaryObject(projectsPane, testCase)
        compare(Model.projectCount, 5)
        compare(findChild(pane, "idleSummary").text, "3 projects idle for 30 days or more: 6.93 GB")
        const busy = findChild(pane, "projectRow_ampa-plugin")
        verify(!findChild(busy, "projectClean_ampa-plugin").enabled)
        verify(findChild(busy, "projectState").text.endsWith("in use"))
        compare(findChild(pane, "projectRow_ray-tracer").Accessible.name, "ray-tracer, 4.2 GB")

        waitForRendering(pane)
        mouseClick(findChild(pane, "projectKeep_ray-tracer"))
        compare(Settings.projectKeep.length, 1)
        verify(Settings.projectKeep[0].endsWith("/src/ray-tracer"))
        compare(Model.projectCount, 4)
        compare(findChild(pane, "idleSummary").text, "2 projects idle for 30 days or more: 2.73 GB")
        tryVerify(() => findChild(pane, "projectKeptList").visible)
        const kept = findChild(findChild(pane, "projectKeptList"), "projectRow_ray-tracer")
        verify(!findChild(kept, "projectClean_ray-tracer").visible)
        mouseClick(findChild(kept, "projectKeep_ray-tracer"))
        compare(Settings.projectKeep, [])
        compare(Model.projectCount, 5)
    }
}
