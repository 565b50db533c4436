#include "uninstallrun.h"

#include "common/paths.h"
#include "installation.h"
#include "testenv.h"

#include <QFileInfo>
#include <QSignalSpy>

namespace vistrel::test::uninstallrun {

void putLaunchctlOnPath() {
    const QByteArray folder = QFile::encodeName(QFileInfo(launchctlTool()).absolutePath());
    const QByteArray path = qgetenv("PATH");
    if (!path.startsWith(folder + ':'))
        qputenv("PATH", folder + ':' + path);
}

QString failedBootoutOutput(const QString &home) {
    QString output;
    const int status = installation::runLaunchctl(
        {QStringLiteral("bootout"), installation::userDomain(), paths::launchAgentPlist(home)}, &output);
    return status == 5 ? output : QStringLiteral("<bootout exited %1: %2>").arg(status).arg(output);
}

QString done(const QString &caseName) {
    return QStringLiteral("✅ %1 complete").arg(caseName);
}

QStringList stopLines(const QString &bootoutOutput) {
    return {QStringLiteral("Stopping Vistrel service..."),
            bootoutOutput.isEmpty() ? QStringLiteral("Service stopped successfully")
                                    : QStringLiteral("⚠️ Service may not have been running: ") + bootoutOutput,
            done(QStringLiteral("stopService"))};
}

QStringList launchAgentLines(bool present) {
    return {QStringLiteral("Removing launch agent configuration..."),
            present ? QStringLiteral("Launch agent plist removed")
                    : QStringLiteral("Launch agent plist not found (already removed)"),
            done(QStringLiteral("removeLaunchAgent"))};
}

QStringList serverFileLines(const QStringList &removedNames) {
    QStringList lines{QStringLiteral("Removing Vistrel application files...")};
    for (const QString &name : removedNames)
        lines << QStringLiteral("Removed: ") + name;
    lines << (removedNames.isEmpty()
                  ? QStringLiteral("Application files not found (already removed)")
                  : QStringLiteral(
                        "Application core files removed successfully. User data (Media/XML) was preserved."));
    lines << done(QStringLiteral("removeApplicationFiles"));
    return lines;
}

QStringList launcherLines(const QString &launcherPath) {
    return {QStringLiteral("Removing launcher app..."),
            launcherPath.isEmpty() ? QStringLiteral("Launcher app not found (already removed)")
                                   : QStringLiteral("Launcher app removed from: ") + launcherPath,
            done(QStringLiteral("removeLauncherApp"))};
}

QStringList logLines(int removedCount) {
    return {QStringLiteral("Cleaning up log files..."),
            removedCount > 0 ? QStringLiteral("Removed %1 log file(s)").arg(removedCount)
                             : QStringLiteral("No log files found to remove"),
            done(QStringLiteral("cleanupLogs"))};
}

QStringList completeLine() {
    return {done(QStringLiteral("complete"))};
}

bool runToEnd(UninstallService &service, int timeoutMs) {
    QSignalSpy finished(&service, &UninstallService::runFinished);
    service.startUninstall();
    return finished.wait(timeoutMs);
}

} // namespace vistrel::test::uninstallrun
