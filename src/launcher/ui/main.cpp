#include "common/commandline.h"
#include "common/diagnostics.h"
#include "common/paths.h"
#include "common/rollback.h"
#include "common/singleinstance.h"
#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/service/servicemanager.h"
#include "launcher/ui/appdelegate.h"
#include "launcher/ui/headlessuninstall.h"
#include "launcher/ui/launchercontroller.h"
#include "launcher/ui/launcherui.h"
#include "launcher/ui/shutdownguard.h"
#include "launcher/ui/uninstallercontroller.h"
#include "platform/systemplatform.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Vistrel_LauncherPlugin)

int main(int argc, char *argv[]) {
    vistrel::keepStandardStreamsHarmless();
    if (vistrel::wantsHeadlessUninstall(argc, argv))
        return vistrel::runHeadlessUninstall(argc, argv);
    QGuiApplication app(argc, argv);
    // Lets the desktop match the window to the launcher's menu entry.
    QGuiApplication::setDesktopFileName(QString::fromUtf16(vistrel::paths::launcherBundleIdentifier));
    vistrel::SingleInstance instance(QStringLiteral("Vistrel"));
    if (instance.handOverToRunningInstance())
        return 0;
    vistrel::AppDelegate::install();
    vistrel::SystemPlatform platform(QStringLiteral("Vistrel"));
    // An installation that was killed is undone before the service is looked at.
    vistrel::recoverInterruptedRun(platform.homeDirectory(), platform.launchctlPath(), &vistrel::printLine);

    const vistrel::LauncherAppInfo info = vistrel::LauncherAppInfo::fromMainBundle();
    if (!info.iconPath.isEmpty())
        QGuiApplication::setWindowIcon(QIcon(info.iconPath));
    vistrel::LauncherLocalizationManager localization(platform);
    vistrel::ServiceManager serviceManager(platform, localization);
    vistrel::UninstallerController uninstaller(platform);
    vistrel::LauncherController controller(platform, localization, serviceManager, uninstaller, info);

    QQmlApplicationEngine engine;
    QQuickWindow *window = vistrel::loadLauncherWindow(engine, controller);
    if (!window)
        return 1;
    vistrel::ShutdownGuard shutdown(serviceManager);
    QObject::connect(&instance, &vistrel::SingleInstance::activationRequested, window, [window, &shutdown] {
        shutdown.cancelPendingQuit();
        window->showNormal();
        window->raise();
        window->requestActivate();
    });
    vistrel::AppDelegate::finishedLaunching(engine.rootObjects());
    return app.exec();
}
