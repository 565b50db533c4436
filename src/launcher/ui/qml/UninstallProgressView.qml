import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Launcher

// The run: the current step with a bar out of six, the log that follows its last line with a
// copy button, and the success card once the last step is reached.
ColumnLayout {
    id: progressView
    objectName: "uninstallProgressView"
    required property LauncherController launcher
    required property UninstallService service
    spacing: 20

    readonly property bool complete: service.currentStep.isComplete

    StepCard {
        Layout.fillWidth: true
        symbol: progressView.service.currentStep.symbol
        symbolSize: Theme.title2 + 2
        symbolColor: progressView.complete ? Theme.green : Theme.red
        title: qsTrId(progressView.service.currentStep.titleKey)
        description: qsTrId(progressView.service.currentStep.descriptionKey)
        busy: !progressView.complete
        stepCount: progressView.service.stepCount
        progress: progressView.service.progress
    }

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            TextLabel {
                objectName: "logTitleLabel"
                text: qsTrId("uninstall.log.title")
                font.pixelSize: Theme.subheadline
                font.weight: Theme.medium
            }
            Item {
                Layout.fillWidth: true
            }
            SystemButton {
                objectName: "copyLogButton"
                text: qsTrId("general.copy")
                controlSize: "small"
                onClicked: progressView.launcher.uninstaller.copyLog(progressView.service.log)
            }
        }

        LogPane {
            objectName: "logArea"
            Layout.fillWidth: true
            accessibleName: qsTrId("uninstall.log.title")
            fontFamily: progressView.launcher.monoFontFamily
            model: progressView.service.logModel
        }
    }

    Rectangle {
        objectName: "successCard"
        Layout.fillWidth: true
        visible: progressView.complete
        implicitHeight: successColumn.implicitHeight + 2 * Theme.standardPadding
        radius: 10
        color: Theme.withAlpha(Theme.green, 0.1)

        ColumnLayout {
            id: successColumn
            anchors.fill: parent
            anchors.margins: Theme.standardPadding
            spacing: 12
            TextLabel {
                objectName: "successLabel"
                Layout.fillWidth: true
                text: qsTrId("uninstall.success")
                font.pixelSize: Theme.headline
                font.weight: Theme.semibold
                color: Theme.green
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }
            TextLabel {
                objectName: "successDescriptionLabel"
                Layout.fillWidth: true
                text: qsTrId("uninstall.successDescription")
                font.pixelSize: Theme.subheadline
                color: Theme.secondaryLabel
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }
            SystemButton {
                objectName: "closeButton"
                Layout.alignment: Qt.AlignHCenter
                text: qsTrId("uninstall.close")
                prominent: true
                controlSize: "large"
                onClicked: progressView.launcher.uninstaller.closeAfterUninstall()
            }
        }
    }
}
