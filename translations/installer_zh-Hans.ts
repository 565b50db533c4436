<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel Installer</source>
        <translation>Vistrel 安装程序</translation>
    </message>
    <message id="app.subtitle">
        <source>Downloads and installs the latest version</source>
        <translation>下载并安装最新版本</translation>
    </message>
    <message id="step.stopServices.title">
        <source>Preparing Service Cleanup</source>
        <translation>准备服务清理</translation>
    </message>
    <message id="step.downloadTarvik.title">
        <source>Downloading Vistrel</source>
        <translation>正在下载 Vistrel</translation>
    </message>
    <message id="step.installTarvik.title">
        <source>Installing Vistrel</source>
        <translation>正在安装 Vistrel</translation>
    </message>
    <message id="step.installLauncher.title">
        <source>Installing Launcher App</source>
        <translation>正在安装启动器应用</translation>
    </message>
    <message id="step.setupService.title">
        <source>Configuring Service</source>
        <translation>正在配置服务</translation>
    </message>
    <message id="step.verifyService.title">
        <source>Verifying Service</source>
        <translation>正在验证服务</translation>
    </message>
    <message id="step.complete.title">
        <source>Ready to Launch</source>
        <translation>准备启动</translation>
    </message>
    <message id="step.stopServices.description">
        <source>Cleaning up old services...</source>
        <translation>正在清理旧服务...</translation>
    </message>
    <message id="step.downloadTarvik.description">
        <source>Downloading the latest version from the server...</source>
        <translation>正在从服务器下载最新版本...</translation>
    </message>
    <message id="step.installTarvik.description">
        <source>Copying Vistrel files to Application Support...</source>
        <translation>正在将 Vistrel 文件复制到 Application Support...</translation>
    </message>
    <message id="step.installLauncher.description">
        <source>Installing launcher app to Applications folder...</source>
        <translation>正在将启动器应用安装到 Applications 文件夹...</translation>
    </message>
    <message id="step.setupService.description">
        <source>Configuring the service to run on user login...</source>
        <translation>正在配置服务以在用户登录时运行...</translation>
    </message>
    <message id="step.verifyService.description">
        <source>Waiting for the Vistrel service to start...</source>
        <translation>正在等待 Vistrel 服务启动...</translation>
    </message>
    <message id="step.complete.description">
        <source>Vistrel is running and ready to be configured.</source>
        <translation>Vistrel 正在运行，已准备好进行配置。</translation>
    </message>
    <message id="feature.service.title">
        <source>Service Install</source>
        <translation>服务安装</translation>
    </message>
    <message id="feature.service.description">
        <source>Downloads and installs Vistrel service files.</source>
        <translation>下载并安装 Vistrel 服务文件。</translation>
    </message>
    <message id="feature.launcher.title">
        <source>Launcher App</source>
        <translation>启动器应用</translation>
    </message>
    <message id="feature.launcher.description">
        <source>Installs a launcher app to manage the service.</source>
        <translation>安装启动器应用来管理服务。</translation>
    </message>
    <message id="feature.agent.title">
        <source>Launch Agent</source>
        <translation>启动代理</translation>
    </message>
    <message id="feature.agent.description">
        <source>Configures service to run automatically on login.</source>
        <translation>配置服务在登录时自动运行。</translation>
    </message>
    <message id="ui.betaVersion">
        <source>Install Beta Version</source>
        <translation>安装测试版本</translation>
    </message>
    <message id="ui.installDescription">
        <source>This will install Vistrel to your Library/Application Support folder and configure it to start automatically.</source>
        <translation>这将把 Vistrel 安装到您的 Library/Application Support 文件夹，并配置为自动启动。</translation>
    </message>
    <message id="ui.installButton">
        <source>Install Vistrel</source>
        <translation>安装 Vistrel</translation>
    </message>
    <message id="ui.openButton">
        <source>Open Vistrel</source>
        <translation>打开 Vistrel</translation>
    </message>
    <message id="ui.copyButton">
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message id="ui.installationLog">
        <source>Installation Log</source>
        <translation>安装日志</translation>
    </message>
    <message id="ui.installationError">
        <source>Installation Error</source>
        <translation>安装错误</translation>
    </message>
    <message id="ui.portLabel">
        <source>Server Port</source>
        <translation>服务器端口</translation>
    </message>
    <message id="ui.portInUse">
        <source>Port %@ is already in use by another application. Please choose a different port.</source>
        <translation>端口 %@ 已被其他应用程序占用。请选择其他端口。</translation>
    </message>
    <message id="ui.restoredRunning">
        <source>The previous installation was put back and runs again.</source>
        <translation>已恢复之前的安装，并已重新运行。</translation>
    </message>
    <message id="ui.restoredNotAnswering">
        <source>The previous installation was put back and started again, but its service does not answer yet.</source>
        <translation>已恢复并重新启动之前的安装，但其服务尚未响应。</translation>
    </message>
    <message id="ui.restoredStopped">
        <source>The previous installation was put back. Its service was not running before and stays stopped.</source>
        <translation>已恢复之前的安装。其服务之前未运行，因此保持停止状态。</translation>
    </message>
    <message id="ui.installationRemoved">
        <source>Everything this installation had added was removed again.</source>
        <translation>此次安装添加的所有内容均已删除。</translation>
    </message>
    <message id="ui.restoreIncomplete">
        <source>Not everything could be put back. The installer tries again the next time it starts; the log shows what is missing.</source>
        <translation>未能全部恢复。安装程序将在下次启动时重试；日志中列出了缺少的内容。</translation>
    </message>
    <message id="progress.download">
        <source>Downloaded %.1f MB of %.1f MB (%d%%)</source>
        <translation>已下载 %.1f MB / %.1f MB (%d%%)</translation>
    </message>
    <message id="progress.verify">
        <source>Pinging service... (Attempt %d/%d)</source>
        <translation>正在验证服务... (尝试 %d/%d)</translation>
    </message>
    <message id="log.success">
        <source>✅ %@ complete</source>
        <translation>✅ %@ 完成</translation>
    </message>
    <message id="log.error">
        <source>❌ %@ failed: %@</source>
        <translation>❌ %@ 失败: %@</translation>
    </message>
</context>
</TS>
