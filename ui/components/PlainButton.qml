import QtQuick
import Ampa

// A button on ButtonItem as a screen reader knows it: its role, name and state, and its press.
ButtonItem {
    id: button
    property string text
    property bool checkable: false

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.focusable: true
    Accessible.checkable: checkable
    Accessible.checked: checked
    Accessible.pressed: pressed
    Accessible.onPressAction: button.clicked()
}
