import QtQuick
import QtTest
import Ampa

TestCase {
    id: testCase
    name: "DownloadsAndApps"
    width: 1500
    height: 900
    visible: true
    when: windowShown

    Component {
        id: bothPanes
        Row {
            property alias downloads: downloads
            property alias apps: apps
            DownloadsPane { id: downloads; width: 720 }
            DownloadsPane { id: apps; apps: true; width: 720 }
        }
    }

    function init() {
        Settings.language = "en"
        Settings.downloadsLayout = "grid"
        Model.loadDemo()
        Model.setScanningAdvForTest(false)
    }

    function test_arrangementIsSharedByBothPanes() {
        const panes = createTemporaryObject(bothPanes, testCase)
        verify(findChild(panes.downloads, "tiles").visible)
        waitForRendering(panes)
        mouseClick(findChild(panes.downloads, "arrange_list"))
        compare(Settings.downloadsLayout, "list")
        verify(findChild(panes.downloads, "rows").visible)
        verify(!findChild(panes.downloads, "tiles").visible)
        verify(findChild(panes.apps, "arrange_list").checked)
        mouseClick(findChild(panes.apps, "arrange_grid"))
        verify(findChild(panes.downloads, "tiles").visible)
    }

    function test_emptyScanningAndFilled() {
        const panes = createTemporaryObject(bothPanes, testCase)
        // Filled: six sample downloads; no sample application exists here.
        compare(findChild(panes.downloads, "countText").text, "6 largest items")
        verify(!findChild(panes.downloads, "emptyBox").visible)
        // No count when there is nothing to count.
        verify(!findChild(panes.apps, "countText").visible)
        verify(findChild(panes.apps, "emptyBox").visible)
        // Scanning with an empty list: the chip instead of the empty text.
        Model.clearListsForTest()
        Model.setScanningAdvForTest(true)
        verify(!findChild(panes.downloads, "emptyBox").visible)
        Model.setScanningAdvForTest(false)
        verify(findChild(panes.downloads, "emptyBox").visible)
        verify(!findChild(panes.downloads, "countText").visible)
    }

    // A tile from the keyboard: Tab reaches it, its buttons show with the focus ring, and the
    // Menu key or Shift+F10 opens its menu.
    function test_tileFromTheKeyboard_data() {
        return [{ tag: "Menu key", key: Qt.Key_Menu, modifiers: Qt.NoModifier },
                { tag: "Shift+F10", key: Qt.Key_F10, modifiers: Qt.ShiftModifier }]
    }
    function test_tileFromTheKeyboard(data) {
        const panes = createTemporaryObject(bothPanes, testCase)
        waitForRendering(panes)
        let tile = null
        for (let step = 0; step < 20 && !tile; ++step) {
            keyClick(Qt.Key_Tab)
            const focused = testCase.Window.activeFocusItem
            if (focused && focused.objectName.startsWith("tile_"))
                tile = focused
        }
        verify(tile !== null, "Tab never reached a tile")
        verify(findChild(tile, "focusRing").visible)
        verify(findChild(tile, "reveal").visible)
        verify(tile.Accessible.name.indexOf(", ") > 0)
        const menu = findChild(tile, "tileMenu")
        keyClick(data.key, data.modifiers)
        tryCompare(menu, "opened", true)
        menu.close()
        // The next Tab goes to the next item, not into buttons that hide with the focus.
        tile.forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Tab)
        verify(testCase.Window.activeFocusItem.objectName.startsWith("tile_"))
        verify(testCase.Window.activeFocusItem !== tile)
    }

    function test_rowFromTheKeyboard() {
        Settings.downloadsLayout = "list"
        const panes = createTemporaryObject(bothPanes, testCase)
        waitForRendering(panes)
        let row = null
        for (let step = 0; step < 20 && !row; ++step) {
            keyClick(Qt.Key_Tab)
            const focused = testCase.Window.activeFocusItem
            if (focused && focused.objectName.startsWith("downloadRow_"))
                row = focused
        }
        verify(row !== null, "Tab never reached a row")
        verify(findChild(row, "focusRing").visible)
        verify(findChild(row, "reveal").visible)
        keyClick(Qt.Key_Down)
        const below = testCase.Window.activeFocusItem
        verify(below !== row && below.objectName.startsWith("downloadRow_"))
        keyClick(Qt.Key_Up)
        compare(testCase.Window.activeFocusItem, row)
    }

    // Arrows go from tile to tile: along a row, and by a row up and down; the ends stay put.
    function test_arrowsMoveAmongTiles() {
        const panes = createTemporaryObject(bothPanes, testCase)
        waitForRendering(panes)
        const grid = findChild(panes.downloads, "tiles")
        verify(grid.columns > 1 && grid.columns < 6, grid.columns + " columns")
        const tiles = Array.from(grid.children).filter(child => child.objectName.startsWith("tile_"))
        tiles[0].forceActiveFocus(Qt.TabFocusReason)
        const focused = () => testCase.Window.activeFocusItem
        keyClick(Qt.Key_Left)
        compare(focused(), tiles[0])
        keyClick(Qt.Key_Right)
        compare(focused(), tiles[1])
        keyClick(Qt.Key_Down)
        compare(focused(), tiles[1 + grid.columns])
        keyClick(Qt.Key_Up)
        compare(focused(), tiles[1])
        keyClick(Qt.Key_Up)
        compare(focused(), tiles[1])
    }

    // A folder's icon is drawn in colour like the file types' icons, not as a black shape.
    Component { id: fileIcon; FileIcon { size: 36 } }
    function test_folderIconInColour() {
        const icon = createTemporaryObject(fileIcon, testCase, { path: Model.homeFolderUrl.toString().replace("file://", "") + "/Videos" })
        compare(icon.name, "folder")
        const drawing = findChild(icon, "drawing")
        tryCompare(drawing, "status", Image.Ready)
        waitForRendering(icon)
        const image = grabImage(icon)
        let coloured = 0
        for (let x = 0; x < icon.width; x += 3) {
            for (let y = 0; y < icon.height; y += 3) {
                const c = image.pixel(x, y)
                if (c.a > 0.5 && Math.max(c.r, c.g, c.b) - Math.min(c.r, c.g, c.b) > 0.3)
                    ++coloured
            }
        }
        verify(coloured > 10, "the folder's icon has " + coloured + " coloured points")
    }

    // A lone tile keeps to its column.
    function test_loneTileKeepsToItsColumn() {
        const panes = createTemporaryObject(bothPanes, testCase)
        Model.setAppsForTest(["Editor.AppImage"])
        const grid = findChild(panes.apps, "tiles")
        tryVerify(() => grid.visible && grid.children.length > 0)
        waitForRendering(panes)
        const tile = grid.children[0]
        verify(grid.columns >= 4)
        verify(tile.width <= grid.width / grid.columns + 1, tile.width + " of " + grid.width)
    }
}
