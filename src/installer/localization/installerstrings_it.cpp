#include "installerstringdata.h"

namespace vistrel::installerstrings {

// Italian (it). Same keys in the same order as every other table.
extern const std::array<StringEntry, keyCount> it = {{
    {u"app.title", u"Installatore Vistrel"},
    {u"app.subtitle", u"Scarica e installa l'ultima versione"},
    {u"step.stopServices.title", u"Preparazione Pulizia Servizi"},
    {u"step.downloadTarvik.title", u"Download Vistrel"},
    {u"step.installTarvik.title", u"Installazione Vistrel"},
    {u"step.installLauncher.title", u"Installazione App Launcher"},
    {u"step.setupService.title", u"Configurazione Servizio"},
    {u"step.verifyService.title", u"Verifica Servizio"},
    {u"step.complete.title", u"Pronto per l'Avvio"},
    {u"step.stopServices.description", u"Pulizia servizi precedenti..."},
    {u"step.downloadTarvik.description", u"Download dell'ultima versione dal server..."},
    {u"step.installTarvik.description", u"Copia dei file Vistrel in Application Support..."},
    {u"step.installLauncher.description", u"Installazione dell'app launcher nella cartella Applications..."},
    {u"step.setupService.description", u"Configurazione del servizio per l'avvio automatico..."},
    {u"step.verifyService.description", u"Attesa dell'avvio del servizio Vistrel..."},
    {u"step.complete.description", u"Vistrel è in esecuzione e pronto per la configurazione."},
    {u"feature.service.title", u"Installazione Servizio"},
    {u"feature.service.description", u"Scarica e installa i file del servizio Vistrel."},
    {u"feature.launcher.title", u"App Launcher"},
    {u"feature.launcher.description", u"Installa un'app launcher per gestire il servizio."},
    {u"feature.agent.title", u"Agente di Avvio"},
    {u"feature.agent.description", u"Configura il servizio per l'avvio automatico al login."},
    {u"ui.betaVersion", u"Installa Versione Beta"},
    {u"ui.installDescription",
     u"Questo installerà Vistrel nella cartella Library/Application Support e lo configurerà per l'avvio automatico."},
    {u"ui.installButton", u"Installa Vistrel"},
    {u"ui.openButton", u"Apri Vistrel"},
    {u"ui.copyButton", u"Copia"},
    {u"ui.installationLog", u"Log di Installazione"},
    {u"ui.installationError", u"Errore di Installazione"},
    {u"ui.portLabel", u"Porta del Server"},
    {u"ui.portInUse", u"La porta %@ è già in uso da un'altra applicazione. Scegli una porta diversa."},
    {u"progress.download", u"Scaricato %.1f MB di %.1f MB (%d%%)"},
    {u"progress.verify", u"Verifica servizio... (Tentativo %d/%d)"},
    {u"log.success", u"✅ %@ completato"},
    {u"log.error", u"❌ %@ fallito: %@"},
}};

} // namespace vistrel::installerstrings
