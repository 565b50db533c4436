#include "installerstringdata.h"

namespace vistrel::installerstrings {

// Spanish (es). Same keys in the same order as every other table.
extern const std::array<StringEntry, keyCount> es = {{
    {u"app.title", u"Instalador de Vistrel"},
    {u"app.subtitle", u"Descarga e instala la última versión"},
    {u"step.stopServices.title", u"Preparando Limpieza del Servicio"},
    {u"step.downloadTarvik.title", u"Descargando Vistrel"},
    {u"step.installTarvik.title", u"Instalando Vistrel"},
    {u"step.installLauncher.title", u"Instalando Aplicación Launcher"},
    {u"step.setupService.title", u"Configurando Servicio"},
    {u"step.verifyService.title", u"Verificando Servicio"},
    {u"step.complete.title", u"Listo para Ejecutar"},
    {u"step.stopServices.description", u"Limpiando servicios anteriores..."},
    {u"step.downloadTarvik.description", u"Descargando la última versión desde el servidor..."},
    {u"step.installTarvik.description", u"Copiando archivos de Vistrel a Application Support..."},
    {u"step.installLauncher.description", u"Instalando aplicación launcher en la carpeta Applications..."},
    {u"step.setupService.description", u"Configurando el servicio para ejecutarse al iniciar sesión..."},
    {u"step.verifyService.description", u"Esperando a que inicie el servicio Vistrel..."},
    {u"step.complete.description", u"Vistrel está ejecutándose y listo para ser configurado."},
    {u"feature.service.title", u"Instalación del Servicio"},
    {u"feature.service.description", u"Descarga e instala los archivos del servicio Vistrel."},
    {u"feature.launcher.title", u"Aplicación Launcher"},
    {u"feature.launcher.description", u"Instala una aplicación launcher para gestionar el servicio."},
    {u"feature.agent.title", u"Agente de Inicio"},
    {u"feature.agent.description", u"Configura el servicio para ejecutarse automáticamente al iniciar sesión."},
    {u"ui.betaVersion", u"Instalar Versión Beta"},
    {u"ui.installDescription", u"Esto instalará Vistrel en tu carpeta Library/Application Support y lo configurará "
                               u"para iniciarse automáticamente."},
    {u"ui.installButton", u"Instalar Vistrel"},
    {u"ui.openButton", u"Abrir Vistrel"},
    {u"ui.copyButton", u"Copiar"},
    {u"ui.installationLog", u"Registro de Instalación"},
    {u"ui.installationError", u"Error de Instalación"},
    {u"ui.portLabel", u"Puerto del Servidor"},
    {u"ui.portInUse", u"El puerto %@ ya está siendo usado por otra aplicación. Por favor, elige un puerto diferente."},
    {u"progress.download", u"Descargado %.1f MB de %.1f MB (%d%%)"},
    {u"progress.verify", u"Verificando servicio... (Intento %d/%d)"},
    {u"log.success", u"✅ %@ completado"},
    {u"log.error", u"❌ %@ falló: %@"},
}};

} // namespace vistrel::installerstrings
