import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit

// A push button in two styles: bordered (light face, dark or tinted label) and prominent (face
// in the tint, white label); three control sizes; an optional leading symbol.
Button {
    id: control
    property string symbol
    property bool prominent: false
    property color tint: Theme.blue
    property color labelColor: prominent ? Theme.white : Theme.label
    property string controlSize: "regular" // "small", "regular", "large"
    // Extra room above and below the label (tall prominent buttons).
    property int labelMargin: 0
    property int labelWeight: prominent && controlSize === "large" ? Theme.medium : Font.Normal

    readonly property int faceHeight: controlSize === "small" ? 22 : controlSize === "large" ? 34 : 28

    implicitHeight: Math.max(faceHeight, label.implicitHeight + 2 * labelMargin)
    implicitWidth: contentItem.implicitWidth + leftPadding + rightPadding
    // Layouts may stretch a button, never squeeze its label.
    Layout.minimumWidth: implicitWidth
    leftPadding: controlSize === "small" ? 9 : controlSize === "large" ? 16 : 10
    rightPadding: leftPadding
    topPadding: 0
    bottomPadding: 0
    font.pixelSize: controlSize === "small" ? Theme.caption : controlSize === "large" ? Theme.headline : Theme.body
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus
    Accessible.name: text

    contentItem: Item {
        implicitWidth: row.implicitWidth
        implicitHeight: row.implicitHeight
        Row {
            id: row
            anchors.centerIn: parent
            spacing: control.controlSize === "small" ? 4 : 6
            SymbolIcon {
                anchors.verticalCenter: parent.verticalCenter
                visible: control.symbol.length > 0
                symbol: control.symbol
                size: control.font.pixelSize + 3
                color: control.labelColor
            }
            Text {
                id: label
                anchors.verticalCenter: parent.verticalCenter
                text: control.text
                font.family: control.font.family
                font.pixelSize: control.font.pixelSize
                font.weight: control.labelWeight
                color: control.labelColor
                elide: Text.ElideRight
                Accessible.ignored: true
            }
        }
    }

    background: Rectangle {
        radius: control.controlSize === "small" ? 5 : control.controlSize === "large" ? 8 : 6
        color: {
            if (control.prominent) {
                if (control.down)
                    return Qt.darker(control.tint, 1.18)
                return control.hovered ? Qt.lighter(control.tint, 1.06) : control.tint
            }
            if (control.down)
                return "#e4e4e6"
            return control.hovered ? "#f6f6f7" : "#ffffff"
        }
        border.width: control.visualFocus ? 2 : (control.prominent ? 0 : 1)
        border.color: control.visualFocus ? Theme.withAlpha(Theme.blue, 0.6) : Qt.rgba(0, 0, 0, 0.16)
        opacity: control.enabled ? 1 : 0.5

        // A hairline shadow under the face, as desktop push buttons have.
        Rectangle {
            z: -1
            anchors.fill: parent
            anchors.topMargin: 1
            anchors.bottomMargin: -1
            radius: parent.radius
            color: Qt.rgba(0, 0, 0, control.prominent ? 0.12 : 0.06)
        }
    }
}
