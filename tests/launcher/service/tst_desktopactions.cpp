// Handing the web interface to a browser, the capture authorization, and the manager as QML sees it.
#include "fakeprograms.h"
#include "servicerig.h"

#include "common/diagnostics.h"
#include "common/paths.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;
using namespace std::chrono_literals;

class DesktopActionsTest : public QObject {
    Q_OBJECT

private slots:
    void scriptIsRunAndTheLauncherQuits() {
        ServiceRig rig{Timing{}}; // the product's 0.5 s
        QVERIFY(rig.isReady());
        const QString root = paths::installRoot(rig.home());
        const QString record = rig.home() + QStringLiteral("/script-ran");
        // The script notes how it was started: its path, its argument count and its folder.
        QVERIFY(!writeScript(paths::browserScript(rig.home()),
                             "printf '%s\\n%s\\n%s\\n' \"$0\" \"$#\" \"$PWD\" > '" + record.toUtf8() + "'\n")
                     .isEmpty());
        QStringList printed;
        DiagnosticCapture capture([&](const QString &line) { printed.append(line); });
        QElapsedTimer clock;
        clock.start();

        rig.manager().openWebInterface();

        QCOMPARE(printed, (QStringList{QStringLiteral("🚀 Attempting to launch browser..."),
                                       QStringLiteral("✅ Script found. Preparing to execute."),
                                       QStringLiteral("✅ Launch script executed successfully.")}));
        QTRY_VERIFY(QFile::exists(record));
        QTRY_COMPARE(QFile(record).size() > 0, true);
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        QCOMPARE(lines.value(0), paths::browserScript(rig.home()));
        QCOMPARE(lines.value(1), QStringLiteral("0"));
        QCOMPARE(lines.value(2), root);
        QVERIFY(rig.platform.openedUrls.isEmpty());

        QTRY_COMPARE_WITH_TIMEOUT(rig.platform.terminations, 1, 3000);
        QVERIFY2(clock.elapsed() >= 500, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(300);
        QCOMPARE(rig.platform.terminations, 1);
    }

    void withoutScriptPort8090IsOpened() {
        ServiceRig rig{Timing{}};
        QVERIFY(rig.isReady());
        QVERIFY(rig.writePortFile("9555\n")); // not consulted here
        rig.platform.openUrlSucceeds = false; // and a refusing desktop changes nothing
        QStringList printed;
        DiagnosticCapture capture([&](const QString &line) { printed.append(line); });
        QElapsedTimer clock;
        clock.start();

        rig.manager().openWebInterface();

        QCOMPARE(printed,
                 (QStringList{QStringLiteral("🚀 Attempting to launch browser..."),
                              QStringLiteral("❌ Could not find script at: ") + paths::browserScript(rig.home()),
                              QStringLiteral(" Falling back to default browser with port 8090...")}));
        QCOMPARE(rig.platform.openedUrls, QList<QUrl>{QUrl(QStringLiteral("http://localhost:8090"))});
        QCOMPARE(rig.platform.terminations, 0);
        QTRY_COMPARE_WITH_TIMEOUT(rig.platform.terminations, 1, 3000);
        QVERIFY2(clock.elapsed() >= 500, qPrintable(QString::number(clock.elapsed())));
    }

    void webLaunchLeavesTheStateAlone() {
        ServiceRig rig;
        QVERIFY(rig.isReady());
        rig.manager().setStatus(ServiceStatus::running(8090));
        rig.takePublished();
        DiagnosticCapture quiet([](const QString &) {});
        rig.manager().openWebInterface();
        QTRY_COMPARE(rig.platform.terminations, 1);
        QCOMPARE(rig.takePublished(), QStringList{});
        QCOMPARE(rig.server.requests(), 0);
    }

    void permissionsAreReadOnRequest() {
        ServiceRig rig;
        QVERIFY(rig.isReady());
        ServiceManager &m = rig.manager();
        rig.platform.videoAuthorization = capture::authorized;
        rig.platform.audioAuthorization = capture::denied;
        QSignalSpy camera(&m, &ServiceManager::cameraStatusChanged);
        QSignalSpy mic(&m, &ServiceManager::micStatusChanged);
        QSignalSpy granted(&m, &ServiceManager::permissionsGrantedChanged);
        // Nothing is read until asked.
        QCOMPARE(m.cameraStatus(), 0);
        m.updatePermissionStatus();
        QCOMPARE(m.cameraStatus(), 3);
        QCOMPARE(m.micStatus(), 2);
        QCOMPARE(camera.size(), 1);
        QCOMPARE(mic.size(), 1);
        QVERIFY(!m.permissionsGranted());
        QCOMPARE(ServiceManager::permissionStatusKey(m.cameraStatus()), QStringLiteral("permissions.granted"));
        QCOMPARE(ServiceManager::permissionStatusKey(m.micStatus()), QStringLiteral("permissions.denied"));

        // A change in the system shows only after the next request.
        rig.platform.audioAuthorization = capture::authorized;
        QTest::qWait(20);
        QCOMPARE(m.micStatus(), 2);
        m.updatePermissionStatus();
        QCOMPARE(m.micStatus(), 3);
        QVERIFY(m.permissionsGranted());
        QCOMPARE(granted.size(), 1);
        QCOMPARE(camera.size(), 1);
        QCOMPARE(rig.takePublished(), QStringList{}); // the state is not touched
    }

    void permissionKeys_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("key");
        QTest::newRow("0") << 0 << "permissions.notSet";
        QTest::newRow("1") << 1 << "permissions.restricted";
        QTest::newRow("2") << 2 << "permissions.denied";
        QTest::newRow("3") << 3 << "permissions.granted";
        QTest::newRow("unknown") << 7 << "permissions.notSet";
        QTest::newRow("negative") << -1 << "permissions.notSet";
    }

