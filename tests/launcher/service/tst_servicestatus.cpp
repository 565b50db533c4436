// The service state value: equality, texts, colour, spinner, polling interval and tick.
#include "launcher/service/servicestatus.h"

#include "launcher/localization/launcherstrings.h"

#include <QTest>

using namespace vistrel;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(vistrel::ServiceStatus::ColorRole)

class ServiceStatusTest : public QObject {
    Q_OBJECT

private slots:
    void presentation_data() {
        QTest::addColumn<ServiceStatus>("status");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QVariant>("detail");
        QTest::addColumn<ServiceStatus::ColorRole>("colour");
        QTest::addColumn<bool>("spinner");
        QTest::addColumn<bool>("quickPolling");
        QTest::addColumn<bool>("tickActs");
        using C = ServiceStatus::ColorRole;
        const QVariant none;
        QTest::newRow("running") << ServiceStatus::running(8090) << "running"
                                 << "Running" << QVariant(QStringLiteral("Running on port 8090")) << C::Green << false
                                 << false << true;
        QTest::newRow("error") << ServiceStatus::error(QStringLiteral("Could not determine current user ID."))
                               << "error"
                               << "Error" << QVariant(QStringLiteral("Could not determine current user ID.")) << C::Red
                               << false << true << true;
        QTest::newRow("stopped") << ServiceStatus::stopped() << "stopped"
                                 << "Stopped" << none << C::Red << false << false << true;
        QTest::newRow("checking") << ServiceStatus::checking() << "checking"
                                  << "Checking..." << none << C::Orange << true << false << true;
        QTest::newRow("starting") << ServiceStatus::starting() << "starting"
                                  << "Starting..." << none << C::Orange << true << true << true;
        QTest::newRow("stopping") << ServiceStatus::stopping() << "stopping"
                                  << "Stopping..." << none << C::Orange << false << false << true;
        QTest::newRow("permissionsNeeded") << ServiceStatus::permissionsNeeded() << "permissionsNeeded"
                                           << "Permissions Required" << none << C::Orange << false << false << false;
    }

    void presentation() {
        QFETCH(ServiceStatus, status);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QVariant, detail);
        QFETCH(ServiceStatus::ColorRole, colour);
        QFETCH(bool, spinner);
        QFETCH(bool, quickPolling);
        QFETCH(bool, tickActs);

        const StringTable &english = launcherStringTable(u"en");
        QCOMPARE(status.name(), name);
        QCOMPARE(status.titleKey(), QStringLiteral("status.") + name);
        QCOMPARE(status.statusTitle(english), title);
        const std::optional<QString> shownDetail = status.statusDetail(english);
        QCOMPARE(shownDetail.has_value(), detail.isValid());
        if (shownDetail)
            QCOMPARE(*shownDetail, detail.toString());
        QCOMPARE(status.colorRole(), colour);
        QCOMPARE(status.showsProgress(), spinner);
        QCOMPARE(status.pollingTickActs(), tickActs);

        Timing timing;
        QCOMPARE(status.pollingInterval(timing), quickPolling ? 1000ms : 5000ms);
        timing.quickPollingInterval = 7ms;
        timing.pollingInterval = 11ms;
        QCOMPARE(status.pollingInterval(timing), quickPolling ? 7ms : 11ms);
    }

    void equalityIsCaseAndPayload() {
        QCOMPARE(ServiceStatus(), ServiceStatus::checking());
        QCOMPARE(ServiceStatus::running(8090), ServiceStatus::running(8090));
        QVERIFY(ServiceStatus::running(8090) != ServiceStatus::running(8091));
        QVERIFY(ServiceStatus::running(0) != ServiceStatus::stopped());
        QCOMPARE(ServiceStatus::error(QStringLiteral("a")), ServiceStatus::error(QStringLiteral("a")));
        QVERIFY(ServiceStatus::error(QStringLiteral("a")) != ServiceStatus::error(QStringLiteral("b")));
        QVERIFY(ServiceStatus::error(QString()) != ServiceStatus::stopped());
        QVERIFY(ServiceStatus::starting() != ServiceStatus::stopping());
        // The textual descriptions tell the same values apart as equality does.
        QCOMPARE(ServiceStatus::running(-3).description(), QStringLiteral("running(port: -3)"));
        QCOMPARE(ServiceStatus::error(QStringLiteral("x %1")).description(), QStringLiteral("error(\"x %1\")"));
        QVERIFY(ServiceStatus::running(1).description() != ServiceStatus::running(10).description());
    }

    void textsFollowTheTable() {
        // The error message is never translated; the port text is.
        const StringTable &german = launcherStringTable(u"de");
        QCOMPARE(ServiceStatus::running(8090).statusDetail(german).value(), QStringLiteral("Läuft auf Port 8090"));
        QCOMPARE(ServiceStatus::running(70000).statusDetail(german).value(), QStringLiteral("Läuft auf Port 70000"));
        QCOMPARE(ServiceStatus::stopping().statusTitle(german), QStringLiteral("Stoppt..."));
        for (const QString &code : launcherLanguageCodes()) {
            const ServiceStatus error = ServiceStatus::error(QStringLiteral("Could not determine current user ID."));
            QCOMPARE(error.statusDetail(launcherStringTable(code)).value(),
                     QStringLiteral("Could not determine current user ID."));
        }
    }

    void missingKeysShowTheKey() {
        const StringTable empty;
        QCOMPARE(ServiceStatus::stopped().statusTitle(empty), QStringLiteral("status.stopped"));
        QCOMPARE(ServiceStatus::running(8090).statusDetail(empty).value(), QStringLiteral("status.runningOnPort"));

        StringTable partial;
        partial.insert(QStringLiteral("status.running"), QStringLiteral("Up"));
        QCOMPARE(ServiceStatus::running(1).statusTitle(partial), QStringLiteral("Up"));
        QCOMPARE(ServiceStatus::stopping().statusTitle(partial), QStringLiteral("status.stopping"));
        QCOMPARE(ServiceStatus::running(1).statusDetail(partial).value(), QStringLiteral("status.runningOnPort"));
    }
};

QTEST_GUILESS_MAIN(ServiceStatusTest)
#include "tst_servicestatus.moc"
