#include "installer/engine/downloadprogressdelegate.h"
#include "installer/localization/localizationmanager.h"

#include "common/paths.h"
#include "enginetesthelpers.h"

#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;
using namespace Qt::StringLiterals;

namespace {

// Starts a run and waits for its end.
bool run(World &world, const QString &portText) {
    world.service->setSelectedPort(portText);
    QSignalSpy finished(world.service.get(), &InstallationService::runFinished);
    world.service->startInstallation();
    return finished.wait(120000);
}

const QStringList refusedLog = {"Initial system check...", "Stopping existing Vistrel services..."};

// A good run's log; its verify step made `attempts` attempts.
QStringList completeLog(const QString &home, quint16 port, bool reinstall, qsizetype attempts) {
    const qint64 size = QFileInfo(demoPackage()).size();
    QStringList log = refusedLog;
    log << QStringList({"Stopping existing Vistrel services...", "✅ Preparing Service Cleanup complete",
                        "Determining download URL...", "Requesting stable version...",
                        *DownloadProgressDelegate::progressText(size, size),
                        "Extracting files directly to installation directory...", "✅ Downloading Vistrel complete",
                        "Applying permissions to Vistrel files...", "Stripping Gatekeeper Quarantine flags...",
                        "Restoring execution permissions...", "Creating default port configuration...",
                        u"Port configured to: %1"_s.arg(port), "Writing language configuration...",
                        "Language set to: en", "Files ready at: " + paths::installRoot(home),
                        "✅ Installing Vistrel complete", "Installing Vistrel Launcher app..."});
    if (reinstall)
        log << u"Removed existing launcher app"_s;
    log << QStringList({"Launcher app installed to: " + paths::launcherApp(home), "✅ Installing Launcher App complete",
                        "Configuring user-level service (LaunchAgent)...",
                        "User service configured at " + paths::launchAgentPlist(home),
                        "Loading and starting service...", "✅ Service started successfully.",
                        "✅ Configuring Service complete"});
    for (qsizetype n = 1; n <= attempts; ++n)
        log << u"Pinging service... (Attempt %1/20)"_s.arg(n);
    return log << QStringList({"Service is online!", "✅ Verifying Service complete", "✅ Ready to Launch complete"});
}

} // namespace

class DriverTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;

