#include "installerstringdata.h"

namespace vistrel::installerstrings {

// Russian (ru). Same keys in the same order as every other table.
extern const std::array<StringEntry, keyCount> ru = {{
    {u"app.title", u"Установщик Vistrel"},
    {u"app.subtitle", u"Загружает и устанавливает последнюю версию"},
    {u"step.stopServices.title", u"Подготовка очистки сервисов"},
    {u"step.downloadTarvik.title", u"Загрузка Vistrel"},
    {u"step.installTarvik.title", u"Установка Vistrel"},
    {u"step.installLauncher.title", u"Установка приложения-лаунчера"},
    {u"step.setupService.title", u"Настройка сервиса"},
    {u"step.verifyService.title", u"Проверка сервиса"},
    {u"step.complete.title", u"Готов к запуску"},
    {u"step.stopServices.description", u"Очистка старых сервисов..."},
    {u"step.downloadTarvik.description", u"Загрузка последней версии с сервера..."},
    {u"step.installTarvik.description", u"Копирование файлов Vistrel в Application Support..."},
    {u"step.installLauncher.description", u"Установка приложения-лаунчера в папку Applications..."},
    {u"step.setupService.description", u"Настройка сервиса для запуска при входе пользователя..."},
    {u"step.verifyService.description", u"Ожидание запуска сервиса Vistrel..."},
    {u"step.complete.description", u"Vistrel работает и готов к настройке."},
    {u"feature.service.title", u"Установка сервиса"},
    {u"feature.service.description", u"Загружает и устанавливает файлы сервиса Vistrel."},
    {u"feature.launcher.title", u"Приложение-лаунчер"},
    {u"feature.launcher.description", u"Устанавливает приложение-лаунчер для управления сервисом."},
    {u"feature.agent.title", u"Агент запуска"},
    {u"feature.agent.description", u"Настраивает сервис для автоматического запуска при входе."},
    {u"ui.betaVersion", u"Установить бета-версию"},
    {u"ui.installDescription",
     u"Это установит Vistrel в папку Library/Application Support и настроит автоматический запуск."},
    {u"ui.installButton", u"Установить Vistrel"},
    {u"ui.openButton", u"Открыть Vistrel"},
    {u"ui.copyButton", u"Копировать"},
    {u"ui.installationLog", u"Журнал установки"},
    {u"ui.installationError", u"Ошибка установки"},
    {u"ui.portLabel", u"Порт сервера"},
    {u"ui.portInUse", u"Порт %@ уже используется другим приложением. Пожалуйста, выберите другой порт."},
    {u"progress.download", u"Загружено %.1f МБ из %.1f МБ (%d%%)"},
    {u"progress.verify", u"Проверка сервиса... (Попытка %d/%d)"},
    {u"log.success", u"✅ %@ завершено"},
    {u"log.error", u"❌ %@ не удалось: %@"},
}};

} // namespace vistrel::installerstrings
