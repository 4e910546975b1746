import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "AdvancedItems"
    width: 700
    height: 800
    visible: true
    when: windowShown

    Component { id: advancedPane; AdvancedPane { width: 640 } }
    Component { id: panel; MenuBarPanel {} }

    function init() {
        Model.loadDemo()
        Model.setBusyForTest(false)
        Model.setMsAppsForTest([])
    }

    function test_disabledItemAndBusy() {
        const pane = createTemporaryObject(advancedPane, testCase)
        const mau = findChild(pane, "advButton_mau")
        verify(mau.enabled)
        Model.setMsAppsForTest(["Microsoft Teams"])
        verify(!findChild(pane, "advButton_mau").enabled)
        verify(findChild(pane, "advButton_trash").enabled)
        Model.setBusyForTest(true)
        verify(!findChild(pane, "advButton_trash").enabled)
        verify(!findChild(pane, "advButton_whatsapp").enabled)
    }

    function test_paneListsAllPanelFirstFive() {
        compare(Model.advItems.count, 6)
        const pane = createTemporaryObject(advancedPane, testCase)
        verify(findChild(pane, "advButton_trash") !== null)
        const tray = createTemporaryObject(panel, testCase)
        const items = findChild(tray, "panelAdvItems")
        let shown = 0
        for (let i = 0; i < items.count; ++i)
            shown += items.itemAt(i).visible ? 1 : 0
        compare(shown, 5)
        // A screen reader reads each row's title with its size once measured, and its note.
        const row = findChild(pane, "advButton_whatsapp").parent
        compare(row.Accessible.name, "WhatsApp media, 30.8 GB")
        verify(row.Accessible.description.length > 0)
        compare(findChild(pane, "advButton_mau").parent.Accessible.name, "Microsoft AutoUpdate")
    }
}
