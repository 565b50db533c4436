<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel</source>
        <translation>Vistrel</translation>
    </message>
    <message id="status.running">
        <source>Running</source>
        <translation>In Esecuzione</translation>
    </message>
    <message id="status.stopped">
        <source>Stopped</source>
        <translation>Fermato</translation>
    </message>
    <message id="status.checking">
        <source>Checking...</source>
        <translation>Controllo...</translation>
    </message>
    <message id="status.starting">
        <source>Starting...</source>
        <translation>Avvio...</translation>
    </message>
    <message id="status.stopping">
        <source>Stopping...</source>
        <translation>Arresto...</translation>
    </message>
    <message id="status.error">
        <source>Error</source>
        <translation>Errore</translation>
    </message>
    <message id="status.permissionsNeeded">
        <source>Permissions Required</source>
        <translation>Autorizzazioni Richieste</translation>
    </message>
    <message id="status.runningOnPort">
        <source>Running on port %d</source>
        <translation>In esecuzione sulla porta %d</translation>
    </message>
    <message id="action.start">
        <source>Start Vistrel</source>
        <translation>Avvia Vistrel</translation>
    </message>
    <message id="action.stop">
        <source>Stop</source>
        <translation>Ferma</translation>
    </message>
    <message id="action.restart">
        <source>Restart</source>
        <translation>Riavvia</translation>
    </message>
    <message id="action.open">
        <source>Open</source>
        <translation>Apri</translation>
    </message>
    <message id="action.retry">
        <source>Retry</source>
        <translation>Riprova</translation>
    </message>
    <message id="action.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Disinstalla Vistrel</translation>
    </message>
    <message id="permissions.title">
        <source>Permissions Required</source>
        <translation>Autorizzazioni Richieste</translation>
    </message>
    <message id="permissions.description">
        <source>Vistrel needs camera and microphone permissions to function properly.</source>
        <translation>Vistrel necessita delle autorizzazioni per fotocamera e microfono per funzionare correttamente.</translation>
    </message>
    <message id="permissions.camera">
        <source>Camera Access</source>
        <translation>Accesso Fotocamera</translation>
    </message>
    <message id="permissions.microphone">
        <source>Microphone Access</source>
        <translation>Accesso Microfono</translation>
    </message>
    <message id="permissions.granted">
        <source>Granted</source>
        <translation>Concesso</translation>
    </message>
    <message id="permissions.denied">
        <source>Denied</source>
        <translation>Negato</translation>
    </message>
    <message id="permissions.restricted">
        <source>Restricted</source>
        <translation>Limitato</translation>
    </message>
    <message id="permissions.notSet">
        <source>Not Set</source>
        <translation>Non Impostato</translation>
    </message>
    <message id="permissions.grantButton">
        <source>Grant Permissions</source>
        <translation>Concedi Autorizzazioni</translation>
    </message>
    <message id="permissions.requesting">
        <source>Requesting Permissions...</source>
        <translation>Richiesta Autorizzazioni...</translation>
    </message>
    <message id="permissions.continueButton">
        <source>Continue to Service</source>
        <translation>Continua al Servizio</translation>
    </message>
    <message id="service.starting">
        <source>Starting Vistrel...</source>
        <translation>Avvio di Vistrel...</translation>
    </message>
    <message id="service.stopping">
        <source>Stopping Vistrel...</source>
        <translation>Arresto di Vistrel...</translation>
    </message>
    <message id="service.pleaseWait">
        <source>Please wait...</source>
        <translation>Attendere prego...</translation>
    </message>
    <message id="service.error">
        <source>Service Error</source>
        <translation>Errore del Servizio</translation>
    </message>
    <message id="service.liveMonitoring">
        <source>Live monitoring active</source>
        <translation>Monitoraggio dal vivo attivo</translation>
    </message>
    <message id="service.lastCheck">
        <source>Last check: %@</source>
        <translation>Ultimo controllo: %@</translation>
    </message>
    <message id="uninstall.title">
        <source>Uninstall Vistrel</source>
        <translation>Disinstalla Vistrel</translation>
    </message>
    <message id="uninstall.subtitle">
        <source>Remove all Vistrel components from your system</source>
        <translation>Rimuovi tutti i componenti di Vistrel dal sistema</translation>
    </message>
    <message id="uninstall.confirmation.title">
        <source>Are you sure you want to uninstall Vistrel?</source>
        <translation>Sei sicuro di voler disinstallare Vistrel?</translation>
    </message>
    <message id="uninstall.confirmation.description">
        <source>This will permanently remove all Vistrel components from your system, including:</source>
        <translation>Questo rimuoverà permanentemente tutti i componenti di Vistrel dal sistema, inclusi:</translation>
    </message>
    <message id="uninstall.confirmation.warning">
        <source>This action cannot be undone. You will need to reinstall Vistrel if you want to use it again.</source>
        <translation>Questa azione non può essere annullata. Dovrai reinstallare Vistrel se vuoi usarlo di nuovo.</translation>
    </message>
    <message id="uninstall.confirmation.cancel">
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message id="uninstall.confirmation.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Disinstalla Vistrel</translation>
    </message>
    <message id="uninstall.step.stopService.title">
        <source>Stopping Service</source>
        <translation>Arresto del Servizio</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.title">
        <source>Removing Launch Agent</source>
        <translation>Rimozione Launch Agent</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.title">
        <source>Removing Application Files</source>
        <translation>Rimozione File Applicazione</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.title">
        <source>Removing Launcher App</source>
        <translation>Rimozione App Launcher</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.title">
        <source>Cleaning Up Logs</source>
        <translation>Pulizia Log</translation>
    </message>
    <message id="uninstall.step.complete.title">
        <source>Uninstall Complete</source>
        <translation>Disinstallazione Completata</translation>
    </message>
    <message id="uninstall.step.stopService.description">
        <source>Stopping the Vistrel service...</source>
        <translation>Arresto del servizio Vistrel...</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.description">
        <source>Removing the launch agent configuration...</source>
        <translation>Rimozione della configurazione launch agent...</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.description">
        <source>Removing Vistrel files from Application Support...</source>
        <translation>Rimozione dei file Vistrel da Application Support...</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.description">
        <source>Removing the launcher app...</source>
        <translation>Rimozione dell'applicazione launcher...</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.description">
        <source>Cleaning up log files...</source>
        <translation>Pulizia dei file di log...</translation>
    </message>
    <message id="uninstall.step.complete.description">
        <source>Vistrel has been completely removed from your system.</source>
        <translation>Vistrel è stato completamente rimosso dal sistema.</translation>
    </message>
    <message id="uninstall.item.stopService">
        <source>Stop the running service</source>
        <translation>Ferma il servizio in esecuzione</translation>
    </message>
    <message id="uninstall.item.removeLaunchAgent">
        <source>Remove launch agent configuration</source>
        <translation>Rimuovi configurazione launch agent</translation>
    </message>
    <message id="uninstall.item.removeFiles">
        <source>Delete application files</source>
        <translation>Elimina file applicazione</translation>
    </message>
    <message id="uninstall.item.removeLauncher">
        <source>Remove launcher app</source>
        <translation>Rimuovi app launcher</translation>
    </message>
    <message id="uninstall.item.cleanupLogs">
        <source>Clean up log files</source>
        <translation>Pulisci file di log</translation>
    </message>
    <message id="uninstall.log.title">
        <source>Uninstall Log</source>
        <translation>Log Disinstallazione</translation>
    </message>
    <message id="uninstall.success">
        <source>✅ Vistrel has been successfully uninstalled</source>
        <translation>✅ Vistrel è stato disinstallato con successo</translation>
    </message>
    <message id="uninstall.successDescription">
        <source>All components have been removed from your system.</source>
        <translation>Tutti i componenti sono stati rimossi dal sistema.</translation>
    </message>
    <message id="uninstall.error">
        <source>Uninstall Error</source>
        <translation>Errore Disinstallazione</translation>
    </message>
    <message id="uninstall.close">
        <source>Close</source>
        <translation>Chiudi</translation>
    </message>
    <message id="general.copy">
        <source>Copy</source>
        <translation>Copia</translation>
    </message>
    <message id="general.close">
        <source>Close</source>
        <translation>Chiudi</translation>
    </message>
    <message id="general.timeAgo.seconds">
        <source>%ds ago</source>
        <translation>%ds fa</translation>
    </message>
    <message id="general.timeAgo.minutes">
        <source>%dm ago</source>
        <translation>%dm fa</translation>
    </message>
    <message id="service.exitReason.code">
        <source>The server stopped with exit code %d</source>
        <translation>Il server si è arrestato con il codice di uscita %d</translation>
    </message>
    <message id="service.exitReason.signal">
        <source>The server was stopped by signal %@</source>
        <translation>Il server è stato arrestato dal segnale %@</translation>
    </message>
    <message id="service.exitReason.restarting">
        <source>The server keeps restarting</source>
        <translation>Il server continua a riavviarsi</translation>
    </message>
    <message id="service.exitReason.restartedOnce">
        <source>(restarted once)</source>
        <translation>(riavviato una volta)</translation>
    </message>
    <message id="service.exitReason.restarted">
        <source>(restarted %d times)</source>
        <translation>(riavviato %d volte)</translation>
    </message>
    <message id="action.showLogs">
        <source>Show Logs</source>
        <translation>Mostra log</translation>
    </message>
</context>
</TS>
