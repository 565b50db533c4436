<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel</source>
        <translation>Vistrel</translation>
    </message>
    <message id="status.running">
        <source>Running</source>
        <translation>Läuft</translation>
    </message>
    <message id="status.stopped">
        <source>Stopped</source>
        <translation>Gestoppt</translation>
    </message>
    <message id="status.checking">
        <source>Checking...</source>
        <translation>Überprüfung...</translation>
    </message>
    <message id="status.starting">
        <source>Starting...</source>
        <translation>Startet...</translation>
    </message>
    <message id="status.stopping">
        <source>Stopping...</source>
        <translation>Stoppt...</translation>
    </message>
    <message id="status.error">
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message id="status.permissionsNeeded">
        <source>Permissions Required</source>
        <translation>Berechtigungen Erforderlich</translation>
    </message>
    <message id="status.runningOnPort">
        <source>Running on port %d</source>
        <translation>Läuft auf Port %d</translation>
    </message>
    <message id="action.start">
        <source>Start Vistrel</source>
        <translation>Vistrel Starten</translation>
    </message>
    <message id="action.stop">
        <source>Stop</source>
        <translation>Stoppen</translation>
    </message>
    <message id="action.restart">
        <source>Restart</source>
        <translation>Neustarten</translation>
    </message>
    <message id="action.open">
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message id="action.retry">
        <source>Retry</source>
        <translation>Wiederholen</translation>
    </message>
    <message id="action.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Vistrel Deinstallieren</translation>
    </message>
    <message id="permissions.title">
        <source>Permissions Required</source>
        <translation>Berechtigungen Erforderlich</translation>
    </message>
    <message id="permissions.description">
        <source>Vistrel needs camera and microphone permissions to function properly.</source>
        <translation>Vistrel benötigt Kamera- und Mikrofonberechtigungen, um ordnungsgemäß zu funktionieren.</translation>
    </message>
    <message id="permissions.camera">
        <source>Camera Access</source>
        <translation>Kamerazugriff</translation>
    </message>
    <message id="permissions.microphone">
        <source>Microphone Access</source>
        <translation>Mikrofonzugriff</translation>
    </message>
    <message id="permissions.granted">
        <source>Granted</source>
        <translation>Gewährt</translation>
    </message>
    <message id="permissions.denied">
        <source>Denied</source>
        <translation>Verweigert</translation>
    </message>
    <message id="permissions.restricted">
        <source>Restricted</source>
        <translation>Eingeschränkt</translation>
    </message>
    <message id="permissions.notSet">
        <source>Not Set</source>
        <translation>Nicht Festgelegt</translation>
    </message>
    <message id="permissions.grantButton">
        <source>Grant Permissions</source>
        <translation>Berechtigungen Gewähren</translation>
    </message>
    <message id="permissions.requesting">
        <source>Requesting Permissions...</source>
        <translation>Berechtigungen Anfordern...</translation>
    </message>
    <message id="permissions.continueButton">
        <source>Continue to Service</source>
        <translation>Weiter zum Service</translation>
    </message>
    <message id="service.starting">
        <source>Starting Vistrel...</source>
        <translation>Vistrel wird gestartet...</translation>
    </message>
    <message id="service.stopping">
        <source>Stopping Vistrel...</source>
        <translation>Vistrel wird gestoppt...</translation>
    </message>
    <message id="service.pleaseWait">
        <source>Please wait...</source>
        <translation>Bitte warten...</translation>
    </message>
    <message id="service.error">
        <source>Service Error</source>
        <translation>Service-Fehler</translation>
    </message>
    <message id="service.liveMonitoring">
        <source>Live monitoring active</source>
        <translation>Live-Überwachung aktiv</translation>
    </message>
    <message id="service.lastCheck">
        <source>Last check: %@</source>
        <translation>Letzte Überprüfung: %@</translation>
    </message>
    <message id="uninstall.title">
        <source>Uninstall Vistrel</source>
        <translation>Vistrel Deinstallieren</translation>
    </message>
    <message id="uninstall.subtitle">
        <source>Remove all Vistrel components from your system</source>
        <translation>Alle Vistrel-Komponenten von Ihrem System entfernen</translation>
    </message>
    <message id="uninstall.confirmation.title">
        <source>Are you sure you want to uninstall Vistrel?</source>
        <translation>Sind Sie sicher, dass Sie Vistrel deinstallieren möchten?</translation>
    </message>
    <message id="uninstall.confirmation.description">
        <source>This will permanently remove all Vistrel components from your system, including:</source>
        <translation>Dies wird alle Vistrel-Komponenten dauerhaft von Ihrem System entfernen, einschließlich:</translation>
    </message>
    <message id="uninstall.confirmation.warning">
        <source>This action cannot be undone. You will need to reinstall Vistrel if you want to use it again.</source>
        <translation>Diese Aktion kann nicht rückgängig gemacht werden. Sie müssen Vistrel neu installieren, wenn Sie es wieder verwenden möchten.</translation>
    </message>
    <message id="uninstall.confirmation.cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="uninstall.confirmation.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Vistrel Deinstallieren</translation>
    </message>
    <message id="uninstall.step.stopService.title">
        <source>Stopping Service</source>
        <translation>Service wird gestoppt</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.title">
        <source>Removing Launch Agent</source>
        <translation>Launch Agent wird entfernt</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.title">
        <source>Removing Application Files</source>
        <translation>Anwendungsdateien werden entfernt</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.title">
        <source>Removing Launcher App</source>
        <translation>Launcher-App wird entfernt</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.title">
        <source>Cleaning Up Logs</source>
        <translation>Logs werden bereinigt</translation>
    </message>
    <message id="uninstall.step.complete.title">
        <source>Uninstall Complete</source>
        <translation>Deinstallation Abgeschlossen</translation>
    </message>
    <message id="uninstall.step.stopService.description">
        <source>Stopping the Vistrel service...</source>
        <translation>Vistrel-Service wird gestoppt...</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.description">
        <source>Removing the launch agent configuration...</source>
        <translation>Launch Agent-Konfiguration wird entfernt...</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.description">
        <source>Removing Vistrel files from Application Support...</source>
        <translation>Vistrel-Dateien werden aus Application Support entfernt...</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.description">
        <source>Removing the launcher app...</source>
        <translation>Launcher-Anwendung wird entfernt...</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.description">
        <source>Cleaning up log files...</source>
        <translation>Log-Dateien werden bereinigt...</translation>
    </message>
    <message id="uninstall.step.complete.description">
        <source>Vistrel has been completely removed from your system.</source>
        <translation>Vistrel wurde vollständig von Ihrem System entfernt.</translation>
    </message>
    <message id="uninstall.item.stopService">
        <source>Stop the running service</source>
        <translation>Laufenden Service stoppen</translation>
    </message>
    <message id="uninstall.item.removeLaunchAgent">
        <source>Remove launch agent configuration</source>
        <translation>Launch Agent-Konfiguration entfernen</translation>
    </message>
    <message id="uninstall.item.removeFiles">
        <source>Delete application files</source>
        <translation>Anwendungsdateien löschen</translation>
    </message>
    <message id="uninstall.item.removeLauncher">
        <source>Remove launcher app</source>
        <translation>Launcher-App entfernen</translation>
    </message>
    <message id="uninstall.item.cleanupLogs">
        <source>Clean up log files</source>
        <translation>Log-Dateien bereinigen</translation>
    </message>
    <message id="uninstall.log.title">
        <source>Uninstall Log</source>
        <translation>Deinstallations-Log</translation>
    </message>
    <message id="uninstall.success">
        <source>✅ Vistrel has been successfully uninstalled</source>
        <translation>✅ Vistrel wurde erfolgreich deinstalliert</translation>
    </message>
    <message id="uninstall.successDescription">
        <source>All components have been removed from your system.</source>
        <translation>Alle Komponenten wurden von Ihrem System entfernt.</translation>
    </message>
    <message id="uninstall.error">
        <source>Uninstall Error</source>
        <translation>Deinstallationsfehler</translation>
    </message>
    <message id="uninstall.close">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="general.copy">
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message id="general.close">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="general.timeAgo.seconds">
        <source>%ds ago</source>
        <translation>vor %ds</translation>
    </message>
    <message id="general.timeAgo.minutes">
        <source>%dm ago</source>
        <translation>vor %dm</translation>
    </message>
    <message id="service.exitReason.code">
        <source>The server stopped with exit code %d</source>
        <translation>Der Server wurde mit dem Exit-Code %d beendet</translation>
    </message>
    <message id="service.exitReason.signal">
        <source>The server was stopped by signal %@</source>
        <translation>Der Server wurde durch das Signal %@ beendet</translation>
    </message>
    <message id="service.exitReason.restarting">
        <source>The server keeps restarting</source>
        <translation>Der Server startet immer wieder neu</translation>
    </message>
    <message id="service.exitReason.restartedOnce">
        <source>(restarted once)</source>
        <translation>(einmal neu gestartet)</translation>
    </message>
    <message id="service.exitReason.restarted">
        <source>(restarted %d times)</source>
        <translation>(%d-mal neu gestartet)</translation>
    </message>
    <message id="action.showLogs">
        <source>Show Logs</source>
        <translation>Protokolle anzeigen</translation>
    </message>
</context>
</TS>
