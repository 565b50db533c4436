// Uninstalling a real installation: the demo package unpacked, its server loaded into the
// service-manager stand-in and answering on its port.
#include "fakeplatform.h"
#include "uninstallrun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test::uninstallrun;
namespace installation = vistrel::test::installation;

class UninstallLiveTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        putLaunchctlOnPath();
        // Anything a broken quoting would let the shell run lands here, where the test looks.
        QVERIFY(m_workingDir.isValid());
        QVERIFY(QDir::setCurrent(m_workingDir.path()));
    }

    void uninstallsRunningService_data() {
        QTest::addColumn<QString>("homeName");
        QTest::addColumn<int>("timingScale");
        QTest::newRow("plain home, real pauses") << "ana" << 1;
        QTest::newRow("home with quote and shell syntax")
            << "ana's home $(touch injected1) `touch injected2` & touch injected3; 'x \"y\"" << 25;
    }

    void uninstallsRunningService() {
        QFETCH(QString, homeName);
        QFETCH(int, timingScale);
        const test::TestHome testHome(homeName);
        QVERIFY(testHome.isValid());
        const QString home = testHome.path();
        const quint16 port = test::freePort();
        QVERIFY(port != 0 && installation::installFromDemoPackage(home, port));
        QCOMPARE(installation::runLaunchctl(
                     {QStringLiteral("bootstrap"), installation::userDomain(), paths::launchAgentPlist(home)}),
                 0);
        QTRY_VERIFY_WITH_TIMEOUT(test::portIsOpen(port), 15000);

        test::FakePlatform platform;
        platform.home = home;
        const auto service = UninstallService::create(platform, Timing{}.scaled(timingScale));
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(runToEnd(*service, 60000));
        QCOMPARE(service->log(), fullLog(home, {}, {QStringLiteral("TarvikService.app")}));
        QVERIFY(!service->hasError());
        if (timingScale == 1) // six pauses of a quarter second each
            QVERIFY(elapsed.elapsed() >= 1500);

        // The service is gone for good: nothing answers, and the job is no longer loaded (so
        // nothing restarts it).
        QTRY_VERIFY_WITH_TIMEOUT(!test::portIsOpen(port), 10000);
        QCOMPARE(installation::runLaunchctl(
                     {QStringLiteral("bootout"), installation::userDomain() + QStringLiteral("/com.qelvo.vistrel")}),
                 5);
        const QString root = paths::installRoot(home);
        for (const QString &gone : {root + QStringLiteral("/TarvikService.app"), paths::launchAgentPlist(home),
                                    paths::launcherApp(home), paths::serverLog(home), paths::serverErrorLog(home)})
            QVERIFY2(!QFileInfo::exists(gone), qPrintable(gone));
        for (const QString &kept : installation::keptItems(home) + QStringList{paths::browserScript(home)})
            QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
        QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

private:
    QTemporaryDir m_workingDir;
};

QTEST_GUILESS_MAIN(UninstallLiveTest)
#include "tst_uninstalllive.moc"
