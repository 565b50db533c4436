<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel Installer</source>
        <translation>Instalador Vistrel</translation>
    </message>
    <message id="app.subtitle">
        <source>Downloads and installs the latest version</source>
        <translation>Baixa e instala a versão mais recente</translation>
    </message>
    <message id="step.stopServices.title">
        <source>Preparing Service Cleanup</source>
        <translation>Preparando Limpeza do Serviço</translation>
    </message>
    <message id="step.downloadTarvik.title">
        <source>Downloading Vistrel</source>
        <translation>Baixando Vistrel</translation>
    </message>
    <message id="step.installTarvik.title">
        <source>Installing Vistrel</source>
        <translation>Instalando Vistrel</translation>
    </message>
    <message id="step.installLauncher.title">
        <source>Installing Launcher App</source>
        <translation>Instalando App Launcher</translation>
    </message>
    <message id="step.setupService.title">
        <source>Configuring Service</source>
        <translation>Configurando Serviço</translation>
    </message>
    <message id="step.verifyService.title">
        <source>Verifying Service</source>
        <translation>Verificando Serviço</translation>
    </message>
    <message id="step.complete.title">
        <source>Ready to Launch</source>
        <translation>Pronto para Iniciar</translation>
    </message>
    <message id="step.stopServices.description">
        <source>Cleaning up old services...</source>
        <translation>Limpando serviços anteriores...</translation>
    </message>
    <message id="step.downloadTarvik.description">
        <source>Downloading the latest version from the server...</source>
        <translation>Baixando a versão mais recente do servidor...</translation>
    </message>
    <message id="step.installTarvik.description">
        <source>Copying Vistrel files to Application Support...</source>
        <translation>Copiando arquivos do Vistrel para Application Support...</translation>
    </message>
    <message id="step.installLauncher.description">
        <source>Installing launcher app to Applications folder...</source>
        <translation>Instalando app launcher na pasta Applications...</translation>
    </message>
    <message id="step.setupService.description">
        <source>Configuring the service to run on user login...</source>
        <translation>Configurando o serviço para iniciar automaticamente...</translation>
    </message>
    <message id="step.verifyService.description">
        <source>Waiting for the Vistrel service to start...</source>
        <translation>Aguardando o serviço Vistrel iniciar...</translation>
    </message>
    <message id="step.complete.description">
        <source>Vistrel is running and ready to be configured.</source>
        <translation>Vistrel está rodando e pronto para ser configurado.</translation>
    </message>
    <message id="feature.service.title">
        <source>Service Install</source>
        <translation>Instalação do Serviço</translation>
    </message>
    <message id="feature.service.description">
        <source>Downloads and installs Vistrel service files.</source>
        <translation>Baixa e instala os arquivos do serviço Vistrel.</translation>
    </message>
    <message id="feature.launcher.title">
        <source>Launcher App</source>
        <translation>App Launcher</translation>
    </message>
    <message id="feature.launcher.description">
        <source>Installs a launcher app to manage the service.</source>
        <translation>Instala um app launcher para gerenciar o serviço.</translation>
    </message>
    <message id="feature.agent.title">
        <source>Launch Agent</source>
        <translation>Agente de Inicialização</translation>
    </message>
    <message id="feature.agent.description">
        <source>Configures service to run automatically on login.</source>
        <translation>Configura o serviço para iniciar automaticamente no login.</translation>
    </message>
    <message id="ui.betaVersion">
        <source>Install Beta Version</source>
        <translation>Instalar Versão Beta</translation>
    </message>
    <message id="ui.installDescription">
        <source>This will install Vistrel to your Library/Application Support folder and configure it to start automatically.</source>
        <translation>Isso instalará o Vistrel na sua pasta Library/Application Support e o configurará para iniciar automaticamente.</translation>
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
        <translation>Log de Instalação</translation>
    </message>
    <message id="ui.installationError">
        <source>Installation Error</source>
        <translation>Erro de Instalação</translation>
    </message>
    <message id="ui.portLabel">
        <source>Server Port</source>
        <translation>Porta do Servidor</translation>
    </message>
    <message id="ui.portInUse">
        <source>Port %@ is already in use by another application. Please choose a different port.</source>
        <translation>A porta %@ já está em uso por outro aplicativo. Por favor, escolha uma porta diferente.</translation>
    </message>
    <message id="ui.restoredRunning">
        <source>The previous installation was put back and runs again.</source>
        <translation>A instalação anterior foi restaurada e está funcionando novamente.</translation>
    </message>
    <message id="ui.restoredNotAnswering">
        <source>The previous installation was put back and started again, but its service does not answer yet.</source>
        <translation>A instalação anterior foi restaurada e iniciada novamente, mas o serviço ainda não responde.</translation>
    </message>
    <message id="ui.restoredStopped">
        <source>The previous installation was put back. Its service was not running before and stays stopped.</source>
        <translation>A instalação anterior foi restaurada. O serviço não estava em execução antes e continua parado.</translation>
    </message>
    <message id="ui.installationRemoved">
        <source>Everything this installation had added was removed again.</source>
        <translation>Tudo o que esta instalação havia adicionado foi removido.</translation>
    </message>
    <message id="ui.restoreIncomplete">
        <source>Not everything could be put back. The installer tries again the next time it starts; the log shows what is missing.</source>
        <translation>Não foi possível restaurar tudo. O instalador tentará novamente na próxima vez que for iniciado; o log mostra o que está faltando.</translation>
    </message>
    <message id="progress.download">
        <source>Downloaded %.1f MB of %.1f MB (%d%%)</source>
        <translation>Baixado %.1f MB de %.1f MB (%d%%)</translation>
    </message>
    <message id="progress.verify">
        <source>Pinging service... (Attempt %d/%d)</source>
        <translation>Verificando serviço... (Tentativa %d/%d)</translation>
    </message>
    <message id="log.success">
        <source>✅ %@ complete</source>
        <translation>✅ %@ concluído</translation>
    </message>
    <message id="log.error">
        <source>❌ %@ failed: %@</source>
        <translation>❌ %@ falhou: %@</translation>
    </message>
</context>
</TS>
