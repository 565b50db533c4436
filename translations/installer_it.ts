<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel Installer</source>
        <translation>Installatore Vistrel</translation>
    </message>
    <message id="app.subtitle">
        <source>Downloads and installs the latest version</source>
        <translation>Scarica e installa l'ultima versione</translation>
    </message>
    <message id="step.stopServices.title">
        <source>Preparing Service Cleanup</source>
        <translation>Preparazione Pulizia Servizi</translation>
    </message>
    <message id="step.downloadTarvik.title">
        <source>Downloading Vistrel</source>
        <translation>Download Vistrel</translation>
    </message>
    <message id="step.installTarvik.title">
        <source>Installing Vistrel</source>
        <translation>Installazione Vistrel</translation>
    </message>
    <message id="step.installLauncher.title">
        <source>Installing Launcher App</source>
        <translation>Installazione App Launcher</translation>
    </message>
    <message id="step.setupService.title">
        <source>Configuring Service</source>
        <translation>Configurazione Servizio</translation>
    </message>
    <message id="step.verifyService.title">
        <source>Verifying Service</source>
        <translation>Verifica Servizio</translation>
    </message>
    <message id="step.complete.title">
        <source>Ready to Launch</source>
        <translation>Pronto per l'Avvio</translation>
    </message>
    <message id="step.stopServices.description">
        <source>Cleaning up old services...</source>
        <translation>Pulizia servizi precedenti...</translation>
    </message>
    <message id="step.downloadTarvik.description">
        <source>Downloading the latest version from the server...</source>
        <translation>Download dell'ultima versione dal server...</translation>
    </message>
    <message id="step.installTarvik.description">
        <source>Copying Vistrel files to Application Support...</source>
        <translation>Copia dei file Vistrel in Application Support...</translation>
    </message>
    <message id="step.installLauncher.description">
        <source>Installing launcher app to Applications folder...</source>
        <translation>Installazione dell'app launcher nella cartella Applications...</translation>
    </message>
    <message id="step.setupService.description">
        <source>Configuring the service to run on user login...</source>
        <translation>Configurazione del servizio per l'avvio automatico...</translation>
    </message>
    <message id="step.verifyService.description">
        <source>Waiting for the Vistrel service to start...</source>
        <translation>Attesa dell'avvio del servizio Vistrel...</translation>
    </message>
    <message id="step.complete.description">
        <source>Vistrel is running and ready to be configured.</source>
        <translation>Vistrel è in esecuzione e pronto per la configurazione.</translation>
    </message>
    <message id="feature.service.title">
        <source>Service Install</source>
        <translation>Installazione Servizio</translation>
    </message>
    <message id="feature.service.description">
        <source>Downloads and installs Vistrel service files.</source>
        <translation>Scarica e installa i file del servizio Vistrel.</translation>
    </message>
    <message id="feature.launcher.title">
        <source>Launcher App</source>
        <translation>App Launcher</translation>
    </message>
    <message id="feature.launcher.description">
        <source>Installs a launcher app to manage the service.</source>
        <translation>Installa un'app launcher per gestire il servizio.</translation>
    </message>
    <message id="feature.agent.title">
        <source>Launch Agent</source>
        <translation>Agente di Avvio</translation>
    </message>
    <message id="feature.agent.description">
        <source>Configures service to run automatically on login.</source>
        <translation>Configura il servizio per l'avvio automatico al login.</translation>
    </message>
    <message id="ui.betaVersion">
        <source>Install Beta Version</source>
        <translation>Installa Versione Beta</translation>
    </message>
    <message id="ui.installDescription">
        <source>This will install Vistrel to your Library/Application Support folder and configure it to start automatically.</source>
        <translation>Questo installerà Vistrel nella cartella Library/Application Support e lo configurerà per l'avvio automatico.</translation>
    </message>
    <message id="ui.installButton">
        <source>Install Vistrel</source>
        <translation>Installa Vistrel</translation>
    </message>
    <message id="ui.openButton">
        <source>Open Vistrel</source>
        <translation>Apri Vistrel</translation>
    </message>
    <message id="ui.copyButton">
        <source>Copy</source>
        <translation>Copia</translation>
    </message>
    <message id="ui.installationLog">
        <source>Installation Log</source>
        <translation>Log di Installazione</translation>
    </message>
    <message id="ui.installationError">
        <source>Installation Error</source>
        <translation>Errore di Installazione</translation>
    </message>
    <message id="ui.portLabel">
        <source>Server Port</source>
        <translation>Porta del Server</translation>
    </message>
    <message id="ui.portInUse">
        <source>Port %@ is already in use by another application. Please choose a different port.</source>
        <translation>La porta %@ è già in uso da un'altra applicazione. Scegli una porta diversa.</translation>
    </message>
    <message id="ui.restoredRunning">
        <source>The previous installation was put back and runs again.</source>
        <translation>L'installazione precedente è stata ripristinata e funziona di nuovo.</translation>
    </message>
    <message id="ui.restoredNotAnswering">
        <source>The previous installation was put back and started again, but its service does not answer yet.</source>
        <translation>L'installazione precedente è stata ripristinata e riavviata, ma il suo servizio non risponde ancora.</translation>
    </message>
    <message id="ui.restoredStopped">
        <source>The previous installation was put back. Its service was not running before and stays stopped.</source>
        <translation>L'installazione precedente è stata ripristinata. Il suo servizio non era in esecuzione e resta fermo.</translation>
    </message>
    <message id="ui.installationRemoved">
        <source>Everything this installation had added was removed again.</source>
        <translation>Tutto ciò che questa installazione aveva aggiunto è stato rimosso.</translation>
    </message>
    <message id="ui.restoreIncomplete">
        <source>Not everything could be put back. The installer tries again the next time it starts; the log shows what is missing.</source>
        <translation>Non è stato possibile ripristinare tutto. Il programma di installazione riproverà al prossimo avvio; il log mostra cosa manca.</translation>
    </message>
    <message id="progress.download">
        <source>Downloaded %.1f MB of %.1f MB (%d%%)</source>
        <translation>Scaricato %.1f MB di %.1f MB (%d%%)</translation>
    </message>
    <message id="progress.verify">
        <source>Pinging service... (Attempt %d/%d)</source>
        <translation>Verifica servizio... (Tentativo %d/%d)</translation>
    </message>
    <message id="log.success">
        <source>✅ %@ complete</source>
        <translation>✅ %@ completato</translation>
    </message>
    <message id="log.error">
        <source>❌ %@ failed: %@</source>
        <translation>❌ %@ fallito: %@</translation>
    </message>
</context>
</TS>
