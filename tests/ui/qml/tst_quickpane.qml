import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "QuickPane"
    width: 640
    height: 800
    visible: true
    when: windowShown

    Component { id: quickPane; QuickPane { width: 640 } }

    function init() {
        Settings.language = "en"
        Model.loadDemo()
        Model.setBusyForTest(false)
        Model.setScanningForTest(false)
        Model.setResultForTest("")
    }

    // The button cleans only what there is, when nothing else runs; with nothing to clean the
    // list says so, or that the scan is still at work.
    function test_cleanButtonAndEmptyList() {
        const pane = createTemporaryObject(quickPane, testCase)
        const button = findChild(pane, "cleanButton")
        const empty = findChild(pane, "targetsEmpty")
        verify(button.enabled)
        verify(!empty.visible)
        verify(findChild(pane, "target_codex") !== null)
        compare(findChild(pane, "cleanLabel").text, "Clean 11.89 GB")
        Model.setBusyForTest(true)
        verify(!button.enabled)
        compare(findChild(pane, "cleanLabel").text, "Cleaning")
        Model.setBusyForTest(false)
        Model.setScanningForTest(true)
        verify(!button.enabled)
        compare(findChild(pane, "cleanLabel").text, "Clean 11.89 GB")
        Model.setScanningForTest(false)
        Model.setSizesForTest({})
        Model.setSkippedForTest({})
        compare(Model.quickTotal, 0)
        verify(!button.enabled)
        verify(empty.visible)
        compare(empty.text, "All caches are clean.")
        Model.setScanningForTest(true)
        compare(empty.text, "Scanning caches")
        compare(findChild(pane, "cleanLabel").text, "Clean")
    }

    function test_statusReplacesTheNote() {
        Model.setSkippedForTest({ "npm": "Slack" })
        const pane = createTemporaryObject(quickPane, testCase)
        const npmRow = findChild(pane, "target_npm")
        const caption = findChild(npmRow, "targetCaption")
        compare(caption.text, "Skipped, Slack is open")
        compare(caption.color, Theme.orange)
        const chromeCaption = findChild(findChild(pane, "target_chrome"), "targetCaption")
        compare(chromeCaption.text, "Rebuilt while you browse")
    }

    function test_languageChangeRebuildsEveryText() {
        const scope = createTemporaryObject(languageScope, testCase)
        compare(findChild(scope.item, "cleanLabel").text, "Clean 11.89 GB")
        Settings.language = "id"
        compare(findChild(scope.item, "cleanLabel").text, "Bersihkan 11.89 GB")
        compare(findChild(findChild(scope.item, "target_npm"), "targetCaption").text,
                "Unduhan paket Node.js")
        Settings.language = "en"
        compare(findChild(scope.item, "cleanLabel").text, "Clean 11.89 GB")
    }
    Component {
        id: languageScope
        LanguageScope { width: 640; content: Component { QuickPane {} } }
    }
}
