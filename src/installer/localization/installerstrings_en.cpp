#include "installerstringdata.h"

namespace vistrel::installerstrings {

// English (en). Same keys in the same order as every other table.
extern const std::array<StringEntry, keyCount> en = {{
    {u"app.title", u"Vistrel Installer"},
    {u"app.subtitle", u"Downloads and installs the latest version"},
    {u"step.stopServices.title", u"Preparing Service Cleanup"},
    {u"step.downloadTarvik.title", u"Downloading Vistrel"},
    {u"step.installTarvik.title", u"Installing Vistrel"},
    {u"step.installLauncher.title", u"Installing Launcher App"},
    {u"step.setupService.title", u"Configuring Service"},
    {u"step.verifyService.title", u"Verifying Service"},
    {u"step.complete.title", u"Ready to Launch"},
    {u"step.stopServices.description", u"Cleaning up old services..."},
    {u"step.downloadTarvik.description", u"Downloading the latest version from the server..."},
    {u"step.installTarvik.description", u"Copying Vistrel files to Application Support..."},
    {u"step.installLauncher.description", u"Installing launcher app to Applications folder..."},
    {u"step.setupService.description", u"Configuring the service to run on user login..."},
    {u"step.verifyService.description", u"Waiting for the Vistrel service to start..."},
    {u"step.complete.description", u"Vistrel is running and ready to be configured."},
    {u"feature.service.title", u"Service Install"},
    {u"feature.service.description", u"Downloads and installs Vistrel service files."},
    {u"feature.launcher.title", u"Launcher App"},
    {u"feature.launcher.description", u"Installs a launcher app to manage the service."},
    {u"feature.agent.title", u"Launch Agent"},
    {u"feature.agent.description", u"Configures service to run automatically on login."},
    {u"ui.betaVersion", u"Install Beta Version"},
    {u"ui.installDescription",
     u"This will install Vistrel to your Library/Application Support folder and configure it to start automatically."},
    {u"ui.installButton", u"Install Vistrel"},
    {u"ui.openButton", u"Open Vistrel"},
    {u"ui.copyButton", u"Copy"},
    {u"ui.installationLog", u"Installation Log"},
    {u"ui.installationError", u"Installation Error"},
    {u"ui.portLabel", u"Server Port"},
    {u"ui.portInUse", u"Port %@ is already in use by another application. Please choose a different port."},
    {u"progress.download", u"Downloaded %.1f MB of %.1f MB (%d%%)"},
    {u"progress.verify", u"Pinging service... (Attempt %d/%d)"},
    {u"log.success", u"✅ %@ complete"},
    {u"log.error", u"❌ %@ failed: %@"},
}};

} // namespace vistrel::installerstrings
