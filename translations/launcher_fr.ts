<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel</source>
        <translation>Vistrel</translation>
    </message>
    <message id="status.running">
        <source>Running</source>
        <translation>En cours</translation>
    </message>
    <message id="status.stopped">
        <source>Stopped</source>
        <translation>Arrêté</translation>
    </message>
    <message id="status.checking">
        <source>Checking...</source>
        <translation>Vérification...</translation>
    </message>
    <message id="status.starting">
        <source>Starting...</source>
        <translation>Démarrage...</translation>
    </message>
    <message id="status.stopping">
        <source>Stopping...</source>
        <translation>Arrêt...</translation>
    </message>
    <message id="status.error">
        <source>Error</source>
        <translation>Erreur</translation>
    </message>
    <message id="status.permissionsNeeded">
        <source>Permissions Required</source>
        <translation>Autorisations Requises</translation>
    </message>
    <message id="status.runningOnPort">
        <source>Running on port %d</source>
        <translation>En cours sur le port %d</translation>
    </message>
    <message id="action.start">
        <source>Start Vistrel</source>
        <translation>Démarrer Vistrel</translation>
    </message>
    <message id="action.stop">
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message id="action.restart">
        <source>Restart</source>
        <translation>Redémarrer</translation>
    </message>
    <message id="action.open">
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message id="action.retry">
        <source>Retry</source>
        <translation>Réessayer</translation>
    </message>
    <message id="action.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Désinstaller Vistrel</translation>
    </message>
    <message id="permissions.title">
        <source>Permissions Required</source>
        <translation>Autorisations Requises</translation>
    </message>
    <message id="permissions.description">
        <source>Vistrel needs camera and microphone permissions to function properly.</source>
        <translation>Vistrel a besoin des autorisations caméra et microphone pour fonctionner correctement.</translation>
    </message>
    <message id="permissions.camera">
        <source>Camera Access</source>
        <translation>Accès Caméra</translation>
    </message>
    <message id="permissions.microphone">
        <source>Microphone Access</source>
        <translation>Accès Microphone</translation>
    </message>
    <message id="permissions.granted">
        <source>Granted</source>
        <translation>Accordé</translation>
    </message>
    <message id="permissions.denied">
        <source>Denied</source>
        <translation>Refusé</translation>
    </message>
    <message id="permissions.restricted">
        <source>Restricted</source>
        <translation>Restreint</translation>
    </message>
    <message id="permissions.notSet">
        <source>Not Set</source>
        <translation>Non Défini</translation>
    </message>
    <message id="permissions.grantButton">
        <source>Grant Permissions</source>
        <translation>Accorder les Autorisations</translation>
    </message>
    <message id="permissions.requesting">
        <source>Requesting Permissions...</source>
        <translation>Demande d'Autorisations...</translation>
    </message>
    <message id="permissions.continueButton">
        <source>Continue to Service</source>
        <translation>Continuer vers le Service</translation>
    </message>
    <message id="service.starting">
        <source>Starting Vistrel...</source>
        <translation>Démarrage d'Vistrel...</translation>
    </message>
    <message id="service.stopping">
        <source>Stopping Vistrel...</source>
        <translation>Arrêt d'Vistrel...</translation>
    </message>
    <message id="service.pleaseWait">
        <source>Please wait...</source>
        <translation>Veuillez patienter...</translation>
    </message>
    <message id="service.error">
        <source>Service Error</source>
        <translation>Erreur du Service</translation>
    </message>
    <message id="service.liveMonitoring">
        <source>Live monitoring active</source>
        <translation>Surveillance en direct active</translation>
    </message>
    <message id="service.lastCheck">
        <source>Last check: %@</source>
        <translation>Dernière vérification: %@</translation>
    </message>
    <message id="uninstall.title">
        <source>Uninstall Vistrel</source>
        <translation>Désinstaller Vistrel</translation>
    </message>
    <message id="uninstall.subtitle">
        <source>Remove all Vistrel components from your system</source>
        <translation>Supprimer tous les composants Vistrel de votre système</translation>
    </message>
    <message id="uninstall.confirmation.title">
        <source>Are you sure you want to uninstall Vistrel?</source>
        <translation>Êtes-vous sûr de vouloir désinstaller Vistrel?</translation>
    </message>
    <message id="uninstall.confirmation.description">
        <source>This will permanently remove all Vistrel components from your system, including:</source>
        <translation>Cela supprimera définitivement tous les composants Vistrel de votre système, y compris:</translation>
    </message>
    <message id="uninstall.confirmation.warning">
        <source>This action cannot be undone. You will need to reinstall Vistrel if you want to use it again.</source>
        <translation>Cette action ne peut pas être annulée. Vous devrez réinstaller Vistrel si vous voulez l'utiliser à nouveau.</translation>
    </message>
    <message id="uninstall.confirmation.cancel">
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message id="uninstall.confirmation.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Désinstaller Vistrel</translation>
    </message>
    <message id="uninstall.step.stopService.title">
        <source>Stopping Service</source>
        <translation>Arrêt du Service</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.title">
        <source>Removing Launch Agent</source>
        <translation>Suppression de l'Agent de Lancement</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.title">
        <source>Removing Application Files</source>
        <translation>Suppression des Fichiers d'Application</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.title">
        <source>Removing Launcher App</source>
        <translation>Suppression de l'App Launcher</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.title">
        <source>Cleaning Up Logs</source>
        <translation>Nettoyage des Journaux</translation>
    </message>
    <message id="uninstall.step.complete.title">
        <source>Uninstall Complete</source>
        <translation>Désinstallation Terminée</translation>
    </message>
    <message id="uninstall.step.stopService.description">
        <source>Stopping the Vistrel service...</source>
        <translation>Arrêt du service Vistrel...</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.description">
        <source>Removing the launch agent configuration...</source>
        <translation>Suppression de la configuration de l'agent de lancement...</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.description">
        <source>Removing Vistrel files from Application Support...</source>
        <translation>Suppression des fichiers Vistrel d'Application Support...</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.description">
        <source>Removing the launcher app...</source>
        <translation>Suppression de l'application launcher...</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.description">
        <source>Cleaning up log files...</source>
        <translation>Nettoyage des fichiers journaux...</translation>
    </message>
    <message id="uninstall.step.complete.description">
        <source>Vistrel has been completely removed from your system.</source>
        <translation>Vistrel a été complètement supprimé de votre système.</translation>
    </message>
    <message id="uninstall.item.stopService">
        <source>Stop the running service</source>
        <translation>Arrêter le service en cours</translation>
    </message>
    <message id="uninstall.item.removeLaunchAgent">
        <source>Remove launch agent configuration</source>
        <translation>Supprimer la configuration de l'agent de lancement</translation>
    </message>
    <message id="uninstall.item.removeFiles">
        <source>Delete application files</source>
        <translation>Supprimer les fichiers d'application</translation>
    </message>
    <message id="uninstall.item.removeLauncher">
        <source>Remove launcher app</source>
        <translation>Supprimer l'app launcher</translation>
    </message>
    <message id="uninstall.item.cleanupLogs">
        <source>Clean up log files</source>
        <translation>Nettoyer les fichiers journaux</translation>
    </message>
    <message id="uninstall.log.title">
        <source>Uninstall Log</source>
        <translation>Journal de Désinstallation</translation>
    </message>
    <message id="uninstall.success">
        <source>✅ Vistrel has been successfully uninstalled</source>
        <translation>✅ Vistrel a été désinstallé avec succès</translation>
    </message>
    <message id="uninstall.successDescription">
        <source>All components have been removed from your system.</source>
        <translation>Tous les composants ont été supprimés de votre système.</translation>
    </message>
    <message id="uninstall.error">
        <source>Uninstall Error</source>
        <translation>Erreur de Désinstallation</translation>
    </message>
    <message id="uninstall.close">
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message id="general.copy">
        <source>Copy</source>
        <translation>Copier</translation>
    </message>
    <message id="general.close">
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message id="general.timeAgo.seconds">
        <source>%ds ago</source>
        <translation>%ds il y a</translation>
    </message>
    <message id="general.timeAgo.minutes">
        <source>%dm ago</source>
        <translation>%dm il y a</translation>
    </message>
    <message id="service.exitReason.code">
        <source>The server stopped with exit code %d</source>
        <translation>Le serveur s'est arrêté avec le code de sortie %d</translation>
    </message>
    <message id="service.exitReason.signal">
        <source>The server was stopped by signal %@</source>
        <translation>Le serveur a été arrêté par le signal %@</translation>
    </message>
    <message id="service.exitReason.restarting">
        <source>The server keeps restarting</source>
        <translation>Le serveur redémarre sans cesse</translation>
    </message>
    <message id="service.exitReason.restartedOnce">
        <source>(restarted once)</source>
        <translation>(redémarré une fois)</translation>
    </message>
    <message id="service.exitReason.restarted">
        <source>(restarted %d times)</source>
        <translation>(redémarré %d fois)</translation>
    </message>
    <message id="action.showLogs">
        <source>Show Logs</source>
        <translation>Afficher les journaux</translation>
    </message>
</context>
</TS>
