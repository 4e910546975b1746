import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "Projects"
    width: 700
    height: 900
    visible: true
    when: windowShown

    Component { id: projectsPane; ProjectsPane { width: 640 } }

    function init() {
        Settings.language = "en"
        Settings.projectKeep = []
        Model.loadDemo()
        Model.setBusyForTest(false)
    }

    // The idle ones summed up; a project in use cannot be cleaned and says so; a kept project
    // leaves the offers and the idle sum, and comes back when released.
    function test_idleInUseAndKept() {
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
