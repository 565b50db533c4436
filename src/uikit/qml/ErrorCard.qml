import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// The failure that stopped a run: a red warning sign, the heading, the error's own text and, when
// there is one, a note on what became of things.
Rectangle {
    id: card
    objectName: "errorCard"

    property string title
    property string error
    property string note
    property int symbolSize: 20
    property int spacing: 12

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
        spacing: card.spacing

        SymbolIcon {
            Layout.alignment: Qt.AlignVCenter
            symbol: "exclamationmark.triangle.fill"
            size: card.symbolSize
            color: Theme.red
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2

            Label {
                objectName: "errorTitle"
                Layout.fillWidth: true
                text: card.title
                font.pixelSize: Theme.body
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
            Label {
                objectName: "errorNote"
                Layout.fillWidth: true
                Layout.topMargin: 4
                visible: card.note !== ""
                text: card.note
                font.pixelSize: Theme.caption
                font.weight: Theme.medium
                color: Theme.label
                wrapMode: Text.Wrap
                Accessible.name: text
            }
        }
    }
}
