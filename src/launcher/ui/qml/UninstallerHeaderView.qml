import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit

// The uninstaller's header: the red trash symbol, the title and the subtitle.
Item {
    id: header
    implicitHeight: row.implicitHeight + 20 + 16

    RowLayout {
        id: row
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.leftMargin: 24
        anchors.rightMargin: 24
        anchors.topMargin: 20
        spacing: 16

        Rectangle {
            implicitWidth: 48
            implicitHeight: 48
            radius: 12
            color: Theme.withAlpha(Theme.white, 0.1)
            CircleSymbol {
                objectName: "uninstallerSymbol"
                anchors.centerIn: parent
                symbol: "trash.circle.fill"
                size: 44
                color: Theme.red
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            TextLabel {
                objectName: "uninstallerTitleLabel"
                Layout.fillWidth: true
                text: qsTrId("uninstall.title")
                font.pixelSize: Theme.title2
                font.weight: Theme.semibold
                wrapMode: Text.Wrap
            }
            TextLabel {
                objectName: "uninstallerSubtitleLabel"
                Layout.fillWidth: true
                text: qsTrId("uninstall.subtitle")
                font.pixelSize: Theme.caption
                color: Theme.secondaryLabel
                wrapMode: Text.Wrap
            }
        }
    }
}
