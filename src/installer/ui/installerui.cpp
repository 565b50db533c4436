#include "installerui.h"

#include "common/bundleinfo.h"
#include "installer/engine/installationservice.h"
#include "installer/localization/localizationmanager.h"
#include "uikit/appiconprovider.h"
#include "uikit/symbolicons.h"

#include <QCoreApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QUrl>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Vistrel_UiKitPlugin)

namespace vistrel {

InstallerAppInfo InstallerAppInfo::fromMainBundle() {
    InstallerAppInfo info;
    const QString bundle = mainBundlePath();
    if (!bundle.isEmpty())
        info.iconPath = bundle + QStringLiteral("/Contents/Resources/AppIcon.png");
    info.version = appVersion().value_or(QStringLiteral("1.0.0"));
    return info;
}

void quitAfterRun(InstallationService &service, int status) {
    if (!service.interrupt()) {
        QCoreApplication::exit(status);
        return;
    }
    QObject::connect(&service, &RunEngine::runFinished, QCoreApplication::instance(),
                     [status] { QCoreApplication::exit(status); });
}

QQuickWindow *loadInstallerWindow(QQmlApplicationEngine &engine, LocalizationManager &localization,
                                  InstallationService &service, const InstallerAppInfo &info) {
    installUiKit(engine, info.iconPath, 12.0 / 48.0);
    engine.addImportPath(QStringLiteral("qrc:/"));
    localization.useForViews(engine);
    engine.setInitialProperties({
        {QStringLiteral("localization"), QVariant::fromValue(static_cast<QObject *>(&localization))},
        {QStringLiteral("service"), QVariant::fromValue(static_cast<QObject *>(&service))},
        {QStringLiteral("hasAppIcon"), AppIconProvider::hasIcon(info.iconPath)},
        {QStringLiteral("appVersion"), info.version},
    });
    engine.load(QUrl(QStringLiteral("qrc:/Vistrel/Installer/Main.qml")));
    const QList<QObject *> roots = engine.rootObjects();
    return roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(roots.constLast());
}

} // namespace vistrel
