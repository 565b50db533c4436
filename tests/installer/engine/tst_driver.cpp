#include "installer/engine/downloadprogressdelegate.h"
#include "installer/engine/installationservice.h"
#include "installer/localization/localizationmanager.h"

#include "common/paths.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// One installer with its own home, talking to the demo vendor.
struct World {
    explicit World(const QString &origin) {
        platform.home = home.path();
        platform.languages = {QStringLiteral("en-US")};
        platform.defaults.insert(QStringLiteral("downloadServiceOrigin"), origin);
        service = std::make_unique<InstallationService>(platform, Timing{}.scaled(10));
        service->setInstallerBundlePath(installerBundle());
    }

    // Starts a run and waits for its end.
    bool run(const QString &portText) {
        service->setSelectedPort(portText);
        QSignalSpy finished(service.get(), &InstallationService::runFinished);
        service->startInstallation();
        return finished.wait(120000);
    }

    TestHome home;
    FakePlatform platform;
    std::unique_ptr<InstallationService> service;
};

// The server's answer to GET / on localhost.
int statusOfRoot(quint16 port) {
    QNetworkAccessManager network;
    QNetworkReply *reply = network.get(QNetworkRequest(QUrl(QStringLiteral("http://localhost:%1/").arg(port))));
    QSignalSpy done(reply, &QNetworkReply::finished);
    done.wait(5000);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    delete reply;
    return status;
}

// The log of a good run from its first line to the launch agent's success line.
QStringList logUntilTheAgentRuns(const QString &home, quint16 port, bool reinstall) {
    const qint64 size = QFileInfo(demoPackage()).size();
    const QString root = paths::installRoot(home);
    QStringList log = {
        QStringLiteral("Initial system check..."),
        QStringLiteral("Stopping existing Vistrel services..."),
        QStringLiteral("Stopping existing Vistrel services..."),
        QStringLiteral("✅ Preparing Service Cleanup complete"),
        QStringLiteral("Determining download URL..."),
        QStringLiteral("Requesting stable version..."),
        *DownloadProgressDelegate::progressText(size, size),
        QStringLiteral("Extracting files directly to installation directory..."),
        QStringLiteral("✅ Downloading Vistrel complete"),
        QStringLiteral("Applying permissions to Vistrel files..."),
        QStringLiteral("Stripping Gatekeeper Quarantine flags..."),
        QStringLiteral("Restoring execution permissions..."),
        QStringLiteral("Creating default port configuration..."),
        QStringLiteral("Port configured to: %1").arg(port),
        QStringLiteral("Writing language configuration..."),
        QStringLiteral("Language set to: en"),
        QStringLiteral("Files ready at: ") + root,
        QStringLiteral("✅ Installing Vistrel complete"),
        QStringLiteral("Installing Vistrel Launcher app..."),
    };
    if (reinstall)
        log << QStringLiteral("Removed existing launcher app");
    log << QStringLiteral("Launcher app installed to: ") + paths::launcherApp(home)
        << QStringLiteral("✅ Installing Launcher App complete")
        << QStringLiteral("Configuring user-level service (LaunchAgent)...")
        << QStringLiteral("User service configured at ") + paths::launchAgentPlist(home)
        << QStringLiteral("Loading and starting service...") << QStringLiteral("✅ Service started successfully.")
        << QStringLiteral("✅ Configuring Service complete");
    return log;
}

// Checks a finished run's log: the fixed part, then one or more attempts, then the last lines.
void verifyCompleteLog(const QStringList &log, const QStringList &head) {
    QVERIFY2(log.size() > head.size() + 3, qPrintable(log.join(u'\n')));
    QCOMPARE(log.mid(0, head.size()), head);
    const QStringList tail = log.mid(head.size());
    const qsizetype attempts = tail.size() - 3;
    for (qsizetype n = 1; n <= attempts; ++n)
        QCOMPARE(tail[n - 1], QStringLiteral("Pinging service... (Attempt %1/20)").arg(n));
    QCOMPARE(tail.mid(attempts),
             QStringList({QStringLiteral("Service is online!"), QStringLiteral("✅ Verifying Service complete"),
                          QStringLiteral("✅ Ready to Launch complete")}));
}

