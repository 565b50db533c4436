// The main window as a user sees and drives it: the controls of every state, what the buttons
// start, the live-monitoring line, the permissions panel, the header and the window itself.
#include "fakeprograms.h"
#include "httpresponder.h"
#include "launcherrig.h"

#include "common/paths.h"
#include "testenv.h"

#include <QColor>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// Everything the controls area and the card can show.
const QStringList stateControls{
    QStringLiteral("stopButton"),        QStringLiteral("restartButton"),     QStringLiteral("openButton"),
    QStringLiteral("startButton"),       QStringLiteral("startingProgress"),  QStringLiteral("stoppingProgress"),
    QStringLiteral("serviceErrorLabel"), QStringLiteral("errorMessageLabel"), QStringLiteral("retryButton"),
    QStringLiteral("permissionsPanel"),  QStringLiteral("statusSpinner"),     QStringLiteral("statusDetailLabel"),
};

QColor colorOf(QQuickItem *item) {
    return item ? item->property("color").value<QColor>() : QColor();
}

QString plistCall(const QString &command, const QString &home) {
    return command + u' ' + QStringLiteral("gui/%1").arg(::getuid()) + u' ' + paths::launchAgentPlist(home);
}

QStringList callsOf(const FakeLaunchctl &launchctl) {
    QStringList calls;
    for (const FakeLaunchctl::Call &call : launchctl.calls())
        calls.append(call.arguments.join(u' '));
    return calls;
}

} // namespace

class LauncherViewTest : public QObject {
    Q_OBJECT

    // A rig whose port file names a local server answering as told.
    struct ServedRig {
        HttpResponder server;
        LauncherRig rig;
        bool ready = false;
        explicit ServedRig(int status, LauncherRig::Options options = {})
            : rig(std::move(options)) {
            server.setAnswer(HttpResponder::status(status));
            ready = server.listen() && writeFile(paths::portFile(rig.home()), QByteArray::number(server.port())) &&
                    rig.load();
        }
    };

private slots:
    void controlsForEachState_data() {
        QTest::addColumn<ServiceStatus>("status");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("dot");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("detail");

        QTest::newRow("running") << ServiceStatus::running(8090)
                                 << QStringList{"stopButton", "restartButton", "openButton", "statusDetailLabel"}
                                 << "#34c759"
                                 << "Running"
                                 << "Running on port 8090";
        QTest::newRow("stopped") << ServiceStatus::stopped() << QStringList{"startButton"} << "#ff3b30"
                                 << "Stopped" << QString();
        QTest::newRow("checking") << ServiceStatus::checking() << QStringList{"statusSpinner"} << "#ff9500"
                                  << "Checking..." << QString();
        QTest::newRow("starting") << ServiceStatus::starting() << QStringList{"startingProgress", "statusSpinner"}
                                  << "#ff9500"
                                  << "Starting..." << QString();
        QTest::newRow("stopping") << ServiceStatus::stopping() << QStringList{"stoppingProgress"} << "#ff9500"
                                  << "Stopping..." << QString();
        QTest::newRow("error") << ServiceStatus::error(QStringLiteral("Could not determine current user ID."))
                               << QStringList{"serviceErrorLabel", "errorMessageLabel", "retryButton",
                                              "statusDetailLabel"}
                               << "#ff3b30"
                               << "Error"
                               << "Could not determine current user ID.";
        QTest::newRow("permissions needed")
            << ServiceStatus::permissionsNeeded() << QStringList{"permissionsPanel"} << "#ff9500"
            << "Permissions Required" << QString();
    }

    void controlsForEachState() {
        QFETCH(ServiceStatus, status);
        QFETCH(QStringList, shown);
        QFETCH(QString, dot);
        QFETCH(QString, title);
        QFETCH(QString, detail);

        LauncherRig rig;
        QVERIFY(rig.load());
        rig.serviceManager().setStatus(status);

        QCOMPARE(rig.shownOf(stateControls), shown);
        QCOMPARE(colorOf(rig.item(QStringLiteral("statusDot"))), QColor(dot));
        QCOMPARE(rig.text(QStringLiteral("statusTitleLabel")), title);
        if (!detail.isEmpty())
            QCOMPARE(rig.text(QStringLiteral("statusDetailLabel")), detail);
        QVERIFY(rig.isShown(QStringLiteral("uninstallButton")));
        QCOMPARE(rig.text(QStringLiteral("uninstallButton")), QStringLiteral("Uninstall Vistrel"));

        if (status.is(ServiceStatus::Case::Running)) {
            // Open takes the rest of the row.
            QVERIFY(rig.item(QStringLiteral("openButton"))->width() > rig.item(QStringLiteral("stopButton"))->width());
            QCOMPARE(rig.text(QStringLiteral("openButton")), QStringLiteral("Open"));
        }
        if (status.is(ServiceStatus::Case::Error))
            QCOMPARE(rig.text(QStringLiteral("errorMessageLabel")), status.message());
        if (status.is(ServiceStatus::Case::Stopping))
            QCOMPARE(rig.text(QStringLiteral("transitionLabel")), QStringLiteral("Stopping Vistrel..."));
    }

