// The installer's window through real installation runs: a refused port, a failed step and a
// complete installation of the demo server, each started by a click on the install button.
#include "windowrig.h"

#include "testenv.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;

namespace {

constexpr int runTimeout = 60000;

// Top of an item in window coordinates.
qreal sceneTop(QQuickItem *item) {
    return item->mapToScene(QPointF()).y();
}

} // namespace

class InstallerRunsTest : public QObject {
    Q_OBJECT

    // A window whose runs reach the service-manager stand-in and the built launcher.
    static void prepare(WindowRig &rig, const QString &origin) {
        rig.platform.launchctl = launchctlTool();
        rig.platform.defaults.insert(QStringLiteral("downloadServiceOrigin"), origin);
        rig.service->setInstallerBundlePath(installerBundle());
        rig.service->setSelectedPort(QString::number(freePort()));
    }

    static QString deadOrigin() { return QStringLiteral("http://127.0.0.1:%1").arg(freePort()); }

private slots:
    void initTestCase() {
        // Shell command lines reach the stand-in as "launchctl", as in the program.
        const QByteArray folder = QFileInfo(launchctlTool()).absolutePath().toLocal8Bit();
        qputenv("PATH", folder + ':' + qgetenv("PATH"));
    }

    void refusedPortBringsTheWelcomeScreenBack_data() {
        QTest::addColumn<QString>("port");
        QTest::newRow("zero") << "0";
        QTest::newRow("above the range") << "65536";
        QTest::newRow("far above the range") << "99999999999999999999";
    }

    void refusedPortBringsTheWelcomeScreenBack() {
        QFETCH(QString, port);
        TestHome home;
        WindowRig rig(home.path());
        QVERIFY(rig.isLoaded());
        prepare(rig, deadOrigin());
        rig.service->setSelectedPort(port);
        QQuickItem *menu = rig.find(QStringLiteral("languageMenu"));
        QVERIFY(menu->isEnabled());

        QSignalSpy finished(rig.service.get(), &InstallationService::runFinished);
        rig.click(rig.find(QStringLiteral("installButton")));
        // The run starts on the installation screen, with the language menu locked.
        QVERIFY(rig.service->isInstalling());
        QTRY_VERIFY(rig.find(QStringLiteral("installationScreen")));
        QVERIFY(!rig.find(QStringLiteral("welcomeScreen")));
        QVERIFY(!menu->isEnabled());

        QVERIFY(finished.wait(runTimeout));
        QTRY_VERIFY(rig.shows(QStringLiteral("welcomeScreen")));
        QVERIFY(!rig.find(QStringLiteral("installationScreen")));
        QTRY_VERIFY(rig.shows(QStringLiteral("errorCard")));
        QCOMPARE(rig.text(QStringLiteral("errorMessage")), QStringLiteral("Invalid."));
        QCOMPARE(rig.text(QStringLiteral("errorTitle")), rig.localization->localizedString("ui.installationError"));
        QVERIFY(sceneTop(rig.find(QStringLiteral("errorCard"))) > sceneTop(rig.find(QStringLiteral("installButton"))));
        // The options kept their values, and the language may be changed again.
        QCOMPARE(rig.text(QStringLiteral("portField")), port);
        QVERIFY(menu->isEnabled());
    }

