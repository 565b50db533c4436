// A server that cannot stay up, under the real service-manager stand-in: the launcher's model
// keeps its state and adds why, following the stand-in's runtime folder alone (polling is off).
#include "servicerig.h"

#include "common/paths.h"
#include "common/plist.h"

#include <QCoro/QCoroTask>
#include <QProcess>
#include <QTest>

#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;

class JobAccountTest : public QObject {
    Q_OBJECT

private slots:
    void crashingServerIsExplained_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("reason");
        QTest::newRow("exit code") << QByteArray("echo '  fatal: no recordings folder  ' >&2\nexit 3\n")
                                   << u"The server stopped with exit code 3"_qs;
        QTest::newRow("signal") << QByteArray("echo '  fatal: no recordings folder  ' >&2\nkill -KILL $$\n")
                                << u"The server was stopped by signal SIGKILL"_qs;
        QTest::newRow("clean exits") << QByteArray("echo '  fatal: no recordings folder  ' >&2\nexit 0\n")
                                     << u"The server keeps restarting"_qs;
    }

    void crashingServerIsExplained() {
        QFETCH(QByteArray, script);
        QFETCH(QString, reason);
        TestHome home;
        QVERIFY(home.isValid());
        FakePlatform platform;
        platform.home = home.path();
        platform.launchctl = launchctlTool();
        platform.stateFolder = home.runtimeDir() + u"/vistrel-launchctl"_qs;
        const QString server = writeScript(home.path() + u"/server"_qs, script);
        const QString log = paths::serverErrorLog(home.path());
        const QString agent =
            u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
            "<key>Label</key><string>com.qelvo.vistrel</string>\n"
            "<key>ProgramArguments</key><array><string>%1</string></array>\n"
            "<key>StandardErrorPath</key><string>%2</string>\n<key>ThrottleInterval</key><integer>1</integer>\n"
            "<key>RunAtLoad</key><true/>\n<key>KeepAlive</key><true/>\n</dict>\n</plist>\n"_qs.arg(xmlEscape(server),
                                                                                                   xmlEscape(log));
        QVERIFY(writeFile(paths::launchAgentPlist(home.path()), agent.toUtf8()));
        QVERIFY(writeFile(paths::portFile(home.path()), QByteArray::number(freePort())));

        Timing timing;
        timing.pollingInterval = timing.quickPollingInterval = std::chrono::hours(1);
        DiagnosticCapture quiet([](const QString &) {});
        LauncherLocalizationManager localization(platform);
        ServiceManager m(platform, localization, timing);
        QCoro::waitFor(m.checkStatusAsync());
        m.startPolling();
        m.start();
        const JobAccount &account = *m.jobAccount();
        QTRY_VERIFY_WITH_TIMEOUT(account.exitReason().restarts >= 2, 15000);
        QCOMPARE(m.status(), ServiceStatus::starting()); // added detail, never another state
        QCOMPARE(account.exitReasonText(), reason + u" (restarted %1 times)"_qs.arg(account.exitReason().restarts));
        QVERIFY(!account.errorLogTail().isEmpty() && account.errorLogTail().size() <= 5);
        for (const QString &line : account.errorLogTail())
            QCOMPARE(line, u"fatal: no recordings folder"_qs);

        m.jobAccount()->showLogs();
        QCOMPARE(platform.openedUrls.value(0), QUrl::fromLocalFile(log));

        // Booted out behind the launcher's back: the folder shows it, and the reason goes with the job.
        QCOMPARE(QProcess::execute(launchctlTool(),
                                   {u"bootout"_qs, u"gui/%1"_qs.arg(::getuid()), paths::launchAgentPlist(home.path())}),
                 0);
        QTRY_VERIFY_WITH_TIMEOUT(!account.hasExitReason(), 10000);
        QVERIFY(account.errorLogTail().isEmpty());
        QVERIFY(QFile::remove(log));
        m.jobAccount()->showLogs();
        QCOMPARE(platform.openedUrls.value(1), QUrl::fromLocalFile(home.path() + u"/Library/Logs"_qs));
    }
};

QTEST_GUILESS_MAIN(JobAccountTest)
#include "tst_jobaccount.moc"
