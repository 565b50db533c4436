import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Installer

// The running step with its progress, the live log with Copy, and at the end the open button.
ColumnLayout {
    id: installation

    required property LocalizationManager localization
    required property InstallationService service

    // The open button has appeared; the body scrolls it into view.
    signal openButtonShown(Item button)

    objectName: "installationScreen"
    spacing: 20

    StepCard {
        Layout.fillWidth: true
        symbol: installation.service.currentStepSymbol
        symbolColor: installation.service.isComplete ? Theme.brightGreen : Theme.blue
        title: qsTrId(installation.service.currentStepTitleKey)
        description: qsTrId(installation.service.currentStepDescriptionKey)
        busy: !installation.service.isComplete
        stepCount: installation.service.stepCount
        progress: installation.service.installationProgress
        spinnerSize: 20
        spinnerColor: Theme.label
        spinnerName: "Working"
        progressName: "Installation progress"
    }

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 8

        RowLayout {
            Layout.fillWidth: true

            Label {
                objectName: "logTitle"
                Layout.fillWidth: true
                text: qsTrId("ui.installationLog")
                font.pixelSize: Theme.subheadline
                font.weight: Theme.medium
                color: Theme.label
                elide: Text.ElideRight
                Accessible.name: text
            }
            SmallButton {
                objectName: "copyButton"
                text: qsTrId("ui.copyButton")
                onClicked: installation.service.copyLogToPasteboard()
            }
        }

        LogPane {
            Layout.fillWidth: true
            Layout.preferredHeight: 120
            accessibleName: "Installation log"
            fontFamily: Theme.monoFontFamily(installation.localization.currentLanguage)
            model: installation.service.logModel
        }
    }

    ProminentButton {
        id: openButton

        objectName: "openButton"
        Layout.fillWidth: true
        visible: installation.service.isComplete
        enabled: installation.service.hasFinalPort
        symbol: "safari.fill"
        text: qsTrId("ui.openButton")
        onClicked: installation.service.openLauncherApp()
        onVisibleChanged: {
            if (visible)
                installation.openButtonShown(openButton)
        }
    }
}
