<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel</source>
        <translation>Vistrel</translation>
    </message>
    <message id="status.running">
        <source>Running</source>
        <translation>运行中</translation>
    </message>
    <message id="status.stopped">
        <source>Stopped</source>
        <translation>已停止</translation>
    </message>
    <message id="status.checking">
        <source>Checking...</source>
        <translation>检查中...</translation>
    </message>
    <message id="status.starting">
        <source>Starting...</source>
        <translation>启动中...</translation>
    </message>
    <message id="status.stopping">
        <source>Stopping...</source>
        <translation>停止中...</translation>
    </message>
    <message id="status.error">
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message id="status.permissionsNeeded">
        <source>Permissions Required</source>
        <translation>需要权限</translation>
    </message>
    <message id="status.runningOnPort">
        <source>Running on port %d</source>
        <translation>在端口 %d 上运行</translation>
    </message>
    <message id="action.start">
        <source>Start Vistrel</source>
        <translation>启动 Vistrel</translation>
    </message>
    <message id="action.stop">
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message id="action.restart">
        <source>Restart</source>
        <translation>重启</translation>
    </message>
    <message id="action.open">
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message id="action.retry">
        <source>Retry</source>
        <translation>重试</translation>
    </message>
    <message id="action.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>卸载 Vistrel</translation>
    </message>
    <message id="permissions.title">
        <source>Permissions Required</source>
        <translation>需要权限</translation>
    </message>
    <message id="permissions.description">
        <source>Vistrel needs camera and microphone permissions to function properly.</source>
        <translation>Vistrel 需要摄像头和麦克风权限才能正常工作。</translation>
    </message>
    <message id="permissions.camera">
        <source>Camera Access</source>
        <translation>摄像头访问</translation>
    </message>
    <message id="permissions.microphone">
        <source>Microphone Access</source>
        <translation>麦克风访问</translation>
    </message>
    <message id="permissions.granted">
        <source>Granted</source>
        <translation>已授予</translation>
    </message>
    <message id="permissions.denied">
        <source>Denied</source>
        <translation>已拒绝</translation>
    </message>
    <message id="permissions.restricted">
        <source>Restricted</source>
        <translation>受限制</translation>
    </message>
    <message id="permissions.notSet">
        <source>Not Set</source>
        <translation>未设置</translation>
    </message>
    <message id="permissions.grantButton">
        <source>Grant Permissions</source>
        <translation>授予权限</translation>
    </message>
    <message id="permissions.requesting">
        <source>Requesting Permissions...</source>
        <translation>请求权限中...</translation>
    </message>
    <message id="permissions.continueButton">
        <source>Continue to Service</source>
        <translation>继续到服务</translation>
    </message>
    <message id="service.starting">
        <source>Starting Vistrel...</source>
        <translation>正在启动 Vistrel...</translation>
    </message>
    <message id="service.stopping">
        <source>Stopping Vistrel...</source>
        <translation>正在停止 Vistrel...</translation>
    </message>
    <message id="service.pleaseWait">
        <source>Please wait...</source>
        <translation>请稍候...</translation>
    </message>
    <message id="service.error">
        <source>Service Error</source>
        <translation>服务错误</translation>
    </message>
    <message id="service.liveMonitoring">
        <source>Live monitoring active</source>
        <translation>实时监控活跃</translation>
    </message>
    <message id="service.lastCheck">
        <source>Last check: %@</source>
        <translation>最后检查: %@</translation>
    </message>
    <message id="uninstall.title">
        <source>Uninstall Vistrel</source>
        <translation>卸载 Vistrel</translation>
    </message>
    <message id="uninstall.subtitle">
        <source>Remove all Vistrel components from your system</source>
        <translation>从系统中删除所有 Vistrel 组件</translation>
    </message>
    <message id="uninstall.confirmation.title">
        <source>Are you sure you want to uninstall Vistrel?</source>
        <translation>您确定要卸载 Vistrel 吗？</translation>
    </message>
    <message id="uninstall.confirmation.description">
        <source>This will permanently remove all Vistrel components from your system, including:</source>
        <translation>这将永久删除系统中的所有 Vistrel 组件，包括：</translation>
    </message>
    <message id="uninstall.confirmation.warning">
        <source>This action cannot be undone. You will need to reinstall Vistrel if you want to use it again.</source>
        <translation>此操作无法撤销。如果您想再次使用，需要重新安装 Vistrel。</translation>
    </message>
    <message id="uninstall.confirmation.cancel">
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message id="uninstall.confirmation.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>卸载 Vistrel</translation>
    </message>
    <message id="uninstall.step.stopService.title">
        <source>Stopping Service</source>
        <translation>停止服务</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.title">
        <source>Removing Launch Agent</source>
        <translation>删除启动代理</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.title">
        <source>Removing Application Files</source>
        <translation>删除应用程序文件</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.title">
        <source>Removing Launcher App</source>
        <translation>删除启动器应用</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.title">
        <source>Cleaning Up Logs</source>
        <translation>清理日志</translation>
    </message>
    <message id="uninstall.step.complete.title">
        <source>Uninstall Complete</source>
        <translation>卸载完成</translation>
    </message>
    <message id="uninstall.step.stopService.description">
        <source>Stopping the Vistrel service...</source>
        <translation>正在停止 Vistrel 服务...</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.description">
        <source>Removing the launch agent configuration...</source>
        <translation>正在删除启动代理配置...</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.description">
        <source>Removing Vistrel files from Application Support...</source>
        <translation>正在从 Application Support 删除 Vistrel 文件...</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.description">
        <source>Removing the launcher app...</source>
        <translation>正在删除启动器应用程序...</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.description">
        <source>Cleaning up log files...</source>
        <translation>正在清理日志文件...</translation>
    </message>
    <message id="uninstall.step.complete.description">
        <source>Vistrel has been completely removed from your system.</source>
        <translation>Vistrel 已从您的系统中完全删除。</translation>
    </message>
    <message id="uninstall.item.stopService">
        <source>Stop the running service</source>
        <translation>停止正在运行的服务</translation>
    </message>
    <message id="uninstall.item.removeLaunchAgent">
        <source>Remove launch agent configuration</source>
        <translation>删除启动代理配置</translation>
    </message>
    <message id="uninstall.item.removeFiles">
        <source>Delete application files</source>
        <translation>删除应用程序文件</translation>
    </message>
    <message id="uninstall.item.removeLauncher">
        <source>Remove launcher app</source>
        <translation>删除启动器应用</translation>
    </message>
    <message id="uninstall.item.cleanupLogs">
        <source>Clean up log files</source>
        <translation>清理日志文件</translation>
    </message>
    <message id="uninstall.log.title">
        <source>Uninstall Log</source>
        <translation>卸载日志</translation>
    </message>
    <message id="uninstall.success">
        <source>✅ Vistrel has been successfully uninstalled</source>
        <translation>✅ Vistrel 已成功卸载</translation>
    </message>
    <message id="uninstall.successDescription">
        <source>All components have been removed from your system.</source>
        <translation>所有组件已从您的系统中删除。</translation>
    </message>
    <message id="uninstall.error">
        <source>Uninstall Error</source>
        <translation>卸载错误</translation>
    </message>
    <message id="uninstall.close">
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message id="general.copy">
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message id="general.close">
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message id="general.timeAgo.seconds">
        <source>%ds ago</source>
        <translation>%d秒前</translation>
    </message>
    <message id="general.timeAgo.minutes">
        <source>%dm ago</source>
        <translation>%d分钟前</translation>
    </message>
    <message id="service.exitReason.code">
        <source>The server stopped with exit code %d</source>
        <translation>服务器已停止，退出代码为 %d</translation>
    </message>
    <message id="service.exitReason.signal">
        <source>The server was stopped by signal %@</source>
        <translation>服务器被信号 %@ 终止</translation>
    </message>
    <message id="service.exitReason.restarting">
        <source>The server keeps restarting</source>
        <translation>服务器不断重新启动</translation>
    </message>
    <message id="service.exitReason.restartedOnce">
        <source>(restarted once)</source>
        <translation>（已重新启动 1 次）</translation>
    </message>
    <message id="service.exitReason.restarted">
        <source>(restarted %d times)</source>
        <translation>（已重新启动 %d 次）</translation>
    </message>
    <message id="action.showLogs">
        <source>Show Logs</source>
        <translation>显示日志</translation>
    </message>
</context>
</TS>
