// The main window as a user sees and drives it: the controls of every state, what the buttons
// start, the live-monitoring line, the permissions panel and the application menu.
#include "fakeprograms.h"
#include "launcherrig.h"

#include "common/paths.h"
#include "testenv.h"

#include <QFile>
#include <QTest>

#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// Everything the controls area and the card can show.
const QStringList stateControls{"stopButton",       "restartButton",    "openButton",        "startButton",
                                "startingProgress", "stoppingProgress", "serviceErrorLabel", "errorMessageLabel",
                                "retryButton",      "permissionsPanel", "statusSpinner",     "statusDetailLabel"};
const QString userIdError = u"Could not determine current user ID."_qs;
const QString bootstrapError = u"Failed to bootstrap service. Is it installed correctly?"_qs;

} // namespace

class LauncherViewTest : public QObject {
    Q_OBJECT

private slots:
    // Each state's controls, card and picture in every language; the permissions panel with its
    // content scrolled to the end; the application menu open.
    void everyStateInEveryLanguage_data() { addLanguageRows(); }

    void everyStateInEveryLanguage() {
        QFETCH(QByteArray, languageFile);
        QFETCH(QString, folder);
        // clang-format off
        const std::pair<const char *, ServiceStatus> states[] = {
            {"running", ServiceStatus::running(8090)}, {"stopped", ServiceStatus::stopped()},
            {"checking", ServiceStatus::checking()}, {"starting", ServiceStatus::starting()},
            {"stopping", ServiceStatus::stopping()}, {"error", ServiceStatus::error(bootstrapError)},
            {"permissions-needed", ServiceStatus::permissionsNeeded()}};
        const QList<QStringList> shown = {
            {"stopButton", "restartButton", "openButton", "statusDetailLabel"}, {"startButton"}, {"statusSpinner"},
            {"startingProgress", "statusSpinner"}, {"stoppingProgress"},
            {"serviceErrorLabel", "errorMessageLabel", "retryButton", "statusDetailLabel"}, {"permissionsPanel"}};
        // clang-format on
        Pictures pictures(folder);
        LauncherRig rig(languageFile, LauncherAppInfo::fromBundle(launcherBundle()));
        rig.platform.videoAuthorization = capture::authorized;
        rig.platform.audioAuthorization = capture::restricted;
        QVERIFY(rig.load());
        QCOMPARE(rig.localization->currentLanguage(), folder);
        QVERIFY(rig.isShown("appIcon"));
        for (int i = 0; i < 7; ++i) {
            rig.manager->setStatus(states[i].second);
            QCOMPARE(rig.shownOf(stateControls), shown[i]);
            QVERIFY(rig.isShown("uninstallButton"));
            pictures.take(rig.window(), u"main-"_qs + states[i].first, i == 6);
        }
        // The panel stands in for the 50-high controls; with it the content scrolls.
        const auto takeEnd = [&](const QString &name) {
            QQuickItem *scroller = rig.item("mainScroller");
            const qreal end = scroller->property("contentHeight").toReal() - scroller->height();
            scroller->setProperty("contentY", std::max<qreal>(0, end));
            pictures.take(rig.window(), name, true);
            scroller->setProperty("contentY", 0);
        };
        takeEnd(u"main-permissions-needed-end"_qs);
        rig.platform.audioAuthorization = capture::authorized;
        rig.manager->updatePermissionStatus();
        pictures.take(rig.window(), u"main-permissions-granted"_qs, true);
        takeEnd(u"main-permissions-granted-end"_qs);

        rig.manager->setStatus(ServiceStatus::running(8090));
        QVERIFY(rig.click("appMenuButton"));
        QTRY_VERIFY(rig.isShown("uninstallMenuItem"));
        pictures.take(rig.window(), u"main-menu"_qs);
        QVERIFY2(pictures.findings.isEmpty(), qPrintable(pictures.findings.join(u'\n')));
    }

    // What each button starts; how the service then fares is the service tests' matter.
    void buttonsDriveTheService_data() {
        QTest::addColumn<ServiceStatus>("status");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("transition");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("start") << ServiceStatus::stopped() << u"startButton"_qs << u"starting"_qs
                               << QStringList{"bootstrap"};
        QTest::newRow("stop") << ServiceStatus::running(8090) << u"stopButton"_qs << u"stopping"_qs
                              << QStringList{"bootout"};
        QTest::newRow("restart") << ServiceStatus::running(8090) << u"restartButton"_qs << u"starting"_qs
                                 << QStringList{"bootout", "bootstrap"};
        QTest::newRow("retry") << ServiceStatus::error(userIdError) << u"retryButton"_qs << u"checking"_qs
                               << QStringList{};
    }

    void buttonsDriveTheService() {
        QFETCH(ServiceStatus, status);
        QFETCH(QString, button);
        QFETCH(QString, transition);
        QFETCH(QStringList, commands);
        QTemporaryDir tools;
        FakeLaunchctl launchctl(tools.path(), 0);
        LauncherRig rig;
        QVERIFY(rig.load());
        rig.platform.launchctl = launchctl.path();
        rig.manager->setStatus(status);
        QStringList published;
        connect(rig.manager.get(), &ServiceManager::statusChanged, this,
                [&] { published << rig.manager->statusName(); });
        QVERIFY(rig.click(button));
        QCOMPARE(published.value(0), transition); // at once
        for (QString &command : commands)
            command += u" gui/%1 "_qs.arg(::getuid()) + paths::launchAgentPlist(rig.home());
        QTRY_COMPARE_WITH_TIMEOUT(launchctl.calls(), commands, 10000);
    }

