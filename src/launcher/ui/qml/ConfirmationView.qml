import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Launcher

// What the uninstall will remove, and the choice to go on or not.
ColumnLayout {
    id: confirmation
    objectName: "confirmationView"
    required property UninstallService service
    signal cancel()
    signal confirm()
    spacing: 16

    SymbolIcon {
        objectName: "confirmationSymbol"
        Layout.alignment: Qt.AlignHCenter
        symbol: "exclamationmark.triangle.fill"
        size: 64
        color: Theme.orange
    }

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 8
        TextLabel {
            objectName: "confirmationTitleLabel"
            Layout.fillWidth: true
            text: qsTrId("uninstall.confirmation.title")
            font.pixelSize: Theme.headline
            font.weight: Theme.semibold
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }
        TextLabel {
            objectName: "confirmationDescriptionLabel"
            Layout.fillWidth: true
            text: qsTrId("uninstall.confirmation.description")
            font.pixelSize: Theme.subheadline
            color: Theme.secondaryLabel
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
        }
    }

    Rectangle {
        objectName: "confirmationList"
        Layout.fillWidth: true
        implicitHeight: items.implicitHeight + 2 * Theme.standardPadding
        radius: 10
        color: Theme.withAlpha(Theme.gray, 0.05)

        ColumnLayout {
            id: items
            anchors.fill: parent
            anchors.margins: Theme.standardPadding
            spacing: 8
            Repeater {
                model: confirmation.service.confirmationItems
                UninstallItemView {
                    required property var modelData
                    required property int index
                    objectName: "confirmationItem" + index
                    Layout.fillWidth: true
                    icon: modelData.symbol
                    title: qsTrId(modelData.textKey)
                }
            }
        }
    }

    TextLabel {
        objectName: "confirmationWarningLabel"
        Layout.fillWidth: true
        Layout.leftMargin: Theme.standardPadding
        Layout.rightMargin: Theme.standardPadding
        text: qsTrId("uninstall.confirmation.warning")
        font.pixelSize: Theme.caption
        color: Theme.secondaryLabel
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }

    RowLayout {
        Layout.alignment: Qt.AlignHCenter
        spacing: 12
        SystemButton {
            objectName: "cancelButton"
            text: qsTrId("uninstall.confirmation.cancel")
            controlSize: "large"
            onClicked: confirmation.cancel()
        }
        SystemButton {
            objectName: "confirmUninstallButton"
            text: qsTrId("uninstall.confirmation.uninstall")
            controlSize: "large"
            prominent: true
            tint: Theme.red
            onClicked: confirmation.confirm()
        }
    }
}
