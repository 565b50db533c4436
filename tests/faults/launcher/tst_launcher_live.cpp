// The launcher with a real server and the service-manager stand-in: a server frozen while it is
// polled, a plist gone or changed under a running job, a signal in the middle of a restart, and
// two races inside the stand-in. Each test has a private service-manager domain.
#include "servicerig.h"
#include "uninstallrun.h"

#include "common/plist.h"
#include "launcher/ui/shutdownguard.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <csignal>

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

    // Every check times out while the server is stopped; the launcher lives on and sees it again.
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
