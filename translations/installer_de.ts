<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel Installer</source>
        <translation>Vistrel Installer</translation>
    </message>
    <message id="app.subtitle">
        <source>Downloads and installs the latest version</source>
        <translation>Lädt die neueste Version herunter und installiert sie</translation>
    </message>
    <message id="step.stopServices.title">
        <source>Preparing Service Cleanup</source>
        <translation>Vorbereitung der Dienst-Bereinigung</translation>
    </message>
    <message id="step.downloadTarvik.title">
        <source>Downloading Vistrel</source>
        <translation>Vistrel wird heruntergeladen</translation>
    </message>
    <message id="step.installTarvik.title">
        <source>Installing Vistrel</source>
        <translation>Vistrel wird installiert</translation>
    </message>
    <message id="step.installLauncher.title">
        <source>Installing Launcher App</source>
        <translation>Launcher-App wird installiert</translation>
    </message>
    <message id="step.setupService.title">
        <source>Configuring Service</source>
        <translation>Dienst wird konfiguriert</translation>
    </message>
    <message id="step.verifyService.title">
        <source>Verifying Service</source>
        <translation>Dienst wird überprüft</translation>
    </message>
    <message id="step.complete.title">
        <source>Ready to Launch</source>
        <translation>Bereit zum Starten</translation>
    </message>
    <message id="step.stopServices.description">
        <source>Cleaning up old services...</source>
        <translation>Alte Dienste werden bereinigt...</translation>
    </message>
    <message id="step.downloadTarvik.description">
        <source>Downloading the latest version from the server...</source>
        <translation>Die neueste Version wird vom Server heruntergeladen...</translation>
    </message>
    <message id="step.installTarvik.description">
        <source>Copying Vistrel files to Application Support...</source>
        <translation>Vistrel-Dateien werden in den Application Support kopiert...</translation>
    </message>
    <message id="step.installLauncher.description">
        <source>Installing launcher app to Applications folder...</source>
        <translation>Launcher-App wird in den Applications-Ordner installiert...</translation>
    </message>
    <message id="step.setupService.description">
        <source>Configuring the service to run on user login...</source>
        <translation>Der Dienst wird für den automatischen Start bei der Benutzeranmeldung konfiguriert...</translation>
    </message>
    <message id="step.verifyService.description">
        <source>Waiting for the Vistrel service to start...</source>
        <translation>Warten auf den Start des Vistrel-Dienstes...</translation>
    </message>
    <message id="step.complete.description">
        <source>Vistrel is running and ready to be configured.</source>
        <translation>Vistrel läuft und ist bereit zur Konfiguration.</translation>
    </message>
    <message id="feature.service.title">
        <source>Service Install</source>
        <translation>Dienst-Installation</translation>
    </message>
    <message id="feature.service.description">
        <source>Downloads and installs Vistrel service files.</source>
        <translation>Lädt Vistrel-Dienstdateien herunter und installiert sie.</translation>
    </message>
    <message id="feature.launcher.title">
        <source>Launcher App</source>
        <translation>Launcher-App</translation>
    </message>
    <message id="feature.launcher.description">
        <source>Installs a launcher app to manage the service.</source>
        <translation>Installiert eine Launcher-App zur Verwaltung des Dienstes.</translation>
    </message>
    <message id="feature.agent.title">
        <source>Launch Agent</source>
        <translation>Launch Agent</translation>
    </message>
    <message id="feature.agent.description">
        <source>Configures service to run automatically on login.</source>
        <translation>Konfiguriert den Dienst für automatischen Start bei der Anmeldung.</translation>
    </message>
    <message id="ui.betaVersion">
        <source>Install Beta Version</source>
        <translation>Beta-Version installieren</translation>
    </message>
    <message id="ui.installDescription">
        <source>This will install Vistrel to your Library/Application Support folder and configure it to start automatically.</source>
        <translation>Dies installiert Vistrel in Ihren Library/Application Support-Ordner und konfiguriert es für den automatischen Start.</translation>
    </message>
    <message id="ui.installButton">
        <source>Install Vistrel</source>
        <translation>Vistrel installieren</translation>
    </message>
    <message id="ui.openButton">
        <source>Open Vistrel</source>
        <translation>Vistrel öffnen</translation>
    </message>
    <message id="ui.copyButton">
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message id="ui.installationLog">
        <source>Installation Log</source>
        <translation>Installations-Log</translation>
    </message>
    <message id="ui.installationError">
        <source>Installation Error</source>
        <translation>Installationsfehler</translation>
    </message>
    <message id="ui.portLabel">
        <source>Server Port</source>
        <translation>Server-Port</translation>
    </message>
    <message id="ui.portInUse">
        <source>Port %@ is already in use by another application. Please choose a different port.</source>
        <translation>Port %@ wird bereits von einer anderen Anwendung verwendet. Bitte wählen Sie einen anderen Port.</translation>
    </message>
    <message id="ui.restoredRunning">
        <source>The previous installation was put back and runs again.</source>
        <translation>Die vorherige Installation wurde wiederhergestellt und läuft wieder.</translation>
    </message>
    <message id="ui.restoredNotAnswering">
        <source>The previous installation was put back and started again, but its service does not answer yet.</source>
        <translation>Die vorherige Installation wurde wiederhergestellt und neu gestartet, aber ihr Dienst antwortet noch nicht.</translation>
    </message>
    <message id="ui.restoredStopped">
        <source>The previous installation was put back. Its service was not running before and stays stopped.</source>
        <translation>Die vorherige Installation wurde wiederhergestellt. Ihr Dienst lief zuvor nicht und bleibt gestoppt.</translation>
    </message>
    <message id="ui.installationRemoved">
        <source>Everything this installation had added was removed again.</source>
        <translation>Alles, was diese Installation hinzugefügt hatte, wurde wieder entfernt.</translation>
    </message>
    <message id="ui.restoreIncomplete">
        <source>Not everything could be put back. The installer tries again the next time it starts; the log shows what is missing.</source>
        <translation>Nicht alles konnte wiederhergestellt werden. Das Installationsprogramm versucht es beim nächsten Start erneut; das Log zeigt, was fehlt.</translation>
    </message>
    <message id="progress.download">
        <source>Downloaded %.1f MB of %.1f MB (%d%%)</source>
        <translation>%.1f MB von %.1f MB heruntergeladen (%d%%)</translation>
    </message>
    <message id="progress.verify">
        <source>Pinging service... (Attempt %d/%d)</source>
        <translation>Dienst wird angepingt... (Versuch %d/%d)</translation>
    </message>
    <message id="log.success">
        <source>✅ %@ complete</source>
        <translation>✅ %@ abgeschlossen</translation>
    </message>
    <message id="log.error">
        <source>❌ %@ failed: %@</source>
        <translation>❌ %@ fehlgeschlagen: %@</translation>
    </message>
</context>
</TS>
