// Start, stop and restart through a recording fake of the service manager's tool: the exact
// invocations, the states published in order, the polling interval after each command, the
// restart gap, and tasks that outlive their manager.
#include "fakeprograms.h"
#include "servicerig.h"

#include "common/diagnostics.h"

#include <QCoro/QCoroTask>
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

QString uid() {
    return QString::number(::getuid());
}

QString bootstrapFailed() {
    return ServiceStatus::error(QStringLiteral("Failed to bootstrap service. Is it installed correctly?"))
        .description();
}

// "*" at the end of an expected entry matches any rest.
bool matches(const QStringList &actual, const QStringList &expected) {
    if (actual.size() != expected.size())
        return false;
    for (qsizetype i = 0; i < actual.size(); ++i) {
        const QString &e = expected[i];
        if (e.endsWith(u'*') ? !actual[i].startsWith(e.chopped(1)) : actual[i] != e)
            return false;
    }
    return true;
}

} // namespace

class ServiceControlTest : public QObject {
    Q_OBJECT

private slots:
    void commands_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("exitCode");   // of the fake tool
        QTest::addColumn<QString>("idMode"); // real, blank, missing
        QTest::addColumn<bool>("launchable");
        QTest::addColumn<bool>("serverAnswers");
        QTest::addColumn<QStringList>("published"); // "P" stands for running on the server's port
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("quickAfter");

        const QString noId = ServiceStatus::error(QStringLiteral("Could not determine current user ID.")).description();
        const QString noTool = QStringLiteral("error(\"Failed to run launchctl: *");
        const QStringList bootstrap{QStringLiteral("bootstrap")};
        const QStringList bootout{QStringLiteral("bootout")};
        const QStringList none;

