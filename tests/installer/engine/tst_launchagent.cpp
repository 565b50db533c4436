#include "installer/engine/installationservice.h"

#include "common/paths.h"
#include "enginetesthelpers.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// The agent's plist as it must be, with @HOME@ standing for the home folder as written in XML.
const QString plistTemplate = QStringLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n"
    "<dict>\n"
    "    <key>Label</key>\n"
    "    <string>com.qelvo.vistrel</string>\n"
    "    <key>ProcessType</key>\n"
    "    <string>Interactive</string>\n"
    "    <key>Nice</key>\n"
    "    <integer>-10</integer>\n"
    "    <key>LowPriorityIO</key>\n"
    "    <false/>\n"
    "    <key>ProgramArguments</key>\n"
    "    <array>\n"
    "        <string>@HOME@/Library/Application Support/Vistrel/TarvikService.app/Contents/MacOS/Tarvik</string>\n"
    "    </array>\n"
    "    <key>NSHighResolutionCapable</key>\n"
    "    <string>True</string>\n"
    "    <key>EnvironmentVariables</key>\n"
    "    <dict>\n"
    "        <key>PATH</key>\n"
    "        <string>/usr/bin:/bin:/usr/sbin:/sbin</string>\n"
    "        <key>DYLD_LIBRARY_PATH</key>\n"
    "        <string>@HOME@/Library/Application "
    "Support/Vistrel/TarvikService.app/Contents/MacOS/ffmpeg7/lib:@HOME@/Library/Application "
    "Support/Vistrel/TarvikService.app/Contents/MacOS:/usr/local/lib:/opt/homebrew/lib</string>\n"
    "    </dict>\n"
    "    <key>RunAtLoad</key><true/>\n"
    "    <key>KeepAlive</key><true/>\n"
    "    <key>StandardOutPath</key><string>@HOME@/Library/Logs/vistrel.log</string>\n"
    "    <key>StandardErrorPath</key><string>@HOME@/Library/Logs/vistrel.error.log</string>\n"
    "    <key>WorkingDirectory</key><string>@HOME@/Library/Application Support/Vistrel</string> \n"
    "</dict>\n"
    "</plist>");

