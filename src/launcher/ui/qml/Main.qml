import QtQuick
import QtQuick.Controls.Basic
import Vistrel.UiKit
import Vistrel.Launcher

// The launcher's one window. The system frame stays (so the window can be moved and closed on
// every desktop), named for the task bar and screen readers (macOS hides its title bar); the
// content is drawn from the top edge of the client area.
ApplicationWindow {
    id: window
    objectName: "launcherWindow"
    required property LauncherController launcher

    width: 420
    height: 500
    visible: true
    title: Qt.platform.os === "osx" ? "" : "Vistrel"
    color: Theme.controlBackground
    font.family: launcher.fontFamily
    font.pixelSize: Theme.body

    // Command+Shift+U on macOS (Qt reads Ctrl as Command there), Ctrl+Shift+U elsewhere.
    Shortcut {
        id: uninstallShortcut
        objectName: "uninstallShortcut"
        sequence: "Ctrl+Shift+U"
        context: Qt.ApplicationShortcut
        onActivated: window.launcher.notifications.postShowUninstaller()
    }

    // Quitting in the middle of an uninstall would leave it half done.
    onClosing: close => close.accepted = !window.launcher.uninstaller.runInProgress()

    LauncherView {
        anchors.fill: parent
        launcher: window.launcher
        uninstallShortcutText: uninstallShortcut.nativeText
    }
}
