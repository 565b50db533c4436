import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Window
import Vistrel.UiKit
import Vistrel.Launcher

// The uninstaller, presented over the main window: a sheet on macOS, a modal dialog elsewhere.
// It is as tall as its content wants (400 to 600) and 520 to 600 wide.
ApplicationWindow {
    id: sheet
    objectName: "uninstallerWindow"
    required property LauncherController launcher
    required property UninstallService service
    required property Window parentWindow
    signal dismissed()

    transientParent: parentWindow
    flags: Qt.platform.os === "osx" ? Qt.Sheet : Qt.Dialog
    modality: Qt.WindowModal
    title: qsTrId("uninstall.title")
    color: Theme.controlBackground
    font.family: launcher.fontFamily
    font.pixelSize: Theme.body

    minimumWidth: 520
    maximumWidth: 600
    minimumHeight: 400
    maximumHeight: 600
    width: 520
    height: Math.max(minimumHeight, Math.min(maximumHeight, uninstallerView.implicitHeight))

    Component.onCompleted: {
        if (parentWindow) {
            x = parentWindow.x + Math.round((parentWindow.width - width) / 2)
            y = parentWindow.y + Math.max(0, Math.round((parentWindow.height - height) / 2))
        }
        visible = true
    }
    // The frame's close control on desktops that draw one: the same as dismissing, except while
    // the run goes on (a second one could start beside it).
    onClosing: close => {
        if (sheet.service.isRunning)
            close.accepted = false
        else
            sheet.dismissed()
    }

    UninstallerView {
        id: uninstallerView
        anchors.fill: parent
        launcher: sheet.launcher
        service: sheet.service
        onDismiss: sheet.dismissed()
    }
}
