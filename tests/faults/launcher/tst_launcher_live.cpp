// The launcher under real faults: settings files and an error log that are not small regular
// files; a server that cannot stay up; a plist gone or changed under a running job; quitting in the
// middle of a service operation; a runtime folder flooded or swapped; two races inside the
// stand-in. Each test has a private service-manager domain.
#include "servicerig.h"
#include "uninstallrun.h"

#include "common/diagnostics.h"
#include "common/plist.h"
#include "common/privatefiles.h"
#include "common/singleinstance.h"
#include "launcher/ui/shutdownguard.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QTest>
#include <QTimer>

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

    // port.txt that never ends or names no port: 8090.
    void portFileThatIsNoPortFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("port, then more than a few KB") << QByteArray("9123") + QByteArray(5000, ' ');
        QTest::newRow("above 65535") << QByteArray("65536");
    }
    void portFileThatIsNoPortFile() {
        QFETCH(QByteArray, content);
        ServiceRig rig;
        QVERIFY(rig.isReady() && rig.writePortFile(content));
        QCOMPARE(rig.manager().currentPort(), qint64(8090));
    }

    // lang.txt goes to a terminal: no control sequences, one short line. (Every file of ours is read
    // as a regular file only; the error log's rows try a FIFO.)
    void languageFileIsReadSafely() {
        ServiceRig rig;
        const QString file = paths::languageFile(rig.home());
        QVERIFY(rig.isReady() && writeFile(file, "\x1b]0;title\x07\x1b[2J" + QByteArray(300, 'd') + "\r\x1b[1A"));
        QStringList printed;
        DiagnosticCapture capture([&](const QString &line) { printed.append(line); });
        LauncherLocalizationManager fromText(rig.platform);
        QCOMPARE(printed.size(), 1);
        QVERIFY2(printed[0].size() < 120 && !printed[0].contains(u'\x1b') && !printed[0].contains(u'\x07') &&
                     !printed[0].contains(u'\r'),
                 qPrintable(printed[0]));
    }

    // A crash-looping server under the real stand-in: the model keeps its state and adds why,
    // following the stand-in's runtime folder (and polling, where a row asks for it). A server that
    // answers between its restarts is explained all the same.
    void crashingServerIsExplained_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("pollMs"); // 0: no polling
        QTest::addColumn<QString>("reason");
        const QByteArray fatal = "echo '  fatal: no recordings folder  ' >&2\n";
        QTest::newRow("signal") << fatal + "kill -KILL $$\n" << 0 << u"The server was stopped by signal SIGKILL"_qs;
        QTest::newRow("clean exits") << fatal + "exit 0\n" << 0 << u"The server keeps restarting"_qs;
        QTest::newRow("answers, then exits cleanly") << "sleep 0.6\n\"" + QFile::encodeName(demoServerProgram()) +
                                                            "\" & sleep 1\nkill $!\nwait\n" + fatal + "exit 0\n"
                                                     << 300 << u"The server keeps restarting"_qs;
    }

    void crashingServerIsExplained() {
        QFETCH(QByteArray, script);
        QFETCH(int, pollMs);
        QFETCH(QString, reason);
        const TestHome &home = *m_home;
        FakePlatform platform;
        platform.home = home.path();
        platform.launchctl = launchctlTool();
        platform.stateFile = home.runtimeDir() + u"/vistrel-launchctl/job-com.qelvo.vistrel.json"_qs;
        const QString server = writeScript(home.path() + u"/server"_qs, script);
        const QString log = paths::serverErrorLog(home.path());
        const QString agent =
            u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
            "<key>Label</key><string>com.qelvo.vistrel</string>\n"
            "<key>ProgramArguments</key><array><string>%1</string></array>\n"
            "<key>StandardErrorPath</key><string>%2</string>\n<key>ThrottleInterval</key><integer>1</integer>\n"
            "<key>WorkingDirectory</key><string>%3</string>\n"
            "<key>RunAtLoad</key><true/>\n<key>KeepAlive</key><true/>\n</dict>\n</plist>\n"_qs.arg(
                xmlEscape(server), xmlEscape(log), xmlEscape(paths::installRoot(home.path())));
        QVERIFY(writeFile(paths::launchAgentPlist(home.path()), agent.toUtf8()));
        QVERIFY(writeFile(paths::portFile(home.path()), QByteArray::number(freePort())));

        Timing timing;
        timing.pollingInterval = timing.quickPollingInterval = pollMs ? std::chrono::milliseconds(pollMs) : 1h;
        DiagnosticCapture quiet([](const QString &) {});
        LauncherLocalizationManager localization(platform);
        ServiceManager m(platform, localization, timing);
        QCoro::waitFor(m.checkStatusAsync());
        m.startPolling();
        const JobAccount &account = *m.jobAccount();
        QStringList reasons;
        QStringList tails;
        connect(&account, &JobAccount::changed, this, [&] {
            reasons.append(account.exitReasonText());
            tails.append(account.errorLogTail().value(0));
        });
        m.start();
        const QRegularExpression explained(u"^%1 \\(restarted \\d+ times\\)$"_qs.arg(reason));
        QTRY_VERIFY_WITH_TIMEOUT(!reasons.filter(explained).isEmpty(), 20000);
        if (!pollMs)
            QCOMPARE(m.status(), ServiceStatus::starting()); // added detail, never another state
        QVERIFY(tails.contains(u"fatal: no recordings folder"_qs));

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

    // However the program is asked to end, a Start, Stop or Restart under way runs to its end first.
    void quitWaitsForServiceOperations_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("bySignal");
        QTest::addColumn<bool>("loadedAfter");
        QTest::newRow("start, quit") << u"start"_qs << false << true;
        QTest::newRow("stop, SIGTERM") << u"stop"_qs << true << false;
        QTest::newRow("restart, SIGTERM in the gap") << u"restart"_qs << true << true;
    }
    void quitWaitsForServiceOperations() {
        QFETCH(QString, operation);
        QFETCH(bool, bySignal);
        QFETCH(bool, loadedAfter);
        Timing timing = fastTiming();
        timing.restartGap = 1500ms;
        ServiceRig rig(timing);
        QVERIFY(loadDemoServer(rig));
        if (operation == u"start")
            QCOMPARE(ctl({"bootout", domain + u'/' + label}), 0);
        // A busy service manager: each command takes a second.
        rig.platform.launchctl = writeScript(rig.home() + "/launchctl",
                                             "sleep 1\nexec '" + QFile::encodeName(launchctlTool()) + "' \"$@\"\n");
        ShutdownGuard guard(rig.manager());
        QMetaObject::invokeMethod(&rig.manager(), operation.toUtf8().constData());
        QTimer::singleShot(300, [bySignal] { bySignal ? void(::raise(SIGTERM)) : QCoreApplication::quit(); });
        QCoreApplication::exec(); // ends as the program's loop does
        QCOMPARE(loaded(), loadedAfter);
    }

    // The error log is the server's to write, and anything may be in its place: it is never waited
    // on nor opened unless it is a regular file (a server waiting to write into a FIFO would be let
    // go, then killed by SIGPIPE), and a line too long for one read leaves the lines before it.
    void errorLogTail_data() {
        QTest::addColumn<QByteArray>("content"); // "<fifo>", "<folder>"
        QTest::addColumn<QStringList>("lines");
        const QString cut = QString(300, u'x') + u'\u2026';
        QTest::newRow("fifo") << QByteArray("<fifo>") << QStringList();
        QTest::newRow("folder") << QByteArray("<folder>") << QStringList();
        QTest::newRow("last line longer than a read")
            << "old\nfirst\r\n\n \t\nsecond\n" + QByteArray(40000, 'x') << QStringList{"old", "first", "second", cut};
        QTest::newRow("line begun before the look back") << "first\n" + QByteArray(3 << 20, 'x') + "\n"
                                                         << QStringList{u'\u2026' + cut};
    }
    void errorLogTail() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        const QString log = m_home->path() + "/error.log";
        QProcess writer; // a server waiting to write into the FIFO
        if (content == "<fifo>" && ::mkfifo(QFile::encodeName(log).constData(), 0600) == 0)
            writer.start("/bin/bash", {"-c", "echo x > \"$0\"", log});
        QVERIFY(content == "<fifo>"     ? writer.waitForStarted()
                : content == "<folder>" ? QDir().mkpath(log)
                                        : writeFile(log, content));
        ::alarm(10); // a blocking open ends the test instead of hanging it
        QCOMPARE(JobAccount::lastLines(log, 5), lines);
        ::alarm(0);
        QVERIFY(!writer.waitForFinished(300)); // still waiting for a reader
        writer.kill();
        writer.waitForFinished();
    }

    // Only our job's state file counts, a few times a second at most, wherever the folder's path
    // leads now.
    void stateWatchFollowsOurJobOnly() {
        const QString folder = m_home->runtimeDir() + "/vistrel-launchctl";
        const QString file = folder + "/job-com.qelvo.vistrel.json";
        auto rewrite = [](const QString &path, const QByteArray &text) {
            QSaveFile f(path); // a new file renamed into place, as the stand-in writes it
            return QDir().mkpath(QFileInfo(path).path()) && f.open(QIODevice::WriteOnly) &&
                   f.write(text) == text.size() && f.commit();
        };
        QVERIFY(rewrite(file, "loaded"));
        Timing timing = fastTiming();
        timing.pollingInterval = timing.quickPollingInterval = 1h;
        ServiceRig rig(timing); // its home, port file and server
        QVERIFY(rig.isReady() && rig.pointAtServer());
        rig.platform.stateFile = file;
        DiagnosticCapture quiet([](const QString &) {});
        LauncherLocalizationManager localization(rig.platform);
        ServiceManager m(rig.platform, localization, timing);
        m.startPolling();
        const auto checks = [&rig] { return rig.server.requests(); };

        // Another program's files: not a single check.
        QCOMPARE(QProcess::execute("/bin/bash", {"-c", "for i in $(seq 3000); do : > \"$0/f$i\"; done", folder}), 0);
        QTest::qWait(300);
        QCOMPARE(checks(), 0);

        QElapsedTimer clock; // our job changing all the time
        for (clock.start(); clock.elapsed() < 1000; QTest::qWait(20))
            QVERIFY(rewrite(file, QByteArray::number(clock.elapsed())));
        QTRY_VERIFY2(checks() > 0 && checks() <= 2 + clock.elapsed() / 250, qPrintable(QString::number(checks())));

        // Swapped for a link to another folder, then back: each time the new folder counts.
        const QString other = m_home->path() + "/other";
        QVERIFY(rewrite(other + "/job-com.qelvo.vistrel.json", "elsewhere"));
        QVERIFY(QDir().rename(folder, folder + ".away") && QFile::link(other, folder));
        for (const QString &changed : {other, folder}) {
            QTest::qWait(300);
            const int before = checks();
            QVERIFY(rewrite(changed + "/job-com.qelvo.vistrel.json", changed.toUtf8()));
            QTRY_VERIFY2_WITH_TIMEOUT(checks() > before, qPrintable(changed), 5000);
            if (changed == other)
                QVERIFY(QFile::remove(folder) && QDir().rename(folder + ".away", folder));
        }
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

    // Without a session runtime folder, another account listens where a shared temporary folder
    // would hold our socket and makes the folders we would make there: ours are elsewhere, and
    // nothing of ours goes there.
    void anotherAccountTakesNoNameOfOurs() {
        const QString account = u"vistrel-other-%1"_qs.arg(QCoreApplication::applicationPid());
        if (::geteuid() != 0 || QProcess::execute("useradd", {"-r", "-M", "-s", "/bin/false", account}) != 0)
            QSKIP("no second account can be made here (that needs root and useradd): its attacks are not tried");
        const auto removeAccount = qScopeGuard([&] { QProcess::execute("userdel", {account}); });
        QTemporaryDir shared; // every account may write here, as in /tmp
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        QProcess attacker; // ended before its account goes
        attacker.start(
            "setpriv",
            {"--reuid=" + account, "--regid=" + account, "--clear-groups", "/usr/bin/python3", "-c",
             "import os, socket, sys, time; os.chdir(sys.argv[1]); os.umask(0); os.mkdir('runtime-root')\n"
             "os.mkdir('vistrel-launchctl-0'); s = socket.socket(socket.AF_UNIX); s.bind('Vistrel.instance')\n"
             "s.listen(); print('ready', flush=True); time.sleep(600)\n",
             shared.path()});
        QTRY_VERIFY_WITH_TIMEOUT(attacker.canReadLine(), 10000);
        const QByteArray realHome = qgetenv("HOME");
        const auto restore = qScopeGuard([&] { qputenv("HOME", realHome), qunsetenv("TMPDIR"); });
        qunsetenv("XDG_RUNTIME_DIR"); // the test's home puts it back
        qputenv("HOME", QFile::encodeName(m_home->path()));
        qputenv("TMPDIR", QFile::encodeName(shared.path()));

        const QStringList planted = QDir(shared.path()).entryList(QDir::AllEntries | QDir::System);
        QVERIFY(!SingleInstance(u"Vistrel"_qs).handOverToRunningInstance());
        QCOMPARE(ctl({"bootout", domain + "/test.none"}), 5); // the stand-in opens its folder: not loaded
        QCOMPARE(QDir(shared.path()).entryList(QDir::AllEntries | QDir::System), planted);
        attacker.kill(), attacker.waitForFinished();
        // A session runtime folder that others may write into is refused, never used.
        QString why;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(shared.path()));
        QVERIFY2(userRuntimeFolder(&why).isEmpty() && why.endsWith("others may write to it (mode 1777)"),
                 qPrintable(why));
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
