<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel Installer</source>
        <translation>Vistrel Installer</translation>
    </message>
    <message id="app.subtitle">
        <source>Downloads and installs the latest version</source>
        <translation>Télécharge et installe la dernière version</translation>
    </message>
    <message id="step.stopServices.title">
        <source>Preparing Service Cleanup</source>
        <translation>Préparation du nettoyage des services</translation>
    </message>
    <message id="step.downloadTarvik.title">
        <source>Downloading Vistrel</source>
        <translation>Téléchargement d'Vistrel</translation>
    </message>
    <message id="step.installTarvik.title">
        <source>Installing Vistrel</source>
        <translation>Installation d'Vistrel</translation>
    </message>
    <message id="step.installLauncher.title">
        <source>Installing Launcher App</source>
        <translation>Installation de l'application Launcher</translation>
    </message>
    <message id="step.setupService.title">
        <source>Configuring Service</source>
        <translation>Configuration du service</translation>
    </message>
    <message id="step.verifyService.title">
        <source>Verifying Service</source>
        <translation>Vérification du service</translation>
    </message>
    <message id="step.complete.title">
        <source>Ready to Launch</source>
        <translation>Prêt à lancer</translation>
    </message>
    <message id="step.stopServices.description">
        <source>Cleaning up old services...</source>
        <translation>Nettoyage des anciens services...</translation>
    </message>
    <message id="step.downloadTarvik.description">
        <source>Downloading the latest version from the server...</source>
        <translation>Téléchargement de la dernière version depuis le serveur...</translation>
    </message>
    <message id="step.installTarvik.description">
        <source>Copying Vistrel files to Application Support...</source>
        <translation>Copie des fichiers Vistrel vers Application Support...</translation>
    </message>
    <message id="step.installLauncher.description">
        <source>Installing launcher app to Applications folder...</source>
        <translation>Installation de l'application launcher dans le dossier Applications...</translation>
    </message>
    <message id="step.setupService.description">
        <source>Configuring the service to run on user login...</source>
        <translation>Configuration du service pour démarrer lors de la connexion utilisateur...</translation>
    </message>
    <message id="step.verifyService.description">
        <source>Waiting for the Vistrel service to start...</source>
        <translation>Attente du démarrage du service Vistrel...</translation>
    </message>
    <message id="step.complete.description">
        <source>Vistrel is running and ready to be configured.</source>
        <translation>Vistrel fonctionne et est prêt à être configuré.</translation>
    </message>
    <message id="feature.service.title">
        <source>Service Install</source>
        <translation>Installation du service</translation>
    </message>
    <message id="feature.service.description">
        <source>Downloads and installs Vistrel service files.</source>
        <translation>Télécharge et installe les fichiers de service Vistrel.</translation>
    </message>
    <message id="feature.launcher.title">
        <source>Launcher App</source>
        <translation>Application Launcher</translation>
    </message>
    <message id="feature.launcher.description">
        <source>Installs a launcher app to manage the service.</source>
        <translation>Installe une application launcher pour gérer le service.</translation>
    </message>
    <message id="feature.agent.title">
        <source>Launch Agent</source>
        <translation>Agent de lancement</translation>
    </message>
    <message id="feature.agent.description">
        <source>Configures service to run automatically on login.</source>
        <translation>Configure le service pour démarrer automatiquement lors de la connexion.</translation>
    </message>
    <message id="ui.betaVersion">
        <source>Install Beta Version</source>
        <translation>Installer la version bêta</translation>
    </message>
    <message id="ui.installDescription">
        <source>This will install Vistrel to your Library/Application Support folder and configure it to start automatically.</source>
        <translation>Ceci installera Vistrel dans votre dossier Library/Application Support et le configurera pour démarrer automatiquement.</translation>
    </message>
    <message id="ui.installButton">
        <source>Install Vistrel</source>
        <translation>Installer Vistrel</translation>
    </message>
    <message id="ui.openButton">
        <source>Open Vistrel</source>
        <translation>Ouvrir Vistrel</translation>
    </message>
    <message id="ui.copyButton">
        <source>Copy</source>
        <translation>Copier</translation>
    </message>
    <message id="ui.installationLog">
        <source>Installation Log</source>
        <translation>Journal d'installation</translation>
    </message>
    <message id="ui.installationError">
        <source>Installation Error</source>
        <translation>Erreur d'installation</translation>
    </message>
    <message id="ui.portLabel">
        <source>Server Port</source>
        <translation>Port du Serveur</translation>
    </message>
    <message id="ui.portInUse">
        <source>Port %@ is already in use by another application. Please choose a different port.</source>
        <translation>Le port %@ est déjà utilisé par une autre application. Veuillez choisir un autre port.</translation>
    </message>
    <message id="ui.restoredRunning">
        <source>The previous installation was put back and runs again.</source>
        <translation>L'installation précédente a été restaurée et fonctionne à nouveau.</translation>
    </message>
    <message id="ui.restoredNotAnswering">
        <source>The previous installation was put back and started again, but its service does not answer yet.</source>
        <translation>L'installation précédente a été restaurée et redémarrée, mais son service ne répond pas encore.</translation>
    </message>
    <message id="ui.restoredStopped">
        <source>The previous installation was put back. Its service was not running before and stays stopped.</source>
        <translation>L'installation précédente a été restaurée. Son service ne fonctionnait pas auparavant et reste arrêté.</translation>
    </message>
    <message id="ui.installationRemoved">
        <source>Everything this installation had added was removed again.</source>
        <translation>Tout ce que cette installation avait ajouté a été supprimé.</translation>
    </message>
    <message id="ui.restoreIncomplete">
        <source>Not everything could be put back. The installer tries again the next time it starts; the log shows what is missing.</source>
        <translation>Tout n'a pas pu être restauré. Le programme d'installation réessaiera à son prochain démarrage ; le journal indique ce qui manque.</translation>
    </message>
    <message id="progress.download">
        <source>Downloaded %.1f MB of %.1f MB (%d%%)</source>
        <translation>%.1f Mo sur %.1f Mo téléchargés (%d%%)</translation>
    </message>
    <message id="progress.verify">
        <source>Pinging service... (Attempt %d/%d)</source>
        <translation>Test du service... (Tentative %d/%d)</translation>
    </message>
    <message id="log.success">
        <source>✅ %@ complete</source>
        <translation>✅ %@ terminé</translation>
    </message>
    <message id="log.error">
        <source>❌ %@ failed: %@</source>
        <translation>❌ %@ échoué : %@</translation>
    </message>
</context>
</TS>
