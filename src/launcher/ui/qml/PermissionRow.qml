import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Launcher

// One access kind: its symbol (green when authorized, orange otherwise), its title and the
// authorization's text.
Rectangle {
    id: row
    property string icon
    property string title
    property int status: 0
    // The authorization's text key, chosen by the model from status.
    property string statusKey

    readonly property bool authorized: status === 3
    readonly property string statusText: qsTrId(statusKey)

    implicitHeight: layout.implicitHeight + 2 * 8
    implicitWidth: layout.implicitWidth + 2 * 12
    radius: 6
    color: Theme.withAlpha(Theme.gray, 0.05)

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 8
        anchors.bottomMargin: 8
        spacing: 8

        Item {
            implicitWidth: 20
            implicitHeight: 16
            SymbolIcon {
                objectName: row.objectName + "Icon"
                anchors.centerIn: parent
                symbol: row.icon
                color: row.authorized ? Theme.green : Theme.orange
            }
        }
        TextLabel {
            objectName: row.objectName + "Title"
            text: row.title
            font.weight: Theme.medium
        }
        Item {
            Layout.fillWidth: true
        }
        TextLabel {
            objectName: row.objectName + "Status"
            text: row.statusText
            font.pixelSize: Theme.caption
            color: Theme.secondaryLabel
        }
    }
}
