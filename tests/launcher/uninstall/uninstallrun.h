#pragma once

#include "installation.h"

#include "common/launchagent.h"
#include "common/paths.h"
#include "launcher/uninstall/uninstallservice.h"
#include "testenv.h"

#include <QFileInfo>
#include <QSignalSpy>

// What the tests of whole runs share: the stand-in service manager on PATH, the expected log
// lines, and a run awaited to its end.
namespace vistrel::test::uninstallrun {

// What the stand-in prints right now for the uninstaller's bootout (it must fail: nothing is
// loaded), so a test can expect the uninstaller's warning line to the character.
inline QString failedBootoutOutput(const QString &home) {
    QString output;
    const QString plist = paths::launchAgentPlist(home);
    const QString uid = installation::userDomain().mid(4);
    const int status =
        installation::runLaunchctl(plistNamesOurLabel(plist) ? QStringList{"bootout", installation::userDomain(), plist}
                                                             : QStringList{"bootout", serviceTarget(uid)},
                                   &output);
    return status == 5 ? output : QStringLiteral("<bootout exited %1: %2>").arg(status).arg(output);
}

inline QString done(const QString &caseName) {
    return QStringLiteral("✅ %1 complete").arg(caseName);
}

// Each step's lines when it succeeds.
inline QStringList stopLines(const QString &bootoutOutput) { // empty output: the service was stopped
    return {QStringLiteral("Stopping Vistrel service..."),
            bootoutOutput.isEmpty() ? QStringLiteral("Service stopped successfully")
                                    : QStringLiteral("⚠️ Service may not have been running: ") + bootoutOutput,
            done(QStringLiteral("stopService"))};
}

inline QStringList launchAgentLines(bool present) {
    return {QStringLiteral("Removing launch agent configuration..."),
            present ? QStringLiteral("Launch agent plist removed")
                    : QStringLiteral("Launch agent plist not found (already removed)"),
            done(QStringLiteral("removeLaunchAgent"))};
}

inline QStringList serverFileLines(const QStringList &removedNames) {
    QStringList lines{QStringLiteral("Removing Vistrel application files...")};
    for (const QString &name : removedNames)
        lines << QStringLiteral("Removed: ") + name;
    lines << (removedNames.isEmpty()
                  ? QStringLiteral("Application files not found (already removed)")
                  : QStringLiteral(
                        "Application core files removed successfully. User data (Media/XML) was preserved."));
    return lines << done(QStringLiteral("removeApplicationFiles"));
}

inline QStringList launcherLines(const QString &launcherPath) { // empty path: not found
    return {QStringLiteral("Removing launcher app..."),
            launcherPath.isEmpty() ? QStringLiteral("Launcher app not found (already removed)")
                                   : QStringLiteral("Launcher app removed from: ") + launcherPath,
            done(QStringLiteral("removeLauncherApp"))};
}

inline QStringList logLines(int removedCount) {
    return {QStringLiteral("Cleaning up log files..."),
            removedCount > 0 ? QStringLiteral("Removed %1 log file(s)").arg(removedCount)
                             : QStringLiteral("No log files found to remove"),
            done(QStringLiteral("cleanupLogs"))};
}

// A run that finds the plist, the launcher and both logs, and removes these server entries.
inline QStringList fullLog(const QString &home, const QString &bootoutOutput, const QStringList &removedNames) {
    return stopLines(bootoutOutput) + launchAgentLines(true) + serverFileLines(removedNames) +
           launcherLines(paths::launcherApp(home)) + logLines(2) + QStringList{done(QStringLiteral("complete"))};
}

// Starts the run and waits for its end. False when it did not end in time.
inline bool runToEnd(UninstallService &service, int timeoutMs = 30000) {
    QSignalSpy finished(&service, &UninstallService::runFinished);
    service.startUninstall();
    return finished.wait(timeoutMs);
}

} // namespace vistrel::test::uninstallrun
