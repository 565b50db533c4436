<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel Installer</source>
        <translation>Vistrel Installer</translation>
    </message>
    <message id="app.subtitle">
        <source>Downloads and installs the latest version</source>
        <translation>Downloads and installs the latest version</translation>
    </message>
    <message id="step.stopServices.title">
        <source>Preparing Service Cleanup</source>
        <translation>Preparing Service Cleanup</translation>
    </message>
    <message id="step.downloadTarvik.title">
        <source>Downloading Vistrel</source>
        <translation>Downloading Vistrel</translation>
    </message>
    <message id="step.installTarvik.title">
        <source>Installing Vistrel</source>
        <translation>Installing Vistrel</translation>
    </message>
    <message id="step.installLauncher.title">
        <source>Installing Launcher App</source>
        <translation>Installing Launcher App</translation>
    </message>
    <message id="step.setupService.title">
        <source>Configuring Service</source>
        <translation>Configuring Service</translation>
    </message>
    <message id="step.verifyService.title">
        <source>Verifying Service</source>
        <translation>Verifying Service</translation>
    </message>
    <message id="step.complete.title">
        <source>Ready to Launch</source>
        <translation>Ready to Launch</translation>
    </message>
    <message id="step.stopServices.description">
        <source>Cleaning up old services...</source>
        <translation>Cleaning up old services...</translation>
    </message>
    <message id="step.downloadTarvik.description">
        <source>Downloading the latest version from the server...</source>
        <translation>Downloading the latest version from the server...</translation>
    </message>
    <message id="step.installTarvik.description">
        <source>Copying Vistrel files to Application Support...</source>
        <translation>Copying Vistrel files to Application Support...</translation>
    </message>
    <message id="step.installLauncher.description">
        <source>Installing launcher app to Applications folder...</source>
        <translation>Installing launcher app to Applications folder...</translation>
    </message>
    <message id="step.setupService.description">
        <source>Configuring the service to run on user login...</source>
        <translation>Configuring the service to run on user login...</translation>
    </message>
    <message id="step.verifyService.description">
        <source>Waiting for the Vistrel service to start...</source>
        <translation>Waiting for the Vistrel service to start...</translation>
    </message>
    <message id="step.complete.description">
        <source>Vistrel is running and ready to be configured.</source>
        <translation>Vistrel is running and ready to be configured.</translation>
    </message>
    <message id="feature.service.title">
        <source>Service Install</source>
        <translation>Service Install</translation>
    </message>
    <message id="feature.service.description">
        <source>Downloads and installs Vistrel service files.</source>
        <translation>Downloads and installs Vistrel service files.</translation>
    </message>
    <message id="feature.launcher.title">
        <source>Launcher App</source>
        <translation>Launcher App</translation>
    </message>
    <message id="feature.launcher.description">
        <source>Installs a launcher app to manage the service.</source>
        <translation>Installs a launcher app to manage the service.</translation>
    </message>
    <message id="feature.agent.title">
        <source>Launch Agent</source>
        <translation>Launch Agent</translation>
    </message>
    <message id="feature.agent.description">
        <source>Configures service to run automatically on login.</source>
        <translation>Configures service to run automatically on login.</translation>
    </message>
    <message id="ui.betaVersion">
        <source>Install Beta Version</source>
        <translation>Install Beta Version</translation>
    </message>
    <message id="ui.installDescription">
        <source>This will install Vistrel to your Library/Application Support folder and configure it to start automatically.</source>
        <translation>This will install Vistrel to your Library/Application Support folder and configure it to start automatically.</translation>
    </message>
    <message id="ui.installButton">
        <source>Install Vistrel</source>
        <translation>Install Vistrel</translation>
    </message>
    <message id="ui.openButton">
        <source>Open Vistrel</source>
        <translation>Open Vistrel</translation>
    </message>
    <message id="ui.copyButton">
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message id="ui.installationLog">
        <source>Installation Log</source>
        <translation>Installation Log</translation>
    </message>
    <message id="ui.installationError">
        <source>Installation Error</source>
        <translation>Installation Error</translation>
    </message>
    <message id="ui.portLabel">
        <source>Server Port</source>
        <translation>Server Port</translation>
    </message>
    <message id="ui.portInUse">
        <source>Port %@ is already in use by another application. Please choose a different port.</source>
        <translation>Port %@ is already in use by another application. Please choose a different port.</translation>
    </message>
    <message id="ui.restoredRunning">
        <source>The previous installation was put back and runs again.</source>
        <translation>The previous installation was put back and runs again.</translation>
    </message>
    <message id="ui.restoredNotAnswering">
        <source>The previous installation was put back and started again, but its service does not answer yet.</source>
        <translation>The previous installation was put back and started again, but its service does not answer yet.</translation>
    </message>
    <message id="ui.restoredStopped">
        <source>The previous installation was put back. Its service was not running before and stays stopped.</source>
        <translation>The previous installation was put back. Its service was not running before and stays stopped.</translation>
    </message>
    <message id="ui.installationRemoved">
        <source>Everything this installation had added was removed again.</source>
        <translation>Everything this installation had added was removed again.</translation>
    </message>
    <message id="ui.restoreIncomplete">
        <source>Not everything could be put back. The installer tries again the next time it starts; the log shows what is missing.</source>
        <translation>Not everything could be put back. The installer tries again the next time it starts; the log shows what is missing.</translation>
    </message>
    <message id="progress.download">
        <source>Downloaded %.1f MB of %.1f MB (%d%%)</source>
        <translation>Downloaded %.1f MB of %.1f MB (%d%%)</translation>
    </message>
    <message id="progress.verify">
        <source>Pinging service... (Attempt %d/%d)</source>
        <translation>Pinging service... (Attempt %d/%d)</translation>
    </message>
    <message id="log.success">
        <source>✅ %@ complete</source>
        <translation>✅ %@ complete</translation>
    </message>
    <message id="log.error">
        <source>❌ %@ failed: %@</source>
        <translation>❌ %@ failed: %@</translation>
    </message>
</context>
</TS>
