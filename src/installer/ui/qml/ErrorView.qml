import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit

// The error card: a red warning sign, the heading and the error's own text.
Rectangle {
    id: card

    property string error

    objectName: "errorCard"
    implicitHeight: row.implicitHeight + 24
    radius: 8
    color: Theme.withAlpha(Theme.red, 0.1)
    border.width: 1
    border.color: Theme.withAlpha(Theme.red, 0.3)

    RowLayout {
        id: row

        x: 16
        y: 12
        width: Math.max(0, parent.width - 32)
        spacing: 12

        SymbolIcon {
            Layout.alignment: Qt.AlignVCenter
            symbol: "exclamationmark.triangle.fill"
            size: 20
            color: Theme.red
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2

            Label {
                objectName: "errorTitle"
                Layout.fillWidth: true
                text: qsTrId("ui.installationError")
                font.weight: Theme.medium
                color: Theme.label
                wrapMode: Text.Wrap
                Accessible.name: text
            }
            Label {
                objectName: "errorMessage"
                Layout.fillWidth: true
                text: card.error
                font.pixelSize: Theme.caption
                color: Theme.secondaryLabel
                wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                Accessible.name: text
            }
        }
    }
}
