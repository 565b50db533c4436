import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Installer

// What will be installed, the port and channel options, and the install button.
ColumnLayout {
    id: welcome

    required property InstallationService service

    // Only the digits of whatever was typed or pasted stay, in their order; empty is allowed.
    function filterPort() {
        const digits = welcome.service.selectedPort.replace(/[^0-9]/g, "")
        if (digits !== welcome.service.selectedPort)
            welcome.service.selectedPort = digits
    }

    objectName: "welcomeScreen"
    spacing: 20

    Component.onCompleted: filterPort()
    Connections {
        target: welcome.service
        function onSelectedPortChanged() { welcome.filterPort() }
    }

    Row {
        id: features

        Layout.fillWidth: true
        spacing: 12

        readonly property real tileWidth: (width - 2 * spacing) / 3
        readonly property real tileHeight: Math.max(serviceTile.implicitHeight, launcherTile.implicitHeight,
                                                         agentTile.implicitHeight)

        FeatureCard {
            id: serviceTile
            objectName: "featureService"
            width: features.tileWidth
            height: features.tileHeight
            icon: "archivebox.fill"
            titleKey: "feature.service.title"
            descriptionKey: "feature.service.description"
        }
        FeatureCard {
            id: launcherTile
            objectName: "featureLauncher"
            width: features.tileWidth
            height: features.tileHeight
            icon: "app.badge"
            titleKey: "feature.launcher.title"
            descriptionKey: "feature.launcher.description"
        }
        FeatureCard {
            id: agentTile
            objectName: "featureAgent"
            width: features.tileWidth
            height: features.tileHeight
            icon: "gear"
            titleKey: "feature.agent.title"
            descriptionKey: "feature.agent.description"
        }
    }

    Rectangle {
        objectName: "optionsBox"
        Layout.fillWidth: true
        implicitHeight: options.implicitHeight
        radius: 8
        color: Theme.withAlpha(Theme.gray, 0.05)

        ColumnLayout {
            id: options

            anchors.left: parent.left
            anchors.right: parent.right
            spacing: 1

            RowLayout {
                Layout.fillWidth: true
                Layout.margins: 10
                spacing: 8

                SymbolIcon {
                    symbol: "network"
                    size: 16
                    color: Theme.blue
                }
                Label {
                    objectName: "portLabel"
                    Layout.fillWidth: true
                    text: qsTrId("ui.portLabel")
                    color: Theme.label
                    elide: Text.ElideRight
                    Accessible.name: text
                }
                TextField {
                    id: portField

                    objectName: "portField"
                    Accessible.name: "Port"
                    Accessible.description: qsTrId("ui.portLabel")
                    Layout.preferredWidth: 80
                    padding: 6
                    horizontalAlignment: TextInput.AlignRight
                    placeholderText: "8090"
                    placeholderTextColor: Theme.withAlpha(Theme.label, 0.3)
                    color: Theme.label
                    selectByMouse: true
                    selectionColor: Theme.withAlpha(Theme.blue, 0.3)
                    selectedTextColor: Theme.label
                    text: welcome.service.selectedPort
                    onTextEdited: welcome.service.selectedPort = text

                    background: Rectangle {
                        radius: 4
                        color: Theme.withAlpha(Theme.label, 0.05)
                        border.width: portField.activeFocus ? 2 : 0
                        border.color: Theme.withAlpha(Theme.blue, 0.5)
                    }
                }
            }

            Divider {
                Layout.fillWidth: true
                Layout.leftMargin: 10
                Layout.rightMargin: 10
            }

            ToggleSwitch {
                objectName: "betaSwitch"
                Accessible.name: "Beta version"
                Accessible.description: text
                Layout.fillWidth: true
                Layout.margins: 10
                text: qsTrId("ui.betaVersion")
                checked: welcome.service.useBetaVersion
                onToggled: welcome.service.useBetaVersion = checked
            }
        }
    }

    Label {
        objectName: "installDescription"
        Layout.fillWidth: true
        text: qsTrId("ui.installDescription")
        font.pixelSize: Theme.caption
        color: Theme.secondaryLabel
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        Accessible.name: text
    }

    ProminentButton {
        objectName: "installButton"
        Layout.fillWidth: true
        symbol: "arrow.down.circle.fill"
        text: qsTrId("ui.installButton")
        onClicked: welcome.service.startInstallation()
    }
}
