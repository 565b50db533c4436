import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Launcher

// The status card: a dot in the state's colour, the state's title, a spinner while checking or
// starting, and the detail line (the port, or the error message) when the state has one. Below
// it, when the service manager knows why the server is not answering: the reason, the error
// log's last lines and a way to the logs.
Rectangle {
    id: card
    objectName: "statusCard"
    required property ServiceManager serviceManager
    property string monoFontFamily
    readonly property JobAccount jobAccount: serviceManager.jobAccount

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
            SystemButton {
                objectName: "showLogsButton"
                Layout.leftMargin: 4
                visible: card.jobAccount.hasExitReason
                controlSize: "small"
                symbol: "doc.text"
                text: qsTrId("action.showLogs")
                onClicked: card.jobAccount.showLogs()
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

        TextLabel {
            objectName: "exitReasonLabel"
            Layout.alignment: Qt.AlignHCenter
            Layout.maximumWidth: column.width
            visible: card.jobAccount.hasExitReason
            text: card.jobAccount.exitReasonText
            textFormat: Text.PlainText
            font.pixelSize: Theme.caption
            color: Theme.red
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }

        // The server's own words, one row per line and as plain text (a log line is never markup),
        // each cut to the card: the newest line is always the last row.
        Column {
            id: logTail
            objectName: "errorLogTail"
            Layout.fillWidth: true
            visible: card.jobAccount.hasExitReason && card.jobAccount.errorLogTail.length > 0

            Repeater {
                model: card.jobAccount.errorLogTail
                TextLabel {
                    objectName: "errorLogLine"
                    width: logTail.width
                    text: modelData
                    textFormat: Text.PlainText
                    font.family: card.monoFontFamily
                    font.pixelSize: Theme.caption2
                    color: Theme.secondaryLabel
                    wrapMode: Text.NoWrap
                    maximumLineCount: 1
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignLeft
                }
            }
        }
    }
}
