import QtQuick
import QtQuick.Window

Window {
    width: 420
    height: 500
    visible: true
    title: ""
    Text { anchors.centerIn: parent; text: "Vistrel" }
}
