#pragma once

#include <QString>

class QQmlApplicationEngine;
class QQuickWindow;

namespace vistrel {

class InstallationService;
class LocalizationManager;

// What the header shows about the program itself.
struct InstallerAppInfo {
    QString iconPath; // the bundle's AppIcon image; may be empty or missing
    QString version;  // "Installer v" + this

    // From the bundle around the running program; version "1.0.0" when it names none.
    static InstallerAppInfo fromMainBundle();
};

// Ends the program with status once the run under way has stopped and undone what it did (the
// previous service is loaded again, not waited for); at once when no run is going.
void quitAfterRun(InstallationService &service, int status);

// Loads the installer's window over the two models, which must outlive the engine's window.
// Returns the window, or nullptr when the views failed to load.
QQuickWindow *loadInstallerWindow(QQmlApplicationEngine &engine, LocalizationManager &localization,
                                  InstallationService &service, const InstallerAppInfo &info);

} // namespace vistrel