        QTest::newRow("start, loads, answers")
            << "start" << 0 << "real" << true << true << QStringList{"starting", "P"} << bootstrap << true;
        QTest::newRow("start, loads, no answer yet")
            << "start" << 0 << "real" << true << false << QStringList{"starting"} << bootstrap << true;
        QTest::newRow("start, bootstrap fails")
            << "start" << 5 << "real" << true << false << QStringList{"starting", bootstrapFailed(), "stopped"}
            << bootstrap << true;
        QTest::newRow("start, already loaded and answering")
            << "start" << 5 << "real" << true << true << QStringList{"starting", bootstrapFailed(), "P"} << bootstrap
            << true;
        QTest::newRow("start, id prints blanks")
            << "start" << 0 << "blank" << true << false << QStringList{"starting", noId, "stopped"} << none << true;
        QTest::newRow("start, id cannot run")
            << "start" << 0 << "missing" << true << false << QStringList{"starting", noId, "stopped"} << none << true;
        QTest::newRow("start, tool cannot run")
            << "start" << 0 << "real" << false << false << QStringList{"starting", noTool, "stopped"} << none << true;
        QTest::newRow("stop, unloads") << "stop" << 0 << "real" << true << false << QStringList{"stopping", "stopped"}
                                       << bootout << false;
        QTest::newRow("stop, still answering")
            << "stop" << 0 << "real" << true << true << QStringList{"stopping"} << bootout << false;
        QTest::newRow("stop, bootout fails silently")
            << "stop" << 5 << "real" << true << false << QStringList{"stopping", "stopped"} << bootout << false;
        QTest::newRow("stop, id prints blanks")
            << "stop" << 0 << "blank" << true << false << QStringList{"stopping", "stopped"} << none << false;
        QTest::newRow("stop, tool cannot run")
            << "stop" << 0 << "real" << false << false << QStringList{"stopping", "stopped"} << none << false;
        QTest::newRow("restart") << "restart" << 0 << "real" << true << true << QStringList{"starting"}
                                 << QStringList{"bootout", "bootstrap"} << false;
        QTest::newRow("restart, both fail")
            << "restart" << 5 << "real" << true << true << QStringList{"starting", bootstrapFailed()}
            << QStringList{"bootout", "bootstrap"} << true;
        QTest::newRow("restart, id prints blanks")
            << "restart" << 0 << "blank" << true << true << QStringList{"starting", noId} << none << false;
    }

    void commands() {
        QFETCH(QString, operation);
        QFETCH(int, exitCode);
        QFETCH(QString, idMode);
        QFETCH(bool, launchable);
        QFETCH(bool, serverAnswers);
        QFETCH(QStringList, published);
        QFETCH(QStringList, calls);
        QFETCH(bool, quickAfter);

        ServiceRig rig(commandTiming());
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        const QString port = QString::number(rig.server.port());
        for (QString &p : published)
            if (p == u"P")
                p = ServiceStatus::running(rig.server.port()).description();
        rig.server.setAnswer(HttpResponder::status(serverAnswers ? 200 : 404));
        FakeLaunchctl tool(rig.home(), exitCode);
        rig.platform.launchctl = launchable ? tool.path() : rig.home() + QStringLiteral("/no-such-launchctl");
        ServiceManager &m = rig.manager();
        if (idMode == u"blank")
            m.setIdProgram(writeScript(rig.home() + QStringLiteral("/id"), "printf ' \\n\\t \\n'\n"));
        else if (idMode == u"missing")
            m.setIdProgram(rig.home() + QStringLiteral("/no-such-id"));

        // Start is offered while stopped; Stop and Restart while running.
        m.setStatus(operation == u"start" ? ServiceStatus::stopped() : ServiceStatus::running(rig.server.port()));
        m.startPolling();
        QCOMPARE(m.pollingTimerInterval(), m.timing().pollingInterval);
        rig.takePublished();
        QSignalSpy checks(&m, &ServiceManager::lastStatusCheckChanged);
        QStringList printed;
        DiagnosticCapture capture([&](const QString &line) { printed.append(line); });

        if (operation == u"start")
            m.start();
        else if (operation == u"stop")
            m.stop();
        else
            m.restart();

        QStringList seen;
        QTRY_VERIFY2((seen += rig.takePublished(), matches(seen, published)), qPrintable(seen.join(u" | ")));
        QTRY_COMPARE(tool.calls().size(), calls.size());
        // Start and Stop refresh once their command is done; Restart never does.
        if (operation != u"restart")
            QTRY_COMPARE(checks.size(), 1);
        QTest::qWait(150);
        seen += rig.takePublished();
        QVERIFY2(matches(seen, published), qPrintable(seen.join(u" | ")));
        QCOMPARE(checks.size(), operation == u"restart" ? 0 : 1);

        const QList<FakeLaunchctl::Call> made = tool.calls();
        for (qsizetype i = 0; i < made.size(); ++i) {
            const QStringList expected{calls[i], QStringLiteral("gui/") + uid(), m.tarvikPlistPath()};
            QCOMPARE(made[i].arguments, expected);
        }
        QVERIFY(m.isPollingActive());
        QCOMPARE(m.pollingTimerInterval(), quickAfter ? m.timing().quickPollingInterval : m.timing().pollingInterval);
        if (idMode == u"missing")
            QVERIFY(printed.contains(QRegularExpression(QStringLiteral("^Failed to get user ID: .+"))));
        else
            QVERIFY(printed.isEmpty());
        m.stopPolling();
    }

    void restartWaitsHalfASecondBetweenCommands() {
        // The product's own gap.
        ServiceRig rig{Timing{}};
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        FakeLaunchctl tool(rig.home(), 0);
        rig.platform.launchctl = tool.path();
        ServiceManager &m = rig.manager();
        QCOMPARE(m.timing().restartGap, 500ms);
        m.setStatus(ServiceStatus::running(rig.server.port()));
        rig.takePublished();
        const QDateTime lastCheck = m.lastStatusCheck();

        QCoro::waitFor(m.restartService());
        const QList<FakeLaunchctl::Call> calls = tool.calls();
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[0].arguments.value(0), QStringLiteral("bootout"));
        QCOMPARE(calls[1].arguments.value(0), QStringLiteral("bootstrap"));
        const double gap = calls[1].started - calls[0].ended;
        QVERIFY2(gap >= 0.5, qPrintable(QString::number(gap)));
        // No refresh follows and nothing else is published.
        QCOMPARE(m.lastStatusCheck(), lastCheck);
        QCOMPARE(rig.server.requests(), 0);
        QCOMPARE(rig.takePublished(), QStringList{});
    }

    void startAndStopSetTheTimerBeforeTheCommandRuns_data() {
        QTest::addColumn<bool>("start");
        QTest::newRow("start") << true;
        QTest::newRow("stop") << false;
    }

    void startAndStopSetTheTimerBeforeTheCommandRuns() {
        QFETCH(bool, start);
        ServiceRig rig{Timing{}};
        QVERIFY(rig.isReady());
        FakeLaunchctl tool(rig.home(), 0, 0.5);
        rig.platform.launchctl = tool.path();
        ServiceManager &m = rig.manager();
        m.setStatus(start ? ServiceStatus::error(QStringLiteral("e")) : ServiceStatus::running(1));
        m.startPolling();
        QSignalSpy active(&m, &ServiceManager::isPollingActiveChanged);
        start ? m.start() : m.stop();
        // At once, before the tool has run: the timer is rebuilt for the new state.
        QCOMPARE(m.status(), start ? ServiceStatus::starting() : ServiceStatus::stopping());
        QCOMPARE(m.pollingTimerInterval(), start ? 1000ms : 5000ms);
        QCOMPARE(active.size(), 2); // off, then on again
        QCOMPARE(tool.calls().size(), 0);
        QTRY_COMPARE(tool.calls().size(), 1);
        m.stopPolling();
    }

    void taskOutlivesItsManager_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("start") << "start" << QStringList{"bootstrap"};
        QTest::newRow("stop") << "stop" << QStringList{"bootout"};
        QTest::newRow("restart") << "restart" << QStringList{"bootout", "bootstrap"};
    }

    void taskOutlivesItsManager() {
        QFETCH(QString, operation);
        QFETCH(QStringList, calls);
        ServiceRig rig(commandTiming());
        QVERIFY(rig.isReady());
        QVERIFY(rig.pointAtServer());
        FakeLaunchctl tool(rig.home(), 5, 0.2);
        rig.platform.launchctl = tool.path();
        ServiceManager &m = rig.manager();
        if (operation == u"start")
            m.start();
        else if (operation == u"stop")
            m.stop();
        else
            m.restart();
        // The window closes while the command runs. Once begun, a restart still brings the
        // service back: a bootout alone would leave it unloaded.
        rig.destroyManager();
        QTRY_COMPARE(tool.calls().size(), calls.size());
        QTest::qWait(300);
        const QList<FakeLaunchctl::Call> made = tool.calls();
        QCOMPARE(made.size(), calls.size());
        for (qsizetype i = 0; i < made.size(); ++i)
            QCOMPARE(made[i].arguments.value(0), calls[i]);
        QCOMPARE(rig.server.requests(), 0);
    }
};

QTEST_GUILESS_MAIN(ServiceControlTest)
#include "tst_servicecontrol.moc"