const QString invalid = QStringLiteral("Invalid.");
const QStringList refusedLog = {QStringLiteral("Initial system check..."),
                                QStringLiteral("Stopping existing Vistrel services...")};

QString portInUseText(quint16 port) {
    return QStringLiteral("Port %1 is already in use by another application. Please choose a different port.")
        .arg(port);
}

} // namespace

class DriverTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;

    void verifyRefused(const World &world, const QString &error) {
        QCOMPARE(world.service->installationError(), std::optional<QString>(error));
        QVERIFY(!world.service->isInstalling());
        QCOMPARE(world.service->installationLog(), refusedLog);
        QCOMPARE(world.service->currentStep(), InstallationStep::stopServices);
        QCOMPARE(world.service->installationProgress(), 0.0);
        QVERIFY(!QFileInfo::exists(paths::installRoot(world.home.path())));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_scratch.isValid());
        // Shell command lines reach the stand-in as "launchctl", as in the app.
        const QByteArray folder = QFileInfo(launchctlTool()).absolutePath().toLocal8Bit();
        qputenv("PATH", folder + ':' + qgetenv("PATH"));
        qputenv("TMPDIR", m_scratch.path().toLocal8Bit());
    }

    void wholeRoadTwice() {
        DemoVendor vendor;
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());
        const quint16 port = freePort();
        InstallationService &service = *world.service;

        QList<double> progress;
        connect(&service, &InstallationService::installationProgressChanged, this,
                [&] { progress << service.installationProgress(); });
        QStringList logWhenPortWasSet;
        connect(&service, &InstallationService::finalPortChanged, this,
                [&] { logWhenPortWasSet = service.installationLog(); });

        QVERIFY(world.run(QString::number(port)));
        verifyCompleteLog(service.installationLog(), logUntilTheAgentRuns(world.home.path(), port, false));
        QCOMPARE(service.finalPort(), std::optional<qint64>(port));
        QCOMPARE(logWhenPortWasSet.constLast(), QStringLiteral("Service is online!"));
        QCOMPARE(progress, QList<double>({1, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(service.currentStep(), InstallationStep::complete);
        QVERIFY(service.isInstalling());
        QVERIFY(!service.installationError());
        QCOMPARE(statusOfRoot(port), 200);
        const QString launcher = paths::launcherApp(world.home.path());
        QVERIFY(QFileInfo(launcher + QStringLiteral("/Contents/MacOS/Vistrel")).isExecutable());

        // Over the first installation, on the same port, with its server still running.
        QVERIFY(writeFile(launcher + QStringLiteral("/Contents/left-from-before"), "old"));
        progress.clear();
        QVERIFY(world.run(QString::number(port)));
        verifyCompleteLog(service.installationLog(), logUntilTheAgentRuns(world.home.path(), port, true));
        QCOMPARE(progress, QList<double>({0, 1, 2, 3, 4, 5, 6, 7}));
        QVERIFY(!QFileInfo::exists(launcher + QStringLiteral("/Contents/left-from-before")));
        QCOMPARE(statusOfRoot(port), 200);
    }

    void refusedPortTexts_data() {
        QTest::addColumn<QString>("portText");
        QTest::newRow("empty") << QString();
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("above 65535") << QStringLiteral("65536");
        QTest::newRow("trailing letter") << QStringLiteral("80a");
        QTest::newRow("sign alone") << QStringLiteral("+");
        QTest::newRow("negative") << QStringLiteral("-8090");
        QTest::newRow("white space") << QStringLiteral(" 8090");
        QTest::newRow("overflow") << QStringLiteral("99999999999999999999");
    }
    void refusedPortTexts() {
        QFETCH(QString, portText);
        World world(QStringLiteral("http://127.0.0.1:9"));
        QVERIFY(world.run(portText));
        verifyRefused(world, invalid);
        QCOMPARE(world.service->selectedPort(), portText); // left for the user to correct
    }

    void acceptedPortTexts() {
        // A vendor that is not there: an accepted port lets the run go as far as the download.
        const quint16 closed = freePort();
        World world(QStringLiteral("http://127.0.0.1:%1").arg(closed));
        const quint16 port = freePort();
        QVERIFY(world.run(QStringLiteral("+%1").arg(port)));
        QCOMPARE(world.service->currentStep(), InstallationStep::downloadTarvik);
        QCOMPARE(world.service->installationProgress(), 1.0);
        QVERIFY(world.service->isInstalling());
        const std::optional<QString> error = world.service->installationError();
        QVERIFY(error && !error->isEmpty() && *error != invalid);
        QCOMPARE(world.service->installationLog().constLast(),
                 QStringLiteral("❌ Downloading Vistrel failed: ") + *error);
    }

    void portAlreadyInUse_data() {
        QTest::addColumn<bool>("ipv6");
        QTest::newRow("127.0.0.1") << false;
        QTest::newRow("::1") << true;
    }
    void portAlreadyInUse() {
        QFETCH(bool, ipv6);
        QTcpServer other;
        const quint16 port = freePort();
        if (!other.listen(ipv6 ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost, port))
            QSKIP("this loopback is not available here");
        World world(QStringLiteral("http://127.0.0.1:9"));
        QVERIFY(world.run(QString::number(port)));
        verifyRefused(world, portInUseText(port));

        // Once the other program has let go, the same port gets as far as the download.
        other.close();
        QVERIFY(world.run(QString::number(port)));
        QCOMPARE(world.service->currentStep(), InstallationStep::downloadTarvik);
    }

    void failedStepStopsTheRun() {
        DemoVendor vendor;
        QVERIFY(vendor.isRunning());
        World world(vendor.origin());
        world.platform.defaults.insert(QString::fromUtf16(LocalizationManager::selectedLanguageKey),
                                       QStringLiteral("de"));
        QTemporaryDir empty; // an installer bundle without the launcher
        world.service->setInstallerBundlePath(empty.path());

        QVERIFY(world.run(QString::number(freePort())));
        const QString description = QStringLiteral("Launcher app not found in installer bundle.");
        QCOMPARE(world.service->currentStep(), InstallationStep::installLauncher);
        QCOMPARE(world.service->installationProgress(), 3.0);
        QVERIFY(world.service->isInstalling());
        QCOMPARE(world.service->installationError(), std::optional<QString>(description));
        QVERIFY(!world.service->finalPort());
        // The title is in the language the user chose.
        const QString title =
            LocalizationManager::stringTable(QStringLiteral("de")).value(QStringLiteral("step.installLauncher.title"));
        QVERIFY(!title.isEmpty());
        QCOMPARE(world.service->installationLog().constLast(),
                 QStringLiteral("❌ %1 failed: %2").arg(title, description));
        QVERIFY(!QFileInfo::exists(paths::launchAgentPlist(world.home.path()))); // later steps did not run

        // A new run starts from a clean slate (and at once with its first lines).
        QSignalSpy finished(world.service.get(), &InstallationService::runFinished);
        world.service->startInstallation();
        QCOMPARE(world.service->installationLog(), refusedLog);
        QVERIFY(!world.service->installationError());
        QCOMPARE(world.service->currentStep(), InstallationStep::stopServices);
        QCOMPARE(world.service->installationProgress(), 0.0);
        world.service->startInstallation(); // ignored while the run goes on
        QVERIFY(finished.wait(120000));
        QTest::qWait(200);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(world.service->currentStep(), InstallationStep::installLauncher);
    }

    void windowGoesAwayMidRun() {
        DemoVendor vendor;
        QVERIFY(vendor.isRunning());
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        platform.defaults.insert(QStringLiteral("downloadServiceOrigin"), vendor.origin());
        std::shared_ptr<InstallationService> service = InstallationService::create(platform, Timing{}.scaled(10));
        service->setInstallerBundlePath(installerBundle());
        service->setSelectedPort(QString::number(freePort()));
        QPointer<InstallationService> watch(service.get());
        bool finished = false;
        connect(service.get(), &InstallationService::runFinished, this, [&] { finished = true; });

        service->startInstallation();
        // The window lets go while the cleanup is still running.
        QTRY_VERIFY(!service->installationLog().isEmpty());
        service.reset();
        QVERIFY(watch);
        QTRY_VERIFY_WITH_TIMEOUT(finished, 120000);
        QTRY_VERIFY(!watch); // deleted once the run no longer needs it
    }
};

QTEST_GUILESS_MAIN(DriverTest)
#include "tst_driver.moc"
