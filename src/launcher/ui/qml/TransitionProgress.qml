import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit

// A spinner labelled with what is happening, and "please wait" below it.
ColumnLayout {
    id: progress
    property string text
    property string caption
    spacing: 10
    implicitHeight: 60

    RowLayout {
        Layout.alignment: Qt.AlignHCenter
        spacing: 8
        Spinner {
            objectName: "transitionSpinner"
        }
        TextLabel {
            objectName: "transitionLabel"
            text: progress.text
        }
    }
    TextLabel {
        objectName: "pleaseWaitLabel"
        Layout.alignment: Qt.AlignHCenter
        text: progress.caption
        font.pixelSize: Theme.caption
        color: Theme.secondaryLabel
    }
}
