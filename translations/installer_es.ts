<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel Installer</source>
        <translation>Instalador de Vistrel</translation>
    </message>
    <message id="app.subtitle">
        <source>Downloads and installs the latest version</source>
        <translation>Descarga e instala la última versión</translation>
    </message>
    <message id="step.stopServices.title">
        <source>Preparing Service Cleanup</source>
        <translation>Preparando Limpieza del Servicio</translation>
    </message>
    <message id="step.downloadTarvik.title">
        <source>Downloading Vistrel</source>
        <translation>Descargando Vistrel</translation>
    </message>
    <message id="step.installTarvik.title">
        <source>Installing Vistrel</source>
        <translation>Instalando Vistrel</translation>
    </message>
    <message id="step.installLauncher.title">
        <source>Installing Launcher App</source>
        <translation>Instalando Aplicación Launcher</translation>
    </message>
    <message id="step.setupService.title">
        <source>Configuring Service</source>
        <translation>Configurando Servicio</translation>
    </message>
    <message id="step.verifyService.title">
        <source>Verifying Service</source>
        <translation>Verificando Servicio</translation>
    </message>
    <message id="step.complete.title">
        <source>Ready to Launch</source>
        <translation>Listo para Ejecutar</translation>
    </message>
    <message id="step.stopServices.description">
        <source>Cleaning up old services...</source>
        <translation>Limpiando servicios anteriores...</translation>
    </message>
    <message id="step.downloadTarvik.description">
        <source>Downloading the latest version from the server...</source>
        <translation>Descargando la última versión desde el servidor...</translation>
    </message>
    <message id="step.installTarvik.description">
        <source>Copying Vistrel files to Application Support...</source>
        <translation>Copiando archivos de Vistrel a Application Support...</translation>
    </message>
    <message id="step.installLauncher.description">
        <source>Installing launcher app to Applications folder...</source>
        <translation>Instalando aplicación launcher en la carpeta Applications...</translation>
    </message>
    <message id="step.setupService.description">
        <source>Configuring the service to run on user login...</source>
        <translation>Configurando el servicio para ejecutarse al iniciar sesión...</translation>
    </message>
    <message id="step.verifyService.description">
        <source>Waiting for the Vistrel service to start...</source>
        <translation>Esperando a que inicie el servicio Vistrel...</translation>
    </message>
    <message id="step.complete.description">
        <source>Vistrel is running and ready to be configured.</source>
        <translation>Vistrel está ejecutándose y listo para ser configurado.</translation>
    </message>
    <message id="feature.service.title">
        <source>Service Install</source>
        <translation>Instalación del Servicio</translation>
    </message>
    <message id="feature.service.description">
        <source>Downloads and installs Vistrel service files.</source>
        <translation>Descarga e instala los archivos del servicio Vistrel.</translation>
    </message>
    <message id="feature.launcher.title">
        <source>Launcher App</source>
        <translation>Aplicación Launcher</translation>
    </message>
    <message id="feature.launcher.description">
        <source>Installs a launcher app to manage the service.</source>
        <translation>Instala una aplicación launcher para gestionar el servicio.</translation>
    </message>
    <message id="feature.agent.title">
        <source>Launch Agent</source>
        <translation>Agente de Inicio</translation>
    </message>
    <message id="feature.agent.description">
        <source>Configures service to run automatically on login.</source>
        <translation>Configura el servicio para ejecutarse automáticamente al iniciar sesión.</translation>
    </message>
    <message id="ui.betaVersion">
        <source>Install Beta Version</source>
        <translation>Instalar Versión Beta</translation>
    </message>
    <message id="ui.installDescription">
        <source>This will install Vistrel to your Library/Application Support folder and configure it to start automatically.</source>
        <translation>Esto instalará Vistrel en tu carpeta Library/Application Support y lo configurará para iniciarse automáticamente.</translation>
    </message>
    <message id="ui.installButton">
        <source>Install Vistrel</source>
        <translation>Instalar Vistrel</translation>
    </message>
    <message id="ui.openButton">
        <source>Open Vistrel</source>
        <translation>Abrir Vistrel</translation>
    </message>
    <message id="ui.copyButton">
        <source>Copy</source>
        <translation>Copiar</translation>
    </message>
    <message id="ui.installationLog">
        <source>Installation Log</source>
        <translation>Registro de Instalación</translation>
    </message>
    <message id="ui.installationError">
        <source>Installation Error</source>
        <translation>Error de Instalación</translation>
    </message>
    <message id="ui.portLabel">
        <source>Server Port</source>
        <translation>Puerto del Servidor</translation>
    </message>
    <message id="ui.portInUse">
        <source>Port %@ is already in use by another application. Please choose a different port.</source>
        <translation>El puerto %@ ya está siendo usado por otra aplicación. Por favor, elige un puerto diferente.</translation>
    </message>
    <message id="ui.restoredRunning">
        <source>The previous installation was put back and runs again.</source>
        <translation>Se ha restaurado la instalación anterior y vuelve a funcionar.</translation>
    </message>
    <message id="ui.restoredNotAnswering">
        <source>The previous installation was put back and started again, but its service does not answer yet.</source>
        <translation>Se ha restaurado la instalación anterior y se ha vuelto a iniciar, pero su servicio aún no responde.</translation>
    </message>
    <message id="ui.restoredStopped">
        <source>The previous installation was put back. Its service was not running before and stays stopped.</source>
        <translation>Se ha restaurado la instalación anterior. Su servicio no estaba en marcha y sigue detenido.</translation>
    </message>
    <message id="ui.installationRemoved">
        <source>Everything this installation had added was removed again.</source>
        <translation>Se ha eliminado todo lo que esta instalación había añadido.</translation>
    </message>
    <message id="ui.restoreIncomplete">
        <source>Not everything could be put back. The installer tries again the next time it starts; the log shows what is missing.</source>
        <translation>No se pudo restaurar todo. El instalador lo volverá a intentar la próxima vez que se inicie; el registro muestra lo que falta.</translation>
    </message>
    <message id="progress.download">
        <source>Downloaded %.1f MB of %.1f MB (%d%%)</source>
        <translation>Descargado %.1f MB de %.1f MB (%d%%)</translation>
    </message>
    <message id="progress.verify">
        <source>Pinging service... (Attempt %d/%d)</source>
        <translation>Verificando servicio... (Intento %d/%d)</translation>
    </message>
    <message id="log.success">
        <source>✅ %@ complete</source>
        <translation>✅ %@ completado</translation>
    </message>
    <message id="log.error">
        <source>❌ %@ failed: %@</source>
        <translation>❌ %@ falló: %@</translation>
    </message>
</context>
</TS>
