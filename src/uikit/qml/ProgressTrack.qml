import QtQuick
import QtQuick.Controls.Basic

// A linear progress bar: a thin rounded track with the accent fill.
ProgressBar {
    id: bar
    implicitHeight: 6
    Accessible.name: "Progress"

    background: Rectangle {
        implicitWidth: 200
        implicitHeight: 6
        radius: 3
        color: Qt.rgba(0, 0, 0, 0.08)
    }
    contentItem: Item {
        implicitHeight: 6
        Rectangle {
            width: bar.visualPosition * parent.width
            height: parent.height
            radius: 3
            color: Theme.blue
            Behavior on width {
                NumberAnimation { duration: 300; easing.type: Easing.InOutQuad }
            }
        }
    }
}
