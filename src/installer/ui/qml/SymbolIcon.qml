import QtQuick

// A system symbol (the models' vocabulary) drawn from the icon theme in one colour.
Image {
    id: icon

    property string symbol
    property color color: Theme.label
    property int size: 16

    width: size
    height: size
    sourceSize: Qt.size(size, size)
    fillMode: Image.PreserveAspectFit
    smooth: true
    asynchronous: false
    source: symbol.length > 0 ? "image://symbol/" + symbol + "?color=" + encodeURIComponent(color.toString()) : ""
    Accessible.role: Accessible.Graphic
    Accessible.name: symbol
}
