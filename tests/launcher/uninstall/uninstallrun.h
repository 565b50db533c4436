#pragma once

#include "installation.h"

#include "common/launchagent.h"
#include "common/paths.h"
#include "launcher/uninstall/uninstallservice.h"
#include "testenv.h"

#include <QSignalSpy>

// What the tests of whole runs share: the stand-in service manager on PATH, the expected log
// lines, and a run awaited to its end.
namespace vistrel::test::uninstallrun {

using namespace Qt::StringLiterals;

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

// A whole run's log. With installed false, an empty account: nothing found, nothing removed.
inline QStringList fullLog(const QString &home, const QString &bootoutOutput, bool installed) {
    QStringList log{u"Stopping Vistrel service..."_s};
    if (!installed)
        log << u"Launch agent plist not found; stopping com.qelvo.vistrel by its label"_s;
    log << u"⚠️ Service may not have been running: "_s + bootoutOutput << u"✅ stopService complete"_s
        << u"Removing launch agent configuration..."_s
        << (installed ? u"Launch agent plist removed"_s : u"Launch agent plist not found (already removed)"_s)
        << u"✅ removeLaunchAgent complete"_s << u"Removing Vistrel application files..."_s;
    if (installed) {
        for (const QString &name : installation::serverEntries())
            log << u"Removed: "_s + name;
        log << u"Application core files removed successfully. User data (Media/XML) was preserved."_s;
    } else {
        log << u"Application files not found (already removed)"_s;
    }
    return log << u"✅ removeApplicationFiles complete"_s << u"Removing launcher app..."_s
               << (installed ? u"Launcher app removed from: "_s + paths::launcherApp(home)
                             : u"Launcher app not found (already removed)"_s)
               << u"✅ removeLauncherApp complete"_s << u"Cleaning up log files..."_s
               << (installed ? u"Removed 2 log file(s)"_s : u"No log files found to remove"_s)
               << u"✅ cleanupLogs complete"_s << u"✅ complete complete"_s;
}

// Starts the run and waits for its end. False when it did not end in time.
inline bool runToEnd(UninstallService &service, int timeoutMs = 30000) {
    QSignalSpy finished(&service, &UninstallService::runFinished);
    service.startUninstall();
    return finished.wait(timeoutMs);
}

} // namespace vistrel::test::uninstallrun
