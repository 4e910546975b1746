pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Ampa

// A choice of a few values in the window's own style: a capsule like the pill buttons, the
// value and a chevron; its list in the window's colours.
ComboBox {
    id: control
    implicitHeight: 28
    leftPadding: 12
    rightPadding: 28
    font.pixelSize: Theme.callout

    contentItem: Text {
        text: control.displayText
        font: control.font
        color: Theme.text
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    indicator: Text {
        x: control.width - width - 12
        y: (control.height - height) / 2
        text: "\u25be"
        font.pixelSize: Theme.callout
        color: Theme.secondaryText
    }
    background: Rectangle {
        radius: height / 2
        color: control.down ? Theme.primary(0.08) : Theme.control
        border.width: 1
        border.color: Theme.primary(0.12)
        FocusRing { control: control; radius: height / 2 }
    }
    // Its own colours: a popup takes the palette of the window, not of the view it opens from.
    delegate: ItemDelegate {
        id: choiceItem
        required property int index
        required property var modelData
        width: control.popup.availableWidth
        highlighted: control.highlightedIndex === choiceItem.index
        text: control.textRole ? choiceItem.modelData[control.textRole] : choiceItem.modelData
        font: control.font
        leftPadding: 12
        contentItem: Text {
            text: choiceItem.text
            font: choiceItem.font
            color: choiceItem.highlighted ? Theme.textOnAccent : Theme.text
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
        background: Rectangle {
            radius: 6
            color: choiceItem.highlighted ? Theme.accent : "transparent"
        }
    }
    popup.background: Rectangle {
        radius: 8
        color: Theme.control
        border.width: 1
        border.color: Theme.primary(0.15)
    }
}
