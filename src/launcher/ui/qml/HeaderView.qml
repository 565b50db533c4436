import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Launcher

// The product header: the application's icon (or the video symbol), the title and the version.
ColumnLayout {
    id: header
    required property LauncherController launcher
    spacing: 10

    Item {
        Layout.alignment: Qt.AlignHCenter
        implicitWidth: 128
        implicitHeight: 128

        Image {
            objectName: "appIcon"
            anchors.fill: parent
            visible: header.launcher.hasAppIcon
            source: header.launcher.hasAppIcon ? "image://appicon/" : ""
            sourceSize: Qt.size(256, 256)
            smooth: true
            Accessible.role: Accessible.Graphic
            Accessible.name: "Vistrel"
        }

        // No icon picture: the blue video symbol on a faint white rounded square.
        Rectangle {
            objectName: "fallbackSymbol"
            anchors.fill: parent
            visible: !header.launcher.hasAppIcon
            radius: 24
            color: Theme.withAlpha(Theme.white, 0.1)
            Accessible.role: Accessible.Graphic
            Accessible.name: "Vistrel"

            CircleSymbol {
                anchors.centerIn: parent
                symbol: "video.circle.fill"
                size: 110
                color: Theme.blue
            }
        }
    }

    TextLabel {
        objectName: "appTitleLabel"
        Layout.alignment: Qt.AlignHCenter
        text: qsTrId("app.title")
        font.pixelSize: Theme.title
        font.weight: Theme.bold
    }

    TextLabel {
        objectName: "versionLabel"
        Layout.alignment: Qt.AlignHCenter
        text: header.launcher.versionText
        font.pixelSize: Theme.caption2
        color: Theme.secondaryLabel
    }
}
