// The installer's real window over the real models through real runs, each started with the
// install button: a port another program holds, a home that cannot be used, and a failed download (the first end-to-end
// road completes one). Every stage is pictured in every language under the build folder for a person to look at, with
// what a careful look catches.
#include "fakeplatform.h"
#include "pictures.h"
#include "quickitems.h"
#include "testenv.h"

#include "installer/engine/installationservice.h"
#include "installer/localization/localizationmanager.h"
#include "installer/ui/installerui.h"

#include <QQmlApplicationEngine>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Vistrel_InstallerPlugin)

using namespace vistrel;
using namespace vistrel::test;

namespace {

// The window in a fresh home, its runs pointed at the stand-ins, this download service and a free port.
struct Rig {
    explicit Rig(const QString &origin) {
        platform.home = home.path();
        platform.launchctl = launchctlTool();
        platform.defaults.insert(u"downloadServiceOrigin"_qs, origin);
        localization = std::make_unique<LocalizationManager>(platform);
        service = InstallationService::create(platform, Timing{}.scaled(10));
        service->setInstallerBundlePath(installerBundle());
        service->setSelectedPort(QString::number(freePort()));
        engine = std::make_unique<QQmlApplicationEngine>();
        window = loadInstallerWindow(*engine, *localization, *service,
                                     {installerBundle() + u"/Contents/Resources/AppIcon.png"_qs, u"1.0.0"_qs});
    }
    ~Rig() {
        engine.reset(); // the window goes before the models it shows
        service.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QQuickItem *find(const QString &name) const { return findItem(window->contentItem(), name); }
    bool shows(const QString &name) const { return isShown(find(name)); }
    QString text(const QString &name) const { return find(name)->property("text").toString(); }
    void click(const QString &name) const { clickItem(find(name)); }
    // Presses install and waits for the run's end.
    bool install() {
        QSignalSpy finished(service.get(), &InstallationService::runFinished);
        click(u"installButton"_qs);
        return !finished.isEmpty() || finished.wait(120000); // a refusal may end within the click
    }
    // The stage in every language, then back to English; the window keeps its fixed size.
    QStringList pictures(const QString &stage) {
        Pictures shots(QStringLiteral(VISTREL_SCREENSHOT_DIR), LocalizationManager::stringTable(u"en"_qs));
        for (const QString &language : LocalizationManager::supportedLanguages()) {
            localization->setCurrentLanguage(language);
            QTest::qWait(50); // slides, fades and scrolls end while the picture waits
            if (window->size() != QSize(600, 450))
                shots.findings << language + u": resized"_qs;
            shots.take(window, language + u'-' + stage, true);
        }
        localization->setCurrentLanguage(u"en"_qs);
        return shots.findings;
    }

    TestHome home;
    FakePlatform platform;
    std::unique_ptr<LocalizationManager> localization;
    std::shared_ptr<InstallationService> service;
    std::unique_ptr<QQmlApplicationEngine> engine;
    QQuickWindow *window = nullptr;
};

QString deadOrigin() {
    return QStringLiteral("http://127.0.0.1:%1").arg(freePort());
}

} // namespace

class InstallerWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(QDir().mkpath(QStringLiteral(VISTREL_SCREENSHOT_DIR))); }

    void refusedRunBringsTheWelcomeScreenBack_data() {
        QTest::addColumn<bool>("oddHome"); // else a port another program holds
        QTest::newRow("port") << false;
        QTest::newRow("home") << true;
    }
    void refusedRunBringsTheWelcomeScreenBack() {
        QFETCH(bool, oddHome);
        Rig rig(deadOrigin());
        QVERIFY(rig.window && QTest::qWaitForWindowExposed(rig.window));
        QTRY_VERIFY(rig.shows(u"appIcon"_qs)); // the bundle's own picture heads the window
        const QStringList welcome = rig.pictures(u"1-welcome"_qs);
        QVERIFY2(welcome.isEmpty(), qPrintable(welcome.join(u'\n')));
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::LocalHost));
        const QString port = QString::number(squatter.serverPort());
        rig.service->setSelectedPort(port);
        rig.platform.home += oddHome ? u"\r"_qs : QString(); // a home no path may be made from
        QVERIFY(rig.install());
        // A home that cannot be used is refused before anything runs, the port check included.
        QCOMPARE(rig.service->installationLog().isEmpty(), oddHome);
        // The options keep their values, with the error card under the install button.
        QTRY_VERIFY(rig.shows(u"welcomeScreen"_qs) && rig.shows(u"errorCard"_qs));
        QVERIFY(!rig.find(u"installationScreen"_qs));
        QCOMPARE(rig.text(u"errorMessage"_qs), rig.service->installationError().value());
        QVERIFY(rig.find(u"errorCard"_qs)->mapToScene({}).y() > rig.find(u"installButton"_qs)->mapToScene({}).y());
        QCOMPARE(rig.text(u"portField"_qs), port);
        QVERIFY(rig.find(u"languageMenu"_qs)->isEnabled());
        const QStringList refused = rig.pictures(oddHome ? u"2-refused-home"_qs : u"2-refused"_qs);
        QVERIFY2(refused.isEmpty(), qPrintable(refused.join(u'\n')));
    }

    void failedStepKeepsTheInstallationScreen() {
        Rig rig(deadOrigin()); // nothing answers at the download service's address
        QVERIFY(rig.window && QTest::qWaitForWindowExposed(rig.window));
        QVERIFY(QDir().mkpath(rig.home.path() + u"/Library/Application Support/Vistrel"_qs)); // not running
        QVERIFY(rig.install());
        const QString error = rig.service->installationError().value();
        // The failed step stays, still turning, with the error card and the language menu locked.
        QTRY_VERIFY(rig.shows(u"installationScreen"_qs) && rig.shows(u"errorCard"_qs));
        QCOMPARE(rig.text(u"errorMessage"_qs), error);
        QCOMPARE(rig.text(u"errorNote"_qs), rig.localization->localizedString("ui.restoredStopped"));
        QCOMPARE(rig.text(u"stepTitle"_qs), rig.localization->localizedString("step.downloadTarvik.title"));
        QVERIFY(rig.shows(u"stepSpinner"_qs) && !rig.shows(u"openButton"_qs));
        QVERIFY(!rig.find(u"languageMenu"_qs)->isEnabled());
        const QStringList log = rig.service->installationLog();
        QCOMPARE(log.constLast(), u"❌ %1 failed: %2"_qs.arg(rig.text(u"stepTitle"_qs), error));
        QTRY_VERIFY(rig.find(u"logView"_qs)->property("atYEnd").toBool());
        rig.click(u"copyButton"_qs);
        QCOMPARE(rig.platform.clipboard, QStringList{log.join(u'\n')});
        const QStringList failed = rig.pictures(u"5-failed"_qs);
        QVERIFY2(failed.isEmpty(), qPrintable(failed.join(u'\n')));
    }
};

QTEST_MAIN(InstallerWindowTest)
#include "tst_installerwindow.moc"
