#include "installer/engine/installationservice.h"

#include "common/commandrunner.h"
#include "common/paths.h"
#include "enginetesthelpers.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// A launch agent whose program only waits, so that the test sees whether it was booted out.
QByteArray waitingAgentPlist() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n"
           "    <key>Label</key>\n    <string>com.qelvo.vistrel</string>\n"
           "    <key>ProgramArguments</key>\n    <array>\n        <string>/bin/sleep</string>\n"
           "        <string>600</string>\n    </array>\n"
           "    <key>RunAtLoad</key><true/>\n"
           "</dict>\n</plist>";
}

int launchctl(const QStringList &arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(launchctlTool(), arguments);
    process.waitForFinished(30000);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class CleanupTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Shell command lines reach the stand-in as "launchctl", as in the app.
        const QByteArray folder = QFileInfo(launchctlTool()).absolutePath().toLocal8Bit();
        qputenv("PATH", folder + ':' + qgetenv("PATH"));
    }

    void nothingToStop() {
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        const Timing timing = Timing{}.scaled(5);
        InstallationService service(platform, timing);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!runStep(service.stopExistingServices()));
        QVERIFY(clock.elapsed() >= timing.settleAfterStop.count());
        QCOMPARE(service.installationLog(), QStringList{"Stopping existing Vistrel services..."});
    }

    void stopsTheAgentAndTheServer() {
        TestHome home(QStringLiteral("it's a \"home\" with $PATH and `id`"));
        QVERIFY(home.isValid());
        FakePlatform platform;
        platform.home = home.path();
        InstallationService service(platform, Timing{}.scaled(10));

        const QString plist = paths::launchAgentPlist(home.path());
        QVERIFY(writeFile(plist, waitingAgentPlist()));
        const QString domain = QStringLiteral("gui/%1").arg(::getuid());
        QCOMPARE(launchctl({QStringLiteral("bootstrap"), domain, plist}), 0);
        const QStringList printArguments{QStringLiteral("print"), domain + QStringLiteral("/com.qelvo.vistrel")};
        QCOMPARE(launchctl(printArguments), 0);

        // A server process that launchd did not start: only its name gives it away.
        const QString server = home.path() + QStringLiteral("/Tarvik");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), server));
        QProcess stray;
        stray.start(server, {QStringLiteral("600")});
        QVERIFY(stray.waitForStarted());

        QVERIFY(!runStep(service.stopExistingServices()));
        QVERIFY(launchctl(printArguments) != 0);
        QVERIFY(stray.state() == QProcess::NotRunning || stray.waitForFinished(5000));
        QCOMPARE(stray.exitStatus(), QProcess::CrashExit);
        QCOMPARE(stray.exitCode(), 9);
        QCOMPARE(service.installationLog(), QStringList{"Stopping existing Vistrel services..."});
    }
};

QTEST_GUILESS_MAIN(CleanupTest)
#include "tst_cleanup.moc"
