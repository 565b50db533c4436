// Start, stop and restart through a recording fake of the service manager's tool (the exact
// invocations, the states published in order, the polling interval around each command, a restart
// that outlives its manager) and the web interface hand-over without the server's script.
#include "fakeprograms.h"
#include "servicerig.h"

#include "launcher/service/webinterface.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;
using namespace std::chrono_literals;

namespace {

// Intervals long enough that no tick runs during a test; the timer's interval is read instead.
Timing commandTiming() {
    Timing timing = fastTiming();
    timing.pollingInterval = 50000ms;
    timing.quickPollingInterval = 10000ms;
    return timing;
}

void operate(ServiceManager &m, const QString &operation) {
    if (operation == u"start")
        m.start();
    else if (operation == u"stop")
        m.stop();
    else
        m.restart();
}

} // namespace

class ServiceControlTest : public QObject {
    Q_OBJECT

private slots:
    void commands_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("exitCode"); // of the fake tool; -1: no tool at its path
        QTest::addColumn<bool>("blankId"); // the id program prints only white space
        QTest::addColumn<bool>("serverAnswers");
        QTest::addColumn<QString>("published"); // P: running on the server's port
        QTest::addColumn<bool>("quickAfter");
        const QString noId = QStringLiteral("error(\"Could not determine current user ID.\")");
        const QString failed = QStringLiteral("error(\"Failed to bootstrap service. Is it installed correctly?\")");
        QTest::newRow("start, loads") << "start" << 0 << false << true << "starting | P" << true;
        QTest::newRow("start, already loaded")
            << "start" << 5 << false << true << "starting | " + failed + " | P" << true;
        QTest::newRow("start, id prints blanks")
            << "start" << 0 << true << false << "starting | " + noId + " | stopped" << true;
        QTest::newRow("start, tool cannot run")
            << "start" << -1 << false << false << "starting | error(\"Failed to run launchctl: …\") | stopped" << true;
        QTest::newRow("stop, unloads") << "stop" << 0 << false << false << "stopping | stopped" << false;
        QTest::newRow("stop, bootout fails silently") << "stop" << 5 << false << false << "stopping | stopped" << false;
        QTest::newRow("restart") << "restart" << 0 << false << true << "starting" << false;
        QTest::newRow("restart, both fail") << "restart" << 5 << false << true << "starting | " + failed << true;
        QTest::newRow("restart, id prints blanks") << "restart" << 0 << true << true << "starting | " + noId << false;
    }

    void commands() {
        QFETCH(QString, operation);
        QFETCH(int, exitCode);
        QFETCH(bool, blankId);
        QFETCH(bool, serverAnswers);
        QFETCH(QString, published);
        QFETCH(bool, quickAfter);
        ServiceRig rig(commandTiming());
        QVERIFY(rig.isReady() && rig.pointAtServer());
        rig.server.setAnswer(HttpResponder::status(serverAnswers ? 200 : 404));
        FakeLaunchctl tool(rig.home(), exitCode);
        rig.platform.launchctl = exitCode >= 0 ? tool.path() : rig.home() + QStringLiteral("/no-such-launchctl");
        ServiceManager &m = rig.manager();
        if (blankId)
            m.setIdProgram(writeScript(rig.home() + QStringLiteral("/id"), "printf ' \\n\\t \\n'\n"));
        const auto normal = m.timing().pollingInterval;
        const auto quick = m.timing().quickPollingInterval;
        const auto seen = [&] {
            // The reason a program could not run is the system's text.
            static const QRegularExpression reason(QStringLiteral("launchctl: [^\"]+"));
            return rig.published.join(u" | ")
                .replace(rig.running(), QStringLiteral("P"))
                .replace(reason, QStringLiteral("launchctl: …"));
        };

        // Start is offered while stopped; Stop and Restart while running.
        m.setStatus(operation == u"start" ? ServiceStatus::stopped() : ServiceStatus::running(rig.server.port()));
        m.startPolling();
        rig.published.clear();
        QSignalSpy active(&m, &ServiceManager::isPollingActiveChanged);
        QSignalSpy checks(&m, &ServiceManager::lastStatusCheckChanged);
        operate(m, operation);
        // At once, before the tool has run: Start and Stop rebuild the timer for their state.
        QCOMPARE(active.size(), operation == u"restart" ? 0 : 2);
        QCOMPARE(m.pollingTimerInterval(), operation == u"start" ? quick : normal);

        QStringList calls{operation == u"start" ? QStringLiteral("bootstrap") : QStringLiteral("bootout")};
        if (operation == u"restart")
            calls << QStringLiteral("bootstrap");
        if (blankId || exitCode < 0)
            calls.clear();
        QTRY_COMPARE(tool.calls().size(), calls.size());
        // Start and Stop refresh once their command is done; Restart never does.
        QTRY_COMPARE(checks.size(), operation == u"restart" ? 0 : 1);
        QTRY_COMPARE(seen(), published);
        QTest::qWait(150);
        QCOMPARE(seen(), published);
        QCOMPARE(checks.size(), operation == u"restart" ? 0 : 1);
        for (QString &call : calls)
            call += QStringLiteral(" gui/%1 ").arg(::getuid()) + m.tarvikPlistPath();
        QCOMPARE(tool.calls(), calls);
        QCOMPARE(m.pollingTimerInterval(), quickAfter ? quick : normal);
        m.stopPolling();
    }

    void restartOutlivesItsManager() {
        ServiceRig rig(commandTiming());
        QVERIFY(rig.isReady() && rig.pointAtServer());
        FakeLaunchctl tool(rig.home(), 5);
        rig.platform.launchctl = tool.path();
        rig.manager().restart();
        // The window closes while the command runs. Once begun, a restart still brings the
        // service back: a bootout alone would leave it unloaded.
        rig.destroyManager();
        QTRY_COMPARE(tool.calls().size(), 2);
        QTest::qWait(300);
        QCOMPARE(tool.calls().size(), 2);
        QVERIFY(tool.calls()[0].startsWith(u"bootout ") && tool.calls()[1].startsWith(u"bootstrap "));
        QCOMPARE(rig.server.requests(), 0);
    }

    // Without the server's script the default page opens; the launcher quits half a second later.
    void webInterfaceWithoutTheScript() {
        ServiceRig rig{Timing{}};                              // the product's 0.5 s
        QVERIFY(rig.isReady() && rig.writePortFile("9555\n")); // where the server would be
        rig.platform.openUrlSucceeds = false;                  // a refusing desktop changes nothing
        QStringList printed;
        DiagnosticCapture capture([&](const QString &line) { printed.append(line); });
        QElapsedTimer clock;
        clock.start();

        WebInterface web(
            rig.platform, [&rig] { return rig.manager().shownPort(); }, Timing{}.quitDelay);
        web.open();

        QCOMPARE(printed,
                 QStringList({QStringLiteral("🚀 Attempting to launch browser..."),
                              QStringLiteral("❌ Could not find script at: ") + paths::browserScript(rig.home()),
                              QStringLiteral(" Falling back to default browser with port 9555...")}));
        QCOMPARE(rig.platform.terminations, 0); // not yet: half a second later, once
        QCOMPARE(rig.platform.openedUrls, QList{QUrl(QStringLiteral("http://localhost:9555"))});
        QTRY_COMPARE_WITH_TIMEOUT(rig.platform.terminations, 1, 3000);
        QVERIFY2(clock.elapsed() >= 500, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(300);
        QCOMPARE(rig.platform.terminations, 1);
        QCOMPARE(rig.published, QStringList{});
    }
};

QTEST_GUILESS_MAIN(ServiceControlTest)
#include "tst_servicecontrol.moc"
