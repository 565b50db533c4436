// The real platform layer over real bundles, settings files and PATH in a temporary home.
#include "platform/systemplatform.h"

#include "common/paths.h"
#include "testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace vistrel;

namespace {

// A bundle whose executable is a script that records that it ran, and where.
bool makeBundle(const QString &bundle, const QString &identifier, const QString &marker) {
    const QString plist = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                                         "<key>CFBundleExecutable</key><string>Runner</string>\n"
                                         "<key>CFBundleIdentifier</key><string>%1</string>\n</dict>\n</plist>\n")
                              .arg(identifier);
    const QByteArray script = "#!/bin/bash\npwd > '" + marker.toUtf8() + "'\n";
    if (!test::writeFile(bundle + QStringLiteral("/Contents/Info.plist"), plist.toUtf8()) ||
        !test::writeFile(bundle + QStringLiteral("/Contents/MacOS/Runner"), script))
        return false;
    return QFile::setPermissions(bundle + QStringLiteral("/Contents/MacOS/Runner"),
                                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool waitForFile(const QString &path) {
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo(path).size() && timer.elapsed() < 5000)
        QTest::qWait(20);
    return QFileInfo(path).size() > 0;
}

} // namespace

class SystemPlatformTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase() {
        // Settings land under XDG_CONFIG_HOME, read once per process: point it away first.
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    }

    void openApplicationByBundleIdentifier() {
        QTemporaryDir home;
        const QByteArray previousHome = qgetenv("HOME");
        qputenv("HOME", home.path().toLocal8Bit());
        const QString marker = home.filePath(QStringLiteral("ran"));
        // A decoy with another identifier is listed first; only the bundle with the asked identifier starts.
        QVERIFY(makeBundle(home.filePath(QStringLiteral("Applications/Another.app")),
                           QStringLiteral("com.example.other"), home.filePath(QStringLiteral("wrong"))));
        QVERIFY(makeBundle(home.filePath(QStringLiteral("Applications/Vistrel.app")),
                           QString::fromUtf16(paths::launcherBundleIdentifier), marker));

        SystemPlatform platform(QStringLiteral("PlatformTest"));
        QCOMPARE(platform.homeDirectory(), home.path());
        QCOMPARE(SystemPlatform::findApplicationBundle(home.path(), QStringLiteral("com.example.missing")), QString());
        QVERIFY(platform.openApplication(QString::fromUtf16(paths::launcherBundleIdentifier)));
        QVERIFY(waitForFile(marker));
        QFile m(marker);
        QVERIFY(m.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(m.readAll()).trimmed(),
                 QFileInfo(home.filePath(QStringLiteral("Applications/Vistrel.app"))).canonicalFilePath());
        QVERIFY(!QFile::exists(home.filePath(QStringLiteral("wrong"))));
        QVERIFY(!platform.openApplication(QStringLiteral("com.example.missing")));
        qputenv("HOME", previousHome);
    }

    void theBuiltBundlesFindTheirServiceManager() {
        QCOMPARE(SystemPlatform(QStringLiteral("x"), test::launcherBundle()).launchctlPath(),
                 test::launcherBundle() + QStringLiteral("/Contents/Helpers/launchctl"));
        QCOMPARE(SystemPlatform(QStringLiteral("x"), test::installerBundle()).launchctlPath(),
                 test::installerBundle() +
                     QStringLiteral("/Contents/Resources/Vistrel.app/Contents/Helpers/launchctl"));
    }

    void pathLeadsToTheStandIn() {
        const QByteArray previous = qgetenv("PATH");
        const SystemPlatform platform(QStringLiteral("x"), test::launcherBundle());
        platform.prepareEnvironment();
        platform.prepareEnvironment(); // idempotent
        const QByteArray path = qgetenv("PATH");
        QCOMPARE(path, (test::launcherBundle() + QStringLiteral("/Contents/Helpers:")).toLocal8Bit() + previous);
        QProcess shell;
        shell.start(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), QStringLiteral("command -v launchctl")});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(QString::fromUtf8(shell.readAll()).trimmed(), platform.launchctlPath());
        qputenv("PATH", previous);
    }

    void userDefaultsPersistInAFileTheDemoCanWrite() {
        {
            SystemPlatform platform(QStringLiteral("PlatformTest"));
            QVERIFY(!platform.userDefault(QStringLiteral("selectedLanguage")).isValid());
            platform.setUserDefault(QStringLiteral("selectedLanguage"), QStringLiteral("de"));
        }
        QSettings written(m_config.filePath(QStringLiteral("qelvonet/PlatformTest.ini")), QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("selectedLanguage")).toString(), QStringLiteral("de"));

        QVERIFY(test::writeFile(m_config.filePath(QStringLiteral("qelvonet/Other.ini")),
                                "[General]\ndownloadServiceOrigin=http://127.0.0.1:4321\n"));
        SystemPlatform other(QStringLiteral("Other"));
        QCOMPARE(other.userDefault(QStringLiteral("downloadServiceOrigin")).toString(),
                 QStringLiteral("http://127.0.0.1:4321"));
    }
};

QTEST_MAIN(SystemPlatformTest)
#include "tst_systemplatform.moc"
