import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Window
import Vistrel.UiKit
import Vistrel.Installer

// The installer's one window: fixed 600 x 450, no minimise or resize; closing it quits. The system
// frame stays so the window can be moved and closed on every desktop; it carries the program's
// name for the task bar, the window switcher and screen readers (macOS hides its title bar).
ApplicationWindow {
    id: window

    required property LocalizationManager localization
    required property InstallationService service
    required property bool hasAppIcon
    required property string appVersion

    objectName: "installerWindow"
    title: Qt.platform.os === "osx" ? "" : "Vistrel Installer"
    width: 600
    height: 450
    minimumWidth: 600
    maximumWidth: 600
    minimumHeight: 450
    maximumHeight: 450
    flags: Qt.Window | Qt.CustomizeWindowHint | Qt.WindowTitleHint | Qt.WindowSystemMenuHint
           | Qt.WindowCloseButtonHint
    visible: true
    color: Theme.windowBackground

    font.family: Theme.fontFamily(localization.currentLanguage)
    font.pixelSize: Theme.body

    Component.onCompleted: {
        x = screen.virtualX + (screen.width - width) / 2
        y = screen.virtualY + (screen.height - height) / 2
    }

    ContentView {
        anchors.fill: parent
        localization: window.localization
        service: window.service
        hasAppIcon: window.hasAppIcon
        appVersion: window.appVersion
    }
}
