#include "installerstringdata.h"

namespace vistrel::installerstrings {

// Portuguese (pt). Same keys in the same order as every other table.
extern const std::array<StringEntry, keyCount> pt = {{
    {u"app.title", u"Instalador Vistrel"},
    {u"app.subtitle", u"Baixa e instala a versão mais recente"},
    {u"step.stopServices.title", u"Preparando Limpeza do Serviço"},
    {u"step.downloadTarvik.title", u"Baixando Vistrel"},
    {u"step.installTarvik.title", u"Instalando Vistrel"},
    {u"step.installLauncher.title", u"Instalando App Launcher"},
    {u"step.setupService.title", u"Configurando Serviço"},
    {u"step.verifyService.title", u"Verificando Serviço"},
    {u"step.complete.title", u"Pronto para Iniciar"},
    {u"step.stopServices.description", u"Limpando serviços anteriores..."},
    {u"step.downloadTarvik.description", u"Baixando a versão mais recente do servidor..."},
    {u"step.installTarvik.description", u"Copiando arquivos do Vistrel para Application Support..."},
    {u"step.installLauncher.description", u"Instalando app launcher na pasta Applications..."},
    {u"step.setupService.description", u"Configurando o serviço para iniciar automaticamente..."},
    {u"step.verifyService.description", u"Aguardando o serviço Vistrel iniciar..."},
    {u"step.complete.description", u"Vistrel está rodando e pronto para ser configurado."},
    {u"feature.service.title", u"Instalação do Serviço"},
    {u"feature.service.description", u"Baixa e instala os arquivos do serviço Vistrel."},
    {u"feature.launcher.title", u"App Launcher"},
    {u"feature.launcher.description", u"Instala um app launcher para gerenciar o serviço."},
    {u"feature.agent.title", u"Agente de Inicialização"},
    {u"feature.agent.description", u"Configura o serviço para iniciar automaticamente no login."},
    {u"ui.betaVersion", u"Instalar Versão Beta"},
    {u"ui.installDescription", u"Isso instalará o Vistrel na sua pasta Library/Application Support e o configurará "
                               u"para iniciar automaticamente."},
    {u"ui.installButton", u"Instalar Vistrel"},
    {u"ui.openButton", u"Abrir Vistrel"},
    {u"ui.copyButton", u"Copiar"},
    {u"ui.installationLog", u"Log de Instalação"},
    {u"ui.installationError", u"Erro de Instalação"},
    {u"ui.portLabel", u"Porta do Servidor"},
    {u"ui.portInUse", u"A porta %@ já está em uso por outro aplicativo. Por favor, escolha uma porta diferente."},
    {u"progress.download", u"Baixado %.1f MB de %.1f MB (%d%%)"},
    {u"progress.verify", u"Verificando serviço... (Tentativa %d/%d)"},
    {u"log.success", u"✅ %@ concluído"},
    {u"log.error", u"❌ %@ falhou: %@"},
}};

} // namespace vistrel::installerstrings