    void textsFollowTheLanguage() {
        LauncherRig rig;
        QVERIFY(rig.load());
        rig.serviceManager().setStatus(ServiceStatus::running(8090));
        rig.localization().setCurrentLanguage(QStringLiteral("de"));
        QCOMPARE(rig.text(QStringLiteral("statusTitleLabel")), QStringLiteral("Läuft"));
        QCOMPARE(rig.text(QStringLiteral("stopButton")), QStringLiteral("Stoppen"));
        QCOMPARE(rig.text(QStringLiteral("uninstallButton")), QStringLiteral("Vistrel Deinstallieren"));
        QCOMPARE(rig.text(QStringLiteral("liveMonitoringLabel")), QStringLiteral("Live-Überwachung aktiv"));
    }

    void startBootstrapsAndShowsTheWayToRunning() {
        QTemporaryDir tools;
        FakeLaunchctl launchctl(tools.path(), 0);
        ServedRig served(503);
        QVERIFY(served.ready);
        LauncherRig &rig = served.rig;
        rig.platform.launchctl = launchctl.path();
        QCOMPARE(rig.serviceManager().statusName(), QStringLiteral("stopped"));

        served.server.setAnswer(HttpResponder::status(200));
        QVERIFY(rig.click(QStringLiteral("startButton")));
        // At once: the starting spinner, and no second Start.
        QCOMPARE(rig.serviceManager().statusName(), QStringLiteral("starting"));
        QCOMPARE(rig.shownOf(stateControls), (QStringList{"startingProgress", "statusSpinner"}));
        QVERIFY(rig.serviceManager().isPollingActive());

        QTRY_COMPARE_WITH_TIMEOUT(rig.serviceManager().statusName(), QStringLiteral("running"), 10000);
        QCOMPARE(callsOf(launchctl), QStringList{plistCall(QStringLiteral("bootstrap"), rig.home())});
        QTRY_COMPARE(rig.shownOf(stateControls),
                     (QStringList{"stopButton", "restartButton", "openButton", "statusDetailLabel"}));
    }

    void stopBootsOutAndReachesStopped() {
        QTemporaryDir tools;
        FakeLaunchctl launchctl(tools.path(), 0);
        ServedRig served(200);
        QVERIFY(served.ready);
        LauncherRig &rig = served.rig;
        rig.platform.launchctl = launchctl.path();
        QCOMPARE(rig.serviceManager().statusName(), QStringLiteral("running"));

        served.server.setAnswer(HttpResponder::status(503));
        QVERIFY(rig.click(QStringLiteral("stopButton")));
        QCOMPARE(rig.serviceManager().statusName(), QStringLiteral("stopping"));
        QCOMPARE(rig.shownOf(stateControls), QStringList{"stoppingProgress"});

        QTRY_COMPARE_WITH_TIMEOUT(rig.serviceManager().statusName(), QStringLiteral("stopped"), 10000);
        QCOMPARE(callsOf(launchctl), QStringList{plistCall(QStringLiteral("bootout"), rig.home())});
        QCOMPARE(rig.shownOf(stateControls), QStringList{"startButton"});
    }

    void restartBootsOutThenBootstraps() {
        QTemporaryDir tools;
        FakeLaunchctl launchctl(tools.path(), 0);
        ServedRig served(200);
        QVERIFY(served.ready);
        LauncherRig &rig = served.rig;
        rig.platform.launchctl = launchctl.path();

        QVERIFY(rig.click(QStringLiteral("restartButton")));
        QCOMPARE(rig.serviceManager().statusName(), QStringLiteral("starting"));
        QVERIFY(rig.isShown(QStringLiteral("startingProgress")));
        QTRY_COMPARE_WITH_TIMEOUT(launchctl.calls().size(), 2, 10000);
        QCOMPARE(callsOf(launchctl), (QStringList{plistCall(QStringLiteral("bootout"), rig.home()),
                                                  plistCall(QStringLiteral("bootstrap"), rig.home())}));
    }

