// The monitor: port discovery, the HTTP probe, full check and refresh in every state, polling.
#include "servicerig.h"

#include "common/paths.h"
#include "testenv.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <limits>

using namespace vistrel;
using namespace vistrel::test;
using namespace std::chrono_literals;

namespace {

QString running(qint64 port) {
    return ServiceStatus::running(port).description();
}

} // namespace

class ServiceMonitorTest : public QObject {
    Q_OBJECT

private slots:
    void freshManager() {
        const QDateTime before = QDateTime::currentDateTime();
        ServiceRig rig;
        QVERIFY(rig.isReady());
        ServiceManager &m = rig.manager();
        QCOMPARE(m.status(), ServiceStatus::checking());
        QCOMPARE(m.statusTitle(), QStringLiteral("Checking..."));
        QVERIFY(m.statusShowsProgress());
        QVERIFY(!m.isPollingActive());
        QVERIFY(!m.pollingTimerInterval());
        QVERIFY(m.lastStatusCheck() >= before && m.lastStatusCheck() <= QDateTime::currentDateTime());
        QCOMPARE(m.cameraStatus(), 0);
        QCOMPARE(m.micStatus(), 0);
        QCOMPARE(m.tarvikInstallPath(), rig.home() + QStringLiteral("/Library/Application Support/Vistrel"));
        QCOMPARE(m.tarvikPlistPath(), rig.home() + QStringLiteral("/Library/LaunchAgents/com.qelvo.vistrel.plist"));
        QCOMPARE(rig.server.requests(), 0);
    }

    void portFile_data() {
        QTest::addColumn<QVariant>("content"); // no value: no file
        QTest::addColumn<qint64>("port");
        const QVariant none;
        QTest::newRow("absent") << none << qint64(8090);
        QTest::newRow("plain") << QVariant(QByteArray("9123")) << qint64(9123);
        QTest::newRow("newline and spaces after") << QVariant(QByteArray("9123\n   ")) << qint64(9123);
        QTest::newRow("white space around") << QVariant(QByteArray(" \t9123\r\n")) << qint64(9123);
        QTest::newRow("plus sign") << QVariant(QByteArray("+9123")) << qint64(9123);
        QTest::newRow("empty") << QVariant(QByteArray("")) << qint64(8090);
        QTest::newRow("only white space") << QVariant(QByteArray(" \n\t")) << qint64(8090);
        QTest::newRow("minus alone") << QVariant(QByteArray("-")) << qint64(8090);
        QTest::newRow("plus alone") << QVariant(QByteArray("+")) << qint64(8090);
        QTest::newRow("two signs") << QVariant(QByteArray("+-1")) << qint64(8090);
        QTest::newRow("letters") << QVariant(QByteArray("port")) << qint64(8090);
        QTest::newRow("digits and letters") << QVariant(QByteArray("91a23")) << qint64(8090);
        QTest::newRow("hex") << QVariant(QByteArray("0x1F90")) << qint64(8090);
        QTest::newRow("inner blank") << QVariant(QByteArray("91 23")) << qint64(8090);
        QTest::newRow("decimal point") << QVariant(QByteArray("9123.0")) << qint64(8090);
        QTest::newRow("other digits") << QVariant(QByteArray("\xd9\xa3\xd9\xa3")) << qint64(8090);
        QTest::newRow("not UTF-8") << QVariant(QByteArray("\xff"
                                                          "9123"))
                                   << qint64(8090);
        QTest::newRow("zero kept") << QVariant(QByteArray("0")) << qint64(0);
        QTest::newRow("negative kept") << QVariant(QByteArray("-5")) << qint64(-5);
        QTest::newRow("above 65535 kept") << QVariant(QByteArray("70000")) << qint64(70000);
        QTest::newRow("largest") << QVariant(QByteArray("9223372036854775807")) << std::numeric_limits<qint64>::max();
        QTest::newRow("smallest") << QVariant(QByteArray("-9223372036854775808")) << std::numeric_limits<qint64>::min();
        QTest::newRow("overflow") << QVariant(QByteArray("9223372036854775808")) << qint64(8090);
        QTest::newRow("far overflow") << QVariant(QByteArray("99999999999999999999999")) << qint64(8090);
    }

