#include "installer/engine/downloadprogressdelegate.h"
#include "installer/engine/installationservice.h"
#include "installer/engine/packageentries.h"
#include "installer/localization/localizationmanager.h"

#include "fakeplatform.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

using namespace vistrel;
using vistrel::test::FakePlatform;

class InstallationStateTest : public QObject {
    Q_OBJECT

private slots:
    void initialState() {
        FakePlatform platform;
        InstallationService service(platform);
        QCOMPARE(service.currentStep(), InstallationStep::stopServices);
        QVERIFY(!service.isInstalling());
        QCOMPARE(service.installationProgress(), 0.0);
        QVERIFY(service.installationLog().isEmpty());
        QVERIFY(!service.installationError());
        QVERIFY(!service.useBetaVersion());
        QCOMPARE(service.selectedPort(), QStringLiteral("8090"));
        QVERIFY(!service.finalPort());
        // Absent values are undefined for the views, not empty texts or zero.
        QVERIFY(!service.property("installationError").isValid());
        QVERIFY(!service.property("finalPort").isValid());
    }

    void logOperations() {
        FakePlatform platform;
        InstallationService service(platform);
        QSignalSpy changed(&service, &InstallationService::installationLogChanged);

        service.updateLastLog(QStringLiteral("only"));
        QCOMPARE(service.installationLog(), QStringList{"only"});

        service.appendLog(QStringLiteral("two"));
        service.appendLog(QStringLiteral("three"));
        service.updateLastLog(QStringLiteral("3 replaced"));
        QCOMPARE(service.installationLog(), QStringList({"only", "two", "3 replaced"}));
        QCOMPARE(changed.count(), 4);

        service.copyLogToPasteboard();
        QCOMPARE(platform.clipboard, QStringList{"only\ntwo\n3 replaced"});
    }

    void copyOfEmptyLogIsEmptyText() {
        FakePlatform platform;
        InstallationService service(platform);
        service.copyLogToPasteboard();
        QCOMPARE(platform.clipboard, QStringList{QString()});
    }

    void optionsKeepWhatTheUserTyped() {
        FakePlatform platform;
        InstallationService service(platform);
        QSignalSpy portChanged(&service, &InstallationService::selectedPortChanged);
        QSignalSpy betaChanged(&service, &InstallationService::useBetaVersionChanged);
        QVERIFY(service.setProperty("selectedPort", QString()));
        QVERIFY(service.setProperty("useBetaVersion", true));
        QVERIFY(service.setProperty("useBetaVersion", true));
        QCOMPARE(service.selectedPort(), QString());
        QVERIFY(service.useBetaVersion());
        QCOMPARE(portChanged.count(), 1);
        QCOMPARE(betaChanged.count(), 1);
    }

    void stepKeysAndSymbols_data() {
        QTest::addColumn<InstallationStep>("step");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caseName");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("englishTitle");
        QTest::newRow("0") << InstallationStep::stopServices << 0 << "stopServices"
                           << "stop.circle"
                           << "Preparing Service Cleanup";
        QTest::newRow("1") << InstallationStep::downloadTarvik << 1 << "downloadTarvik"
                           << "arrow.down.circle"
                           << "Downloading Vistrel";
        QTest::newRow("2") << InstallationStep::installTarvik << 2 << "installTarvik"
                           << "archivebox.fill"
                           << "Installing Vistrel";
        QTest::newRow("3") << InstallationStep::installLauncher << 3 << "installLauncher"
                           << "app.badge"
                           << "Installing Launcher App";
        QTest::newRow("4") << InstallationStep::setupService << 4 << "setupService"
                           << "gearshape"
                           << "Configuring Service";
        QTest::newRow("5") << InstallationStep::verifyService << 5 << "verifyService"
                           << "network"
                           << "Verifying Service";
        QTest::newRow("6") << InstallationStep::complete << 6 << "complete"
                           << "checkmark.circle.fill"
                           << "Ready to Launch";
    }
    void stepKeysAndSymbols() {
        QFETCH(InstallationStep, step);
        QFETCH(int, index);
        QFETCH(QString, caseName);
        QFETCH(QString, symbol);
        QFETCH(QString, englishTitle);
        QCOMPARE(stepIndex(step), index);
        QCOMPARE(allInstallationSteps[std::size_t(index)], step);
        QCOMPARE(stepTitleKey(step), "step." + caseName + ".title");
        QCOMPARE(stepDescriptionKey(step), "step." + caseName + ".description");
        QCOMPARE(stepSymbol(step), symbol);

        FakePlatform platform;
        platform.languages = {QStringLiteral("en-GB")};
        LocalizationManager localization(platform);
        QCOMPARE(stepTitle(step, localization), englishTitle);
        // Every language has a title and a description for every step.
        for (const QString &code : LocalizationManager::supportedLanguages()) {
            localization.setCurrentLanguage(code);
            QVERIFY(stepTitle(step, localization) != stepTitleKey(step));
            QVERIFY(stepDescription(step, localization) != stepDescriptionKey(step));
        }
    }

