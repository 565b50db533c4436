import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Window
import Vistrel.UiKit
import Vistrel.Launcher

// The main view: header, status card, the controls for the state, the uninstall button and,
// while polling runs, the live-monitoring line. It runs the monitor while it is shown and
// presents the uninstaller sheet.
Rectangle {
    id: view
    objectName: "launcherView"
    required property LauncherController launcher
    property string uninstallShortcutText
    readonly property ServiceManager serviceManager: launcher.serviceManager

    property bool showingUninstaller: false
    property UninstallService sheetService: null

    color: Theme.controlBackground

    // Shown means: in a window that is on screen.
    readonly property bool shown: visible && Window.window !== null && Window.window.visible
    onShownChanged: shown ? launcher.mainViewShown(view) : launcher.mainViewHidden()
    Component.onDestruction: launcher.mainViewHidden()

    Connections {
        target: view.launcher.notifications
        function onShowUninstaller() {
            view.showingUninstaller = true
        }
    }

    // A fresh uninstall service each time the sheet opens.
    onShowingUninstallerChanged: {
        if (showingUninstaller) {
            sheetService = launcher.uninstaller.newService()
        } else {
            const done = sheetService
            sheetService = null
            launcher.uninstaller.release(done)
        }
    }

    // The layout's margins: 20 all round, then 30 more left and right, 30 at the top and 45 at the
    // bottom. When the content is taller than that leaves room for, it uses the margins, keeping
    // at least edgeMargin to the window's edges, and scrolls only beyond that.
    readonly property int edgeMargin: 6

    Flickable {
        id: scroller
        objectName: "mainScroller"
        anchors.fill: parent
        contentWidth: width
        contentHeight: Math.max(height, content.implicitHeight + 2 * view.edgeMargin)
        interactive: contentHeight > height
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        ScrollBar.vertical: ScrollBar {
            objectName: "mainScrollBar"
            Accessible.name: "Scroll"
            policy: scroller.interactive ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
        }

        ColumnLayout {
            id: content
            objectName: "mainContent"
            x: 20 + 30
            width: scroller.width - 2 * (20 + 30)
            y: {
                const top = 20 + 30
                const bottom = 20 + 45
                const centred = top + (scroller.height - top - bottom - implicitHeight) / 2
                return Math.max(view.edgeMargin, Math.min(centred, scroller.height - view.edgeMargin - implicitHeight))
            }
            spacing: 20

            HeaderView {
                Layout.alignment: Qt.AlignHCenter
                launcher: view.launcher
            }

            ColumnLayout {
                Layout.fillWidth: true
                spacing: 15

                ServiceStatusView {
                    Layout.fillWidth: true
                    serviceManager: view.serviceManager
                    monoFontFamily: view.launcher.monoFontFamily
                }

                ServiceControls {
                    Layout.fillWidth: true
                    serviceManager: view.serviceManager
                    launcher: view.launcher
                }
            }

            SystemButton {
                id: uninstallButton
                objectName: "uninstallButton"
                Layout.alignment: Qt.AlignHCenter
                text: qsTrId("action.uninstall")
                labelColor: Theme.red
                onClicked: view.showingUninstaller = true
            }

            LiveMonitoringLine {
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 5
                Layout.leftMargin: 4
                Layout.rightMargin: 4
                visible: view.serviceManager.isPollingActive
                launcher: view.launcher
            }
        }
    }

    AppMenuButton {
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.margins: 10
        shortcutText: view.uninstallShortcutText
        showLogsText: qsTrId("action.showLogs")
        onAboutRequested: {} // "About Vistrel" opens nothing
        onShowLogsRequested: view.serviceManager.jobAccount.showLogs()
        onUninstallRequested: view.launcher.notifications.postShowUninstaller()
    }

    Loader {
        id: sheetLoader
        objectName: "uninstallerSheetLoader"
        active: view.showingUninstaller && view.sheetService !== null
        sourceComponent: UninstallerSheet {
            launcher: view.launcher
            service: view.sheetService
            parentWindow: view.Window.window
            onDismissed: view.showingUninstaller = false
        }
    }
}
