#include "installer/engine/installationservice.h"
#include "installer/localization/localizationmanager.h"

#include "common/paths.h"
#include "enginetesthelpers.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <filesystem>

using namespace vistrel;
using namespace vistrel::test;

namespace {

int modeOf(const QString &path) {
    return int(std::filesystem::status(QFile::encodeName(path).toStdString()).permissions()) & 07777;
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeWithMode(const QString &path, int mode) {
    if (!writeFile(path, "#!/bin/sh\n"))
        return false;
    std::error_code error;
    std::filesystem::permissions(QFile::encodeName(path).toStdString(), std::filesystem::perms(mode), error);
    return !error;
}

} // namespace

class PrepareTest : public QObject {
    Q_OBJECT

private slots:
    void preparesAnUnpackedServer() {
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        platform.languages = {QStringLiteral("ja-JP")};
        InstallationService service(platform);
        service.setSelectedPort(QStringLiteral("9000"));
        const QString root = paths::installRoot(home.path());
        const QString macos = root + QStringLiteral("/TarvikService.app/Contents/MacOS");
        QVERIFY(writeWithMode(macos + QStringLiteral("/Tarvik"), 0600));
        QVERIFY(writeWithMode(macos + QStringLiteral("/TURN/turnserver"), 0644));
        QVERIFY(writeWithMode(root + QStringLiteral("/open_browser_macos.sh"), 0644));
        QVERIFY(writeWithMode(root + QStringLiteral("/deep/er/folder/task.sh"), 0600));
        QVERIFY(writeWithMode(root + QStringLiteral("/notes.txt"), 0644));

        QVERIFY(!runStep(service.prepareInstalledFiles()));
        QCOMPARE(service.installationLog(), QStringList({
                                                "Applying permissions to Vistrel files...",
                                                "Stripping Gatekeeper Quarantine flags...",
                                                "Restoring execution permissions...",
                                                "Creating default port configuration...",
                                                "Port configured to: 9000",
                                                "Writing language configuration...",
                                                "Language set to: ja",
                                                "Files ready at: " + root,
                                            }));
        QCOMPARE(modeOf(macos + QStringLiteral("/Tarvik")), 0755);
        QCOMPARE(modeOf(macos + QStringLiteral("/TURN/turnserver")), 0755);
        QVERIFY(modeOf(root + QStringLiteral("/open_browser_macos.sh")) & 0100);
        QVERIFY(modeOf(root + QStringLiteral("/deep/er/folder/task.sh")) & 0100);
        QCOMPARE(modeOf(root + QStringLiteral("/notes.txt")), 0644);
        QCOMPARE(readAll(paths::portFile(home.path())), QByteArray("9000"));
        QCOMPARE(readAll(paths::languageFile(home.path())), QByteArray("ja"));
    }

    void portTextAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("plain") << "9000" << QByteArray("9000");
        QTest::newRow("sign and zeros kept") << "+08090" << QByteArray("+08090");
        QTest::newRow("empty means default") << "" << QByteArray("8090");
    }
    void portTextAsTyped() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, written);
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        platform.defaults.insert(QStringLiteral("selectedLanguage"), QStringLiteral("zh-Hans"));
        InstallationService service(platform);
        QVERIFY(writeFile(paths::portFile(home.path()), "12345\n"));
        service.setSelectedPort(typed);
        QVERIFY(!runStep(service.prepareInstalledFiles()));
        QCOMPARE(readAll(paths::portFile(home.path())), written);
        QCOMPARE(readAll(paths::languageFile(home.path())), QByteArray("zh-cn"));
        QVERIFY(service.installationLog().contains("Port configured to: " + QString::fromUtf8(written)));
    }

    void problemsBecomeWarnings() {
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        InstallationService service(platform);
        const QString root = paths::installRoot(home.path());
        // No server in the package, the port folder blocked by a file, the language file by a folder.
        QVERIFY(writeFile(root + QStringLiteral("/Media/XML"), "not a folder"));
        QVERIFY(writeFile(root + QStringLiteral("/lang.txt/inside"), "x"));

        QVERIFY(!runStep(service.prepareInstalledFiles()));
        const QStringList log = service.installationLog();
        QCOMPARE(log.size(), 9);
        QCOMPARE(log[3],
                 "⚠️ Warning: Tarvik binary not found at " + root + "/TarvikService.app/Contents/MacOS/Tarvik");
        QCOMPARE(log[4], QStringLiteral("Creating default port configuration..."));
        QCOMPARE(log[5],
                 QStringLiteral("⚠️ Could not write port.txt file. The service will use its default port."));
        QCOMPARE(log[6], QStringLiteral("Writing language configuration..."));
        QVERIFY2(log[7].startsWith(u"⚠️ Could not write lang.txt file: ") && log[7].size() > 34,
                 qPrintable(log[7]));
        QCOMPARE(log[8], QStringLiteral("Files ready at: ") + root);
    }

    void missingRootWarnsAboutScripts() {
        TestHome home;
        FakePlatform platform;
        platform.home = home.path();
        InstallationService service(platform);
        service.setSelectedPort(QString());
        const QString root = paths::installRoot(home.path());
        QVERIFY(!runStep(service.prepareInstalledFiles()));
        const QStringList log = service.installationLog();
        QCOMPARE(log.mid(0, 4),
                 QStringList({"Applying permissions to Vistrel files...", "Stripping Gatekeeper Quarantine flags...",
                              "Restoring execution permissions...",
                              "⚠️ Warning: Tarvik binary not found at " + root +
                                  "/TarvikService.app/Contents/MacOS/Tarvik"}));
        // find's own complaint, which names the missing folder.
        QVERIFY2(log[4].startsWith(u"⚠️ Error setting script permissions: find: ") && log[4].contains(root),
                 qPrintable(log[4]));
        QCOMPARE(log.mid(5),
                 QStringList({"Creating default port configuration...", "Port configured to: 8090",
                              "Writing language configuration...", "Language set to: en", "Files ready at: " + root}));
    }
};

QTEST_GUILESS_MAIN(PrepareTest)
#include "tst_prepare.moc"
