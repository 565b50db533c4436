import QtQuick

// The small indeterminate spinner: twelve spokes with a fading tail.
Item {
    id: spinner
    property int size: 16
    property color color: Qt.rgba(0, 0, 0, 0.7)
    property bool running: true
    property int step: 0

    implicitWidth: size
    implicitHeight: size
    Accessible.role: Accessible.Animation
    Accessible.name: "Busy"

    Repeater {
        model: 12
        Rectangle {
            required property int index
            x: (spinner.width - width) / 2
            y: 0
            width: Math.max(1.5, spinner.size / 10)
            height: spinner.size * 0.28
            radius: width / 2
            color: spinner.color
            opacity: 0.15 + 0.85 * (((index - spinner.step + 12) % 12) / 11)
            transform: Rotation {
                origin.x: width / 2
                origin.y: spinner.size / 2
                angle: index * 30
            }
        }
    }

    Timer {
        interval: 83
        repeat: true
        running: spinner.running && spinner.visible
        onTriggered: spinner.step = (spinner.step + 1) % 12
    }
}