private slots:
    void initTestCase() { qputenv("TMPDIR", m_scratch.path().toLocal8Bit()); }

    void wholeRoadTwice() {
        DemoVendor vendor;
        QVERIFY(vendor.isRunning());
        World world(vendor.origin(), u"it's a \"home\" & $PATH `id`"_s);
        QVERIFY(world.home.isValid());
        const QString home = world.home.path();
        const quint16 port = freePort();
        InstallationService &service = *world.service;
        service.setInstallerBundlePath(installerBundle());
        QStringList logWhenPortWasSet;
        connect(&service, &InstallationService::finalPortChanged, this,
                [&] { logWhenPortWasSet = service.installationLog(); });

        QVERIFY(run(world, QString::number(port)));
        const qsizetype attempts = service.installationLog().size() - completeLog(home, port, false, 0).size();
        QVERIFY(attempts >= 1);
        QCOMPARE(service.installationLog(), completeLog(home, port, false, attempts));
        QCOMPARE(service.finalPort(), std::optional<qint64>(port));
        QCOMPARE(logWhenPortWasSet.constLast(), u"Service is online!"_s);
        QVERIFY(service.isInstalling() && !service.installationError());
        QVERIFY(portIsOpen(port));

        // Again over the first installation and its running server, with a stray server besides
        // that only its process name gives away.
        QVERIFY(QFile::copy(u"/bin/sleep"_s, home + u"/Tarvik"_s));
        QProcess stray;
        stray.start(home + u"/Tarvik"_s, {u"600"_s});
        QVERIFY(stray.waitForStarted());
        QVERIFY(run(world, QString::number(port)));
        const qsizetype again = service.installationLog().size() - completeLog(home, port, true, 0).size();
        QVERIFY(again >= 1);
        QCOMPARE(service.installationLog(), completeLog(home, port, true, again));
        QVERIFY(stray.state() == QProcess::NotRunning || stray.waitForFinished(5000));
        QCOMPARE(stray.exitCode(), 9); // killed by SIGKILL
        QVERIFY(portIsOpen(port));

        // An agent that is still loaded is booted out and started again.
        InstallationService restart(world.platform, Timing{}.scaled(10));
        QVERIFY(!runStep(restart.setupLaunchAgent()));
        QCOMPARE(restart.installationLog().mid(2),
                 QStringList({"Loading and starting service...", "Service may already be loaded. Restarting...",
                              "✅ Service restarted successfully."}));
        QTRY_VERIFY_WITH_TIMEOUT(portIsOpen(port), 10000);
    }

    void agentThatCannotStart() {
        World world;
        // A service manager whose domain cannot be opened refuses every bootstrap.
        const QString blocked = world.home.path() + u"/not-a-folder"_s;
        QVERIFY(writeFile(blocked, "x"));
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", blocked.toLocal8Bit());
        const std::optional<Error> error = runStep(world.service->setupLaunchAgent());
        qputenv("XDG_RUNTIME_DIR", runtime);
        QVERIFY(error);
        QCOMPARE(error->domain(), u"ShellError"_s);
        QCOMPARE(error->code(), qint64(5));
        QCOMPARE(error->description(),
                 u"Bootstrap failed: 5: Input/output error\nThe folder %1 for this user's sockets and locks cannot be "
                 "used: it is not a folder\n"_s.arg(blocked));
        QCOMPARE(world.service->installationLog().mid(2),
                 QStringList({"Loading and starting service...", "Service may already be loaded. Restarting..."}));
    }

    void portTexts_data() {
        QTest::addColumn<QString>("portText"); // {port}: a free port
        QTest::addColumn<int>("taken");        // 4 or 6: something listens on the port there
        QTest::addColumn<QString>("error");    // null: the run goes on to the download
        QTest::newRow("empty") << "" << 0 << "Invalid.";
        QTest::newRow("zero") << "0" << 0 << "Invalid.";
        QTest::newRow("above 65535") << "65536" << 0 << "Invalid.";
        QTest::newRow("trailing letter") << "80a" << 0 << "Invalid.";
        const QString inUse =
            u"Port {port} is already in use by another application. Please choose a different port."_s;
        QTest::newRow("taken on ::1") << "{port}" << 6 << inUse;
        QTest::newRow("sign") << "+{port}" << 0 << QString();
    }
    void portTexts() {
        QFETCH(QString, portText);
        QFETCH(int, taken);
        QFETCH(QString, error);
        const QString port = QString::number(freePort());
        QTcpServer other;
        if (taken && !other.listen(taken == 4 ? QHostAddress::LocalHost : QHostAddress::LocalHostIPv6, port.toUShort()))
            QSKIP("this loopback is not available here");
        World world(u"http://127.0.0.1:%1"_s.arg(freePort())); // no download service there
        if (error.isNull())                                    // a step's title is in the language the user chose
            world.platform.defaults.insert(QString::fromUtf16(LocalizationManager::selectedLanguageKey), u"de"_s);
        QVERIFY(run(world, portText.replace(u"{port}"_s, port)));
        if (error.isNull()) {
            QVERIFY(world.service->isInstalling() && world.service->installationError());
            QCOMPARE(world.service->installationLog().constLast(),
                     "❌ Vistrel wird heruntergeladen failed: " + *world.service->installationError());
            return;
        }
        // Refused: the welcome screen comes back with the text left for the user to correct.
        QCOMPARE(world.service->installationError(), std::optional<QString>(error.replace(u"{port}"_s, port)));
        QVERIFY(!world.service->isInstalling());
        // Another program's port is refused before anything is stopped.
        QCOMPARE(world.service->installationLog(), taken ? refusedLog.first(1) : refusedLog);
        QCOMPARE(world.service->selectedPort(), portText);
        QVERIFY(!QFileInfo::exists(world.root()));
    }
};

QTEST_GUILESS_MAIN(DriverTest)
#include "tst_driver.moc"
