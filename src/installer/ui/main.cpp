#include "common/commandline.h"
#include "common/diagnostics.h"
#include "common/rollback.h"
#include "common/singleinstance.h"
#include "common/terminationsignals.h"
#include "installer/engine/installationservice.h"
#include "installer/localization/localizationmanager.h"
#include "installer/ui/headlessinstall.h"
#include "installer/ui/installerui.h"
#include "platform/systemplatform.h"

#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Vistrel_InstallerPlugin)

int main(int argc, char *argv[]) {
    vistrel::keepStandardStreamsHarmless();
    if (vistrel::wantsHeadlessInstaller(argc, argv))
        return vistrel::runHeadlessInstaller(argc, argv);
    QGuiApplication app(argc, argv);
    // Lets the desktop match the window to the installer's menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.qelvonet.tarvik.installer"));
    // A second window would start a second run into the same home: the first comes forward instead.
    vistrel::SingleInstance instance(QStringLiteral("VistrelInstaller"));
    if (instance.handOverToRunningInstance())
        return 0;
    vistrel::quitOnTerminationSignals();
    vistrel::SystemPlatform platform(QStringLiteral("VistrelInstaller"));
    // An installation that was killed is undone before anything else.
    vistrel::recoverInterruptedRun(platform.homeDirectory(), platform.launchctlPath(), &vistrel::printLine);

    const vistrel::InstallerAppInfo info = vistrel::InstallerAppInfo::fromMainBundle();
    QGuiApplication::setWindowIcon(QIcon(info.iconPath));
    vistrel::LocalizationManager localization(platform);
    // Shared: a run that is still going when the window closes keeps the service alive.
    const std::shared_ptr<vistrel::InstallationService> service = vistrel::InstallationService::create(platform);

    QQmlApplicationEngine engine;
    QQuickWindow *window = vistrel::loadInstallerWindow(engine, localization, *service, info);
    if (!window)
        return 1;
    // A signal or the closed window ends a run under way in order: it undoes what it did first.
    vistrel::setTerminationHandler([&service](int signal) { vistrel::quitAfterRun(*service, 128 + signal); });
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, &app,
                     [&service] { vistrel::quitAfterRun(*service, 0); });
    QObject::connect(&instance, &vistrel::SingleInstance::activationRequested, window, [window] {
        window->showNormal();
        window->raise();
        window->requestActivate();
    });
    return app.exec();
}
