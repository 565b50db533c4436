// The monitor: port discovery, the shared HTTP probe, full check and refresh in every state, and late
// probe results after the manager is gone.
#include "servicerig.h"

#include "await.h"
#include "common/serverprobe.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;
using namespace std::chrono_literals;

class ServiceMonitorTest : public QObject {
    Q_OBJECT

private slots:
    // How the text reads is the port-text tests' matter; here, the file as the manager finds it.
    void portFile_data() {
        QTest::addColumn<QByteArray>("content"); // "<none>": no file; "<folder>": a folder in its place
        QTest::addColumn<qint64>("port");
        QTest::newRow("absent") << QByteArray("<none>") << qint64(8090);
        QTest::newRow("unreadable") << QByteArray("<folder>") << qint64(8090);
        QTest::newRow("blanks and newline") << QByteArray(" \t9123\r\n") << qint64(9123);
        QTest::newRow("not UTF-8") << QByteArray("\xff\x39") << qint64(8090);
    }

    void portFile() {
        QFETCH(QByteArray, content);
        QFETCH(qint64, port);
        ServiceRig rig;
        QVERIFY(rig.isReady());
        // Read afresh on every call: an earlier file counts for nothing.
        QVERIFY(rig.writePortFile("1234"));
        QCOMPARE(rig.manager().currentPort(), qint64(1234));
        const QString file = paths::portFile(rig.home());
        QVERIFY(QFile::remove(file));
        if (content == "<folder>")
            QVERIFY(QDir().mkpath(file));
        else if (content != "<none>")
            QVERIFY(rig.writePortFile(content));
        QCOMPARE(rig.manager().currentPort(), port);
    }

    // The one probe, shared with the installer's verification: only a 200 from the port counts.
    void probe_data() {
        QTest::addColumn<QByteArray>("portText"); // "P": the server's port; "free": a port nobody listens on
        QTest::addColumn<int>("answer");          // 0: hang up without answering
        QTest::newRow("200") << QByteArray("P") << 200;
        QTest::newRow("204") << QByteArray("P") << 204;
        QTest::newRow("302") << QByteArray("P") << 302;
        QTest::newRow("404") << QByteArray("P") << 404;
        QTest::newRow("connection closed") << QByteArray("P") << 0;
        QTest::newRow("nothing listening") << QByteArray("free") << 200;
        QTest::newRow("port above 65535") << QByteArray("70000") << 200;
    }

    void probe() {
        QFETCH(QByteArray, portText);
        QFETCH(int, answer);
        HttpResponder server;
        QVERIFY(server.listen());
        const qint64 port = portText == "P" ? server.port() : portText == "free" ? freePort() : portText.toLongLong();
        server.setAnswer(answer ? HttpResponder::status(answer) : HttpResponder::hangUp());
        QCOMPARE(test::await(probeServer(makeProbeNetwork(), port, 3000ms)), answer == 200 && port == server.port());
        // (The network layer retries a GET once when the connection closes before any answer.)
        if (answer)
            QCOMPARE(server.requests(), port == server.port() ? 1 : 0);
    }

    void probeWaitsItsWholeTimeout() {
        // An answer after 1.2 s is in time for 2 s, silence is not; the limit covers the whole exchange.
        HttpResponder server;
        QVERIFY(server.listen());
        const auto network = makeProbeNetwork();
        server.setAnswer(HttpResponder::status(200, 1200ms));
        QVERIFY(test::await(probeServer(network, server.port(), 2000ms)));
        server.setAnswer(HttpResponder::silent());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!test::await(probeServer(network, server.port(), 2000ms)));
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
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
        QTest::newRow("running, answer") << ServiceStatus::running(-1) << true << "P";
        QTest::newRow("running, no answer") << ServiceStatus::running(-1) << false << "stopped";
        QTest::newRow("running elsewhere, answer") << ServiceStatus::running(1) << true << "P";
        QTest::newRow("stopped, answer") << ServiceStatus::stopped() << true << "P";
        QTest::newRow("stopped, no answer") << ServiceStatus::stopped() << false << "stopped";
        QTest::newRow("error, answer") << error << true << "P";
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
};

QTEST_GUILESS_MAIN(ServiceMonitorTest)
#include "tst_servicemonitor.moc"