    void failedStepKeepsTheInstallationScreen() {
        TestHome home;
        WindowRig rig(home.path());
        QVERIFY(rig.isLoaded());
        prepare(rig, deadOrigin());
        QSignalSpy finished(rig.service.get(), &InstallationService::runFinished);
        rig.click(rig.find(QStringLiteral("installButton")));
        QVERIFY(finished.wait(runTimeout));
        QVERIFY(rig.service->hasInstallationError());
        const QString error = rig.service->installationError().value();

        // The step that failed stays on screen, still turning, with the error card under it.
        QVERIFY(rig.shows(QStringLiteral("installationScreen")));
        QVERIFY(!rig.find(QStringLiteral("welcomeScreen")));
        QTRY_VERIFY(rig.shows(QStringLiteral("errorCard")));
        QCOMPARE(rig.text(QStringLiteral("errorMessage")), error);
        QVERIFY(sceneTop(rig.find(QStringLiteral("errorCard"))) > sceneTop(rig.find(QStringLiteral("logView"))) + 120);
        QCOMPARE(rig.text(QStringLiteral("stepTitle")), rig.localization->localizedString("step.downloadTarvik.title"));
        QCOMPARE(rig.text(QStringLiteral("stepDescription")),
                 rig.localization->localizedString("step.downloadTarvik.description"));
        QVERIFY(rig.find(QStringLiteral("stepSymbol"))->property("source").toString().contains("arrow.down.circle?"));
        QTRY_COMPARE(rig.find(QStringLiteral("progressBar"))->property("position").toDouble(), 1.0 / 7);
        QVERIFY(!rig.shows(QStringLiteral("openButton")));
        QVERIFY(!rig.find(QStringLiteral("languageMenu"))->isEnabled());

        QQuickItem *spinner = rig.find(QStringLiteral("stepSpinner"));
        QVERIFY(rig.shows(QStringLiteral("stepSpinner")));
        QVERIFY(spinner->property("running").toBool());
        auto *spokes = spinner->property("contentItem").value<QQuickItem *>();
        QVERIFY(spokes);
        const qreal angle = spokes->rotation();
        QTRY_VERIFY(spokes->rotation() != angle);

        // The log's last line is the failure, and the log view has followed it.
        const QStringList log = rig.service->installationLog();
        QCOMPARE(log.constLast(), QStringLiteral("❌ %1 failed: %2")
                                      .arg(rig.localization->localizedString("step.downloadTarvik.title"), error));
        QQuickItem *logView = rig.find(QStringLiteral("logView"));
        QTRY_VERIFY(logView->property("atYEnd").toBool());

        // Copy puts exactly the lines, joined by single line feeds, on the clipboard.
        rig.click(rig.find(QStringLiteral("copyButton")));
        QCOMPARE(rig.platform.clipboard, QStringList{log.join(u'\n')});
        QVERIFY(!rig.platform.clipboard.constLast().endsWith(u'\n'));
        QCOMPARE(rig.service->installationLog(), log);

        // A new line is followed; a rewritten last line (running progress) leaves the view where
        // the user put it.
        const qreal before = logView->property("contentY").toReal();
        for (int i = 0; i < 10; ++i)
            rig.service->appendLog(QStringLiteral("line %1").arg(i));
        QTRY_VERIFY(logView->property("contentY").toReal() > before && logView->property("atYEnd").toBool());
        QTest::qWait(400); // the scroll has ended
        QVERIFY(logView->property("atYEnd").toBool());
        logView->setProperty("contentY", logView->property("originY").toReal() - 7);
        QTRY_VERIFY(logView->property("atYBeginning").toBool());
        rig.service->updateLastLog(QStringLiteral("Downloaded 0.1 MB of 0.4 MB (25%)"));
        QTest::qWait(400);
        QVERIFY(logView->property("atYBeginning").toBool());
        rig.service->appendLog(QStringLiteral("last"));
        QTRY_VERIFY(logView->property("atYEnd").toBool());
        bool lastLineShown = false;
        for (QQuickItem *line : rig.findAll(QStringLiteral("logLine"))) {
            if (line->property("text").toString() == u"last" && line->isVisible()) {
                const qreal bottom = line->mapToItem(logView, QPointF(0, line->height())).y();
                lastLineShown = bottom <= logView->height() && bottom > 0;
            }
        }
        QVERIFY(lastLineShown);
    }

    void completeRunOpensTheLauncher() {
        TestHome home;
        DemoVendor vendor;
        QVERIFY(vendor.isRunning());
        WindowRig rig(home.path());
        QVERIFY(rig.isLoaded());
        prepare(rig, vendor.origin());

        // The open button exists only at the end.
        bool openButtonBeforeTheEnd = false;
        connect(rig.service.get(), &InstallationService::currentStepChanged, this, [&] {
            if (!rig.service->isComplete() && rig.shows(QStringLiteral("openButton")))
                openButtonBeforeTheEnd = true;
        });
        QSignalSpy finished(rig.service.get(), &InstallationService::runFinished);
        rig.click(rig.find(QStringLiteral("installButton")));
        QVERIFY(finished.wait(runTimeout));
        QVERIFY2(!rig.service->hasInstallationError(), qPrintable(rig.service->installationLog().join(u'\n')));
        QVERIFY(!openButtonBeforeTheEnd);

        QVERIFY(rig.service->isComplete());
        QVERIFY(rig.shows(QStringLiteral("openButton")));
        QQuickItem *open = rig.find(QStringLiteral("openButton"));
        QVERIFY(open->isEnabled());
        QVERIFY(!rig.shows(QStringLiteral("stepSpinner")));
        QVERIFY(!rig.shows(QStringLiteral("errorCard")));
        QVERIFY(
            rig.find(QStringLiteral("stepSymbol"))->property("source").toString().contains("checkmark.circle.fill"));
        QTRY_COMPARE(rig.find(QStringLiteral("progressBar"))->property("position").toDouble(), 1.0);
        QCOMPARE(rig.text(QStringLiteral("stepTitle")), rig.localization->localizedString("step.complete.title"));
        QVERIFY(!rig.find(QStringLiteral("languageMenu"))->isEnabled());
        // The button is in view (the body scrolls to it when it does not fit).
        QTRY_VERIFY(open->mapToScene(QPointF(0, open->height())).y() <= rig.window->height());

        rig.click(open);
        QCOMPARE(rig.platform.openedApplications, QStringList{QStringLiteral("com.qelvonet.tarvik.launcher")});
        QCOMPARE(rig.service->installationLog().constLast(), QStringLiteral("🚀 Opening Vistrel..."));
        QTRY_COMPARE(rig.platform.terminations, 1);
    }
};

QTEST_MAIN(InstallerRunsTest)
#include "tst_installerruns.moc"
