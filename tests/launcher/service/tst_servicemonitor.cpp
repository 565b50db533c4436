// The monitor: port discovery, the HTTP probe, full check and refresh in every state, and late
// probe results after the manager is gone.
#include "servicerig.h"

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
        ServiceRig rig;
        QVERIFY(rig.isReady());
        const quint16 port = portText == "P" ? rig.server.port() : portText == "free" ? freePort() : 0;
        QVERIFY(rig.writePortFile(port ? QByteArray::number(port) : portText));
        rig.server.setAnswer(answer ? HttpResponder::status(answer) : HttpResponder::hangUp());
        QCoro::waitFor(rig.manager().refreshStatusAsync());
        // Only a 200 from the port in the file counts.
        QCOMPARE(rig.published, QStringList{answer == 200 && port == rig.server.port() ? rig.running() : "stopped"});
        // (The network layer retries a GET once when the connection closes before any answer.)
        if (answer)
            QCOMPARE(rig.server.requests(), port == rig.server.port() ? 1 : 0);
    }

    void probeWaitsTheRealTimeout() {
        // The product's own 2 s: an answer after 1.2 s is in time, silence is not.
        ServiceRig rig{Timing{}};
        QVERIFY(rig.isReady() && rig.pointAtServer());
        rig.server.setAnswer(HttpResponder::status(200, 1200ms));
        QCoro::waitFor(rig.manager().refreshStatusAsync());
        rig.server.setAnswer(HttpResponder::silent());
        QElapsedTimer clock;
        clock.start();
        QCoro::waitFor(rig.manager().refreshStatusAsync());
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(rig.published, (QStringList{rig.running(), QStringLiteral("stopped")}));
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
