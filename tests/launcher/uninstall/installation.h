#pragma once

#include <QString>
#include <QStringList>

namespace vistrel::test {

// What an installation leaves in a home folder, laid out for the uninstaller to remove.
namespace installation {

// The install-root entries the uninstaller removes, in its order.
QStringList serverEntries();

// Every installed item as small stand-in files: the five server entries, Media with the port
// file, lang.txt, the browser script, an unrelated file, the plist, both logs and the launcher.
bool writeMinimal(const QString &home);

// Runs the service-manager stand-in with these arguments; its exit status (-1: did not run).
int runLaunchctl(const QStringList &arguments, QString *output = nullptr);
QString userDomain(); // "gui/<uid>"

// Items that must never be touched by an uninstall.
QStringList keptItems(const QString &home);

} // namespace installation

} // namespace vistrel::test
