import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// The running step of either run: its symbol, title and description, a spinner while it works,
// and a bar of the steps done out of the run's count.
Rectangle {
    id: card
    objectName: "stepCard"

    property string symbol
    property int symbolSize: 22
    property color symbolColor: Theme.blue
    property string title
    property string description
    property bool busy: true
    property int stepCount: 1
    property real progress: 0
    property int spinnerSize: 16
    property color spinnerColor: Qt.rgba(0, 0, 0, 0.7)
    property string spinnerName: "Busy"
    property string progressName: "Progress"

    implicitHeight: column.implicitHeight + 24
    radius: 10
    color: Theme.withAlpha(Theme.gray, 0.05)

    ColumnLayout {
        id: column
        x: 16
        y: 12
        width: Math.max(0, parent.width - 32)
        spacing: 12

        RowLayout {
            Layout.fillWidth: true
            spacing: 8

            Item {
                implicitWidth: 24
                implicitHeight: 24
                SymbolIcon {
                    objectName: "stepSymbol"
                    anchors.centerIn: parent
                    symbol: card.symbol
                    size: card.symbolSize
                    color: card.symbolColor
                }
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 2

                Label {
                    objectName: "stepTitle"
                    Layout.fillWidth: true
                    text: card.title
                    font.pixelSize: Theme.headline
                    font.weight: Theme.medium
                    color: Theme.label
                    wrapMode: Text.Wrap
                    Accessible.name: text
                }
                Label {
                    objectName: "stepDescription"
                    Layout.fillWidth: true
                    text: card.description
                    font.pixelSize: Theme.caption
                    color: Theme.secondaryLabel
                    wrapMode: Text.Wrap
                    Accessible.name: text
                }
            }
            Spinner {
                objectName: "stepSpinner"
                Accessible.name: card.spinnerName
                visible: card.busy
                size: card.spinnerSize
                color: card.spinnerColor
                scale: 0.8
            }
        }

        ProgressTrack {
            objectName: "stepProgress"
            Accessible.name: card.progressName
            Layout.fillWidth: true
            from: 0
            to: card.stepCount
            value: card.progress
        }
    }
}
