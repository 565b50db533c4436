import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Launcher

// Camera and microphone access, and the ways to obtain it. Continue is offered only when both
// are authorized; otherwise the two settings buttons and Refresh Status (fixed texts).
Rectangle {
    id: panel
    objectName: "permissionsPanel"
    required property ServiceManager serviceManager
    required property CaptureAccess captureAccess

    implicitHeight: column.implicitHeight + 2 * Theme.standardPadding
    radius: 10
    color: Theme.withAlpha(Theme.orange, 0.1)

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: Theme.standardPadding
        spacing: 15

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 4
            TextLabel {
                objectName: "permissionsTitleLabel"
                Layout.alignment: Qt.AlignHCenter
                text: qsTrId("permissions.title")
                font.pixelSize: Theme.headline
                font.weight: Theme.semibold
                color: Theme.orange
            }
            TextLabel {
                objectName: "permissionsDescriptionLabel"
                Layout.fillWidth: true
                text: qsTrId("permissions.description")
                font.pixelSize: Theme.caption
                color: Theme.secondaryLabel
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 6
            PermissionRow {
                objectName: "cameraPermissionRow"
                Layout.fillWidth: true
                icon: "camera.fill"
                title: qsTrId("permissions.camera")
                status: panel.captureAccess.cameraStatus
                statusKey: panel.captureAccess.statusKey(panel.captureAccess.cameraStatus)
            }
            PermissionRow {
                objectName: "microphonePermissionRow"
                Layout.fillWidth: true
                icon: "mic.fill"
                title: qsTrId("permissions.microphone")
                status: panel.captureAccess.micStatus
                statusKey: panel.captureAccess.statusKey(panel.captureAccess.micStatus)
            }
        }

        SystemButton {
            objectName: "continueButton"
            Layout.fillWidth: true
            visible: panel.captureAccess.permissionsGranted
            text: qsTrId("permissions.continueButton")
            symbol: "checkmark.circle.fill"
            prominent: true
            tint: Theme.green
            controlSize: "large"
            labelWeight: Theme.semibold
            labelMargin: 12
            onClicked: panel.serviceManager.checkStatus()
        }

        ColumnLayout {
            Layout.fillWidth: true
            visible: !panel.captureAccess.permissionsGranted
            spacing: 8

            RowLayout {
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 4
                spacing: 10
                SystemButton {
                    objectName: "cameraSettingsButton"
                    text: "Camera Settings"
                    symbol: "camera.badge.ellipsis"
                    onClicked: panel.captureAccess.openPrivacySettings("camera")
                }
                SystemButton {
                    objectName: "micSettingsButton"
                    text: "Mic Settings"
                    symbol: "mic.badge.plus"
                    onClicked: panel.captureAccess.openPrivacySettings("microphone")
                }
            }
            SystemButton {
                objectName: "refreshStatusButton"
                Layout.fillWidth: true
                text: "Refresh Status"
                symbol: "arrow.clockwise"
                prominent: true
                tint: Theme.orange
                labelWeight: Theme.semibold
                labelMargin: 8
                onClicked: panel.captureAccess.update()
            }
        }
    }
}
