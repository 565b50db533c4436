import QtQuick
import QtQuick.Layouts
import Vistrel.Launcher

// The status card: a dot in the state's colour, the state's title, a spinner while checking or
// starting, and the detail line (the port, or the error message) when the state has one.
Rectangle {
    id: card
    objectName: "statusCard"
    required property var serviceManager

    implicitHeight: column.implicitHeight + 2 * Theme.standardPadding
    radius: 8
    color: Theme.controlBackground
    border.width: 1
    border.color: Theme.cardOutline

    ColumnLayout {
        id: column
        anchors.centerIn: parent
        width: parent.width - 2 * Theme.standardPadding
        spacing: 8

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 8

            Rectangle {
                objectName: "statusDot"
                implicitWidth: 12
                implicitHeight: 12
                radius: 6
                color: Theme.roleColor(card.serviceManager.statusColorRole)
            }
            TextLabel {
                objectName: "statusTitleLabel"
                text: card.serviceManager.statusTitle
                font.weight: Theme.medium
            }
            Spinner {
                objectName: "statusSpinner"
                visible: card.serviceManager.statusShowsProgress
                scale: 0.8
            }
        }

        TextLabel {
            objectName: "statusDetailLabel"
            Layout.alignment: Qt.AlignHCenter
            Layout.maximumWidth: column.width
            visible: card.serviceManager.hasStatusDetail
            text: card.serviceManager.statusDetail
            font.pixelSize: Theme.caption
            color: Theme.secondaryLabel
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }
    }
}
