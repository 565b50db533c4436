import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Launcher

// The controls area: what can be done in the current state. It is 50 high; the permissions
// panel, which stands in for the controls while permissions are needed, takes its own height.
Item {
    id: area
    objectName: "controlsArea"
    required property ServiceManager serviceManager
    required property LauncherController launcher

    readonly property string state: serviceManager.statusName
    readonly property bool showsPermissions: state === "permissionsNeeded"

    implicitHeight: showsPermissions && loader.item ? loader.item.implicitHeight : 50

    Loader {
        id: loader
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width
        height: item ? item.implicitHeight : 0
        sourceComponent: {
            switch (area.state) {
            case "running": return runningControls
            case "stopped": return stoppedControls
            case "starting": return startingControls
            case "stopping": return stoppingControls
            case "error": return errorControls
            case "permissionsNeeded": return permissionsPanel
            default: return null // checking: nothing
            }
        }
    }

    Component {
        id: runningControls
        RowLayout {
            spacing: 12
            SystemButton {
                objectName: "stopButton"
                text: qsTrId("action.stop")
                symbol: "stop.circle.fill"
                onClicked: area.serviceManager.stop()
            }
            SystemButton {
                objectName: "restartButton"
                text: qsTrId("action.restart")
                symbol: "arrow.clockwise.circle.fill"
                onClicked: area.serviceManager.restart()
            }
            SystemButton {
                objectName: "openButton"
                Layout.fillWidth: true
                text: qsTrId("action.open")
                symbol: "safari"
                prominent: true
                controlSize: "large"
                onClicked: area.launcher.webInterface.open()
            }
        }
    }

    Component {
        id: stoppedControls
        SystemButton {
            objectName: "startButton"
            text: qsTrId("action.start")
            symbol: "play.circle.fill"
            prominent: true
            controlSize: "large"
            onClicked: area.serviceManager.start()
        }
    }

    Component {
        id: startingControls
        TransitionProgress {
            objectName: "startingProgress"
            text: qsTrId("service.starting")
            caption: qsTrId("service.pleaseWait")
        }
    }

    Component {
        id: stoppingControls
        TransitionProgress {
            objectName: "stoppingProgress"
            text: qsTrId("service.stopping")
            caption: qsTrId("service.pleaseWait")
        }
    }

    Component {
        id: errorControls
        ColumnLayout {
            spacing: 6
            TextLabel {
                objectName: "serviceErrorLabel"
                Layout.alignment: Qt.AlignHCenter
                text: qsTrId("service.error")
                font.pixelSize: Theme.headline
                font.weight: Theme.semibold
                color: Theme.red
            }
            TextLabel {
                objectName: "errorMessageLabel"
                Layout.alignment: Qt.AlignHCenter
                Layout.maximumWidth: area.width
                text: area.serviceManager.status.message
                font.pixelSize: Theme.caption
                color: Theme.secondaryLabel
                elide: Text.ElideRight
            }
            SystemButton {
                objectName: "retryButton"
                Layout.alignment: Qt.AlignHCenter
                text: qsTrId("action.retry")
                controlSize: "small"
                onClicked: area.serviceManager.checkStatus()
            }
        }
    }

    Component {
        id: permissionsPanel
        PermissionsView {
            serviceManager: area.serviceManager
            captureAccess: area.launcher.captureAccess
        }
    }
}
