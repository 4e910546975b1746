import QtQuick
import Ampa

// A cache target's application icon when that application is installed, else its symbol tile.
Item {
    id: targetIcon
    // { app, icon, blockers } of a quick-clean target.
    property var target: ({})
    readonly property string appIcon: target.app
        ? Model.appIcon([target.app].concat(Array.from(target.blockers || []))) : ""

    implicitWidth: 28
    implicitHeight: 28

    Symbol {
        visible: targetIcon.appIcon !== ""
        name: targetIcon.appIcon
        size: 28
    }
    IconTile {
        visible: targetIcon.appIcon === ""
        symbol: targetIcon.target.icon || ""
    }
}
