import QtQuick
import QtQuick.Window

Window {
    width: 600
    height: 450
    visible: true
    title: ""
    Text { anchors.centerIn: parent; text: "VistrelInstaller" }
}
