// The launcher under real faults: a server that freezes while polled; settings files
// that are not small regular files; a server that cannot stay up; a plist gone or changed under a
// running job; a signal in the middle of a restart; two races inside the stand-in. Each test has a
// private service-manager domain.
#include "servicerig.h"
#include "uninstallrun.h"

#include "common/diagnostics.h"
#include "common/plist.h"
#include "launcher/ui/shutdownguard.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;
using namespace std::chrono_literals;

namespace {

const QString label = QString::fromUtf16(paths::launchAgentLabel);
const QString domain = installation::userDomain();

int ctl(const QStringList &arguments) {
    return installation::runLaunchctl(arguments);
}
bool loaded(const QString &job = label) {
    return ctl({"print", domain + u'/' + job}) == 0;
}

// A launch agent that keeps its program running, as the installer writes one.
bool writeAgent(const QString &path, const QString &job, const QStringList &arguments, const QString &folder = "/",
                int exitTimeOut = 20) {
    QString array;
    for (const QString &argument : arguments)
        array += "<string>" + xmlEscape(argument) + "</string>";
    return writeFile(path, QStringLiteral("<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>"
                                          "<key>Label</key><string>%1</string><key>ProgramArguments</key><array>%2"
                                          "</array><key>WorkingDirectory</key><string>%3</string><key>RunAtLoad</key>"
                                          "<true/><key>KeepAlive</key><true/><key>ExitTimeOut</key><integer>%4"
                                          "</integer></dict></plist>\n")
                               .arg(xmlEscape(job), array, xmlEscape(folder))
                               .arg(exitTimeOut)
                               .toUtf8());
}

// The demo server loaded as our agent in the rig's home (run in the install root, where it finds
// its port file), answering on its port; 0 on failure.
quint16 loadDemoServer(ServiceRig &rig) {
    const quint16 port = freePort();
    const QString plist = paths::launchAgentPlist(rig.home());
    rig.platform.launchctl = launchctlTool();
    if (!rig.isReady() || !rig.writePortFile(QByteArray::number(port)) ||
        !writeAgent(plist, label, {demoServerProgram()}, paths::installRoot(rig.home())) ||
        ctl({"bootstrap", domain, plist}) != 0)
        return 0;
    return QTest::qWaitFor([&] { return portIsOpen(port); }, 10000) ? port : 0;
}

} // namespace

class LauncherLiveTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestHome> m_home;

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY(m_home->isValid());
    }
    void cleanup() { m_home.reset(); }

    // A frozen server (SIGSTOP) times every check out: the launcher lives on, shows it stopped,
    // and sees it running again once it is let go.
    void serverFrozenWhilePolled() {
        Timing timing = fastTiming();
        timing.probeTimeout = 300ms;
        timing.pollingInterval = 100ms;
        ServiceRig rig(timing);
        const quint16 port = freePort();
        QVERIFY(rig.isReady() && rig.writePortFile(QByteArray::number(port)));
        QProcess server;
        server.setWorkingDirectory(paths::installRoot(rig.home()));
        server.start(demoServerProgram(), QStringList());
        QTRY_VERIFY(portIsOpen(port));
        ServiceManager &m = rig.manager();
        m.checkStatus();
        QTRY_COMPARE(m.status(), ServiceStatus::running(port));
        ::kill(pid_t(server.processId()), SIGSTOP);
        QTRY_COMPARE(m.status(), ServiceStatus::stopped());
        QTest::qWait(1000);
        ::kill(pid_t(server.processId()), SIGCONT);
        QTRY_COMPARE(m.status(), ServiceStatus::running(port));
        m.stopPolling();
        server.kill();
        server.waitForFinished();
    }

    // port.txt that would block, never end or name no port: 8090, at once.
    void portFileThatIsNoPortFile_data() {
        QTest::addColumn<QByteArray>("content"); // "<fifo>": a FIFO in its place
        QTest::newRow("fifo") << QByteArray("<fifo>");
        QTest::newRow("port, then more than a few KB") << QByteArray("9123") + QByteArray(5000, ' ');
        QTest::newRow("above 65535") << QByteArray("65536");
    }
    void portFileThatIsNoPortFile() {
        QFETCH(QByteArray, content);
        ServiceRig rig;
        const QString file = paths::portFile(rig.home());
        QVERIFY(rig.isReady() && rig.writePortFile(content));
        if (content == "<fifo>")
            QVERIFY(QFile::remove(file) && ::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        ::alarm(10); // a blocking read ends the test instead of hanging it
        QCOMPARE(rig.manager().currentPort(), qint64(8090));
        ::alarm(0);
    }

    // lang.txt goes to a terminal: no control sequences, one short line; a FIFO does not block.
    void languageFileIsReadSafely() {
        ServiceRig rig;
        const QString file = paths::languageFile(rig.home());
        QVERIFY(rig.isReady() && writeFile(file, "\x1b]0;title\x07\x1b[2J" + QByteArray(300, 'd') + "\r\x1b[1A"));
        QStringList printed;
        DiagnosticCapture capture([&](const QString &line) { printed.append(line); });
        LauncherLocalizationManager fromText(rig.platform);
        QVERIFY(QFile::remove(file) && ::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
        ::alarm(10);
        LauncherLocalizationManager fromFifo(rig.platform);
        ::alarm(0);
        QCOMPARE(printed.size(), 2);
        QVERIFY2(printed[0].size() < 120 && !printed[0].contains(u'\x1b') && !printed[0].contains(u'\x07') &&
                     !printed[0].contains(u'\r'),
                 qPrintable(printed[0]));
        QVERIFY2(printed[1].startsWith(u"Could not read lang.txt file: "), qPrintable(printed[1]));
    }

    // A crash-looping server under the real stand-in: the model keeps its state and adds why,
    // following the stand-in's runtime folder alone (polling is off).
    void crashingServerIsExplained_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("reason");
        QTest::newRow("signal") << QByteArray("echo '  fatal: no recordings folder  ' >&2\nkill -KILL $$\n")
                                << u"The server was stopped by signal SIGKILL"_qs;
        QTest::newRow("clean exits") << QByteArray("echo '  fatal: no recordings folder  ' >&2\nexit 0\n")
                                     << u"The server keeps restarting"_qs;
    }

    void crashingServerIsExplained() {
        QFETCH(QByteArray, script);
        QFETCH(QString, reason);
        const TestHome &home = *m_home;
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
        QCOMPARE(account.errorLogTail().value(0), u"fatal: no recordings folder"_qs);

        // Booted out behind the launcher's back: the folder shows it, and the reason goes with the job.
        QCOMPARE(QProcess::execute(launchctlTool(),
                                   {u"bootout"_qs, u"gui/%1"_qs.arg(::getuid()), paths::launchAgentPlist(home.path())}),
                 0);
        QTRY_VERIFY_WITH_TIMEOUT(!account.hasExitReason(), 10000);
        QVERIFY(account.errorLogTail().isEmpty());
        QVERIFY(QFile::remove(log));
        m.jobAccount()->showLogs(); // the log's folder, once the log is gone
        QCOMPARE(platform.openedUrls, QList<QUrl>{QUrl::fromLocalFile(home.path() + u"/Library/Logs"_qs)});
    }

    // The job is reached by its label when its plist is gone or names another job.
    void jobWhosePlistNoLongerNamesIt_data() {
        QTest::addColumn<bool>("uninstall");
        QTest::newRow("uninstall, plist deleted") << true;
        QTest::newRow("stop, plist names another job") << false;
    }
    void jobWhosePlistNoLongerNamesIt() {
        QFETCH(bool, uninstall);
        ServiceRig rig;
        const quint16 port = loadDemoServer(rig);
        QVERIFY(port);
        const QString plist = paths::launchAgentPlist(rig.home());
        if (uninstall) {
            QVERIFY(QFile::remove(plist));
            const auto service = UninstallService::create(rig.platform, Timing{}.scaled(25));
            QVERIFY(uninstallrun::runToEnd(*service));
            QVERIFY2(!service->hasError(), qPrintable(service->log().join(u'\n')));
        } else {
            QVERIFY(writeAgent(plist, QStringLiteral("com.example.other"), {"/bin/true"}));
            rig.manager().setStatus(ServiceStatus::running(port));
            rig.manager().stop();
            QTRY_COMPARE_WITH_TIMEOUT(rig.manager().status(), ServiceStatus::stopped(), 20000);
        }
        QVERIFY(!loaded());
        QVERIFY(!portIsOpen(port));
    }

    void signalMidRestartLeavesTheServiceLoaded() {
        Timing timing = fastTiming();
        timing.restartGap = 1500ms;
        ServiceRig rig(timing);
        QVERIFY(loadDemoServer(rig));
        ShutdownGuard guard(rig.manager());
        rig.manager().restart();
        QTRY_VERIFY(!loaded()); // the bootout has run: the gap before the bootstrap
        ::raise(SIGTERM);
        QCoreApplication::exec(); // ends at the signal, as the program's loop does
        guard.settle();
        QVERIFY(loaded());
    }

    // A supervisor whose runtime folder was removed ends without touching its successor's state.
    void supervisorOfARemovedDomainLeavesItsSuccessorAlone() {
        const QString plist = m_home->path() + "/sleeper.plist";
        const QString folder = m_home->runtimeDir() + "/vistrel-launchctl";
        QVERIFY(writeAgent(plist, label, {"/bin/sleep", "600"}));
        QCOMPARE(ctl({"bootstrap", domain, plist}), 0);
        QFile state(folder + "/job-com.qelvo.vistrel.json");
        QVERIFY(state.open(QIODevice::ReadOnly));
        const auto first = pid_t(QJsonDocument::fromJson(state.readAll()).object()["supervisorPid"].toInteger());
        QVERIFY(first > 0 && QDir(folder).removeRecursively());
        QCOMPARE(ctl({"bootstrap", domain, plist}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(::kill(first, 0) != 0, 10000);
        QVERIFY(loaded());
    }

    // A job that ignores SIGTERM holds up its own bootout, not the rest of the domain.
    void bootoutOfAStubbornJobLeavesTheDomainFree() {
        const QString stubborn = m_home->path() + "/stubborn.plist";
        const QString other = m_home->path() + "/other.plist";
        QVERIFY(writeAgent(stubborn, "test.stubborn", {"/bin/bash", "-c", "trap '' TERM; sleep 600"}, "/", 3));
        QVERIFY(writeAgent(other, "test.other", {"/bin/sleep", "600"}));
        QCOMPARE(ctl({"bootstrap", domain, stubborn}), 0);
        QProcess bootout;
        bootout.start(launchctlTool(), {"bootout", domain + "/test.stubborn"});
        QTest::qWait(500);
        QCOMPARE(ctl({"bootstrap", domain, other}), 0);
        QVERIFY(loaded("test.stubborn")); // its bootout still waits out the job's ExitTimeOut
        QVERIFY(bootout.waitForFinished(20000) && bootout.exitCode() == 0 && !loaded("test.stubborn"));
    }
};

QTEST_GUILESS_MAIN(LauncherLiveTest)
#include "tst_launcher_live.moc"
