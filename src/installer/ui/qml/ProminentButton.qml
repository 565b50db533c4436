import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit

// The large, filled accent button: symbol and text centred on the full width.
Button {
    id: control

    property string symbol

    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    topPadding: 12
    bottomPadding: 12
    leftPadding: 16
    rightPadding: 16
    hoverEnabled: true
    font.pixelSize: Theme.body + 1
    font.weight: Theme.semibold
    Accessible.name: text

    contentItem: Item {
        implicitWidth: row.implicitWidth
        implicitHeight: row.implicitHeight

        RowLayout {
            id: row
            anchors.centerIn: parent
            width: Math.min(implicitWidth, parent.width)
            spacing: 8

            SymbolIcon {
                visible: control.symbol.length > 0
                symbol: control.symbol
                size: 16
                color: "#ffffff"
            }
            Label {
                Layout.fillWidth: true
                text: control.text
                font: control.font
                color: "#ffffff"
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignHCenter
            }
        }
    }

    background: Rectangle {
        radius: 8
        color: !control.enabled ? Theme.withAlpha(Theme.blue, 0.35)
             : control.down ? Theme.bluePressed
             : control.hovered ? Theme.blueHover : Theme.blue
        border.width: control.visualFocus ? 2 : 0
        border.color: Theme.withAlpha("#ffffff", 0.7)

        Behavior on color { ColorAnimation { duration: 120 } }
    }
}
