// The main window as a user sees it: the controls of every state, the age of the last check, the
// permissions panel, why the server is not answering and the application menu.
#include "launcherrig.h"
#include "servicerig.h"

#include "common/paths.h"
#include "testenv.h"

#include <QTest>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// Everything the controls area and the card can show.
const QStringList stateControls{"stopButton",       "restartButton",    "openButton",        "startButton",
                                "startingProgress", "stoppingProgress", "serviceErrorLabel", "errorMessageLabel",
                                "retryButton",      "permissionsPanel", "statusSpinner",     "statusDetailLabel"};
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
        Pictures pictures = launcherPictures(folder);
        LauncherRig rig(languageFile, LauncherAppInfo::fromBundle(launcherBundle()));
        rig.platform.videoAuthorization = capture::authorized;
        rig.platform.audioAuthorization = capture::restricted;
        QVERIFY(rig.load());
        QCOMPARE(rig.window()->title(), QStringLiteral("Vistrel")); // what task bars and screen readers name
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
        rig.controller->captureAccess()->update();
        pictures.take(rig.window(), u"main-permissions-granted"_qs, true);
        takeEnd(u"main-permissions-granted-end"_qs);

        rig.manager->setStatus(ServiceStatus::running(8090));
        QVERIFY(rig.click("appMenuButton"));
        QTRY_VERIFY(rig.isShown("uninstallMenuItem"));
        pictures.take(rig.window(), u"main-menu"_qs);
        QVERIFY2(pictures.findings.isEmpty(), qPrintable(pictures.findings.join(u'\n')));
        QVERIFY(rig.click("uninstallMenuItem"));
        QTRY_VERIFY(rig.sheet());
        QCOMPARE(rig.sheet()->modality(), Qt::WindowModal);
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

    // Why the server is not answering: the reason under the status, the error log's last lines as
    // plain text, and Show Logs beside them and in the application menu.
    void crashLoopIsExplained_data() {
        QTest::addColumn<QByteArray>("languageFile");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("reason");
        QTest::newRow("en") << QByteArray("en") << u"en"_qs
                            << u"The server stopped with exit code 3 (restarted 4 times)"_qs;
        QTest::newRow("de") << QByteArray("de") << u"de"_qs
                            << u"Der Server wurde mit dem Exit-Code 3 beendet (4-mal neu gestartet)"_qs;
    }

    void crashLoopIsExplained() {
        QFETCH(QByteArray, languageFile);
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        LauncherRig rig(languageFile, LauncherAppInfo::fromBundle(launcherBundle()));
        // The account as the service manager lays it out for a job between two restarts.
        rig.platform.launchctl = writeScript(
            rig.home() + u"/launchctl"_qs,
            "[ \"$1\" = print ] || exit 1\nprintf 'gui/501/com.qelvo.vistrel = {\\n\\tactive count = 0\\n"
            "\\tpath = /x.plist\\n\\ttype = LaunchAgent\\n\\tstate = spawn scheduled\\n\\n\\tprogram = /s\\n"
            "\\targuments = {\\n\\t\\t/s\\n\\t\\tlast exit code = 9\\n\\t}\\n\\n\\tdomain = gui/501 [100005]\\n"
            "\\tminimum runtime = 10\\n\\truns = 5\\n\\tlast exit code = 3\\n\\n\\tspawn type = daemon (3)\\n}\\n'\n");
        const QString log = paths::serverErrorLog(rig.home());
        // Markup, terminal colours, a line separator, a bidirectional override, a line too long for the card.
        QVERIFY(writeFile(log, "first\nsecond\n  <b>Database</b> locked  \n\nthird\n\x1b[31mfourth\x1b[0m\u2028end\n"
                               "fifth \u202Eright to left\n" +
                                   QByteArray("newest ").repeated(60) + "\n\n"));
        QVERIFY(rig.load());
        QTRY_VERIFY(rig.isShown("exitReasonLabel"));
        QCOMPARE(rig.manager->statusName(), u"stopped"_qs);
        QCOMPARE(rig.text("exitReasonLabel"), reason);
        // One row a line, the newest last, each cut to the card.
        QStringList rows;
        for (const QQuickItem *row : rig.item("errorLogTail")->childItems()) {
            if (row->objectName() == u"errorLogLine" && row->property("lineCount").toInt() == 1)
                rows.append(row->property("text").toString().left(14) + u'|' + row->property("truncated").toString());
        }
        QCOMPARE(rows.join(u", "), u"<b>Database</b|false, third|false, fourth end|false, fifth right to|false, "
                                   "newest newest |true"_qs);
        QVERIFY(rig.isShown("showLogsButton"));
        Pictures pictures = launcherPictures(folder);
        pictures.cutOnPurpose = QStringList{u"errorLogLine"_qs};
        // Like the permissions panel, the reason and log lines make the fixed-size content scroll; the
        // status, the reason and Start stay in view.
        pictures.take(rig.window(), u"main-exit-reason"_qs, true);

        QVERIFY(rig.click("showLogsButton"));
        QCOMPARE(rig.platform.openedUrls, QList<QUrl>{QUrl::fromLocalFile(log)});
        QVERIFY(rig.click("appMenuButton"));
        QTRY_VERIFY(rig.isShown("showLogsMenuItem"));
        pictures.take(rig.window(), u"main-menu-show-logs"_qs, true);
        QVERIFY(rig.click("showLogsMenuItem"));
        QCOMPARE(rig.platform.openedUrls.size(), 2);
        QVERIFY2(pictures.findings.isEmpty(), qPrintable(pictures.findings.join(u'\n')));
    }
};

QTEST_MAIN(LauncherViewTest)
#include "tst_launcherview.moc"