    void openRunsTheBrowserScriptAndQuits() {
        ServedRig served(200);
        QVERIFY(served.ready);
        LauncherRig &rig = served.rig;
        const QString marker = rig.home() + QStringLiteral("/browser-opened");
        QVERIFY(!writeScript(paths::browserScript(rig.home()), "touch '" + marker.toUtf8() + "'\n").isEmpty());

        QVERIFY(rig.click(QStringLiteral("openButton")));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QTRY_COMPARE(rig.platform.terminations, 1);
        QVERIFY(rig.platform.openedUrls.isEmpty());
    }

    void retryRunsAFullCheck() {
        ServedRig served(200);
        QVERIFY(served.ready);
        LauncherRig &rig = served.rig;
        rig.serviceManager().setStatus(ServiceStatus::error(QStringLiteral("Could not determine current user ID.")));
        QStringList published;
        connect(&rig.serviceManager(), &ServiceManager::statusChanged, this,
                [&] { published.append(rig.serviceManager().statusName()); });
        const QDateTime before = rig.serviceManager().lastStatusCheck();
        QTest::qWait(5);

        QVERIFY(rig.click(QStringLiteral("retryButton")));
        QTRY_COMPARE(published, (QStringList{"checking", "running"}));
        QVERIFY(rig.serviceManager().lastStatusCheck() > before);
    }