QString plistFor(const QString &home) {
    const QString root = paths::installRoot(home);
    const QString folder = root + QStringLiteral("/TarvikService.app/Contents/MacOS");
    return InstallationService::makeLaunchAgentPlist(folder + QStringLiteral("/Tarvik"), root, folder, home);
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

int launchctl(const QStringList &arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(launchctlTool(), arguments);
    process.waitForFinished(60000);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool waitForPort(quint16 port, bool open) {
    for (int i = 0; i < 100; ++i) {
        if (portIsOpen(port) == open)
            return true;
        QTest::qWait(100);
    }
    return false;
}

// The demo server in the install root, on a port of its own.
bool installServer(const QString &home, quint16 port) {
    const QString root = paths::installRoot(home);
    const QString server = root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik");
    QDir().mkpath(QFileInfo(server).absolutePath());
    return QFile::copy(demoServerProgram(), server) && writeFile(paths::portFile(home), QByteArray::number(port));
}

const QString configuring = QStringLiteral("Configuring user-level service (LaunchAgent)...");
const QString configuredAt = QStringLiteral("User service configured at ");
const QString loading = QStringLiteral("Loading and starting service...");
const QString started = QStringLiteral("✅ Service started successfully.");
const QString restarting = QStringLiteral("Service may already be loaded. Restarting...");
const QString restarted = QStringLiteral("✅ Service restarted successfully.");

} // namespace

class LaunchAgentTest : public QObject {
    Q_OBJECT

    QString m_domain = QStringLiteral("gui/%1").arg(::getuid());

private slots:
    void initTestCase() {
        // Shell command lines reach the stand-in as "launchctl", as in the app.
        const QByteArray folder = QFileInfo(launchctlTool()).absolutePath().toLocal8Bit();
        qputenv("PATH", folder + ':' + qgetenv("PATH"));
    }

    void plistText_data() {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("homeInXml");
        QTest::newRow("plain") << QStringLiteral("/Users/someone") << QStringLiteral("/Users/someone");
        QTest::newRow("ampersand, quote, spaces")
            << QStringLiteral("/Users/o'brien & co/my home") << QStringLiteral("/Users/o&apos;brien &amp; co/my home");
        QTest::newRow("angle brackets, double quote")
            << QStringLiteral("/home/<a> \"b\"") << QStringLiteral("/home/&lt;a&gt; &quot;b&quot;");
    }
    void plistText() {
        QFETCH(QString, home);
        QFETCH(QString, homeInXml);
        const QString text = plistFor(home);
        QCOMPARE(text, QString(plistTemplate).replace(QStringLiteral("@HOME@"), homeInXml));
        QVERIFY(text.endsWith(u"\n</plist>"));
        QVERIFY(text.contains(u"</string> \n</dict>"));
    }

    void startsAFreshAgent_data() {
        QTest::addColumn<QString>("homeName");
        QTest::newRow("plain home") << QString();
        QTest::newRow("home with &, ' and spaces") << QStringLiteral("o'brien & co's home");
    }
    void startsAFreshAgent() {
        QFETCH(QString, homeName);
        TestHome home(homeName);
        QVERIFY(home.isValid());
        FakePlatform platform;
        platform.home = home.path();
        const quint16 port = freePort();
        QVERIFY(installServer(home.path(), port));
        InstallationService service(platform, Timing{}.scaled(10));
        QVERIFY(!QFileInfo::exists(home.path() + QStringLiteral("/Library/LaunchAgents")));
        QVERIFY(!QFileInfo::exists(home.path() + QStringLiteral("/Library/Logs")));

        const std::optional<Error> error = runStep(service.setupLaunchAgent());
        QVERIFY2(!error, error ? qPrintable(error->description()) : "");
        const QString plist = paths::launchAgentPlist(home.path());
        QCOMPARE(service.installationLog(), QStringList({configuring, configuredAt + plist, loading, started}));
        QCOMPARE(readAll(plist), plistFor(home.path()).toUtf8());
        QCOMPARE(launchctl({QStringLiteral("print"), m_domain + QStringLiteral("/com.qelvo.vistrel")}), 0);
        // The server found its port file from the working folder and writes to the log named in the plist.
        QVERIFY(waitForPort(port, true));
        QVERIFY(QFileInfo::exists(paths::serverLog(home.path())));

        // Loaded already: the second setup boots it out and starts it again.
        InstallationService next(platform, Timing{}.scaled(10));
        const std::optional<Error> again = runStep(next.setupLaunchAgent());
        QVERIFY2(!again, again ? qPrintable(again->description()) : "");
        QCOMPARE(next.installationLog(),
                 QStringList({configuring, configuredAt + plist, loading, restarting, restarted}));
        QVERIFY(waitForPort(port, true));

        QCOMPARE(launchctl({QStringLiteral("bootout"), m_domain, plist}), 0);
        QVERIFY(waitForPort(port, false));
    }

    void bothBootstrapsFail() {
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        InstallationService service(platform, Timing{}.scaled(10));
        // A service manager whose domain cannot be opened refuses every bootstrap.
        const QString blocked = home.path() + QStringLiteral("/not-a-folder");
        QVERIFY(writeFile(blocked, "x"));
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", blocked.toLocal8Bit());
        const std::optional<Error> error = runStep(service.setupLaunchAgent());
        qputenv("XDG_RUNTIME_DIR", runtime);

        QVERIFY(error);
        QCOMPARE(error->domain(), QStringLiteral("ShellError"));
        QCOMPARE(error->code(), qint64(5));
        QCOMPARE(error->description(), QStringLiteral("Bootstrap failed: 5: Input/output error\n"
                                                      "Could not create the runtime folder %1/vistrel-launchctl: "
                                                      "Not a directory\n")
                                           .arg(blocked));
        const QString plist = paths::launchAgentPlist(home.path());
        QCOMPARE(service.installationLog(), QStringList({configuring, configuredAt + plist, loading, restarting}));
    }

    void launchAgentsFolderCannotBeMade() {
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        QVERIFY(writeFile(home.path() + QStringLiteral("/Library/LaunchAgents"), "a file in the way"));
        InstallationService service(platform, Timing{}.scaled(10));
        const std::optional<Error> error = runStep(service.setupLaunchAgent());
        QVERIFY(error);
        QVERIFY2(error->description().contains(u"LaunchAgents"), qPrintable(error->description()));
        QCOMPARE(service.installationLog(), QStringList{configuring});
    }
};

QTEST_GUILESS_MAIN(LaunchAgentTest)
#include "tst_launchagent.moc"
