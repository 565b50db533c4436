import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit

// The application menu, reachable inside the window (there is no global menu bar on most Linux
// desktops). "About" and "Uninstall" are fixed texts, the same in every language; the way to the
// server's logs is looked up.
ToolButton {
    id: button
    objectName: "appMenuButton"
    property string shortcutText
    property string showLogsText
    signal aboutRequested()
    signal showLogsRequested()
    signal uninstallRequested()

    implicitWidth: 28
    implicitHeight: 28
    hoverEnabled: true
    focusPolicy: Qt.StrongFocus
    text: "Application Menu"
    display: AbstractButton.IconOnly
    Accessible.name: text
    onClicked: menu.opened ? menu.close() : menu.open()

    contentItem: Item {
        SymbolIcon {
            anchors.centerIn: parent
            symbol: "ellipsis.circle"
            size: 18
            color: Theme.secondaryLabel
        }
    }
    background: Rectangle {
        radius: width / 2
        color: button.down || menu.opened ? Qt.rgba(0, 0, 0, 0.1) : button.hovered ? Qt.rgba(0, 0, 0, 0.05) : "transparent"
        border.width: button.visualFocus ? 2 : 0
        border.color: Theme.withAlpha(Theme.blue, 0.6)
    }

    Menu {
        id: menu
        objectName: "appMenu"
        y: button.height + 4
        x: button.width - width
        padding: 5
        implicitWidth: 240

        background: Rectangle {
            implicitWidth: 240
            radius: 8
            color: Theme.controlBackground
            border.width: 1
            border.color: Qt.rgba(0, 0, 0, 0.14)
        }

        MenuItem {
            id: aboutItem
            objectName: "aboutMenuItem"
            text: "About Vistrel"
            Accessible.name: text
            onTriggered: button.aboutRequested()
            contentItem: MenuText { item: aboutItem }
            background: MenuHighlight { item: aboutItem }
        }
        MenuItem {
            id: showLogsItem
            objectName: "showLogsMenuItem"
            text: button.showLogsText
            Accessible.name: text
            onTriggered: button.showLogsRequested()
            contentItem: MenuText { item: showLogsItem }
            background: MenuHighlight { item: showLogsItem }
        }
        MenuSeparator {
            topPadding: 4
            bottomPadding: 4
            contentItem: Rectangle {
                implicitWidth: 200
                implicitHeight: 1
                color: Theme.separator
            }
        }
        MenuItem {
            id: uninstallItem
            objectName: "uninstallMenuItem"
            text: "Uninstall Vistrel..."
            Accessible.name: text
            onTriggered: button.uninstallRequested()
            contentItem: MenuText { item: uninstallItem; shortcut: button.shortcutText }
            background: MenuHighlight { item: uninstallItem }
        }
    }

    component MenuText: RowLayout {
        property MenuItem item
        property string shortcut
        spacing: 16
        Text {
            Layout.fillWidth: true
            text: item.text
            font.family: button.font.family
            font.pixelSize: Theme.body
            color: item.highlighted ? Theme.white : Theme.label
            Accessible.ignored: true
        }
        Text {
            visible: text.length > 0
            text: shortcut
            font.family: button.font.family
            font.pixelSize: Theme.body
            color: item.highlighted ? Theme.white : Theme.secondaryLabel
            Accessible.ignored: true
        }
    }

    component MenuHighlight: Rectangle {
        property MenuItem item
        implicitWidth: 230
        implicitHeight: 26
        radius: 5
        color: item.highlighted ? Theme.blue : "transparent"
    }
}
