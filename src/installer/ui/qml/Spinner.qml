import QtQuick
import QtQuick.Controls.Basic

// An indeterminate spinner in the system's style: twelve spokes fading around the circle.
BusyIndicator {
    id: control

    implicitWidth: 20
    implicitHeight: 20
    padding: 0
    background: null

    contentItem: Item {
        id: spokes

        Repeater {
            model: 12
            Rectangle {
                required property int index
                x: (spokes.width - width) / 2
                y: 0
                width: Math.max(2, spokes.width / 10)
                height: spokes.height * 0.28
                radius: width / 2
                color: Theme.label
                opacity: 0.12 + 0.88 * index / 11
                transform: Rotation {
                    origin.x: width / 2
                    origin.y: spokes.height / 2
                    angle: index * 30
                }
            }
        }

        NumberAnimation on rotation {
            running: control.running && control.visible
            from: 0
            to: 360
            duration: 1000
            loops: Animation.Infinite
        }
    }
}
