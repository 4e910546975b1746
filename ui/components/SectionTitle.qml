import QtQuick
import Ampa

Text {
    topPadding: 8
    font.pixelSize: Palette.title3
    font.weight: Font.DemiBold
    color: Palette.text
}
