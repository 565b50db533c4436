import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit

// One tile of the welcome screen: symbol, title and up to four lines of description.
Rectangle {
    id: card

    required property string icon
    required property string titleKey
    required property string descriptionKey

    implicitHeight: Math.max(80, content.implicitHeight + 16)
    radius: 6
    color: Theme.withAlpha(Theme.gray, 0.05)

    ColumnLayout {
        id: content

        x: 4
        y: 8
        width: Math.max(0, parent.width - 8)
        spacing: 4

        Item {
            Layout.fillWidth: true
            implicitHeight: 18
            SymbolIcon {
                anchors.centerIn: parent
                symbol: card.icon
                size: 18
                color: Theme.blue
            }
        }
        Label {
            objectName: card.objectName + "Title"
            Layout.fillWidth: true
            text: qsTrId(card.titleKey)
            font.pixelSize: Theme.caption
            font.weight: Theme.medium
            color: Theme.label
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            Accessible.name: text
        }
        Label {
            objectName: card.objectName + "Description"
            Layout.fillWidth: true
            text: qsTrId(card.descriptionKey)
            font.pixelSize: Theme.caption2
            color: Theme.secondaryLabel
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            maximumLineCount: 4
            elide: Text.ElideRight
            Accessible.name: text
        }
    }
}
