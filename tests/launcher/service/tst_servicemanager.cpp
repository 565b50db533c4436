// The launcher's model of the server: the shared HTTP probe, full check and refresh in every
// state, Start, Stop and Restart through a recording fake of the service manager's tool (the
// states published in order, the polling interval around each command, a restart that outlives
// its manager, late probe results after the manager is gone) and the web interface hand-over
// without the server's script.
#include "servicerig.h"

#include "await.h"
#include "common/serverprobe.h"
#include "launcher/service/webinterface.h"

#include <QCoro/QCoroTask>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(vistrel::test::HttpResponder::Answer)

namespace {

// Intervals long enough that no tick runs during a test; the timer's interval is read instead.
Timing commandTiming() {
    Timing timing = fastTiming();
    timing.pollingInterval = 50000ms;
    timing.quickPollingInterval = 10000ms;
    return timing;
}

// A stand-in for the service manager's tool that records each call's command and exits with a
// fixed status; nothing at its path for a negative one.
QString fakeLaunchctl(const QString &folder, int exitCode) {
    const QString path = folder + QStringLiteral("/fake-launchctl");
    if (exitCode >= 0)
        writeScript(path,
                    "[ \"$1\" = print ] || echo \"$1\" >> \"$0.log\"\nexit " + QByteArray::number(exitCode) + "\n");
    return path;
}

QStringList callsOf(const QString &tool) {
    return QString::fromUtf8(readFile(tool + QStringLiteral(".log"))).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class ServiceManagerTest : public QObject {
    Q_OBJECT

private slots:
    // The one probe, shared with the installer's verification: only a 200 from the port counts, as
    // soon as its status is in; the time-out is on silence, and the whole exchange has a bound.
    void probe_data() {
        QTest::addColumn<QByteArray>("portText");          // "P": the server's port; "free": a port nobody listens on
        QTest::addColumn<HttpResponder::Answer>("answer"); // PORT in a raw answer: the server's port
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("atLeastMs"); // how long it takes at least
        const HttpResponder::Answer redirect{
            .status = 302,
            .raw = "HTTP/1.1 302 Found\r\nLocation: http://localhost:PORT/\r\nContent-Length: 0\r\n\r\n"};
        const HttpResponder::Answer body{.raw = "HTTP/1.1 200 OK\r\nContent-Length: 999\r\n\r\n", .trickle = true};
        const HttpResponder::Answer head{.raw = "HTTP/1.1 200 OK\r\nX-Pad: ", .trickle = true};
        QTest::newRow("200 after 1.2 s") << QByteArray("P") << HttpResponder::status(200, 1200ms) << true << 1200;
        QTest::newRow("204") << QByteArray("P") << HttpResponder::status(204) << false << 0;
        QTest::newRow("302 to itself, not followed") << QByteArray("P") << redirect << false << 0;
        QTest::newRow("200 whose body trickles") << QByteArray("P") << body << true << 0;
        QTest::newRow("200 whose headers trickle") << QByteArray("P") << head << false << 1900;
        QTest::newRow("connection closed") << QByteArray("P") << HttpResponder::hangUp() << false << 0;
        QTest::newRow("silent") << QByteArray("P") << HttpResponder::silent() << false << 1900;
        QTest::newRow("nothing listening") << QByteArray("free") << HttpResponder::status(200) << false << 0;
        QTest::newRow("port above 65535") << QByteArray("70000") << HttpResponder::status(200) << false << 0;
    }

    void probe() {
        QFETCH(QByteArray, portText);
        QFETCH(HttpResponder::Answer, answer);
        QFETCH(bool, up);
        QFETCH(int, atLeastMs);
        HttpResponder server;
        QVERIFY(server.listen());
        const qint64 port = portText == "P" ? server.port() : portText == "free" ? freePort() : portText.toLongLong();
        answer.raw.replace("PORT", QByteArray::number(server.port()));
        server.setAnswer(answer);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(test::await(probeServer(makeProbeNetwork(), port, 2000ms)), up);
        QVERIFY2(clock.elapsed() >= atLeastMs && (atLeastMs > 0 || clock.elapsed() < 1900),
                 qPrintable(QString::number(clock.elapsed())));
        // (The network layer retries a GET once when the connection closes before any answer.)
        if (!answer.hangUp)
            QCOMPARE(server.requests(), port == server.port() ? 1 : 0);
    }

    // Each state, with the server answering or not: what a refresh and what a full check make of it.
    void checkAndRefreshByState_data() {
        QTest::addColumn<ServiceStatus>("before"); // running(-1): running on the server's port
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QString>("afterRefresh"); // "P": running on the server's port
        const ServiceStatus error = ServiceStatus::error(QStringLiteral("Failed to bootstrap service."));
        QTest::newRow("starting, answer") << ServiceStatus::starting() << true << "P";
        QTest::newRow("starting, no answer") << ServiceStatus::starting() << false << "starting";
        QTest::newRow("stopping, answer") << ServiceStatus::stopping() << true << "stopping";
        QTest::newRow("stopping, no answer") << ServiceStatus::stopping() << false << "stopped";
        QTest::newRow("running, no answer") << ServiceStatus::running(-1) << false << "stopped";
        QTest::newRow("stopped, answer") << ServiceStatus::stopped() << true << "P";
        QTest::newRow("error, no answer") << error << false << "stopped";
        QTest::newRow("checking, no answer") << ServiceStatus::checking() << false << "stopped";
        QTest::newRow("permissionsNeeded, answer") << ServiceStatus::permissionsNeeded() << true << "P";
    }

    void checkAndRefreshByState() {
        QFETCH(ServiceStatus, before);
        QFETCH(bool, answers);
        QFETCH(QString, afterRefresh);
        ServiceRig rig;
        QVERIFY(rig.isReady() && rig.pointAtServer());
        if (before == ServiceStatus::running(-1))
            before = ServiceStatus::running(rig.server.port());
        rig.server.setAnswer(HttpResponder::status(answers ? 200 : 503));
        ServiceManager &m = rig.manager();

        // A refresh applies the result by the state it finds and leaves the timer alone.
        m.setStatus(before);
        m.startPolling();
        const auto interval = m.pollingTimerInterval();
        rig.published.clear();
        const QDateTime lastCheck = m.lastStatusCheck();
        QSignalSpy pollingSignals(&m, &ServiceManager::isPollingActiveChanged);
        QTest::qWait(2);
        QCoro::waitFor(m.refreshStatusAsync());
        const QString expected = afterRefresh == u"P" ? rig.running() : afterRefresh;
        QCOMPARE(m.status().description(), expected);
        QCOMPARE(rig.published, expected == before.description() ? QStringList{} : QStringList{expected});
        QVERIFY(m.lastStatusCheck() > lastCheck);
        QCOMPARE(m.pollingTimerInterval(), interval);
        QCOMPARE(pollingSignals.size(), 0);

        // A full check shows checking, then the probe's result whatever the state was, and
        // polling restarts at the normal interval.
        m.setStatus(before);
        rig.published.clear();
        QCoro::waitFor(m.checkStatusAsync());
        const QString result = answers ? rig.running() : QStringLiteral("stopped");
        QCOMPARE(rig.published, before == ServiceStatus::checking()
                                    ? QStringList{result}
                                    : (QStringList{QStringLiteral("checking"), result}));
        QCOMPARE(m.pollingTimerInterval(), m.timing().pollingInterval);
        m.stopPolling();
    }

    void destroyedManagerIgnoresLateResults() {
        Timing timing = fastTiming();
        timing.probeTimeout = 300ms;
        timing.pollingInterval = 20ms;
        ServiceRig rig(timing);
        QVERIFY(rig.isReady() && rig.pointAtServer());
        rig.server.setAnswer(HttpResponder::silent());
        rig.manager().setStatus(ServiceStatus::stopped());
        rig.manager().startPolling();
        QTRY_VERIFY(rig.server.requests() >= 2); // ticks with probes still out
        rig.manager().checkStatus();
        rig.destroyManager();
        QTest::qWait(600); // every probe times out after its manager is gone
        const int requests = rig.server.requests();
        QTest::qWait(200); // and no tick follows: ten would have come
        QCOMPARE(rig.server.requests(), requests);
    }

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
        QTest::newRow("start, id prints blanks") << "start" << 0 << true << false << "starting | " + noId << true;
        QTest::newRow("start, tool cannot run")
            << "start" << -1 << false << false << "starting | error(\"Failed to run launchctl: …\")" << true;
        QTest::newRow("start, refused") << "start" << 5 << false << false << "starting | " + failed << true;
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
        const QString tool = rig.platform.launchctl = fakeLaunchctl(rig.home(), exitCode);
        ServiceManager &m = rig.manager();
        const QString id = rig.home() + QStringLiteral("/id");
        if (blankId) // each command asks for it, each of Restart's two as well
            m.setIdProgram(writeScript(id, "echo >> \"$0.calls\"\nprintf ' \\n\\t \\n'\n"));
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
        QMetaObject::invokeMethod(&m, operation.toUtf8().constData());
        // At once, before the tool has run: Start and Stop rebuild the timer for their state.
        QCOMPARE(active.size(), operation == u"restart" ? 0 : 2);
        QCOMPARE(m.pollingTimerInterval(), operation == u"start" ? quick : normal);

        QStringList calls{operation == u"start" ? QStringLiteral("bootstrap") : QStringLiteral("bootout")};
        if (operation == u"restart")
            calls << QStringLiteral("bootstrap");
        if (blankId || exitCode < 0)
            calls.clear();
        // Start and Stop refresh once their command is done; Restart never does.
        QTRY_COMPARE(checks.size(), operation == u"restart" ? 0 : 1);
        QTRY_COMPARE(seen(), published);
        QTest::qWait(150);
        QCOMPARE(seen(), published);
        QCOMPARE(checks.size(), operation == u"restart" ? 0 : 1);
        QCOMPARE(callsOf(tool), calls); // (the arguments of each call are the client's matter)
        if (operation == u"restart")
            QCOMPARE(readFile(id + QStringLiteral(".calls")).size(), blankId ? 2 : 0);
        QCOMPARE(m.pollingTimerInterval(), quickAfter ? quick : normal);
        m.stopPolling();
    }

    void restartOutlivesItsManager() {
        ServiceRig rig(commandTiming());
        QVERIFY(rig.isReady() && rig.pointAtServer());
        const QString tool = rig.platform.launchctl = fakeLaunchctl(rig.home(), 5);
        rig.manager().restart();
        // The window closes while the command runs. Once begun, a restart still brings the
        // service back: a bootout alone would leave it unloaded.
        rig.destroyManager();
        QTRY_COMPARE(callsOf(tool), QStringList({QStringLiteral("bootout"), QStringLiteral("bootstrap")}));
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
        QCOMPARE(rig.published, QStringList{});
    }
};

QTEST_GUILESS_MAIN(ServiceManagerTest)
#include "tst_servicemanager.moc"
