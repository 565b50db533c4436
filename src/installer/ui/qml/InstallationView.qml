import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.Installer

// The running step with its progress, the live log with Copy, and at the end the open button.
ColumnLayout {
    id: installation

    required property QtObject localization
    required property QtObject service

    // The open button has appeared; the body scrolls it into view.
    signal openButtonShown(Item button)

    function localized(key) {
        return qsTrId(key)
    }

    objectName: "installationScreen"
    spacing: 20

    Rectangle {
        objectName: "stepCard"
        Layout.fillWidth: true
        implicitHeight: card.implicitHeight + 24
        radius: 10
        color: Theme.withAlpha(Theme.gray, 0.05)

        ColumnLayout {
            id: card

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
                        symbol: installation.service.currentStepSymbol
                        size: 22
                        color: installation.service.isComplete ? Theme.green : Theme.blue
                    }
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 2

                    Label {
                        objectName: "stepTitle"
                        Layout.fillWidth: true
                        text: installation.localized(installation.service.currentStepTitleKey)
                        font.pixelSize: Theme.headline
                        font.weight: Theme.medium
                        color: Theme.label
                        wrapMode: Text.Wrap
                        Accessible.name: text
                    }
                    Label {
                        objectName: "stepDescription"
                        Layout.fillWidth: true
                        text: installation.localized(installation.service.currentStepDescriptionKey)
                        font.pixelSize: Theme.caption
                        color: Theme.secondaryLabel
                        wrapMode: Text.Wrap
                        Accessible.name: text
                    }
                }
                Spinner {
                    objectName: "stepSpinner"
                    Accessible.name: "Working"
                    visible: !installation.service.isComplete
                    running: visible
                    scale: 0.8
                }
            }

            ProgressBar {
                id: progressBar

                objectName: "progressBar"
                Accessible.name: "Installation progress"
                Layout.fillWidth: true
                from: 0
                to: 7
                value: installation.service.installationProgress

                Behavior on value {
                    NumberAnimation {
                        duration: 300
                        easing.type: Easing.InOutQuad
                    }
                }

                background: Rectangle {
                    implicitHeight: 6
                    radius: 3
                    color: Qt.rgba(0, 0, 0, 0.08)
                }
                contentItem: Item {
                    implicitHeight: 6
                    Rectangle {
                        width: progressBar.visualPosition * parent.width
                        height: parent.height
                        radius: 3
                        color: Theme.blue
                    }
                }
            }
        }
    }

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 8

        RowLayout {
            Layout.fillWidth: true

            Label {
                objectName: "logTitle"
                Layout.fillWidth: true
                text: installation.localized("ui.installationLog")
                font.pixelSize: Theme.subheadline
                font.weight: Theme.medium
                color: Theme.label
                elide: Text.ElideRight
                Accessible.name: text
            }
            SmallButton {
                objectName: "copyButton"
                text: installation.localized("ui.copyButton")
                onClicked: installation.service.copyLogToPasteboard()
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 120
            radius: 6
            color: Theme.textBackground
            border.width: 1
            border.color: Theme.withAlpha(Theme.gray, 0.2)

            ListView {
                id: logView

                objectName: "logView"
                Accessible.role: Accessible.List
                Accessible.name: "Installation log"
                anchors.fill: parent
                anchors.margins: 1
                topMargin: 7
                bottomMargin: 7
                clip: true
                spacing: 1
                boundsBehavior: Flickable.StopAtBounds
                model: installation.service.logModel
                ScrollBar.vertical: SlimScrollBar {
                    objectName: "logScrollBar"
                    Accessible.name: "Scroll log"
                }

                delegate: Label {
                    required property int index
                    required property string line

                    objectName: "logLine"
                    x: 11
                    width: logView.width - 22
                    text: line
                    font.family: Theme.monoFontFamily(installation.localization.currentLanguage)
                    font.pixelSize: Theme.caption
                    color: Theme.secondaryLabel
                    wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                    Accessible.name: text
                }

                // Follow the last line when one is added; a rewritten last line stays put.
                onCountChanged: {
                    if (count > 0)
                        Qt.callLater(followLastLine)
                }

                // The last line at the bottom edge, inside the margin.
                function endY() {
                    return Math.max(originY - topMargin, originY + contentHeight + bottomMargin - height)
                }
                function followLastLine() {
                    const from = contentY
                    positionViewAtEnd() // lays out the last lines, so their heights are known
                    const to = endY()
                    if (Math.abs(to - from) < 0.5)
                        return
                    contentY = from
                    follow.to = to
                    follow.restart()
                }

                NumberAnimation {
                    id: follow
                    target: logView
                    property: "contentY"
                    duration: 300
                    easing.type: Easing.OutQuad
                    // Lines laid out on the way may differ from the estimate the target came from.
                    onFinished: logView.contentY = logView.endY()
                }
            }
        }
    }

    ProminentButton {
        id: openButton

        objectName: "openButton"
        Layout.fillWidth: true
        visible: installation.service.isComplete
        enabled: installation.service.hasFinalPort
        symbol: "safari.fill"
        text: installation.localized("ui.openButton")
        onClicked: installation.service.openLauncherApp()
        onVisibleChanged: {
            if (visible)
                installation.openButtonShown(openButton)
        }
    }
}
