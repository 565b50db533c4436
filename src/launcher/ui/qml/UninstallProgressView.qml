import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.Launcher

// The run: the current step with a bar out of six, the log that follows its last line with a
// copy button, and the success card once the last step is reached.
ColumnLayout {
    id: progressView
    objectName: "uninstallProgressView"
    required property LauncherController launcher
    required property var service
    required property var tr
    spacing: 20

    readonly property var step: service.currentStep
    readonly property bool complete: step.isComplete

    Rectangle {
        objectName: "stepCard"
        Layout.fillWidth: true
        implicitHeight: stepColumn.implicitHeight + 2 * 12
        radius: 10
        color: Theme.withAlpha(Theme.gray, 0.05)

        ColumnLayout {
            id: stepColumn
            anchors.fill: parent
            anchors.leftMargin: 16
            anchors.rightMargin: 16
            anchors.topMargin: 12
            anchors.bottomMargin: 12
            spacing: 12

            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                Item {
                    implicitWidth: 24
                    implicitHeight: 22
                    SymbolIcon {
                        objectName: "stepSymbol"
                        anchors.centerIn: parent
                        symbol: progressView.step.symbol
                        size: Theme.title2 + 2
                        color: progressView.complete ? Theme.green : Theme.red
                    }
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 2
                    TextLabel {
                        objectName: "stepTitleLabel"
                        Layout.fillWidth: true
                        text: {
                            progressView.launcher.localization.currentLanguage
                            return progressView.launcher.localization.uninstallStepTitle(progressView.step.caseName)
                        }
                        font.pixelSize: Theme.headline
                        font.weight: Theme.medium
                        wrapMode: Text.Wrap
                    }
                    TextLabel {
                        objectName: "stepDescriptionLabel"
                        Layout.fillWidth: true
                        text: {
                            progressView.launcher.localization.currentLanguage
                            return progressView.launcher.localization.uninstallStepDescription(progressView.step.caseName)
                        }
                        font.pixelSize: Theme.caption
                        color: Theme.secondaryLabel
                        wrapMode: Text.Wrap
                    }
                }
                Spinner {
                    objectName: "stepSpinner"
                    visible: !progressView.complete
                    scale: 0.8
                }
            }

            ProgressTrack {
                objectName: "uninstallProgressBar"
                Layout.fillWidth: true
                from: 0
                to: progressView.service.stepCount
                value: progressView.service.progress
            }
        }
    }

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            TextLabel {
                objectName: "logTitleLabel"
                text: progressView.tr("uninstall.log.title")
                font.pixelSize: Theme.subheadline
                font.weight: Theme.medium
            }
            Item {
                Layout.fillWidth: true
            }
            SystemButton {
                objectName: "copyLogButton"
                text: progressView.tr("general.copy")
                controlSize: "small"
                onClicked: progressView.launcher.uninstaller.copyLog(progressView.service.log)
            }
        }

        Rectangle {
            objectName: "logArea"
            Layout.fillWidth: true
            implicitHeight: 120
            radius: 6
            color: Theme.textBackground
            border.width: 1
            border.color: Theme.withAlpha(Theme.gray, 0.2)
            clip: true

            ListView {
                id: logView
                objectName: "logView"
                anchors.fill: parent
                anchors.leftMargin: 12
                anchors.rightMargin: 12
                anchors.topMargin: 8
                anchors.bottomMargin: 8
                spacing: 1
                clip: true
                boundsBehavior: Flickable.StopAtBounds
                Accessible.role: Accessible.List
                Accessible.name: progressView.tr("uninstall.log.title")
                model: progressView.service.logModel
                delegate: TextLabel {
                    required property string line
                    required property int index
                    objectName: "logLine" + index
                    text: line
                    width: logView.width - 8
                    font.family: progressView.launcher.monoFontFamily
                    font.pixelSize: Theme.caption
                    color: Theme.secondaryLabel
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignLeft
                }
                ScrollBar.vertical: ScrollBar {
                    objectName: "logScrollBar"
                    Accessible.name: "Scroll"
                    policy: ScrollBar.AlwaysOn
                    visible: logView.contentHeight > logView.height
                    rightPadding: 0
                }

                // Follow the last line.
                NumberAnimation {
                    id: follow
                    target: logView
                    property: "contentY"
                    duration: 300
                    easing.type: Easing.OutQuad
                }
                onCountChanged: {
                    if (count === 0)
                        return
                    Qt.callLater(scrollToEnd)
                }
                function scrollToEnd() {
                    follow.stop()
                    const from = contentY
                    positionViewAtEnd()
                    const to = contentY
                    contentY = from
                    if (to !== from) {
                        follow.from = from
                        follow.to = to
                        follow.start()
                    }
                }
            }
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
                text: progressView.tr("uninstall.success")
                font.pixelSize: Theme.headline
                font.weight: Theme.semibold
                color: Theme.green
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }
            TextLabel {
                objectName: "successDescriptionLabel"
                Layout.fillWidth: true
                text: progressView.tr("uninstall.successDescription")
                font.pixelSize: Theme.subheadline
                color: Theme.secondaryLabel
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
            }
            SystemButton {
                objectName: "closeButton"
                Layout.alignment: Qt.AlignHCenter
                text: progressView.tr("uninstall.close")
                prominent: true
                controlSize: "large"
                onClicked: progressView.launcher.uninstaller.closeAfterUninstall()
            }
        }
    }
}
