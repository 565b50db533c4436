import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Installer

// Icon, title, subtitle and version, and the language menu at the trailing end.
RowLayout {
    id: header

    required property LocalizationManager localization
    required property InstallationService service
    required property bool hasAppIcon
    required property string appVersion

    objectName: "header"
    spacing: 16

    Item {
        implicitWidth: 48
        implicitHeight: 48

        Image {
            objectName: "appIcon"
            anchors.fill: parent
            visible: header.hasAppIcon
            source: header.hasAppIcon ? "image://appicon/header" : ""
            sourceSize: Qt.size(96, 96)
            fillMode: Image.PreserveAspectFit
            smooth: true
            mipmap: true
            Accessible.role: Accessible.Graphic
            Accessible.name: "Vistrel"
        }

        // Without a picture of its own the program shows the application symbol.
        Rectangle {
            objectName: "appIconBadge"
            anchors.fill: parent
            visible: !header.hasAppIcon
            radius: 12
            color: Qt.rgba(1, 1, 1, 0.1)
            Accessible.role: Accessible.Graphic
            Accessible.name: "app.badge"

            SymbolIcon {
                anchors.centerIn: parent
                symbol: "app.badge"
                size: 44
                color: Theme.blue
            }
        }
    }

    ColumnLayout {
        Layout.fillWidth: true
        spacing: 2

        Label {
            objectName: "appTitle"
            Layout.fillWidth: true
            text: qsTrId("app.title")
            font.pixelSize: Theme.headerTitle
            font.weight: Theme.semibold
            color: Theme.label
            elide: Text.ElideRight
            Accessible.name: text
        }
        Label {
            objectName: "appSubtitle"
            Layout.fillWidth: true
            text: qsTrId("app.subtitle")
            font.pixelSize: Theme.caption
            color: Theme.secondaryLabel
            elide: Text.ElideRight
            Accessible.name: text
        }
        Label {
            objectName: "installerVersion"
            Layout.fillWidth: true
            text: "Installer v" + header.appVersion
            font.pixelSize: Theme.caption2
            color: Theme.secondaryLabel
            elide: Text.ElideRight
            Accessible.name: text
        }
    }

    LanguageMenu {
        Layout.alignment: Qt.AlignVCenter
        localization: header.localization
        enabled: !header.service.isInstalling
    }
}
