import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit

// The failure that stopped the run. It slides in when it appears.
Rectangle {
    id: card
    objectName: "uninstallErrorCard"
    required property string error

    implicitHeight: row.implicitHeight + 2 * 12
    radius: 8
    color: Theme.withAlpha(Theme.red, 0.1)
    border.width: 1
    border.color: Theme.withAlpha(Theme.red, 0.3)

    transform: Translate { id: slide }
    Component.onCompleted: entrance.start()
    ParallelAnimation {
        id: entrance
        NumberAnimation { target: slide; property: "y"; from: -16; to: 0; duration: 250; easing.type: Easing.OutCubic }
        NumberAnimation { target: card; property: "opacity"; from: 0; to: 1; duration: 250 }
    }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.topMargin: 12
        anchors.bottomMargin: 12
        spacing: 10

        SymbolIcon {
            Layout.alignment: Qt.AlignVCenter
            symbol: "exclamationmark.triangle.fill"
            size: Theme.title3 + 3
            color: Theme.red
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            TextLabel {
                objectName: "uninstallErrorLabel"
                Layout.fillWidth: true
                text: qsTrId("uninstall.error")
                font.weight: Theme.medium
                wrapMode: Text.Wrap
            }
            TextLabel {
                objectName: "uninstallErrorMessageLabel"
                Layout.fillWidth: true
                text: card.error
                font.pixelSize: Theme.caption
                color: Theme.secondaryLabel
                wrapMode: Text.Wrap
            }
        }
    }
}
