#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/service/servicemanager.h"
#include "launcher/ui/appdelegate.h"
#include "launcher/ui/launchercontroller.h"
#include "launcher/ui/launcherui.h"
#include "launcher/ui/shutdownguard.h"
#include "launcher/ui/uninstallercontroller.h"
#include "platform/systemplatform.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Vistrel_LauncherPlugin)

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    vistrel::AppDelegate::install();
    vistrel::SystemPlatform platform(QStringLiteral("Vistrel"));
    platform.prepareEnvironment();

    const vistrel::LauncherAppInfo info = vistrel::LauncherAppInfo::fromMainBundle();
    if (!info.iconPath.isEmpty())
        QGuiApplication::setWindowIcon(QIcon(info.iconPath));
    vistrel::LauncherLocalizationManager localization(platform);
    vistrel::ServiceManager serviceManager(platform, localization);
    vistrel::UninstallerController uninstaller(platform);
    vistrel::LauncherController controller(localization, serviceManager, uninstaller, info);

    QQmlApplicationEngine engine;
    if (!vistrel::loadLauncherWindow(engine, controller))
        return 1;
    vistrel::AppDelegate::finishedLaunching(engine.rootObjects());
    vistrel::ShutdownGuard shutdown(serviceManager);
    const int status = app.exec();
    shutdown.settle();
    return status;
}
