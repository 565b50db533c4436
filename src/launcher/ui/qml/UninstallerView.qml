import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Launcher

// The uninstaller's content: the header, then the confirmation until the user confirms, the
// progress from then on, and the error card below whenever the run has failed.
Item {
    id: view
    objectName: "uninstallerView"
    required property LauncherController launcher
    required property UninstallService service
    signal dismiss()

    // A refused run (another one holds the home) brings the confirmation back, its error below.
    readonly property bool confirming: !service.isUninstalling

    implicitWidth: 520
    implicitHeight: header.implicitHeight + divider.height + body.implicitHeight + 2 * 20

    UninstallerHeaderView {
        id: header
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
    }

    Rectangle {
        id: divider
        anchors.top: header.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        height: 1
        color: Theme.separator
    }

    Flickable {
        id: scroller
        objectName: "uninstallerScroller"
        anchors.top: divider.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        contentWidth: width
        contentHeight: body.implicitHeight + 2 * 20
        interactive: contentHeight > height
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        // An error card below the confirmation may lie past the bottom: it is brought into sight.
        onContentHeightChanged: if (view.service.hasError) contentY = Math.max(0, contentHeight - height)
        ScrollBar.vertical: ScrollBar {
            objectName: "uninstallerScrollBar"
            Accessible.name: "Scroll"
            policy: scroller.interactive ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
        }

        ColumnLayout {
            id: body
            x: 24
            y: 20
            width: scroller.width - 2 * 24
            spacing: 20

            Loader {
                Layout.fillWidth: true
                active: view.confirming
                visible: active
                sourceComponent: ConfirmationView {
                    service: view.service
                    onCancel: view.dismiss()
                    onConfirm: view.service.startUninstall()
                }
            }

            Loader {
                Layout.fillWidth: true
                active: !view.confirming
                visible: active
                sourceComponent: UninstallProgressView {
                    launcher: view.launcher
                    service: view.service
                }
            }

            Loader {
                Layout.fillWidth: true
                active: view.service.hasError
                visible: active
                // The failure that stopped the run; it slides in when it appears.
                sourceComponent: ErrorCard {
                    id: errorCard
                    objectName: "uninstallErrorCard"
                    title: qsTrId("uninstall.error")
                    error: view.service.error
                    symbolSize: Theme.title3 + 3
                    spacing: 10

                    transform: Translate { id: slide }
                    Component.onCompleted: entrance.start()
                    ParallelAnimation {
                        id: entrance
                        NumberAnimation { target: slide; property: "y"; from: -16; to: 0; duration: 250; easing.type: Easing.OutCubic }
                        NumberAnimation { target: errorCard; property: "opacity"; from: 0; to: 1; duration: 250 }
                    }
                }
            }
        }
    }
}
