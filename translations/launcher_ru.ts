<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel</source>
        <translation>Vistrel</translation>
    </message>
    <message id="status.running">
        <source>Running</source>
        <translation>Работает</translation>
    </message>
    <message id="status.stopped">
        <source>Stopped</source>
        <translation>Остановлен</translation>
    </message>
    <message id="status.checking">
        <source>Checking...</source>
        <translation>Проверка...</translation>
    </message>
    <message id="status.starting">
        <source>Starting...</source>
        <translation>Запуск...</translation>
    </message>
    <message id="status.stopping">
        <source>Stopping...</source>
        <translation>Остановка...</translation>
    </message>
    <message id="status.error">
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message id="status.permissionsNeeded">
        <source>Permissions Required</source>
        <translation>Требуются Разрешения</translation>
    </message>
    <message id="status.runningOnPort">
        <source>Running on port %d</source>
        <translation>Работает на порту %d</translation>
    </message>
    <message id="action.start">
        <source>Start Vistrel</source>
        <translation>Запустить Vistrel</translation>
    </message>
    <message id="action.stop">
        <source>Stop</source>
        <translation>Остановить</translation>
    </message>
    <message id="action.restart">
        <source>Restart</source>
        <translation>Перезапустить</translation>
    </message>
    <message id="action.open">
        <source>Open</source>
        <translation>Открыть</translation>
    </message>
    <message id="action.retry">
        <source>Retry</source>
        <translation>Повторить</translation>
    </message>
    <message id="action.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Удалить Vistrel</translation>
    </message>
    <message id="permissions.title">
        <source>Permissions Required</source>
        <translation>Требуются Разрешения</translation>
    </message>
    <message id="permissions.description">
        <source>Vistrel needs camera and microphone permissions to function properly.</source>
        <translation>Vistrel нужны разрешения камеры и микрофона для правильной работы.</translation>
    </message>
    <message id="permissions.camera">
        <source>Camera Access</source>
        <translation>Доступ к Камере</translation>
    </message>
    <message id="permissions.microphone">
        <source>Microphone Access</source>
        <translation>Доступ к Микрофону</translation>
    </message>
    <message id="permissions.granted">
        <source>Granted</source>
        <translation>Предоставлено</translation>
    </message>
    <message id="permissions.denied">
        <source>Denied</source>
        <translation>Отклонено</translation>
    </message>
    <message id="permissions.restricted">
        <source>Restricted</source>
        <translation>Ограничено</translation>
    </message>
    <message id="permissions.notSet">
        <source>Not Set</source>
        <translation>Не Установлено</translation>
    </message>
    <message id="permissions.grantButton">
        <source>Grant Permissions</source>
        <translation>Предоставить Разрешения</translation>
    </message>
    <message id="permissions.requesting">
        <source>Requesting Permissions...</source>
        <translation>Запрос Разрешений...</translation>
    </message>
    <message id="permissions.continueButton">
        <source>Continue to Service</source>
        <translation>Продолжить к Сервису</translation>
    </message>
    <message id="service.starting">
        <source>Starting Vistrel...</source>
        <translation>Запуск Vistrel...</translation>
    </message>
    <message id="service.stopping">
        <source>Stopping Vistrel...</source>
        <translation>Остановка Vistrel...</translation>
    </message>
    <message id="service.pleaseWait">
        <source>Please wait...</source>
        <translation>Пожалуйста, подождите...</translation>
    </message>
    <message id="service.error">
        <source>Service Error</source>
        <translation>Ошибка Сервиса</translation>
    </message>
    <message id="service.liveMonitoring">
        <source>Live monitoring active</source>
        <translation>Активный мониторинг</translation>
    </message>
    <message id="service.lastCheck">
        <source>Last check: %@</source>
        <translation>Последняя проверка: %@</translation>
    </message>
    <message id="uninstall.title">
        <source>Uninstall Vistrel</source>
        <translation>Удалить Vistrel</translation>
    </message>
    <message id="uninstall.subtitle">
        <source>Remove all Vistrel components from your system</source>
        <translation>Удалить все компоненты Vistrel из системы</translation>
    </message>
    <message id="uninstall.confirmation.title">
        <source>Are you sure you want to uninstall Vistrel?</source>
        <translation>Вы уверены, что хотите удалить Vistrel?</translation>
    </message>
    <message id="uninstall.confirmation.description">
        <source>This will permanently remove all Vistrel components from your system, including:</source>
        <translation>Это навсегда удалит все компоненты Vistrel из вашей системы, включая:</translation>
    </message>
    <message id="uninstall.confirmation.warning">
        <source>This action cannot be undone. You will need to reinstall Vistrel if you want to use it again.</source>
        <translation>Это действие нельзя отменить. Вам потребуется переустановить Vistrel, если вы захотите использовать его снова.</translation>
    </message>
    <message id="uninstall.confirmation.cancel">
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message id="uninstall.confirmation.uninstall">
        <source>Uninstall Vistrel</source>
        <translation>Удалить Vistrel</translation>
    </message>
    <message id="uninstall.step.stopService.title">
        <source>Stopping Service</source>
        <translation>Остановка Сервиса</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.title">
        <source>Removing Launch Agent</source>
        <translation>Удаление Launch Agent</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.title">
        <source>Removing Application Files</source>
        <translation>Удаление Файлов Приложения</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.title">
        <source>Removing Launcher App</source>
        <translation>Удаление Приложения Launcher</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.title">
        <source>Cleaning Up Logs</source>
        <translation>Очистка Логов</translation>
    </message>
    <message id="uninstall.step.complete.title">
        <source>Uninstall Complete</source>
        <translation>Удаление Завершено</translation>
    </message>
    <message id="uninstall.step.stopService.description">
        <source>Stopping the Vistrel service...</source>
        <translation>Остановка сервиса Vistrel...</translation>
    </message>
    <message id="uninstall.step.removeLaunchAgent.description">
        <source>Removing the launch agent configuration...</source>
        <translation>Удаление конфигурации launch agent...</translation>
    </message>
    <message id="uninstall.step.removeApplicationFiles.description">
        <source>Removing Vistrel files from Application Support...</source>
        <translation>Удаление файлов Vistrel из Application Support...</translation>
    </message>
    <message id="uninstall.step.removeLauncherApp.description">
        <source>Removing the launcher app...</source>
        <translation>Удаление приложения launcher...</translation>
    </message>
    <message id="uninstall.step.cleanupLogs.description">
        <source>Cleaning up log files...</source>
        <translation>Очистка файлов логов...</translation>
    </message>
    <message id="uninstall.step.complete.description">
        <source>Vistrel has been completely removed from your system.</source>
        <translation>Vistrel был полностью удален из вашей системы.</translation>
    </message>
    <message id="uninstall.item.stopService">
        <source>Stop the running service</source>
        <translation>Остановить работающий сервис</translation>
    </message>
    <message id="uninstall.item.removeLaunchAgent">
        <source>Remove launch agent configuration</source>
        <translation>Удалить конфигурацию launch agent</translation>
    </message>
    <message id="uninstall.item.removeFiles">
        <source>Delete application files</source>
        <translation>Удалить файлы приложения</translation>
    </message>
    <message id="uninstall.item.removeLauncher">
        <source>Remove launcher app</source>
        <translation>Удалить приложение launcher</translation>
    </message>
    <message id="uninstall.item.cleanupLogs">
        <source>Clean up log files</source>
        <translation>Очистить файлы логов</translation>
    </message>
    <message id="uninstall.log.title">
        <source>Uninstall Log</source>
        <translation>Лог Удаления</translation>
    </message>
    <message id="uninstall.success">
        <source>✅ Vistrel has been successfully uninstalled</source>
        <translation>✅ Vistrel был успешно удален</translation>
    </message>
    <message id="uninstall.successDescription">
        <source>All components have been removed from your system.</source>
        <translation>Все компоненты были удалены из вашей системы.</translation>
    </message>
    <message id="uninstall.error">
        <source>Uninstall Error</source>
        <translation>Ошибка Удаления</translation>
    </message>
    <message id="uninstall.close">
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message id="general.copy">
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message id="general.close">
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message id="general.timeAgo.seconds">
        <source>%ds ago</source>
        <translation>%dс назад</translation>
    </message>
    <message id="general.timeAgo.minutes">
        <source>%dm ago</source>
        <translation>%dм назад</translation>
    </message>
    <message id="service.exitReason.code">
        <source>The server stopped with exit code %d</source>
        <translation>Сервер остановился с кодом выхода %d</translation>
    </message>
    <message id="service.exitReason.signal">
        <source>The server was stopped by signal %@</source>
        <translation>Сервер остановлен сигналом %@</translation>
    </message>
    <message id="service.exitReason.restarting">
        <source>The server keeps restarting</source>
        <translation>Сервер постоянно перезапускается</translation>
    </message>
    <message id="service.exitReason.restartedOnce">
        <source>(restarted once)</source>
        <translation>(перезапущен один раз)</translation>
    </message>
    <message id="service.exitReason.restarted">
        <source>(restarted %d times)</source>
        <translation>(перезапусков: %d)</translation>
    </message>
    <message id="action.showLogs">
        <source>Show Logs</source>
        <translation>Показать журналы</translation>
    </message>
</context>
</TS>