    void liveLineFollowsPolling() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(rig.isShown(QStringLiteral("liveMonitoringLine")));
        rig.serviceManager().stopPolling();
        QVERIFY(!rig.isShown(QStringLiteral("liveMonitoringLine")));
        rig.serviceManager().startPolling();
        QVERIFY(rig.isShown(QStringLiteral("liveMonitoringLine")));
        QCOMPARE(rig.text(QStringLiteral("liveMonitoringLabel")), QStringLiteral("Live monitoring active"));
    }

    void ageOfTheLastCheck_data() {
        QTest::addColumn<int>("age");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("59 s") << 59 << "en"
                              << "Last check: 59s ago";
        QTest::newRow("75 s") << 75 << "en"
                              << "Last check: 1m ago";
        QTest::newRow("60 s") << 60 << "en"
                              << "Last check: 1m ago";
        QTest::newRow("just now") << 0 << "en"
                                  << "Last check: 0s ago";
        QTest::newRow("two hours") << 7260 << "en"
                                   << "Last check: 121m ago";
        QTest::newRow("German 75 s") << 75 << "de"
                                     << "Letzte Überprüfung: vor 1m";
    }

    void ageOfTheLastCheck() {
        QFETCH(int, age);
        QFETCH(QString, language);
        QFETCH(QString, expected);
        LauncherRig rig;
        QVERIFY(rig.load());
        rig.localization().setCurrentLanguage(language);
        rig.controller().setClock([age] { return QDateTime::currentDateTime().addSecs(age); });
        // The line is drawn again when a check starts, not on a clock of its own.
        rig.serviceManager().refreshStatus();
        QCOMPARE(rig.text(QStringLiteral("lastCheckLabel")), expected);

        rig.controller().setClock([age] { return QDateTime::currentDateTime().addSecs(age + 3600); });
        QTest::qWait(20);
        QCOMPARE(rig.text(QStringLiteral("lastCheckLabel")), expected);
    }

    void ageIsWholeSecondsAndNeverNegative() {
        const QDateTime check = QDateTime::currentDateTime();
        QCOMPARE(LauncherController::secondsBetween(check, check.addMSecs(59999)), 59);
        QCOMPARE(LauncherController::secondsBetween(check, check.addMSecs(999)), 0);
        // A clock set back after the check.
        QCOMPARE(LauncherController::secondsBetween(check, check.addSecs(-30)), 0);
    }

    void permissionsPanel_data() {
        QTest::addColumn<int>("camera");
        QTest::addColumn<int>("microphone");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("cameraText");
        QTest::addColumn<QString>("microphoneText");
        const QStringList settings{"cameraSettingsButton", "micSettingsButton", "refreshStatusButton"};
        QTest::newRow("both granted") << 3 << 3 << QStringList{"continueButton"} << "Granted"
                                      << "Granted";
        QTest::newRow("microphone denied") << 3 << 2 << settings << "Granted"
                                           << "Denied";
        QTest::newRow("camera restricted") << 1 << 3 << settings << "Restricted"
                                           << "Granted";
        QTest::newRow("neither asked") << 0 << 0 << settings << "Not Set"
                                       << "Not Set";
        QTest::newRow("unknown value") << 7 << 3 << settings << "Not Set"
                                       << "Granted";
    }

    void permissionsPanel() {
        QFETCH(int, camera);
        QFETCH(int, microphone);
        QFETCH(QStringList, shown);
        QFETCH(QString, cameraText);
        QFETCH(QString, microphoneText);
        LauncherRig rig;
        rig.platform.videoAuthorization = camera;
        rig.platform.audioAuthorization = microphone;
        QVERIFY(rig.load()); // showing the window reads the authorization
        rig.serviceManager().setStatus(ServiceStatus::permissionsNeeded());

        const QStringList actions{"continueButton", "cameraSettingsButton", "micSettingsButton", "refreshStatusButton"};
        QCOMPARE(rig.shownOf(actions), shown);
        QCOMPARE(rig.text(QStringLiteral("cameraPermissionRowStatus")), cameraText);
        QCOMPARE(rig.text(QStringLiteral("microphonePermissionRowStatus")), microphoneText);
        QCOMPARE(colorOf(rig.item(QStringLiteral("cameraPermissionRowIcon"))),
                 QColor(camera == 3 ? "#34c759" : "#ff9500"));
        QCOMPARE(colorOf(rig.item(QStringLiteral("microphonePermissionRowIcon"))),
                 QColor(microphone == 3 ? "#34c759" : "#ff9500"));
    }

    void permissionsActions() {
        LauncherRig rig;
        rig.platform.videoAuthorization = capture::denied;
        rig.platform.audioAuthorization = capture::authorized;
        QVERIFY(rig.load());
        rig.serviceManager().setStatus(ServiceStatus::permissionsNeeded());

        // The settings buttons open the panes whatever the statuses, and change nothing else.
        QVERIFY(rig.click(QStringLiteral("micSettingsButton")));
        QVERIFY(rig.click(QStringLiteral("cameraSettingsButton")));
        QCOMPARE(rig.platform.openedUrls,
                 (QList<QUrl>{QUrl("x-apple.systempreferences:com.apple.preference.security?Privacy_Microphone"),
                              QUrl("x-apple.systempreferences:com.apple.preference.security?Privacy_Camera")}));
        QCOMPARE(rig.serviceManager().statusName(), QStringLiteral("permissionsNeeded"));

        // Access granted in the settings shows only after Refresh Status.
        rig.platform.videoAuthorization = capture::authorized;
        QTest::qWait(20);
        QVERIFY(!rig.isShown(QStringLiteral("continueButton")));
        QVERIFY(rig.click(QStringLiteral("refreshStatusButton")));
        QVERIFY(rig.isShown(QStringLiteral("continueButton")));
        QCOMPARE(rig.text(QStringLiteral("cameraPermissionRowStatus")), QStringLiteral("Granted"));

        // Continue runs a full check, which leaves the panel for the regular controls.
        QVERIFY(rig.click(QStringLiteral("continueButton")));
        QTRY_COMPARE(rig.serviceManager().statusName(), QStringLiteral("stopped"));
        QCOMPARE(rig.shownOf(stateControls), QStringList{"startButton"});
    }

    void headerFromTheBundle_data() {
        QTest::addColumn<QByteArray>("versionEntry");
        QTest::addColumn<QByteArray>("icon");
        QTest::addColumn<QString>("versionText");
        QTest::addColumn<bool>("showsIcon");
        QByteArray png;
        {
            QFile file(launcherBundle() + QStringLiteral("/Contents/Resources/AppIcon.png"));
            if (file.open(QIODevice::ReadOnly))
                png = file.readAll();
        }
        QTest::newRow("version and icon") << QByteArray("<string>2.3.4</string>") << png << "Launcher v2.3.4" << true;
        QTest::newRow("version not text") << QByteArray("<integer>7</integer>") << png << "Launcher v1.0.0" << true;
        QTest::newRow("no version, no icon") << QByteArray() << QByteArray() << "Launcher v1.0.0" << false;
        QTest::newRow("icon file not a picture")
            << QByteArray("<string>3.0</string>") << QByteArray("not a png") << "Launcher v3.0" << false;
    }

    void headerFromTheBundle() {
        QFETCH(QByteArray, versionEntry);
        QFETCH(QByteArray, icon);
        QFETCH(QString, versionText);
        QFETCH(bool, showsIcon);
        QTemporaryDir bundles;
        const QString bundle = bundles.path() + QStringLiteral("/Vistrel.app");
        QByteArray plist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                           "<key>CFBundleIdentifier</key><string>com.qelvonet.tarvik.launcher</string>\n";
        if (!versionEntry.isEmpty())
            plist += "<key>CFBundleShortVersionString</key>" + versionEntry + "\n";
        plist += "</dict>\n</plist>\n";
        QVERIFY(writeFile(bundle + QStringLiteral("/Contents/Info.plist"), plist));
        if (!icon.isEmpty())
            QVERIFY(writeFile(bundle + QStringLiteral("/Contents/Resources/AppIcon.png"), icon));

        LauncherRig::Options options;
        options.appInfo = LauncherAppInfo::fromBundle(bundle);
        LauncherRig rig(options);
        QVERIFY(rig.load());
        QCOMPARE(rig.text(QStringLiteral("versionLabel")), versionText);
        QCOMPARE(rig.text(QStringLiteral("appTitleLabel")), QStringLiteral("Vistrel"));
        QCOMPARE(rig.isShown(QStringLiteral("appIcon")), showsIcon);
        QCOMPARE(rig.isShown(QStringLiteral("fallbackSymbol")), !showsIcon);
    }

    void windowIsFixedOnceTheViewShows() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QTRY_COMPARE(rig.window()->size(), QSize(500, 450));
        QCOMPARE(rig.window()->minimumSize(), QSize(500, 450));
        QCOMPARE(rig.window()->maximumSize(), QSize(500, 450));
        QVERIFY(rig.window()->title().isEmpty());
    }

    void closingTheWindowStopsMonitoring() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(rig.serviceManager().isPollingActive());
        rig.window()->close();
        QTRY_VERIFY(!rig.serviceManager().isPollingActive());
    }

    void uninstallerComesUpOnce() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(!rig.sheet());

        QTest::keyClick(rig.window(), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_VERIFY(rig.sheet());
        QQuickWindow *sheet = rig.sheet();
        UninstallService *service = rig.uninstaller().currentService();
        QVERIFY(service);
        QVERIFY(rig.isShown(QStringLiteral("confirmationView")));

        // Again while the sheet is up: nothing changes.
        QTest::keyClick(rig.window(), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        rig.controller().notifications()->postShowUninstaller();
        QTest::qWait(50);
        QCOMPARE(rig.sheet(), sheet);
        QCOMPARE(rig.uninstaller().currentService(), service);
        QCOMPARE(rig.uninstaller().servicesCreated(), 1);
    }

    void applicationMenu() {
        LauncherRig rig;
        QVERIFY(rig.load());
        const int windows = QGuiApplication::topLevelWindows().size();

        QVERIFY(rig.click(QStringLiteral("appMenuButton")));
        QTRY_VERIFY(rig.isShown(QStringLiteral("aboutMenuItem")));
        QCOMPARE(rig.text(QStringLiteral("aboutMenuItem")), QStringLiteral("About Vistrel"));
        QVERIFY(rig.click(QStringLiteral("aboutMenuItem")));
        // About opens nothing and changes nothing.
        QTRY_VERIFY(!rig.isShown(QStringLiteral("aboutMenuItem")));
        QCOMPARE(QGuiApplication::topLevelWindows().size(), windows);
        QVERIFY(!rig.sheet());
        QCOMPARE(rig.uninstaller().servicesCreated(), 0);

        QVERIFY(rig.click(QStringLiteral("appMenuButton")));
        QTRY_VERIFY(rig.isShown(QStringLiteral("uninstallMenuItem")));
        QCOMPARE(rig.text(QStringLiteral("uninstallMenuItem")), QStringLiteral("Uninstall Vistrel..."));
        QVERIFY(rig.click(QStringLiteral("uninstallMenuItem")));
        QTRY_VERIFY(rig.sheet());
    }

    void uninstallButtonBringsUpTheSheet() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(rig.click(QStringLiteral("uninstallButton")));
        QTRY_VERIFY(rig.sheet());
        QVERIFY(rig.sheet()->transientParent() == rig.window());
        QCOMPARE(rig.sheet()->modality(), Qt::WindowModal);
    }
};

QTEST_MAIN(LauncherViewTest)
#include "tst_launcherview.moc"
