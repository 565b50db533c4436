// Why the server is not answering, in the window: the reason under the status, the error log's
// last lines as plain text, and Show Logs beside them and in the application menu.
#include "launcherrig.h"
#include "servicerig.h"

#include "common/paths.h"
#include "testenv.h"

#include <QTest>

using namespace vistrel;
using namespace vistrel::test;

class LauncherExitReasonTest : public QObject {
    Q_OBJECT

private slots:
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
        QVERIFY(writeFile(log, "first\nsecond\n  <b>Database</b> locked  \n\nthird\nfourth\nfifth\n\n"));
        QVERIFY(rig.load());
        QTRY_VERIFY(rig.isShown("exitReasonLabel"));
        QCOMPARE(rig.manager->statusName(), u"stopped"_qs);
        QCOMPARE(rig.text("exitReasonLabel"), reason);
        QCOMPARE(rig.text("errorLogTail"), u"second\n<b>Database</b> locked\nthird\nfourth\nfifth"_qs);
        QCOMPARE(rig.item("errorLogTail")->property("lineCount").toInt(), 5); // markup stays text
        QVERIFY(rig.isShown("showLogsButton"));
        Pictures pictures(folder);
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

QTEST_MAIN(LauncherExitReasonTest)
#include "tst_launcherexitreason.moc"
