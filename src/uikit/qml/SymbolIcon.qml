import QtQuick

// A symbol by the models' name, drawn from the icon theme in one colour, size × size.
Item {
    id: icon
    property string symbol
    property color color: Theme.label
    property int size: 16
    readonly property alias status: picture.status

    implicitWidth: size
    implicitHeight: size
    Accessible.ignored: true

    Image {
        id: picture
        anchors.fill: parent
        sourceSize: Qt.size(icon.size * 2, icon.size * 2)
        fillMode: Image.PreserveAspectFit
        smooth: true
        source: icon.symbol.length > 0
                ? "image://symbol/" + icon.symbol + "?color=" + encodeURIComponent(String(icon.color)) : ""
    }
}
