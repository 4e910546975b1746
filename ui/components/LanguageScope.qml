import QtQuick
import Ampa

// Holds a view tree and builds it anew when the language changes, so that every text is made
// again in the new language.
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
    Connections {
        target: Settings
        function onLanguageChanged() {
            loader.active = false
            loader.active = true
        }
    }
}