    void openRunsTheBrowserScriptAndQuits() {
        LauncherRig rig;
        QVERIFY(rig.load());
        rig.manager->setStatus(ServiceStatus::running(8090));
        const QString marker = rig.home() + u"/browser-opened"_qs;
        QVERIFY(!writeScript(paths::browserScript(rig.home()), "touch '" + marker.toUtf8() + "'\n").isEmpty());
        QVERIFY(rig.click("openButton"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QTRY_COMPARE(rig.platform.terminations, 1);
        QVERIFY(rig.platform.openedUrls.isEmpty());
    }

    void ageOfTheLastCheck_data() {
        QTest::addColumn<int>("ageMs");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("live");
        const auto row = [](const char *name, int ageMs, QString language, QString expected, QString live) {
            QTest::newRow(name) << ageMs << language << expected << live;
        };
        const char *live = "Live monitoring active";
        row("59.999 s", 59999, "en", "Last check: 59s ago", live);
        row("clock set back", -30000, "en", "Last check: 0s ago", live);
        row("German 75 s", 75000, "de", "Letzte Überprüfung: vor 1m", "Live-Überwachung aktiv");
    }

    void ageOfTheLastCheck() {
        QFETCH(int, ageMs);
        QFETCH(QString, language);
        QFETCH(QString, expected);
        QFETCH(QString, live);
        int later = 0;
        LauncherRig rig;
        QVERIFY(rig.load());
        rig.localization->setCurrentLanguage(language);
        rig.controller->setClock([&] { return rig.manager->lastStatusCheck().addMSecs(ageMs + later); });
        // The line is drawn again when a check starts, not on a clock of its own.
        rig.manager->refreshStatus();
        QCOMPARE(rig.text("lastCheckLabel"), expected);
        QCOMPARE(rig.text("liveMonitoringLabel"), live);
        later = 3600 * 1000;
        QTest::qWait(20);
        QCOMPARE(rig.text("lastCheckLabel"), expected);
    }

    void permissionsPanel() {
        LauncherRig rig;
        rig.platform.videoAuthorization = capture::denied;
        rig.platform.audioAuthorization = capture::authorized;
        QVERIFY(rig.load()); // showing the window reads the authorization
        rig.manager->setStatus(ServiceStatus::permissionsNeeded());
        const QStringList actions{"continueButton", "cameraSettingsButton", "micSettingsButton", "refreshStatusButton"};
        QCOMPARE(rig.shownOf(actions), actions.mid(1));
        QCOMPARE(rig.text("cameraPermissionRowStatus"), u"Denied"_qs);
        QCOMPARE(rig.text("microphonePermissionRowStatus"), u"Granted"_qs);

        // The settings buttons open the panes whatever the statuses, and change nothing else.
        QVERIFY(rig.click("micSettingsButton"));
        QVERIFY(rig.click("cameraSettingsButton"));
        QCOMPARE(rig.platform.openedUrls,
                 (QList<QUrl>{QUrl("x-apple.systempreferences:com.apple.preference.security?Privacy_Microphone"),
                              QUrl("x-apple.systempreferences:com.apple.preference.security?Privacy_Camera")}));
        QCOMPARE(rig.manager->statusName(), u"permissionsNeeded"_qs);

        // Access granted in the settings shows only after Refresh Status.
        rig.platform.videoAuthorization = capture::authorized;
        QTest::qWait(20);
        QVERIFY(!rig.isShown("continueButton"));
        QVERIFY(rig.click("refreshStatusButton"));
        QCOMPARE(rig.shownOf(actions), QStringList{"continueButton"});
        QCOMPARE(rig.text("cameraPermissionRowStatus"), u"Granted"_qs);

        // Continue runs a full check, which leaves the panel for the regular controls.
        QVERIFY(rig.click("continueButton"));
        QTRY_COMPARE(rig.manager->statusName(), u"stopped"_qs);
        QCOMPARE(rig.shownOf(stateControls), QStringList{"startButton"});
    }

    void windowAndMonitoring() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QCOMPARE(rig.window()->title(), QStringLiteral("Vistrel")); // what task bars and screen readers name
        // The live-monitoring line shows exactly while polling is on.
        QVERIFY(rig.manager->isPollingActive() && rig.isShown("liveMonitoringLine"));
        rig.manager->stopPolling();
        QVERIFY(!rig.isShown("liveMonitoringLine"));
        rig.manager->startPolling();
        QVERIFY(rig.isShown("liveMonitoringLine"));
        rig.window()->close();
        QTRY_VERIFY(!rig.manager->isPollingActive());
    }

    void applicationMenuAndShortcut() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(rig.click("appMenuButton"));
        QTRY_VERIFY(rig.isShown("uninstallMenuItem"));
        QVERIFY(rig.click("uninstallMenuItem"));
        QTRY_VERIFY(rig.sheet());
        QCOMPARE(rig.sheet()->modality(), Qt::WindowModal);
        // Once it is closed, the shortcut brings it up afresh.
        rig.sheet()->close();
        QTRY_VERIFY(!rig.sheet());
        QTest::keyClick(rig.window(), Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_VERIFY(rig.sheet());
        QVERIFY(rig.isShown("confirmationView"));
        QCOMPARE(rig.uninstaller->servicesCreated(), 2);
    }
};

QTEST_MAIN(LauncherViewTest)
#include "tst_launcherview.moc"
