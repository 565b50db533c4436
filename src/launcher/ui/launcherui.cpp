#include "launcherui.h"

#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/ui/launchercontroller.h"
#include "uikit/symbolicons.h"

#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Vistrel_UiKitPlugin)

namespace vistrel {

QQuickWindow *loadLauncherWindow(QQmlApplicationEngine &engine, LauncherController &controller) {
    // The views draw their own controls over the plain style, so they look the same everywhere.
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    installUiKit(engine, controller.appInfo().iconPath, 24.0 / 128.0);
    engine.addImportPath(QStringLiteral("qrc:/"));
    controller.localization()->useForViews(engine);
    engine.setInitialProperties({{QStringLiteral("launcher"), QVariant::fromValue(&controller)}});
    engine.load(QUrl(QStringLiteral("qrc:/Vistrel/Launcher/Main.qml")));
    const QList<QObject *> roots = engine.rootObjects();
    return roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(roots.constFirst());
}

} // namespace vistrel
