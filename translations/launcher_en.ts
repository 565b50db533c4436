<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel</source>
        <translation>Vistrel</translation>
    </message>
    <message id="status.running">
        <source>Running</source>
        <translation>Running</translation>
    </message>
    <message id="status.stopped">
        <source>Stopped</source>
        <translation>Stopped</translation>
    </message>
    <message id="status.checking">
        <source>Checking...</source>
        <translation>Checking...</translation>
    </message>
    <message id="status.starting">
        <source>Starting...</source>
        <translation>Starting...</translation>
    </message>
    <message id="status.stopping">
        <source>Stopping...</source>
        <translation>Stopping...</translation>
    </message>
    <message id="status.error">
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message id="status.permissionsNeeded">
        <source>Permissions Required</source>
        <translation>Permissions Required</translation>
    </message>
    <message id="status.runningOnPort">
        <source>Running on port %d</source>
        <translation>Running on port %d</translation>
    </message>
    <message id="action.start">
        <source>Start Vistrel</source>
        <translation>Start Vistrel</translation>
    </message>
    <message id="action.stop">
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message id="action.restart">
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message id="action.open">
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message id="action.retry">
        <source>Retry</source>
        <translation>Retry</translation>
    </message>
    <message id="action.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Uninstall Vistrel</translation>
    </message>
    <message id="permissions.title">
        <source>Permissions Required</source>
        <translation>Permissions Required</translation>
    </message>
    <message id="permissions.description">
        <source>Vistrel needs camera and microphone permissions to function properly.</source>
        <translation>Vistrel needs camera and microphone permissions to function properly.</translation>
    </message>
    <message id="permissions.camera">
        <source>Camera Access</source>
        <translation>Camera Access</translation>
    </message>
    <message id="permissions.microphone">
        <source>Microphone Access</source>
        <translation>Microphone Access</translation>
    </message>
    <message id="permissions.granted">
        <source>Granted</source>
        <translation>Granted</translation>
    </message>
    <message id="permissions.denied">
        <source>Denied</source>
        <translation>Denied</translation>
    </message>
    <message id="permissions.restricted">
        <source>Restricted</source>
        <translation>Restricted</translation>
    </message>
    <message id="permissions.notSet">
        <source>Not Set</source>
        <translation>Not Set</translation>
    </message>
    <message id="permissions.grantButton">
        <source>Grant Permissions</source>
        <translation>Grant Permissions</translation>
    </message>
    <message id="permissions.requesting">
        <source>Requesting Permissions...</source>
        <translation>Requesting Permissions...</translation>
    </message>
    <message id="permissions.continueButton">
        <source>Continue to Service</source>
        <translation>Continue to Service</translation>
    </message>
    <message id="service.starting">
        <source>Starting Vistrel...</source>
        <translation>Starting Vistrel...</translation>
    </message>
    <message id="service.stopping">
        <source>Stopping Vistrel...</source>
        <translation>Stopping Vistrel...</translation>
    </message>
    <message id="service.pleaseWait">
        <source>Please wait...</source>
        <translation>Please wait...</translation>
    </message>
    <message id="service.error">
        <source>Service Error</source>
        <translation>Service Error</translation>
    </message>
    <message id="service.liveMonitoring">
        <source>Live monitoring active</source>
        <translation>Live monitoring active</translation>
    </message>
    <message id="service.lastCheck">
        <source>Last check: %@</source>
        <translation>Last check: %@</translation>
    </message>
    <message id="uninstall.title">
        <source>Uninstall Vistrel</source>
        <translation>Uninstall Vistrel</translation>
    </message>
    <message id="uninstall.subtitle">
        <source>Remove all Vistrel components from your system</source>
        <translation>Remove all Vistrel components from your system</translation>
    </message>
    <message id="uninstall.confirmation.title">
        <source>Are you sure you want to uninstall Vistrel?</source>
        <translation>Are you sure you want to uninstall Vistrel?</translation>
    </message>
    <message id="uninstall.confirmation.description">
        <source>This will permanently remove all Vistrel components from your system, including:</source>
        <translation>This will permanently remove all Vistrel components from your system, including:</translation>
    </message>
    <message id="uninstall.confirmation.warning">
        <source>This action cannot be undone. You will need to reinstall Vistrel if you want to use it again.</source>
        <translation>This action cannot be undone. You will need to reinstall Vistrel if you want to use it again.</translation>
    </message>
    <message id="uninstall.confirmation.cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="uninstall.confirmation.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Uninstall Vistrel</translation>
    </message>
    <message id="uninstall.step.stopService.title">
        <source>Stopping Service</source>
        <translation>Stopping Service</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.title">
        <source>Removing Launch Agent</source>
        <translation>Removing Launch Agent</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.title">
        <source>Removing Application Files</source>
        <translation>Removing Application Files</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.title">
        <source>Removing Launcher App</source>
        <translation>Removing Launcher App</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.title">
        <source>Cleaning Up Logs</source>
        <translation>Cleaning Up Logs</translation>
    </message>
    <message id="uninstall.step.complete.title">
        <source>Uninstall Complete</source>
        <translation>Uninstall Complete</translation>
    </message>
    <message id="uninstall.step.stopService.description">
        <source>Stopping the Vistrel service...</source>
        <translation>Stopping the Vistrel service...</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.description">
        <source>Removing the launch agent configuration...</source>
        <translation>Removing the launch agent configuration...</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.description">
        <source>Removing Vistrel files from Application Support...</source>
        <translation>Removing Vistrel files from Application Support...</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.description">
        <source>Removing the launcher app...</source>
        <translation>Removing the launcher app...</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.description">
        <source>Cleaning up log files...</source>
        <translation>Cleaning up log files...</translation>
    </message>
    <message id="uninstall.step.complete.description">
        <source>Vistrel has been completely removed from your system.</source>
        <translation>Vistrel has been completely removed from your system.</translation>
    </message>
    <message id="uninstall.item.stopService">
        <source>Stop the running service</source>
        <translation>Stop the running service</translation>
    </message>
    <message id="uninstall.item.removeLaunchAgent">
        <source>Remove launch agent configuration</source>
        <translation>Remove launch agent configuration</translation>
    </message>
    <message id="uninstall.item.removeFiles">
        <source>Delete application files</source>
        <translation>Delete application files</translation>
    </message>
    <message id="uninstall.item.removeLauncher">
        <source>Remove launcher app</source>
        <translation>Remove launcher app</translation>
    </message>
    <message id="uninstall.item.cleanupLogs">
        <source>Clean up log files</source>
        <translation>Clean up log files</translation>
    </message>
    <message id="uninstall.log.title">
        <source>Uninstall Log</source>
        <translation>Uninstall Log</translation>
    </message>
    <message id="uninstall.success">
        <source>✅ Vistrel has been successfully uninstalled</source>
        <translation>✅ Vistrel has been successfully uninstalled</translation>
    </message>
    <message id="uninstall.successDescription">
        <source>All components have been removed from your system.</source>
        <translation>All components have been removed from your system.</translation>
    </message>
    <message id="uninstall.error">
        <source>Uninstall Error</source>
        <translation>Uninstall Error</translation>
    </message>
    <message id="uninstall.close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="general.copy">
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message id="general.close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="general.timeAgo.seconds">
        <source>%ds ago</source>
        <translation>%ds ago</translation>
    </message>
    <message id="general.timeAgo.minutes">
        <source>%dm ago</source>
        <translation>%dm ago</translation>
    </message>
    <message id="service.exitReason.code">
        <source>The server stopped with exit code %d</source>
        <translation>The server stopped with exit code %d</translation>
    </message>
    <message id="service.exitReason.signal">
        <source>The server was stopped by signal %@</source>
        <translation>The server was stopped by signal %@</translation>
    </message>
    <message id="service.exitReason.restarting">
        <source>The server keeps restarting</source>
        <translation>The server keeps restarting</translation>
    </message>
    <message id="service.exitReason.restartedOnce">
        <source>(restarted once)</source>
        <translation>(restarted once)</translation>
    </message>
    <message id="service.exitReason.restarted">
        <source>(restarted %d times)</source>
        <translation>(restarted %d times)</translation>
    </message>
    <message id="action.showLogs">
        <source>Show Logs</source>
        <translation>Show Logs</translation>
    </message>
</context>
</TS>
