import QtQuick
import QtQuick.Controls.Basic
import Vistrel.UiKit

// A small bordered push button.
Button {
    id: control

    implicitHeight: 22
    topPadding: 2
    bottomPadding: 2
    leftPadding: 10
    rightPadding: 10
    hoverEnabled: true
    font.pixelSize: Theme.caption
    Accessible.name: text

    contentItem: Label {
        text: control.text
        font: control.font
        color: Theme.label
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    background: Rectangle {
        radius: 5
        color: control.down ? "#e2e2e4" : control.hovered ? "#f7f7f8" : Theme.controlBackground
        border.width: 1
        border.color: control.visualFocus ? Theme.blue : Qt.rgba(0, 0, 0, 0.16)
    }
}
