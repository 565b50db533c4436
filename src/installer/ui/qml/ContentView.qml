import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Installer

// Header, divider, and the scrolling body with the current screen and the error card under it.
Item {
    id: root

    required property LocalizationManager localization
    required property InstallationService service
    required property bool hasAppIcon
    required property string appVersion

    objectName: "contentView"

    // The window's background: the control colour fading to 80 % towards the bottom right.
    Canvas {
        anchors.fill: parent
        onPaint: {
            const ctx = getContext("2d")
            const gradient = ctx.createLinearGradient(0, 0, width, height)
            gradient.addColorStop(0, Theme.controlBackground)
            gradient.addColorStop(1, Theme.withAlpha(Theme.controlBackground, 0.8))
            ctx.clearRect(0, 0, width, height)
            ctx.fillStyle = gradient
            ctx.fillRect(0, 0, width, height)
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        HeaderView {
            Layout.fillWidth: true
            Layout.leftMargin: 24
            Layout.rightMargin: 24
            Layout.topMargin: 20
            Layout.bottomMargin: 16
            localization: root.localization
            service: root.service
            hasAppIcon: root.hasAppIcon
            appVersion: root.appVersion
        }

        Divider {
            Layout.fillWidth: true
        }

        Flickable {
            id: body

            objectName: "contentScroll"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            contentWidth: width
            contentHeight: stack.implicitHeight + stack.anchors.topMargin + stack.anchors.bottomMargin
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: SlimScrollBar {
                objectName: "contentScrollBar"
                Accessible.name: "Scroll"
            }

            // Brings an item of the body into view (the error card, the open button).
            function reveal(item) {
                const bottom = item.mapToItem(body.contentItem, 0, item.height).y + 20
                const target = Math.max(0, Math.min(bottom - height, contentHeight - height))
                if (target > contentY) {
                    scrollAnimation.to = target
                    scrollAnimation.restart()
                }
            }

            NumberAnimation {
                id: scrollAnimation
                target: body
                property: "contentY"
                duration: 300
                easing.type: Easing.OutQuad
            }

            ColumnLayout {
                id: stack

                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.leftMargin: 24
                anchors.rightMargin: 24
                anchors.topMargin: 20
                anchors.bottomMargin: 20
                spacing: 20

                Loader {
                    id: screen

                    objectName: "screenLoader"
                    Layout.fillWidth: true
                    sourceComponent: root.service.isInstalling ? installationScreen : welcomeScreen
                    onLoaded: {
                        body.contentY = 0
                        item.opacity = 0
                        screenFade.restart()
                    }

                    NumberAnimation {
                        id: screenFade
                        target: screen.item
                        property: "opacity"
                        to: 1
                        duration: 250
                        easing.type: Easing.InOutQuad
                    }
                }

                // The error card enters from the leading edge and leaves towards the trailing one.
                Item {
                    id: errorSlot

                    property bool shown: root.service.hasInstallationError
                    property real reveal: shown ? 1 : 0
                    property string message
                    property string noteKey

                    Layout.fillWidth: true
                    Layout.preferredHeight: errorCard.implicitHeight * reveal
                    // The stack's spacing belongs to the card only while it shows.
                    Layout.topMargin: -stack.spacing * (1 - reveal)

                    function takeMessage() {
                        if (root.service.hasInstallationError) {
                            message = root.service.installationError
                            noteKey = root.service.restoreNoteKey
                        }
                    }

                    Component.onCompleted: takeMessage()
                    Connections {
                        target: root.service
                        function onInstallationErrorChanged() { errorSlot.takeMessage() }
                    }

                    Behavior on reveal {
                        NumberAnimation {
                            duration: 300
                            easing.type: Easing.InOutQuad
                        }
                    }
                    onShownChanged: {
                        slide.from = shown ? -width : 0
                        slide.to = shown ? 0 : width
                        slide.restart()
                    }
                    onRevealChanged: {
                        if (reveal === 1)
                            body.reveal(errorSlot)
                    }

                    ErrorCard {
                        id: errorCard

                        width: parent.width
                        visible: errorSlot.reveal > 0
                        title: qsTrId("ui.installationError")
                        error: errorSlot.message
                        note: errorSlot.noteKey === "" ? "" : qsTrId(errorSlot.noteKey)
                    }

                    NumberAnimation {
                        id: slide
                        target: errorCard
                        property: "x"
                        duration: 300
                        easing.type: Easing.InOutQuad
                    }
                }
            }
        }
    }

    Component {
        id: welcomeScreen
        WelcomeView {
            service: root.service
        }
    }

    Component {
        id: installationScreen
        InstallationView {
            localization: root.localization
            service: root.service
            onOpenButtonShown: (button) => Qt.callLater(body.reveal, button)
        }
    }
}
