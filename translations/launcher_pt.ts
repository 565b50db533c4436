<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel</source>
        <translation>Vistrel</translation>
    </message>
    <message id="status.running">
        <source>Running</source>
        <translation>Executando</translation>
    </message>
    <message id="status.stopped">
        <source>Stopped</source>
        <translation>Parado</translation>
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
        <translation>Parando...</translation>
    </message>
    <message id="status.error">
        <source>Error</source>
        <translation>Erro</translation>
    </message>
    <message id="status.permissionsNeeded">
        <source>Permissions Required</source>
        <translation>Permissões Necessárias</translation>
    </message>
    <message id="status.runningOnPort">
        <source>Running on port %d</source>
        <translation>Executando na porta %d</translation>
    </message>
    <message id="action.start">
        <source>Start Vistrel</source>
        <translation>Iniciar Vistrel</translation>
    </message>
    <message id="action.stop">
        <source>Stop</source>
        <translation>Parar</translation>
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
        <translation>Tentar Novamente</translation>
    </message>
    <message id="action.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Desinstalar Vistrel</translation>
    </message>
    <message id="permissions.title">
        <source>Permissions Required</source>
        <translation>Permissões Necessárias</translation>
    </message>
    <message id="permissions.description">
        <source>Vistrel needs camera and microphone permissions to function properly.</source>
        <translation>Vistrel precisa de permissões de câmera e microfone para funcionar corretamente.</translation>
    </message>
    <message id="permissions.camera">
        <source>Camera Access</source>
        <translation>Acesso à Câmera</translation>
    </message>
    <message id="permissions.microphone">
        <source>Microphone Access</source>
        <translation>Acesso ao Microfone</translation>
    </message>
    <message id="permissions.granted">
        <source>Granted</source>
        <translation>Concedida</translation>
    </message>
    <message id="permissions.denied">
        <source>Denied</source>
        <translation>Negada</translation>
    </message>
    <message id="permissions.restricted">
        <source>Restricted</source>
        <translation>Restrita</translation>
    </message>
    <message id="permissions.notSet">
        <source>Not Set</source>
        <translation>Não Definida</translation>
    </message>
    <message id="permissions.grantButton">
        <source>Grant Permissions</source>
        <translation>Conceder Permissões</translation>
    </message>
    <message id="permissions.requesting">
        <source>Requesting Permissions...</source>
        <translation>Solicitando Permissões...</translation>
    </message>
    <message id="permissions.continueButton">
        <source>Continue to Service</source>
        <translation>Continuar para o Serviço</translation>
    </message>
    <message id="service.starting">
        <source>Starting Vistrel...</source>
        <translation>Iniciando Vistrel...</translation>
    </message>
    <message id="service.stopping">
        <source>Stopping Vistrel...</source>
        <translation>Parando Vistrel...</translation>
    </message>
    <message id="service.pleaseWait">
        <source>Please wait...</source>
        <translation>Por favor aguarde...</translation>
    </message>
    <message id="service.error">
        <source>Service Error</source>
        <translation>Erro do Serviço</translation>
    </message>
    <message id="service.liveMonitoring">
        <source>Live monitoring active</source>
        <translation>Monitoramento ao vivo ativo</translation>
    </message>
    <message id="service.lastCheck">
        <source>Last check: %@</source>
        <translation>Última verificação: %@</translation>
    </message>
    <message id="uninstall.title">
        <source>Uninstall Vistrel</source>
        <translation>Desinstalar Vistrel</translation>
    </message>
    <message id="uninstall.subtitle">
        <source>Remove all Vistrel components from your system</source>
        <translation>Remover todos os componentes do Vistrel do sistema</translation>
    </message>
    <message id="uninstall.confirmation.title">
        <source>Are you sure you want to uninstall Vistrel?</source>
        <translation>Tem certeza de que deseja desinstalar o Vistrel?</translation>
    </message>
    <message id="uninstall.confirmation.description">
        <source>This will permanently remove all Vistrel components from your system, including:</source>
        <translation>Isto removerá permanentemente todos os componentes do Vistrel do seu sistema, incluindo:</translation>
    </message>
    <message id="uninstall.confirmation.warning">
        <source>This action cannot be undone. You will need to reinstall Vistrel if you want to use it again.</source>
        <translation>Esta ação não pode ser desfeita. Você precisará reinstalar o Vistrel se quiser usá-lo novamente.</translation>
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
        <translation>Parando Serviço</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.title">
        <source>Removing Launch Agent</source>
        <translation>Removendo Agente de Inicialização</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.title">
        <source>Removing Application Files</source>
        <translation>Removendo Arquivos da Aplicação</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.title">
        <source>Removing Launcher App</source>
        <translation>Removendo App Launcher</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.title">
        <source>Cleaning Up Logs</source>
        <translation>Limpando Logs</translation>
    </message>
    <message id="uninstall.step.complete.title">
        <source>Uninstall Complete</source>
        <translation>Desinstalação Concluída</translation>
    </message>
    <message id="uninstall.step.stopService.description">
        <source>Stopping the Vistrel service...</source>
        <translation>Parando o serviço Vistrel...</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.description">
        <source>Removing the launch agent configuration...</source>
        <translation>Removendo a configuração do agente de inicialização...</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.description">
        <source>Removing Vistrel files from Application Support...</source>
        <translation>Removendo arquivos do Vistrel do Application Support...</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.description">
        <source>Removing the launcher app...</source>
        <translation>Removendo a aplicação launcher...</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.description">
        <source>Cleaning up log files...</source>
        <translation>Limpando arquivos de log...</translation>
    </message>
    <message id="uninstall.step.complete.description">
        <source>Vistrel has been completely removed from your system.</source>
        <translation>Vistrel foi completamente removido do seu sistema.</translation>
    </message>
    <message id="uninstall.item.stopService">
        <source>Stop the running service</source>
        <translation>Parar o serviço em execução</translation>
    </message>
    <message id="uninstall.item.removeLaunchAgent">
        <source>Remove launch agent configuration</source>
        <translation>Remover configuração do agente de inicialização</translation>
    </message>
    <message id="uninstall.item.removeFiles">
        <source>Delete application files</source>
        <translation>Excluir arquivos da aplicação</translation>
    </message>
    <message id="uninstall.item.removeLauncher">
        <source>Remove launcher app</source>
        <translation>Remover app launcher</translation>
    </message>
    <message id="uninstall.item.cleanupLogs">
        <source>Clean up log files</source>
        <translation>Limpar arquivos de log</translation>
    </message>
    <message id="uninstall.log.title">
        <source>Uninstall Log</source>
        <translation>Log de Desinstalação</translation>
    </message>
    <message id="uninstall.success">
        <source>✅ Vistrel has been successfully uninstalled</source>
        <translation>✅ Vistrel foi desinstalado com sucesso</translation>
    </message>
    <message id="uninstall.successDescription">
        <source>All components have been removed from your system.</source>
        <translation>Todos os componentes foram removidos do seu sistema.</translation>
    </message>
    <message id="uninstall.error">
        <source>Uninstall Error</source>
        <translation>Erro de Desinstalação</translation>
    </message>
    <message id="uninstall.close">
        <source>Close</source>
        <translation>Fechar</translation>
    </message>
    <message id="general.copy">
        <source>Copy</source>
        <translation>Copiar</translation>
    </message>
    <message id="general.close">
        <source>Close</source>
        <translation>Fechar</translation>
    </message>
    <message id="general.timeAgo.seconds">
        <source>%ds ago</source>
        <translation>%ds atrás</translation>
    </message>
    <message id="general.timeAgo.minutes">
        <source>%dm ago</source>
        <translation>%dm atrás</translation>
    </message>
    <message id="service.exitReason.code">
        <source>The server stopped with exit code %d</source>
        <translation>O servidor parou com o código de saída %d</translation>
    </message>
    <message id="service.exitReason.signal">
        <source>The server was stopped by signal %@</source>
        <translation>O servidor foi interrompido pelo sinal %@</translation>
    </message>
    <message id="service.exitReason.restarting">
        <source>The server keeps restarting</source>
        <translation>O servidor continua reiniciando</translation>
    </message>
    <message id="service.exitReason.restartedOnce">
        <source>(restarted once)</source>
        <translation>(reiniciado uma vez)</translation>
    </message>
    <message id="service.exitReason.restarted">
        <source>(restarted %d times)</source>
        <translation>(reiniciado %d vezes)</translation>
    </message>
    <message id="action.showLogs">
        <source>Show Logs</source>
        <translation>Mostrar registros</translation>
    </message>
</context>
</TS>