    void permissionKeys() {
        QFETCH(int, status);
        QFETCH(QString, key);
        QCOMPARE(ServiceManager::permissionStatusKey(status), key);
    }

    void privacySettingsPane_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("url");
        const QString camera = QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Camera");
        const QString mic =
            QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Microphone");
        QTest::newRow("camera") << "camera" << camera;
        QTest::newRow("microphone") << "microphone" << mic;
        QTest::newRow("Camera") << "Camera" << mic;
        QTest::newRow("camera with blank") << "camera " << mic;
        QTest::newRow("empty") << "" << mic;
    }

    void privacySettingsPane() {
        QFETCH(QString, kind);
        QFETCH(QString, url);
        ServiceRig rig;
        QVERIFY(rig.isReady());
        rig.platform.videoAuthorization = capture::authorized;
        rig.manager().openPrivacySettings(kind);
        QCOMPARE(rig.platform.openedUrls, QList<QUrl>{QUrl(url)});
        QCOMPARE(rig.platform.terminations, 0);
    }

    void readableFromQml() {
        ServiceRig rig;
        QVERIFY(rig.isReady());
        ServiceManager &m = rig.manager();
        m.setStatus(ServiceStatus::running(8091));
        QQmlEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("manager"), &m);
        QQmlComponent component(&engine);
        component.setData("import QtQml\n"
                          "QtObject {\n"
                          "  property string name: manager.status.name\n"
                          "  property real port: manager.status.port\n"
                          "  property string colour: manager.status.colorRole\n"
                          "  property bool spinner: manager.status.showsProgress\n"
                          "  property string title: manager.statusTitle\n"
                          "  property string detail: manager.statusDetail\n"
                          "  property string key: manager.permissionStatusKey(1)\n"
                          "}\n",
                          QUrl());
        std::unique_ptr<QObject> object(component.create());
        QVERIFY2(object, qPrintable(component.errorString()));
        QCOMPARE(object->property("name").toString(), QStringLiteral("running"));
        QCOMPARE(object->property("port").toLongLong(), 8091);
        QCOMPARE(object->property("colour").toString(), QStringLiteral("green"));
        QCOMPARE(object->property("spinner").toBool(), false);
        QCOMPARE(object->property("title").toString(), QStringLiteral("Running"));
        QCOMPARE(object->property("detail").toString(), QStringLiteral("Running on port 8091"));
        QCOMPARE(object->property("key").toString(), QStringLiteral("permissions.restricted"));
        // Bindings follow the state.
        m.setStatus(ServiceStatus::starting());
        QCOMPARE(object->property("name").toString(), QStringLiteral("starting"));
        QCOMPARE(object->property("spinner").toBool(), true);
        QCOMPARE(object->property("detail").toString(), QString());
    }
};

QTEST_GUILESS_MAIN(DesktopActionsTest)
#include "tst_desktopactions.moc"
