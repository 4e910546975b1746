import QtQuick
import Ampa

Text {
    topPadding: 8
    font.pixelSize: Theme.title3
    font.weight: Font.DemiBold
    color: Theme.text
}
