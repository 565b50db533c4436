// The whole road through real pieces: the service-manager stand-in loads a launch agent that runs
// the demo server, and the manager follows start -> running -> stop -> stopped, a second start of
// a loaded agent, and a restart, publishing its states in order.
#include "fakeprograms.h"
#include "servicerig.h"

#include "common/paths.h"
#include "common/shellquote.h"
#include "testenv.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QTest>

#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;
using namespace std::chrono_literals;

namespace {

QByteArray launchAgent(const QString &program, const QString &workingDirectory) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                          "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                          "<plist version=\"1.0\">\n<dict>\n"
                          "    <key>Label</key>\n    <string>com.qelvo.vistrel</string>\n"
                          "    <key>ProgramArguments</key>\n    <array>\n        <string>%1</string>\n    </array>\n"
                          "    <key>WorkingDirectory</key>\n    <string>%2</string>\n"
                          "    <key>RunAtLoad</key>\n    <true/>\n"
                          "    <key>KeepAlive</key>\n    <true/>\n"
                          "</dict>\n</plist>\n")
        .arg(xmlEscape(program), xmlEscape(workingDirectory))
        .toUtf8();
}

} // namespace

class ServiceCycleTest : public QObject {
    Q_OBJECT

private slots:
    void startStopRestartWithTheDemoServer() {
        // A home with a blank and a quote in its name, as some accounts have.
        TestHome home(QStringLiteral("demo user's home"));
        QVERIFY(home.isValid());
        QVERIFY(QFileInfo(launchctlTool()).isExecutable());
        QVERIFY(QFileInfo(demoServerProgram()).isExecutable());

        FakePlatform platform;
        platform.home = home.path();
        const FakeLaunchctl tool = FakeLaunchctl::wrapping(home.runtimeDir(), launchctlTool());
        platform.launchctl = tool.path();
        const QString root = paths::installRoot(home.path());
        const quint16 port = freePort();
        QVERIFY(port != 0);
        QVERIFY(writeFile(paths::portFile(home.path()), QByteArray::number(port) + "\n"));
        QVERIFY(writeFile(paths::launchAgentPlist(home.path()), launchAgent(demoServerProgram(), root)));

        const Timing timing; // the product's intervals, time-out and gap
        LauncherLocalizationManager localization(platform);
        ServiceManager m(platform, localization, timing);
        QStringList published;
        connect(&m, &ServiceManager::statusChanged, this, [&] { published.append(m.status().description()); });
        const QString running = ServiceStatus::running(port).description();

        // As the window does when shown.
        m.updatePermissionStatus();
        QCoro::waitFor(m.checkStatusAsync());
        m.startPolling();
        QCOMPARE(published, QStringList{QStringLiteral("stopped")});
        QVERIFY(!portIsOpen(port));

        m.start();
        QTRY_COMPARE_WITH_TIMEOUT(m.status().description(), running, 20000);
        QCOMPARE(published, (QStringList{QStringLiteral("stopped"), QStringLiteral("starting"), running}));
        QVERIFY(portIsOpen(port));

        // A second Start finds the agent loaded: the error shows until a refresh finds the server.
        published.clear();
        m.start();
        QTRY_COMPARE_WITH_TIMEOUT(m.status().description(), running, 10000);
        QCOMPARE(
            published,
            (QStringList{QStringLiteral("starting"),
                         ServiceStatus::error(QStringLiteral("Failed to bootstrap service. Is it installed correctly?"))
                             .description(),
                         running}));

        published.clear();
        m.stop();
        QTRY_COMPARE_WITH_TIMEOUT(m.status(), ServiceStatus::stopped(), 20000);
        QCOMPARE(published.first(), QStringLiteral("stopping"));
        QCOMPARE(published.last(), QStringLiteral("stopped"));
        QVERIFY(published.size() == 2);
        QVERIFY(!portIsOpen(port));
        QCOMPARE(m.pollingTimerInterval(), timing.pollingInterval);

        // A bootout of an unloaded agent is silent; Stop then only confirms stopped.
        published.clear();
        m.stop();
        QTRY_COMPARE_WITH_TIMEOUT(m.status(), ServiceStatus::stopped(), 10000);
        QCOMPARE(published, (QStringList{QStringLiteral("stopping"), QStringLiteral("stopped")}));

        // Restart from running: bootout, at least half a second, bootstrap; the timer finds the server.
        m.start();
        QTRY_COMPARE_WITH_TIMEOUT(m.status().description(), running, 20000);
        const qsizetype before = tool.calls().size();
        published.clear();
        m.restart();
        QCOMPARE(m.status(), ServiceStatus::starting());
        QTRY_COMPARE_WITH_TIMEOUT(tool.calls().size(), before + 2, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m.status().description(), running, 20000);
        // A tick between the commands may still catch the old instance (or none); only the new
        // one ends the sequence.
        QCOMPARE(published.first(), QStringLiteral("starting"));
        QCOMPARE(published.last(), running);
        for (const QString &state : published.mid(1))
            QVERIFY2(state == running || state == u"stopped", qPrintable(published.join(u" | ")));
        const QList<FakeLaunchctl::Call> calls = tool.calls();
        const FakeLaunchctl::Call &bootout = calls[before];
        const FakeLaunchctl::Call &bootstrap = calls[before + 1];
        QCOMPARE(bootout.arguments.value(0), QStringLiteral("bootout"));
        QCOMPARE(bootout.exitCode, 0);
        QCOMPARE(bootstrap.arguments.value(0), QStringLiteral("bootstrap"));
        QCOMPARE(bootstrap.exitCode, 0);
        QVERIFY2(bootstrap.started - bootout.ended >= 0.5,
                 qPrintable(QString::number(bootstrap.started - bootout.ended)));

        // Every call named the agent the same way.
        for (const FakeLaunchctl::Call &call : calls)
            QCOMPARE(call.arguments.mid(1),
                     (QStringList{QStringLiteral("gui/%1").arg(::getuid()), paths::launchAgentPlist(home.path())}));

        m.stop();
        QTRY_COMPARE_WITH_TIMEOUT(m.status(), ServiceStatus::stopped(), 20000);
        m.stopPolling();
    }
};

QTEST_GUILESS_MAIN(ServiceCycleTest)
#include "tst_servicecycle.moc"