    void portFile() {
        QFETCH(QVariant, content);
        QFETCH(qint64, port);
        ServiceRig rig;
        QVERIFY(rig.isReady());
        if (content.isValid())
            QVERIFY(rig.writePortFile(content.toByteArray()));
        QCOMPARE(rig.manager().currentPort(), port);
    }

    void portFileIsReadAfreshAndUnreadableMeans8090() {
        ServiceRig rig;
        QVERIFY(rig.isReady());
        QVERIFY(rig.writePortFile("1234"));
        QCOMPARE(rig.manager().currentPort(), qint64(1234));
        QVERIFY(rig.writePortFile("4321\n"));
        QCOMPARE(rig.manager().currentPort(), qint64(4321));
        const QString file = paths::portFile(rig.home());
        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkpath(file)); // a folder where the file should be
        QCOMPARE(rig.manager().currentPort(), qint64(8090));
    }

    void fullCheckProbesThePortFromTheFile_data() {
        QTest::addColumn<QByteArray>("portText"); // %1 stands for the server's port
        QTest::addColumn<int>("answer");          // 0: hang up without answering
        QTest::addColumn<bool>("isRunning");
        QTest::newRow("200") << QByteArray("%1") << 200 << true;
        QTest::newRow("200, port with spaces and newline") << QByteArray("%1\n  ") << 200 << true;
        QTest::newRow("200, port with plus sign") << QByteArray("+%1") << 200 << true;
        QTest::newRow("404") << QByteArray("%1") << 404 << false;
        QTest::newRow("500") << QByteArray("%1") << 500 << false;
        QTest::newRow("204") << QByteArray("%1") << 204 << false;
        QTest::newRow("connection closed") << QByteArray("%1") << 0 << false;
    }

    void fullCheckProbesThePortFromTheFile() {
        QFETCH(QByteArray, portText);
        QFETCH(int, answer);
        QFETCH(bool, isRunning);
        ServiceRig rig;
        QVERIFY(rig.isReady());
        QVERIFY(rig.writePortFile(portText.replace("%1", QByteArray::number(rig.server.port()))));
        rig.server.setAnswer(answer ? HttpResponder::status(answer) : HttpResponder::hangUp());
        rig.manager().setStatus(ServiceStatus::stopping());
        rig.takePublished();

        QCoro::waitFor(rig.manager().checkStatusAsync());
        // (The network layer retries a GET once when the connection closes before any answer.)
        if (answer)
            QCOMPARE(rig.server.requests(), 1);
        const QString result = isRunning ? running(rig.server.port()) : QStringLiteral("stopped");
        QCOMPARE(rig.takePublished(), (QStringList{QStringLiteral("checking"), result}));
    }

    void nothingListeningMeansStopped() {
        ServiceRig rig;
        QVERIFY(rig.isReady());
        QVERIFY(rig.writePortFile(QByteArray::number(freePort())));
        QCoro::waitFor(rig.manager().checkStatusAsync());
        QCOMPARE(rig.manager().status(), ServiceStatus::stopped());
        // Ports a URL cannot carry fail the same way, without a request.
        for (const QByteArray &port : {QByteArray("-1"), QByteArray("70000"), QByteArray("0")}) {
            rig.manager().setStatus(ServiceStatus::running(1));
            QVERIFY(rig.writePortFile(port));
            QCoro::waitFor(rig.manager().checkStatusAsync());
            QCOMPARE(rig.manager().status(), ServiceStatus::stopped());
        }
        QCOMPARE(rig.server.requests(), 0);
    }

    void silentServerTimesOut() {
        Timing timing = fastTiming();
        timing.probeTimeout = 400ms;
        ServiceRig rig(timing);
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        rig.server.setAnswer(HttpResponder::silent());
        rig.manager().setStatus(ServiceStatus::running(rig.server.port()));
        QElapsedTimer clock;
        clock.start();
        QCoro::waitFor(rig.manager().refreshStatusAsync());
        QVERIFY2(clock.elapsed() >= 350, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(rig.manager().status(), ServiceStatus::stopped());
    }

    void slowAnswerWithinTheRealTimeoutCounts() {
        // The product's own 2 s: an answer after 1.2 s is in time, silence is not.
        ServiceRig rig{Timing{}};
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        rig.server.queueAnswer(HttpResponder::status(200, 1200ms));
        rig.server.queueAnswer(HttpResponder::silent());
        QCoro::waitFor(rig.manager().checkStatusAsync());
        QCOMPARE(rig.manager().status(), ServiceStatus::running(rig.server.port()));
        rig.manager().stopPolling();

        QElapsedTimer clock;
        clock.start();
        QCoro::waitFor(rig.manager().checkStatusAsync());
        QCOMPARE(rig.manager().status(), ServiceStatus::stopped());
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
        rig.manager().stopPolling();
    }

    void refreshByState_data() {
        QTest::addColumn<ServiceStatus>("before");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QString>("after"); // "P" stands for running on the server's port
        QTest::addColumn<bool>("published");
        const ServiceStatus elsewhere = ServiceStatus::running(1);
        const ServiceStatus error = ServiceStatus::error(QStringLiteral("Failed to bootstrap service."));
        QTest::newRow("starting, answer") << ServiceStatus::starting() << true << "P" << true;
        QTest::newRow("starting, no answer") << ServiceStatus::starting() << false << "starting" << false;
        QTest::newRow("stopping, answer") << ServiceStatus::stopping() << true << "stopping" << false;
        QTest::newRow("stopping, no answer") << ServiceStatus::stopping() << false << "stopped" << true;
        QTest::newRow("running, answer") << ServiceStatus() << true << "P" << false; // before set to P below
        QTest::newRow("running, no answer") << ServiceStatus() << false << "stopped" << true;
        QTest::newRow("running elsewhere, answer") << elsewhere << true << "P" << true;
        QTest::newRow("stopped, answer") << ServiceStatus::stopped() << true << "P" << true;
        QTest::newRow("stopped, no answer") << ServiceStatus::stopped() << false << "stopped" << false;
        QTest::newRow("error, answer") << error << true << "P" << true;
        QTest::newRow("error, no answer") << error << false << "stopped" << true;
        QTest::newRow("checking, no answer") << ServiceStatus::checking() << false << "stopped" << true;
        QTest::newRow("permissionsNeeded, answer") << ServiceStatus::permissionsNeeded() << true << "P" << true;
    }

    void refreshByState() {
        QFETCH(ServiceStatus, before);
        QFETCH(bool, answers);
        QFETCH(QString, after);
        QFETCH(bool, published);
        ServiceRig rig;
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        const qint64 port = rig.server.port();
        if (QByteArray(QTest::currentDataTag()).startsWith("running,"))
            before = ServiceStatus::running(port);
        rig.server.setAnswer(HttpResponder::status(answers ? 200 : 503));
        ServiceManager &m = rig.manager();
        m.setStatus(before);
        m.startPolling();
        const auto interval = m.pollingTimerInterval();
        m.stopPolling();
        m.startPolling();
        rig.takePublished();
        const QDateTime lastCheck = m.lastStatusCheck();
        QSignalSpy pollingSignals(&m, &ServiceManager::isPollingActiveChanged);
        QTest::qWait(2);

        QCoro::waitFor(m.refreshStatusAsync());
        const QString expected = after == u"P" ? running(port) : after;
        QCOMPARE(m.status().description(), expected);
        QCOMPARE(rig.takePublished(), published ? QStringList{expected} : QStringList{});
        QVERIFY(m.lastStatusCheck() > lastCheck);
        // A refresh leaves the timer alone.
        QCOMPARE(m.pollingTimerInterval(), interval);
        QCOMPARE(pollingSignals.size(), 0);
        m.stopPolling();
    }

    void fullCheckFromEveryState_data() {
        QTest::addColumn<ServiceStatus>("before");
        QTest::addColumn<bool>("answers");
        QTest::newRow("starting, answer") << ServiceStatus::starting() << true;
        QTest::newRow("starting, no answer") << ServiceStatus::starting() << false;
        QTest::newRow("error, no answer") << ServiceStatus::error(QStringLiteral("x")) << false;
        QTest::newRow("error, answer") << ServiceStatus::error(QStringLiteral("x")) << true;
        QTest::newRow("stopping, answer") << ServiceStatus::stopping() << true;
        QTest::newRow("permissionsNeeded, no answer") << ServiceStatus::permissionsNeeded() << false;
        QTest::newRow("running, answer") << ServiceStatus::running(1) << true;
        QTest::newRow("stopped, no answer") << ServiceStatus::stopped() << false;
    }

    void fullCheckFromEveryState() {
        QFETCH(ServiceStatus, before);
        QFETCH(bool, answers);
        ServiceRig rig;
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        rig.server.setAnswer(HttpResponder::status(answers ? 200 : 404));
        ServiceManager &m = rig.manager();
        m.setStatus(before);
        m.startPolling();
        QCOMPARE(m.pollingTimerInterval(), before.pollingInterval(m.timing()));
        rig.takePublished();

        QCoro::waitFor(m.checkStatusAsync());
        const QString result = answers ? running(rig.server.port()) : QStringLiteral("stopped");
        QCOMPARE(rig.takePublished(), (QStringList{QStringLiteral("checking"), result}));
        // Neither result picks the quick interval: after a full check the timer runs at the normal one.
        QVERIFY(m.isPollingActive());
        QCOMPARE(m.pollingTimerInterval(), m.timing().pollingInterval);
        m.stopPolling();
    }

    void fullCheckOverwritesAStateSetMeanwhile() {
        ServiceRig rig;
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        rig.server.setAnswer(HttpResponder::status(404, 300ms));
        ServiceManager &m = rig.manager();
        auto check = m.checkStatusAsync();
        m.setStatus(ServiceStatus::starting()); // as the Start button does while the probe is out
        QCoro::waitFor(std::move(check));
        QCOMPARE(m.status(), ServiceStatus::stopped());
        m.stopPolling();
    }

    void checksOverlapAndApplyInArrivalOrder() {
        ServiceRig rig;
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        ServiceManager &m = rig.manager();
        m.setStatus(ServiceStatus::stopped());
        rig.takePublished();
        // The first request is answered late with 200, the second at once with 404.
        rig.server.queueAnswer(HttpResponder::status(200, 600ms));
        rig.server.queueAnswer(HttpResponder::status(404));
        auto first = m.refreshStatusAsync();
        QTRY_COMPARE(rig.server.requests(), 1);
        auto second = m.refreshStatusAsync();
        // Both are out at once: the second does not wait for the first.
        QTRY_COMPARE(rig.server.requests(), 2);
        QCoro::waitFor(std::move(second));
        QCOMPARE(m.status(), ServiceStatus::stopped());
        QVERIFY(!first.isReady());
        QCoro::waitFor(std::move(first));
        QCOMPARE(rig.takePublished(), QStringList{running(rig.server.port())});
    }

    void intervalIsFixedWhenTheTimerIsMade_data() {
        QTest::addColumn<ServiceStatus>("state");
        QTest::addColumn<bool>("quick");
        QTest::newRow("starting") << ServiceStatus::starting() << true;
        QTest::newRow("error") << ServiceStatus::error(QStringLiteral("e")) << true;
        QTest::newRow("running") << ServiceStatus::running(8090) << false;
        QTest::newRow("stopped") << ServiceStatus::stopped() << false;
        QTest::newRow("checking") << ServiceStatus::checking() << false;
        QTest::newRow("stopping") << ServiceStatus::stopping() << false;
        QTest::newRow("permissionsNeeded") << ServiceStatus::permissionsNeeded() << false;
    }

    void intervalIsFixedWhenTheTimerIsMade() {
        QFETCH(ServiceStatus, state);
        QFETCH(bool, quick);
        // The product's intervals.
        ServiceRig rig{Timing{}};
        QVERIFY(rig.isReady());
        ServiceManager &m = rig.manager();
        m.setStatus(state);
        QSignalSpy active(&m, &ServiceManager::isPollingActiveChanged);
        m.startPolling();
        QVERIFY(m.isPollingActive());
        QCOMPARE(m.pollingTimerInterval(), quick ? 1000ms : 5000ms);
        // A later state change does not touch a living timer; a restart does.
        const ServiceStatus other = quick ? ServiceStatus::stopped() : ServiceStatus::starting();
        m.setStatus(other);
        QCOMPARE(m.pollingTimerInterval(), quick ? 1000ms : 5000ms);
        m.restartPolling();
        QCOMPARE(m.pollingTimerInterval(), quick ? 5000ms : 1000ms);
        QVERIFY(m.isPollingActive());
        m.stopPolling();
        QVERIFY(!m.isPollingActive());
        QVERIFY(!m.pollingTimerInterval());
        QVERIFY(active.size() >= 2);
    }

    void startPollingTwiceMakesOneTimer() {
        Timing timing = fastTiming();
        timing.pollingInterval = 100ms;
        ServiceRig rig(timing);
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        rig.server.setAnswer(HttpResponder::status(404));
        ServiceManager &m = rig.manager();
        m.setStatus(ServiceStatus::stopped());
        QSignalSpy active(&m, &ServiceManager::isPollingActiveChanged);
        QSignalSpy checks(&m, &ServiceManager::lastStatusCheckChanged);
        m.startPolling();
        m.startPolling();
        QCOMPARE(active.size(), 1);
        QTest::qWait(1000);
        m.stopPolling();
        // About ten ticks from one timer; two timers would make about twenty.
        const qsizetype ticks = checks.size();
        QVERIFY2(ticks >= 3 && ticks <= 13, qPrintable(QString::number(ticks)));
        QTRY_VERIFY(rig.server.requests() >= ticks);
        QTest::qWait(300);
        QCOMPARE(checks.size(), ticks);
        QVERIFY(!m.isPollingActive());
    }

    void firstTickComesOneIntervalLater() {
        ServiceRig rig{Timing{}};
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        rig.server.setAnswer(HttpResponder::status(404));
        ServiceManager &m = rig.manager();
        m.setStatus(ServiceStatus::starting());
        QSignalSpy checks(&m, &ServiceManager::lastStatusCheckChanged);
        QElapsedTimer clock;
        clock.start();
        m.startPolling(); // starting: the real quick interval, 1.0 s
        QTest::qWait(700);
        QCOMPARE(checks.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(checks.size(), 1, 3000);
        QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE(rig.server.requests(), 1);
        QCOMPARE(m.status(), ServiceStatus::starting()); // no answer leaves starting in place
        m.stopPolling();
    }

    void ticksAreIdleWhilePermissionsAreNeeded() {
        Timing timing = fastTiming();
        timing.pollingInterval = 50ms;
        ServiceRig rig(timing);
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        ServiceManager &m = rig.manager();
        m.setStatus(ServiceStatus::permissionsNeeded());
        const QDateTime lastCheck = m.lastStatusCheck();
        m.startPolling();
        QTest::qWait(400);
        QCOMPARE(rig.server.requests(), 0);
        QCOMPARE(m.lastStatusCheck(), lastCheck);
        QCOMPARE(m.status(), ServiceStatus::permissionsNeeded());
        // The same timer acts again once the state allows it.
        m.setStatus(ServiceStatus::stopped());
        QTRY_VERIFY(rig.server.requests() > 0);
        QTRY_COMPARE(m.status(), ServiceStatus::running(rig.server.port()));
        m.stopPolling();
    }

    void destroyedManagerIgnoresLateResults() {
        Timing timing = fastTiming();
        timing.probeTimeout = 300ms;
        timing.pollingInterval = 20ms;
        ServiceRig rig(timing);
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        rig.server.setAnswer(HttpResponder::silent());
        rig.manager().setStatus(ServiceStatus::stopped());
        rig.manager().startPolling();
        QTRY_VERIFY(rig.server.requests() >= 2); // ticks with probes still out
        rig.manager().checkStatus();
        rig.destroyManager();
        const int requests = rig.server.requests();
        QTest::qWait(600); // every probe times out after its manager is gone
        QVERIFY(rig.server.requests() <= requests + 1);
    }
};

QTEST_GUILESS_MAIN(ServiceMonitorTest)
#include "tst_servicemonitor.moc"
