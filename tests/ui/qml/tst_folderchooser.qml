import QtQuick
import QtTest
import Ampa

// The project folder chooser opens from what the package depends on, in the home folder, without
// a portal (none runs here); when it cannot, the window says so.
TestCase {
    id: testCase
    name: "FolderChooser"
    width: 800
    height: 600
    visible: true
    when: windowShown

    Component { id: chooser; ProjectFolderDialog {} }

    function test_opensInTheHome() {
        const dialog = createTemporaryObject(chooser, testCase)
        dialog.choose()
        tryVerify(() => dialog.visible, 5000, "the folder chooser did not open")
        compare(dialog.currentFolder.toString(), Model.homeFolderUrl.toString())
        dialog.close()
        tryVerify(() => !dialog.visible)
    }
}
