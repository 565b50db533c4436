<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name></name>
    <message id="app.title">
        <source>Vistrel Installer</source>
        <translation>Установщик Vistrel</translation>
    </message>
    <message id="app.subtitle">
        <source>Downloads and installs the latest version</source>
        <translation>Загружает и устанавливает последнюю версию</translation>
    </message>
    <message id="step.stopServices.title">
        <source>Preparing Service Cleanup</source>
        <translation>Подготовка очистки сервисов</translation>
    </message>
    <message id="step.downloadTarvik.title">
        <source>Downloading Vistrel</source>
        <translation>Загрузка Vistrel</translation>
    </message>
    <message id="step.installTarvik.title">
        <source>Installing Vistrel</source>
        <translation>Установка Vistrel</translation>
    </message>
    <message id="step.installLauncher.title">
        <source>Installing Launcher App</source>
        <translation>Установка приложения-лаунчера</translation>
    </message>
    <message id="step.setupService.title">
        <source>Configuring Service</source>
        <translation>Настройка сервиса</translation>
    </message>
    <message id="step.verifyService.title">
        <source>Verifying Service</source>
        <translation>Проверка сервиса</translation>
    </message>
    <message id="step.complete.title">
        <source>Ready to Launch</source>
        <translation>Готов к запуску</translation>
    </message>
    <message id="step.stopServices.description">
        <source>Cleaning up old services...</source>
        <translation>Очистка старых сервисов...</translation>
    </message>
    <message id="step.downloadTarvik.description">
        <source>Downloading the latest version from the server...</source>
        <translation>Загрузка последней версии с сервера...</translation>
    </message>
    <message id="step.installTarvik.description">
        <source>Copying Vistrel files to Application Support...</source>
        <translation>Копирование файлов Vistrel в Application Support...</translation>
    </message>
    <message id="step.installLauncher.description">
        <source>Installing launcher app to Applications folder...</source>
        <translation>Установка приложения-лаунчера в папку Applications...</translation>
    </message>
    <message id="step.setupService.description">
        <source>Configuring the service to run on user login...</source>
        <translation>Настройка сервиса для запуска при входе пользователя...</translation>
    </message>
    <message id="step.verifyService.description">
        <source>Waiting for the Vistrel service to start...</source>
        <translation>Ожидание запуска сервиса Vistrel...</translation>
    </message>
    <message id="step.complete.description">
        <source>Vistrel is running and ready to be configured.</source>
        <translation>Vistrel работает и готов к настройке.</translation>
    </message>
    <message id="feature.service.title">
        <source>Service Install</source>
        <translation>Установка сервиса</translation>
    </message>
    <message id="feature.service.description">
        <source>Downloads and installs Vistrel service files.</source>
        <translation>Загружает и устанавливает файлы сервиса Vistrel.</translation>
    </message>
    <message id="feature.launcher.title">
        <source>Launcher App</source>
        <translation>Приложение-лаунчер</translation>
    </message>
    <message id="feature.launcher.description">
        <source>Installs a launcher app to manage the service.</source>
        <translation>Устанавливает приложение-лаунчер для управления сервисом.</translation>
    </message>
    <message id="feature.agent.title">
        <source>Launch Agent</source>
        <translation>Агент запуска</translation>
    </message>
    <message id="feature.agent.description">
        <source>Configures service to run automatically on login.</source>
        <translation>Настраивает сервис для автоматического запуска при входе.</translation>
    </message>
    <message id="ui.betaVersion">
        <source>Install Beta Version</source>
        <translation>Установить бета-версию</translation>
    </message>
    <message id="ui.installDescription">
        <source>This will install Vistrel to your Library/Application Support folder and configure it to start automatically.</source>
        <translation>Это установит Vistrel в папку Library/Application Support и настроит автоматический запуск.</translation>
    </message>
    <message id="ui.installButton">
        <source>Install Vistrel</source>
        <translation>Установить Vistrel</translation>
    </message>
    <message id="ui.openButton">
        <source>Open Vistrel</source>
        <translation>Открыть Vistrel</translation>
    </message>
    <message id="ui.copyButton">
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message id="ui.installationLog">
        <source>Installation Log</source>
        <translation>Журнал установки</translation>
    </message>
    <message id="ui.installationError">
        <source>Installation Error</source>
        <translation>Ошибка установки</translation>
    </message>
    <message id="ui.portLabel">
        <source>Server Port</source>
        <translation>Порт сервера</translation>
    </message>
    <message id="ui.portInUse">
        <source>Port %@ is already in use by another application. Please choose a different port.</source>
        <translation>Порт %@ уже используется другим приложением. Пожалуйста, выберите другой порт.</translation>
    </message>
    <message id="ui.restoredRunning">
        <source>The previous installation was put back and runs again.</source>
        <translation>Предыдущая установка восстановлена и снова работает.</translation>
    </message>
    <message id="ui.restoredNotAnswering">
        <source>The previous installation was put back and started again, but its service does not answer yet.</source>
        <translation>Предыдущая установка восстановлена и перезапущена, но её служба пока не отвечает.</translation>
    </message>
    <message id="ui.restoredStopped">
        <source>The previous installation was put back. Its service was not running before and stays stopped.</source>
        <translation>Предыдущая установка восстановлена. Её служба не была запущена и остаётся остановленной.</translation>
    </message>
    <message id="ui.installationRemoved">
        <source>Everything this installation had added was removed again.</source>
        <translation>Всё, что добавила эта установка, удалено.</translation>
    </message>
    <message id="ui.restoreIncomplete">
        <source>Not everything could be put back. The installer tries again the next time it starts; the log shows what is missing.</source>
        <translation>Не всё удалось восстановить. Установщик повторит попытку при следующем запуске; в журнале видно, чего не хватает.</translation>
    </message>
    <message id="progress.download">
        <source>Downloaded %.1f MB of %.1f MB (%d%%)</source>
        <translation>Загружено %.1f МБ из %.1f МБ (%d%%)</translation>
    </message>
    <message id="progress.verify">
        <source>Pinging service... (Attempt %d/%d)</source>
        <translation>Проверка сервиса... (Попытка %d/%d)</translation>
    </message>
    <message id="log.success">
        <source>✅ %@ complete</source>
        <translation>✅ %@ завершено</translation>
    </message>
    <message id="log.error">
        <source>❌ %@ failed: %@</source>
        <translation>❌ %@ не удалось: %@</translation>
    </message>
</context>
</TS>
