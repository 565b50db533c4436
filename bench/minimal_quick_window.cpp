// The reference for the launcher's start-up and idle cost: the smallest Qt Quick window worth the
// name (a QML engine, one window the launcher's size, a rectangle and a line of text). Prints
// "first-frame" once its first frame is on screen, then quits, or with --stay keeps running idle.
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <cstdio>

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    const bool stay = app.arguments().contains(QStringLiteral("--stay"));

    QQmlApplicationEngine engine;
    engine.loadData(QByteArrayLiteral("import QtQuick\n"
                                      "Window {\n"
                                      "    width: 500; height: 450; visible: true\n"
                                      "    Rectangle { anchors.fill: parent; color: \"#f5f5f7\"\n"
                                      "        Text { anchors.centerIn: parent; text: \"Reference\" } }\n"
                                      "}\n"));
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    if (!window)
        return 1;
    QObject::connect(
        window, &QQuickWindow::frameSwapped, &app,
        [stay] {
            std::puts("first-frame");
            std::fflush(stdout);
            if (!stay)
                QCoreApplication::quit();
        },
        Qt::SingleShotConnection);
    return app.exec();
}
