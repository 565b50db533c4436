#include "installerstringdata.h"

namespace vistrel::installerstrings {

// French (fr). Same keys in the same order as every other table.
extern const std::array<StringEntry, keyCount> fr = {{
    {u"app.title", u"Vistrel Installer"},
    {u"app.subtitle", u"Télécharge et installe la dernière version"},
    {u"step.stopServices.title", u"Préparation du nettoyage des services"},
    {u"step.downloadTarvik.title", u"Téléchargement d'Vistrel"},
    {u"step.installTarvik.title", u"Installation d'Vistrel"},
    {u"step.installLauncher.title", u"Installation de l'application Launcher"},
    {u"step.setupService.title", u"Configuration du service"},
    {u"step.verifyService.title", u"Vérification du service"},
    {u"step.complete.title", u"Prêt à lancer"},
    {u"step.stopServices.description", u"Nettoyage des anciens services..."},
    {u"step.downloadTarvik.description", u"Téléchargement de la dernière version depuis le serveur..."},
    {u"step.installTarvik.description", u"Copie des fichiers Vistrel vers Application Support..."},
    {u"step.installLauncher.description", u"Installation de l'application launcher dans le dossier Applications..."},
    {u"step.setupService.description", u"Configuration du service pour démarrer lors de la connexion utilisateur..."},
    {u"step.verifyService.description", u"Attente du démarrage du service Vistrel..."},
    {u"step.complete.description", u"Vistrel fonctionne et est prêt à être configuré."},
    {u"feature.service.title", u"Installation du service"},
    {u"feature.service.description", u"Télécharge et installe les fichiers de service Vistrel."},
    {u"feature.launcher.title", u"Application Launcher"},
    {u"feature.launcher.description", u"Installe une application launcher pour gérer le service."},
    {u"feature.agent.title", u"Agent de lancement"},
    {u"feature.agent.description", u"Configure le service pour démarrer automatiquement lors de la connexion."},
    {u"ui.betaVersion", u"Installer la version bêta"},
    {u"ui.installDescription", u"Ceci installera Vistrel dans votre dossier Library/Application Support et le "
                               u"configurera pour démarrer automatiquement."},
    {u"ui.installButton", u"Installer Vistrel"},
    {u"ui.openButton", u"Ouvrir Vistrel"},
    {u"ui.copyButton", u"Copier"},
    {u"ui.installationLog", u"Journal d'installation"},
    {u"ui.installationError", u"Erreur d'installation"},
    {u"ui.portLabel", u"Port du Serveur"},
    {u"ui.portInUse", u"Le port %@ est déjà utilisé par une autre application. Veuillez choisir un autre port."},
    {u"progress.download", u"%.1f Mo sur %.1f Mo téléchargés (%d%%)"},
    {u"progress.verify", u"Test du service... (Tentative %d/%d)"},
    {u"log.success", u"✅ %@ terminé"},
    {u"log.error", u"❌ %@ échoué : %@"},
}};

} // namespace vistrel::installerstrings
