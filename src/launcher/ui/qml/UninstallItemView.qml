import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit

// One row of the list the user confirms: a red symbol and the row's text.
RowLayout {
    id: item
    property string icon
    property string title
    spacing: 12
    Layout.topMargin: 4
    Layout.bottomMargin: 4

    Item {
        implicitWidth: 20
        implicitHeight: 16
        SymbolIcon {
            anchors.centerIn: parent
            symbol: item.icon
            color: Theme.red
        }
    }
    TextLabel {
        objectName: item.objectName + "Label"
        Layout.fillWidth: true
        text: item.title
        font.pixelSize: Theme.subheadline
        wrapMode: Text.Wrap
    }
}
