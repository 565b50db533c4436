<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel</source>
        <translation>Vistrel</translation>
    </message>
    <message id="status.running">
        <source>Running</source>
        <translation>Ejecutándose</translation>
    </message>
    <message id="status.stopped">
        <source>Stopped</source>
        <translation>Detenido</translation>
    </message>
    <message id="status.checking">
        <source>Checking...</source>
        <translation>Verificando...</translation>
    </message>
    <message id="status.starting">
        <source>Starting...</source>
        <translation>Iniciando...</translation>
    </message>
    <message id="status.stopping">
        <source>Stopping...</source>
        <translation>Deteniendo...</translation>
    </message>
    <message id="status.error">
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message id="status.permissionsNeeded">
        <source>Permissions Required</source>
        <translation>Permisos Requeridos</translation>
    </message>
    <message id="status.runningOnPort">
        <source>Running on port %d</source>
        <translation>Ejecutándose en el puerto %d</translation>
    </message>
    <message id="action.start">
        <source>Start Vistrel</source>
        <translation>Iniciar Vistrel</translation>
    </message>
    <message id="action.stop">
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message id="action.restart">
        <source>Restart</source>
        <translation>Reiniciar</translation>
    </message>
    <message id="action.open">
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message id="action.retry">
        <source>Retry</source>
        <translation>Reintentar</translation>
    </message>
    <message id="action.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Desinstalar Vistrel</translation>
    </message>
    <message id="permissions.title">
        <source>Permissions Required</source>
        <translation>Permisos Requeridos</translation>
    </message>
    <message id="permissions.description">
        <source>Vistrel needs camera and microphone permissions to function properly.</source>
        <translation>Vistrel necesita permisos de cámara y micrófono para funcionar correctamente.</translation>
    </message>
    <message id="permissions.camera">
        <source>Camera Access</source>
        <translation>Acceso a Cámara</translation>
    </message>
    <message id="permissions.microphone">
        <source>Microphone Access</source>
        <translation>Acceso a Micrófono</translation>
    </message>
    <message id="permissions.granted">
        <source>Granted</source>
        <translation>Concedido</translation>
    </message>
    <message id="permissions.denied">
        <source>Denied</source>
        <translation>Denegado</translation>
    </message>
    <message id="permissions.restricted">
        <source>Restricted</source>
        <translation>Restringido</translation>
    </message>
    <message id="permissions.notSet">
        <source>Not Set</source>
        <translation>No Configurado</translation>
    </message>
    <message id="permissions.grantButton">
        <source>Grant Permissions</source>
        <translation>Conceder Permisos</translation>
    </message>
    <message id="permissions.requesting">
        <source>Requesting Permissions...</source>
        <translation>Solicitando Permisos...</translation>
    </message>
    <message id="permissions.continueButton">
        <source>Continue to Service</source>
        <translation>Continuar al Servicio</translation>
    </message>
    <message id="service.starting">
        <source>Starting Vistrel...</source>
        <translation>Iniciando Vistrel...</translation>
    </message>
    <message id="service.stopping">
        <source>Stopping Vistrel...</source>
        <translation>Deteniendo Vistrel...</translation>
    </message>
    <message id="service.pleaseWait">
        <source>Please wait...</source>
        <translation>Por favor espere...</translation>
    </message>
    <message id="service.error">
        <source>Service Error</source>
        <translation>Error del Servicio</translation>
    </message>
    <message id="service.liveMonitoring">
        <source>Live monitoring active</source>
        <translation>Monitoreo en vivo activo</translation>
    </message>
    <message id="service.lastCheck">
        <source>Last check: %@</source>
        <translation>Última verificación: %@</translation>
    </message>
    <message id="uninstall.title">
        <source>Uninstall Vistrel</source>
        <translation>Desinstalar Vistrel</translation>
    </message>
    <message id="uninstall.subtitle">
        <source>Remove all Vistrel components from your system</source>
        <translation>Eliminar todos los componentes de Vistrel del sistema</translation>
    </message>
    <message id="uninstall.confirmation.title">
        <source>Are you sure you want to uninstall Vistrel?</source>
        <translation>¿Está seguro de que desea desinstalar Vistrel?</translation>
    </message>
    <message id="uninstall.confirmation.description">
        <source>This will permanently remove all Vistrel components from your system, including:</source>
        <translation>Esto eliminará permanentemente todos los componentes de Vistrel de su sistema, incluyendo:</translation>
    </message>
    <message id="uninstall.confirmation.warning">
        <source>This action cannot be undone. You will need to reinstall Vistrel if you want to use it again.</source>
        <translation>Esta acción no se puede deshacer. Necesitará reinstalar Vistrel si desea usarlo nuevamente.</translation>
    </message>
    <message id="uninstall.confirmation.cancel">
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message id="uninstall.confirmation.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Desinstalar Vistrel</translation>
    </message>
    <message id="uninstall.step.stopService.title">
        <source>Stopping Service</source>
        <translation>Deteniendo Servicio</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.title">
        <source>Removing Launch Agent</source>
        <translation>Eliminando Agente de Inicio</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.title">
        <source>Removing Application Files</source>
        <translation>Eliminando Archivos de Aplicación</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.title">
        <source>Removing Launcher App</source>
        <translation>Eliminando App Launcher</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.title">
        <source>Cleaning Up Logs</source>
        <translation>Limpiando Registros</translation>
    </message>
    <message id="uninstall.step.complete.title">
        <source>Uninstall Complete</source>
        <translation>Desinstalación Completa</translation>
    </message>
    <message id="uninstall.step.stopService.description">
        <source>Stopping the Vistrel service...</source>
        <translation>Deteniendo el servicio Vistrel...</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.description">
        <source>Removing the launch agent configuration...</source>
        <translation>Eliminando la configuración del agente de inicio...</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.description">
        <source>Removing Vistrel files from Application Support...</source>
        <translation>Eliminando archivos de Vistrel de Application Support...</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.description">
        <source>Removing the launcher app...</source>
        <translation>Eliminando la aplicación launcher...</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.description">
        <source>Cleaning up log files...</source>
        <translation>Limpiando archivos de registro...</translation>
    </message>
    <message id="uninstall.step.complete.description">
        <source>Vistrel has been completely removed from your system.</source>
        <translation>Vistrel ha sido completamente eliminado de su sistema.</translation>
    </message>
    <message id="uninstall.item.stopService">
        <source>Stop the running service</source>
        <translation>Detener el servicio en ejecución</translation>
    </message>
    <message id="uninstall.item.removeLaunchAgent">
        <source>Remove launch agent configuration</source>
        <translation>Eliminar configuración del agente de inicio</translation>
    </message>
    <message id="uninstall.item.removeFiles">
        <source>Delete application files</source>
        <translation>Eliminar archivos de aplicación</translation>
    </message>
    <message id="uninstall.item.removeLauncher">
        <source>Remove launcher app</source>
        <translation>Eliminar app launcher</translation>
    </message>
    <message id="uninstall.item.cleanupLogs">
        <source>Clean up log files</source>
        <translation>Limpiar archivos de registro</translation>
    </message>
    <message id="uninstall.log.title">
        <source>Uninstall Log</source>
        <translation>Registro de Desinstalación</translation>
    </message>
    <message id="uninstall.success">
        <source>✅ Vistrel has been successfully uninstalled</source>
        <translation>✅ Vistrel ha sido desinstalado exitosamente</translation>
    </message>
    <message id="uninstall.successDescription">
        <source>All components have been removed from your system.</source>
        <translation>Todos los componentes han sido eliminados de su sistema.</translation>
    </message>
    <message id="uninstall.error">
        <source>Uninstall Error</source>
        <translation>Error de Desinstalación</translation>
    </message>
    <message id="uninstall.close">
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message id="general.copy">
        <source>Copy</source>
        <translation>Copiar</translation>
    </message>
    <message id="general.close">
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message id="general.timeAgo.seconds">
        <source>%ds ago</source>
        <translation>hace %ds</translation>
    </message>
    <message id="general.timeAgo.minutes">
        <source>%dm ago</source>
        <translation>hace %dm</translation>
    </message>
    <message id="service.exitReason.code">
        <source>The server stopped with exit code %d</source>
        <translation>El servidor se detuvo con el código de salida %d</translation>
    </message>
    <message id="service.exitReason.signal">
        <source>The server was stopped by signal %@</source>
        <translation>El servidor fue detenido por la señal %@</translation>
    </message>
    <message id="service.exitReason.restarting">
        <source>The server keeps restarting</source>
        <translation>El servidor se reinicia una y otra vez</translation>
    </message>
    <message id="service.exitReason.restartedOnce">
        <source>(restarted once)</source>
        <translation>(reiniciado una vez)</translation>
    </message>
    <message id="service.exitReason.restarted">
        <source>(restarted %d times)</source>
        <translation>(reiniciado %d veces)</translation>
    </message>
    <message id="action.showLogs">
        <source>Show Logs</source>
        <translation>Mostrar registros</translation>
    </message>
</context>
</TS>