    void stepTitleFallsBackToTheKey() {
        // A table without the key: the lookup answers the key itself.
        FakePlatform platform;
        LocalizationManager localization(platform);
        QCOMPARE(lookupText(StringTable{{"other", "x"}}, stepTitleKey(InstallationStep::setupService)),
                 QStringLiteral("step.setupService.title"));
        localization.setCurrentLanguage(QStringLiteral("ja"));
        QCOMPARE(stepTitle(InstallationStep::complete, localization), QStringLiteral("起動準備完了"));
    }

    void viewsReachTheStateFromQml() {
        qmlRegisterUncreatableMetaObject(installation::staticMetaObject, "Vistrel.EngineTest", 1, 0, "InstallationStep",
                                         QStringLiteral("an enumeration"));
        FakePlatform platform;
        InstallationService service(platform);
        QQmlEngine engine;
        engine.rootContext()->setContextProperty(QStringLiteral("service"), &service);
        QQmlComponent component(&engine);
        component.setData(R"(
            import QtQml
            import Vistrel.EngineTest
            QtObject {
                property string titleKey: service.currentStepTitleKey
                property string symbol: service.currentStepSymbol
                property bool complete: service.isComplete
                property string doneSymbol: service.stepSymbol(InstallationStep.InstallationStep.complete)
                property string description: service.stepDescriptionKey(5)
                property string outside: service.stepSymbol(7)
                property bool atStart: service.currentStep === InstallationStep.InstallationStep.stopServices
                property bool noError: service.installationError === undefined && !service.hasInstallationError
                property bool noPort: service.finalPort === undefined && !service.hasFinalPort
                property int lines: service.installationLog.length
            })",
                          QUrl());
        std::unique_ptr<QObject> view(component.create());
        QVERIFY2(view, qPrintable(component.errorString()));
        QCOMPARE(view->property("titleKey").toString(), QStringLiteral("step.stopServices.title"));
        QCOMPARE(view->property("symbol").toString(), QStringLiteral("stop.circle"));
        QVERIFY(!view->property("complete").toBool());
        QCOMPARE(view->property("doneSymbol").toString(), QStringLiteral("checkmark.circle.fill"));
        QCOMPARE(view->property("description").toString(), QStringLiteral("step.verifyService.description"));
        QCOMPARE(view->property("outside").toString(), QString());
        QVERIFY(view->property("atStart").toBool());
        QVERIFY(view->property("noError").toBool());
        QVERIFY(view->property("noPort").toBool());
        service.appendLog(QStringLiteral("a line"));
        QCOMPARE(view->property("lines").toInt(), 1);
    }

    void progressText_data() {
        QTest::addColumn<qint64>("written");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("text");
        QTest::newRow("half") << qint64(5242880) << qint64(10485760) << "Downloaded 5.0 MB of 10.0 MB (50%)";
        QTest::newRow("start") << qint64(0) << qint64(10485760) << "Downloaded 0.0 MB of 10.0 MB (0%)";
        QTest::newRow("truncated percent") << qint64(1048575) << qint64(1048576) << "Downloaded 1.0 MB of 1.0 MB (99%)";
        QTest::newRow("done") << qint64(104857600) << qint64(104857600) << "Downloaded 100.0 MB of 100.0 MB (100%)";
        QTest::newRow("one byte") << qint64(1) << qint64(1) << "Downloaded 0.0 MB of 0.0 MB (100%)";
        QTest::newRow("unknown size") << qint64(4096) << qint64(-1) << QString();
        QTest::newRow("zero size") << qint64(0) << qint64(0) << QString();
    }
    void progressText() {
        QFETCH(qint64, written);
        QFETCH(qint64, expected);
        QFETCH(QString, text);
        QCOMPARE(DownloadProgressDelegate::progressText(written, expected).value_or(QString()), text);
    }

    void downloadLocationCleanup_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("location");
        QTest::newRow("quoted with line break") << "\"http://h/p.zip\"\n"
                                                << "http://h/p.zip";
        QTest::newRow("mixed quotes and blanks") << "  \r\n'\"'http://h/p.zip\"'  \t"
                                                 << "http://h/p.zip";
        QTest::newRow("quotes inside stay") << "http://h/a'b\".zip"
                                            << "http://h/a'b\".zip";
        QTest::newRow("blanks inside quotes stay") << "\" http://h/p.zip \""
                                                   << " http://h/p.zip ";
        QTest::newRow("only quotes") << "'\"''"
                                     << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void downloadLocationCleanup() {
        QFETCH(QString, body);
        QFETCH(QString, location);
        QCOMPARE(InstallationService::cleanDownloadLocation(body), location);
    }

    void downloadableUrls_data() {
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("downloadable");
        QTest::newRow("https") << "https://cdn.example/p/Tarvik.zip?x=1" << true;
        QTest::newRow("http with port") << "http://127.0.0.1:8080/package.zip" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("words") << "not a url" << false;
        QTest::newRow("relative") << "/package.zip" << false;
        QTest::newRow("other scheme") << "file:///etc/passwd" << false;
        QTest::newRow("no host") << "http:///package.zip" << false;
        QTest::newRow("blank inside") << "http://h/a b.zip" << false;
        QTest::newRow("leading blank") << " http://h/p.zip" << false;
    }
    void downloadableUrls() {
        QFETCH(QString, location);
        QFETCH(bool, downloadable);
        QCOMPARE(InstallationService::isDownloadableUrl(location), downloadable);
    }

    void downloadServiceOrigin() {
        FakePlatform platform;
        InstallationService service(platform);
        QCOMPARE(service.downloadServiceOrigin(), QStringLiteral(VISTREL_DOWNLOAD_SERVICE_ORIGIN));
        platform.defaults.insert(QStringLiteral("downloadServiceOrigin"), QStringLiteral("http://127.0.0.1:4321/"));
        QCOMPARE(service.downloadLocationUrl(QStringLiteral("OSXARM64"), true).toString(),
                 QStringLiteral("http://127.0.0.1:4321/api/Tarvik/DownloadLocation5?platform=OSXARM64&useVersion=0&"
                                "useBeta=true"));
        QCOMPARE(service.downloadLocationUrl(QStringLiteral("OSX64"), false).query(),
                 QStringLiteral("platform=OSX64&useVersion=0&useBeta=false"));
    }

    void serverLanguageCodes_data() {
        QTest::addColumn<QString>("installer");
        QTest::addColumn<QString>("server");
        for (const char *same : {"en", "es", "fr", "de", "it", "pt", "ja", "ru"})
            QTest::newRow(same) << same << same;
        QTest::newRow("zh-Hans") << "zh-Hans"
                                 << "zh-cn";
        QTest::newRow("zh-Hant") << "zh-Hant"
                                 << "zh-tw";
        QTest::newRow("zh") << "zh"
                            << "en";
        QTest::newRow("upper case") << "DE"
                                    << "en";
        QTest::newRow("empty") << ""
                               << "en";
    }
    void serverLanguageCodes() {
        QFETCH(QString, installer);
        QFETCH(QString, server);
        QCOMPARE(InstallationService::serverLanguageCodeFor(installer), server);
    }

    void serverLanguageFollowsTheStoredChoice() {
        FakePlatform platform;
        platform.languages = {QStringLiteral("ja-JP")};
        InstallationService service(platform);
        QCOMPARE(service.serverLanguageCode(), QStringLiteral("ja"));
        LocalizationManager(platform).setCurrentLanguage(QStringLiteral("zh-Hans"));
        QCOMPARE(service.serverLanguageCode(), QStringLiteral("zh-cn"));
    }

    void zipListing() {
        const QByteArray listing = "Archive:  /tmp/x.zip\n"
                                   "Zip file size: 641 bytes, number of entries: 4\n"
                                   "-rw-r--r--  3.0 unx        2 tx stor 20240101.120000 ok.txt\n"
                                   "drwxr-xr-x  3.0 unx        0 bx stor 20240101.120000 a b/\n"
                                   "-rw-r--r--  3.0 unx        3 tx defN 20240101.120000 a b/ two  spaces.txt\n"
                                   "lrwxrwxrwx  3.0 unx        5 bx stor 19800101.000000 link\n"
                                   "4 files, 10 bytes uncompressed, 10 bytes compressed:  0.0%\n";
        const auto entries = parseZipListing(listing);
        QVERIFY(entries);
        QCOMPARE(entries->size(), 4);
        QCOMPARE(entries->at(2).name, QByteArray("a b/ two  spaces.txt"));
        QVERIFY(!entries->at(2).isSymlink);
        QCOMPARE(entries->at(3).name, QByteArray("link"));
        QVERIFY(entries->at(3).isSymlink);

        // A listing that does not show every declared entry (a name with a line break) is refused.
        QByteArray hidden = listing;
        hidden.replace("number of entries: 4", "number of entries: 5");
        QVERIFY(!parseZipListing(hidden));
        QVERIFY(!parseZipListing("garbage"));
    }

    void entriesThatLeaveTheRoot_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("inside");
        QTest::newRow("plain") << QByteArray("TarvikService.app/Contents/MacOS/Tarvik") << true;
        QTest::newRow("dots in names") << QByteArray("a/..b/c../...") << true;
        QTest::newRow("folder") << QByteArray("Media/") << true;
        QTest::newRow("parent") << QByteArray("../outside.txt") << false;
        QTest::newRow("climbing back") << QByteArray("a/../../outside.txt") << false;
        QTest::newRow("inner parent") << QByteArray("a/../b.txt") << false;
        QTest::newRow("absolute") << QByteArray("/etc/cron.d/x") << false;
        QTest::newRow("backslashes") << QByteArray("a\\..\\..\\x") << false;
        QTest::newRow("trailing parent") << QByteArray("a/..") << false;
    }
    void entriesThatLeaveTheRoot() {
        QFETCH(QByteArray, name);
        QFETCH(bool, inside);
        QCOMPARE(entryStaysInside(name), inside);
    }

    void linksThatLeaveTheRoot_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<bool>("inside");
        QTest::newRow("sibling") << QByteArray("F.framework/Current") << QByteArray("A") << true;
        QTest::newRow("up within") << QByteArray("a/b/link") << QByteArray("../../x") << true;
        QTest::newRow("up and down") << QByteArray("a/link") << QByteArray("./../a/./b") << true;
        QTest::newRow("one too far") << QByteArray("a/b/link") << QByteArray("../../../x") << false;
        QTest::newRow("top level up") << QByteArray("link") << QByteArray("..") << false;
        QTest::newRow("down then out") << QByteArray("link") << QByteArray("a/../../x") << false;
        QTest::newRow("absolute") << QByteArray("a/link") << QByteArray("/home") << false;
        QTest::newRow("empty") << QByteArray("link") << QByteArray() << false;
    }
    void linksThatLeaveTheRoot() {
        QFETCH(QByteArray, entry);
        QFETCH(QByteArray, target);
        QFETCH(bool, inside);
        QCOMPARE(linkStaysInside(entry, target), inside);
    }

    void unzipPatternsMatchOnlyTheName() {
        QCOMPARE(unzipLiteralPattern("a[1]*?.sh"), QStringLiteral("a\\[1\\]\\*\\?.sh"));
        QCOMPARE(unzipLiteralPattern("plain/name"), QStringLiteral("plain/name"));
    }
};

QTEST_GUILESS_MAIN(InstallationStateTest)
#include "tst_installationstate.moc"
