import QtQuick
import Ampa

// Holds a view tree and builds it anew when the language changes, so that every text is made
// again in the new language. The keyboard stays on the control it was on (a language chosen from
// the keyboard leaves it on the language's own choice): the same control of the new tree, found
// by its object name, which does not depend on the language.
Item {
    id: scope
    property Component content
    property alias item: loader.item

    implicitWidth: loader.implicitWidth
    implicitHeight: loader.implicitHeight

    Loader {
        id: loader
        anchors.fill: parent
        sourceComponent: scope.content
    }

    // The names of the focused item and its named ancestors, nearest first.
    function namesOf(item: Item): var {
        const names = []
        for (let at = item; at; at = at.parent) {
            if (at.objectName !== "")
                names.push(at.objectName)
        }
        return names
    }
    function find(root: Item, name: string): Item {
        if (root.objectName === name && root.visible)
            return root
        for (let i = 0; i < root.children.length; ++i) {
            const found = find(root.children[i], name)
            if (found)
                return found
        }
        return null
    }
    function refocus(names: var) {
        const root = scope.Window.contentItem
        if (!root)
            return
        for (const name of names) {
            const found = find(root, name)
            if (found && found.activeFocusOnTab) {
                found.forceActiveFocus(Qt.OtherFocusReason)
                return
            }
        }
    }

    Connections {
        target: Settings
        function onLanguageChanged() {
            const focused = scope.Window.activeFocusItem
            const names = focused ? scope.namesOf(focused) : []
            loader.active = false
            loader.active = true
            if (names.length > 0)
                Qt.callLater(scope.refocus, names)
        }
    }
}
