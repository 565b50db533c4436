// The whole road through real pieces: the service-manager stand-in loads a launch agent that runs
// the demo server, and the manager follows start -> running, a restart, and stop -> stopped,
// publishing its states in order.
#include "fakeprograms.h"
#include "servicerig.h"

#include "common/paths.h"
#include "common/shellquote.h"
#include "testenv.h"

#include <QCoro/QCoroTask>
#include <QTest>

#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;

class ServiceCycleTest : public QObject {
    Q_OBJECT

private slots:
    void startRestartStopWithTheDemoServer() {
        // A home with a blank and a quote in its name, as some accounts have.
        TestHome home(QStringLiteral("demo user's home"));
        QVERIFY(home.isValid());
        FakePlatform platform;
        platform.home = home.path();
        const FakeLaunchctl tool = FakeLaunchctl::wrapping(home.runtimeDir(), launchctlTool());
        platform.launchctl = tool.path();
        const quint16 port = freePort();
        QVERIFY(port != 0);
        QVERIFY(writeFile(paths::portFile(home.path()), QByteArray::number(port) + "\n"));
        const QString agent =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                           "<key>Label</key><string>com.qelvo.vistrel</string>\n"
                           "<key>ProgramArguments</key><array><string>%1</string></array>\n"
                           "<key>WorkingDirectory</key><string>%2</string>\n"
                           "<key>RunAtLoad</key><true/>\n<key>KeepAlive</key><true/>\n</dict>\n</plist>\n")
                .arg(xmlEscape(demoServerProgram()), xmlEscape(paths::installRoot(home.path())));
        QVERIFY(writeFile(paths::launchAgentPlist(home.path()), agent.toUtf8()));

        const Timing timing; // the product's intervals, time-out and gap
        LauncherLocalizationManager localization(platform);
        ServiceManager m(platform, localization, timing);
        QStringList published;
        connect(&m, &ServiceManager::statusChanged, this, [&] { published.append(m.status().description()); });
        const QString running = ServiceStatus::running(port).description();

        // As the window does when shown.
        QCoro::waitFor(m.checkStatusAsync());
        m.startPolling();
        QCOMPARE(published, QStringList{QStringLiteral("stopped")});

        m.start();
        QTRY_COMPARE_WITH_TIMEOUT(m.status().description(), running, 20000);
        QCOMPARE(published, (QStringList{QStringLiteral("stopped"), QStringLiteral("starting"), running}));
        QVERIFY(portIsOpen(port));

        // Restart: bootout, at least half a second, bootstrap; the timer finds the new server.
        published.clear();
        m.restart();
        QTRY_COMPARE_WITH_TIMEOUT(tool.calls().size(), 3, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m.status().description(), running, 20000);
        // A tick between the commands may still catch the old instance (or none); only the new
        // one ends the sequence.
        QCOMPARE(published.first(), QStringLiteral("starting"));
        QCOMPARE(published.last(), running);
        for (const QString &state : published.mid(1))
            QVERIFY2(state == running || state == u"stopped", qPrintable(published.join(u" | ")));
        const QList<FakeLaunchctl::Call> calls = tool.calls();
        QCOMPARE(calls[1].arguments.value(0), QStringLiteral("bootout"));
        QCOMPARE(calls[2].arguments.value(0), QStringLiteral("bootstrap"));
        QCOMPARE(calls[1].exitCode + calls[2].exitCode, 0);
        QVERIFY2(calls[2].started - calls[1].ended >= 0.5,
                 qPrintable(QString::number(calls[2].started - calls[1].ended)));

        published.clear();
        m.stop();
        QTRY_COMPARE_WITH_TIMEOUT(m.status(), ServiceStatus::stopped(), 20000);
        QCOMPARE(published, (QStringList{QStringLiteral("stopping"), QStringLiteral("stopped")}));
        QVERIFY(!portIsOpen(port));
        QCOMPARE(m.pollingTimerInterval(), timing.pollingInterval);

        // Every call named the agent the same way.
        for (const FakeLaunchctl::Call &call : tool.calls())
            QCOMPARE(call.arguments.mid(1),
                     (QStringList{QStringLiteral("gui/%1").arg(::getuid()), paths::launchAgentPlist(home.path())}));
        m.stopPolling();
    }
};

QTEST_GUILESS_MAIN(ServiceCycleTest)
#include "tst_servicecycle.moc"
