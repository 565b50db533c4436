import QtQuick
import Vistrel.UiKit

// A ".circle.fill" symbol at display size: a filled disc in the colour with the glyph cut out in
// white, as the system draws it.
Rectangle {
    id: disc
    property string symbol
    property int size: 48
    property alias glyphColor: glyph.color

    width: size
    height: size
    radius: size / 2
    color: Theme.blue

    SymbolIcon {
        id: glyph
        anchors.centerIn: parent
        symbol: disc.symbol
        size: Math.round(disc.size * 0.5)
        color: Theme.white
    }
}
