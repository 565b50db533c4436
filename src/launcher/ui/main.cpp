#include "platform/systemplatform.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    vistrel::SystemPlatform platform(QStringLiteral("Vistrel"));
    platform.prepareEnvironment();
    QQmlApplicationEngine engine;
    engine.load(QUrl(QStringLiteral("qrc:/Vistrel/Launcher/qml/Main.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;
    return app.exec();
}
