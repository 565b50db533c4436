import QtQuick
import QtQuick.Controls.Basic

// A run's log in a framed list that follows its last line; the rows come from model (a role
// named line).
Rectangle {
    id: pane
    property alias model: logView.model
    property string fontFamily
    property string accessibleName

    // The list itself, for tests and for scrolling.
    readonly property alias view: logView

    implicitHeight: 120
    radius: 6
    color: Theme.textBackground
    border.width: 1
    border.color: Theme.withAlpha(Theme.gray, 0.2)

    ListView {
        id: logView

        objectName: "logView"
        Accessible.role: Accessible.List
        Accessible.name: pane.accessibleName
        anchors.fill: parent
        anchors.margins: 1
        topMargin: 7
        bottomMargin: 7
        clip: true
        spacing: 1
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: SlimScrollBar {
            objectName: "logScrollBar"
            Accessible.name: "Scroll log"
        }

        delegate: Label {
            required property int index
            required property string line

            objectName: "logLine" + index
            x: 11
            width: logView.width - 22
            text: line
            font.family: pane.fontFamily
            font.pixelSize: Theme.caption
            color: Theme.secondaryLabel
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            Accessible.name: text
        }

        // Follow the last line when one is added; a rewritten last line stays put.
        onCountChanged: {
            if (count > 0)
                Qt.callLater(followLastLine)
        }

        // The last line at the bottom edge, inside the margin.
        function endY() {
            return Math.max(originY - topMargin, originY + contentHeight + bottomMargin - height)
        }
        function followLastLine() {
            const from = contentY
            positionViewAtEnd() // lays out the last lines, so their heights are known
            const to = endY()
            if (Math.abs(to - from) < 0.5)
                return
            contentY = from
            follow.to = to
            follow.restart()
        }

        NumberAnimation {
            id: follow
            target: logView
            property: "contentY"
            duration: 300
            easing.type: Easing.OutQuad
            // Lines laid out on the way may differ from the estimate the target came from.
            onFinished: logView.contentY = logView.endY()
        }
    }
}
