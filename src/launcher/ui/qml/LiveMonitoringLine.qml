import QtQuick
import QtQuick.Layouts
import Vistrel.UiKit
import Vistrel.Launcher

// "Live monitoring active" and the age of the last check. The age is worked out whenever the
// line is drawn again, that is when a check starts; it has no clock of its own.
RowLayout {
    id: line
    objectName: "liveMonitoringLine"
    required property LauncherController launcher
    spacing: 6

    Rectangle {
        objectName: "liveMonitoringDot"
        implicitWidth: 6
        implicitHeight: 6
        radius: 3
        color: Theme.blue
    }
    TextLabel {
        objectName: "liveMonitoringLabel"
        text: qsTrId("service.liveMonitoring")
        font.pixelSize: Theme.caption2
        color: Theme.secondaryLabel
    }
    TextLabel {
        objectName: "lastCheckLabel"
        text: {
            line.launcher.localization.currentLanguage
            return line.launcher.lastCheckText(line.launcher.serviceManager.lastStatusCheck)
        }
        font.pixelSize: Theme.caption2
        color: Theme.secondaryLabel
    }
}
