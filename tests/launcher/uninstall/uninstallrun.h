#pragma once

#include "launcher/uninstall/uninstallservice.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace vistrel::test {

// What the tests of whole runs share: the stand-in service manager on PATH, the expected log
// lines, and a run awaited to its end.
namespace uninstallrun {

// Puts the folder of the service-manager stand-in first on PATH, as the launcher does at start.
void putLaunchctlOnPath();

// What the stand-in prints right now for a bootout of the home's plist (it must fail: nothing
// loaded), so a test can expect the uninstaller's warning line to the character.
QString failedBootoutOutput(const QString &home);

QStringList stopLines(const QString &bootoutOutput); // empty output: the service was stopped
QStringList launchAgentLines(bool present);
QStringList serverFileLines(const QStringList &removedNames);
QStringList launcherLines(const QString &launcherPath); // empty path: not found
QStringList logLines(int removedCount);
QStringList completeLine();
QString done(const QString &caseName);

// Starts the run and waits for its end. False when it did not end in time.
bool runToEnd(UninstallService &service, int timeoutMs = 30000);

} // namespace uninstallrun

} // namespace vistrel::test
