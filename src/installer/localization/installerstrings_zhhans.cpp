#include "installerstringdata.h"

namespace vistrel::installerstrings {

// Chinese (zh-Hans). Same keys in the same order as every other table.
extern const std::array<StringEntry, keyCount> zhHans = {{
    {u"app.title", u"Vistrel 安装程序"},
    {u"app.subtitle", u"下载并安装最新版本"},
    {u"step.stopServices.title", u"准备服务清理"},
    {u"step.downloadTarvik.title", u"正在下载 Vistrel"},
    {u"step.installTarvik.title", u"正在安装 Vistrel"},
    {u"step.installLauncher.title", u"正在安装启动器应用"},
    {u"step.setupService.title", u"正在配置服务"},
    {u"step.verifyService.title", u"正在验证服务"},
    {u"step.complete.title", u"准备启动"},
    {u"step.stopServices.description", u"正在清理旧服务..."},
    {u"step.downloadTarvik.description", u"正在从服务器下载最新版本..."},
    {u"step.installTarvik.description", u"正在将 Vistrel 文件复制到 Application Support..."},
    {u"step.installLauncher.description", u"正在将启动器应用安装到 Applications 文件夹..."},
    {u"step.setupService.description", u"正在配置服务以在用户登录时运行..."},
    {u"step.verifyService.description", u"正在等待 Vistrel 服务启动..."},
    {u"step.complete.description", u"Vistrel 正在运行，已准备好进行配置。"},
    {u"feature.service.title", u"服务安装"},
    {u"feature.service.description", u"下载并安装 Vistrel 服务文件。"},
    {u"feature.launcher.title", u"启动器应用"},
    {u"feature.launcher.description", u"安装启动器应用来管理服务。"},
    {u"feature.agent.title", u"启动代理"},
    {u"feature.agent.description", u"配置服务在登录时自动运行。"},
    {u"ui.betaVersion", u"安装测试版本"},
    {u"ui.installDescription", u"这将把 Vistrel 安装到您的 Library/Application Support 文件夹，并配置为自动启动。"},
    {u"ui.installButton", u"安装 Vistrel"},
    {u"ui.openButton", u"打开 Vistrel"},
    {u"ui.copyButton", u"复制"},
    {u"ui.installationLog", u"安装日志"},
    {u"ui.installationError", u"安装错误"},
    {u"ui.portLabel", u"服务器端口"},
    {u"ui.portInUse", u"端口 %@ 已被其他应用程序占用。请选择其他端口。"},
    {u"progress.download", u"已下载 %.1f MB / %.1f MB (%d%%)"},
    {u"progress.verify", u"正在验证服务... (尝试 %d/%d)"},
    {u"log.success", u"✅ %@ 完成"},
    {u"log.error", u"❌ %@ 失败: %@"},
}};

} // namespace vistrel::installerstrings
