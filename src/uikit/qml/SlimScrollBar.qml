import QtQuick
import QtQuick.Controls.Basic

// A slim scroll bar, shown whenever the content is taller than its view.
ScrollBar {
    id: bar

    property bool overflowing: size < 1.0

    policy: overflowing ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
    padding: 2
    minimumSize: 0.1

    contentItem: Rectangle {
        implicitWidth: 6
        radius: 3
        color: Qt.rgba(0, 0, 0, bar.pressed ? 0.45 : bar.hovered ? 0.35 : 0.25)
    }
    background: null
}
