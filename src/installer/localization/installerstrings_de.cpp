#include "installerstringdata.h"

namespace vistrel::installerstrings {

// German (de). Same keys in the same order as every other table.
extern const std::array<StringEntry, keyCount> de = {{
    {u"app.title", u"Vistrel Installer"},
    {u"app.subtitle", u"Lädt die neueste Version herunter und installiert sie"},
    {u"step.stopServices.title", u"Vorbereitung der Dienst-Bereinigung"},
    {u"step.downloadTarvik.title", u"Vistrel wird heruntergeladen"},
    {u"step.installTarvik.title", u"Vistrel wird installiert"},
    {u"step.installLauncher.title", u"Launcher-App wird installiert"},
    {u"step.setupService.title", u"Dienst wird konfiguriert"},
    {u"step.verifyService.title", u"Dienst wird überprüft"},
    {u"step.complete.title", u"Bereit zum Starten"},
    {u"step.stopServices.description", u"Alte Dienste werden bereinigt..."},
    {u"step.downloadTarvik.description", u"Die neueste Version wird vom Server heruntergeladen..."},
    {u"step.installTarvik.description", u"Vistrel-Dateien werden in den Application Support kopiert..."},
    {u"step.installLauncher.description", u"Launcher-App wird in den Applications-Ordner installiert..."},
    {u"step.setupService.description",
     u"Der Dienst wird für den automatischen Start bei der Benutzeranmeldung konfiguriert..."},
    {u"step.verifyService.description", u"Warten auf den Start des Vistrel-Dienstes..."},
    {u"step.complete.description", u"Vistrel läuft und ist bereit zur Konfiguration."},
    {u"feature.service.title", u"Dienst-Installation"},
    {u"feature.service.description", u"Lädt Vistrel-Dienstdateien herunter und installiert sie."},
    {u"feature.launcher.title", u"Launcher-App"},
    {u"feature.launcher.description", u"Installiert eine Launcher-App zur Verwaltung des Dienstes."},
    {u"feature.agent.title", u"Launch Agent"},
    {u"feature.agent.description", u"Konfiguriert den Dienst für automatischen Start bei der Anmeldung."},
    {u"ui.betaVersion", u"Beta-Version installieren"},
    {u"ui.installDescription", u"Dies installiert Vistrel in Ihren Library/Application Support-Ordner und konfiguriert "
                               u"es für den automatischen Start."},
    {u"ui.installButton", u"Vistrel installieren"},
    {u"ui.openButton", u"Vistrel öffnen"},
    {u"ui.copyButton", u"Kopieren"},
    {u"ui.installationLog", u"Installations-Log"},
    {u"ui.installationError", u"Installationsfehler"},
    {u"ui.portLabel", u"Server-Port"},
    {u"ui.portInUse",
     u"Port %@ wird bereits von einer anderen Anwendung verwendet. Bitte wählen Sie einen anderen Port."},
    {u"progress.download", u"%.1f MB von %.1f MB heruntergeladen (%d%%)"},
    {u"progress.verify", u"Dienst wird angepingt... (Versuch %d/%d)"},
    {u"log.success", u"✅ %@ abgeschlossen"},
    {u"log.error", u"❌ %@ fehlgeschlagen: %@"},
}};

} // namespace vistrel::installerstrings
