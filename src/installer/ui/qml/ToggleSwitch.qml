import QtQuick
import QtQuick.Controls.Basic
import Vistrel.UiKit

// A switch with its label at the leading edge and the control at the trailing edge.
Switch {
    id: control

    padding: 0
    spacing: 12
    hoverEnabled: true
    font.pixelSize: Theme.body

    indicator: Rectangle {
        implicitWidth: 36
        implicitHeight: 20
        x: control.width - width - control.rightPadding
        y: control.topPadding + (control.availableHeight - height) / 2
        radius: height / 2
        color: control.checked ? Theme.blue : Qt.rgba(0, 0, 0, 0.12)
        border.width: control.visualFocus ? 2 : 0
        border.color: Theme.withAlpha(Theme.blue, 0.5)

        Behavior on color { ColorAnimation { duration: 150 } }

        Rectangle {
            width: parent.height - 4
            height: width
            radius: width / 2
            y: 2
            x: control.checked ? parent.width - width - 2 : 2
            color: control.down ? "#f2f2f2" : "#ffffff"
            border.width: 1
            border.color: Qt.rgba(0, 0, 0, 0.08)

            Behavior on x { NumberAnimation { duration: 150; easing.type: Easing.InOutQuad } }
        }
    }

    contentItem: Label {
        text: control.text
        font: control.font
        color: Theme.label
        rightPadding: control.indicator.width + control.spacing
        verticalAlignment: Text.AlignVCenter
        wrapMode: Text.Wrap
    }
}
