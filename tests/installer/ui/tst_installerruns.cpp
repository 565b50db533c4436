// The installer's window through real runs in every language, each started by a click on the
// install button: a port another program holds, a failed step and a complete installation of the
// demo server. A picture of each stage lands under the build folder for a person to look at, and
// nothing may be cut off or pushed out of the fixed window.
#include "windowrig.h"

#include "testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;

namespace {

constexpr int runTimeout = 120000;

qreal sceneTop(QQuickItem *item) {
    return item->mapToScene(QPointF()).y();
}

// What does not fit: texts cut short or wider than their box, and items reaching past the
// window's sides.
QStringList overflows(QQuickItem *item, const QQuickWindow *window) {
    QStringList found;
    if (!item->isVisible() || item->opacity() <= 0.0)
        return found;
    const QString name =
        item->objectName().isEmpty() ? QString::fromLatin1(item->metaObject()->className()) : item->objectName();
    const QString text = item->property("text").toString();
    if (item->inherits("QQuickText") && item->property("truncated").toBool())
        found << name + u" is cut short: "_qs + text;
    const bool wraps = item->property("wrapMode").toInt() != 0;
    const bool elides = item->property("elide").toInt() != 3; // Text.ElideNone
    if (item->inherits("QQuickText") && !wraps && !elides &&
        item->property("contentWidth").toReal() > item->width() + 1)
        found << name + u" is wider than its box: "_qs + text;
    const QRectF box = item->mapRectToScene(item->boundingRect());
    if (item->width() > 0 && (box.left() < -0.5 || box.right() > window->width() + 0.5))
        found << name + u" reaches past the window's side"_qs;
    for (QQuickItem *child : item->childItems())
        found << overflows(child, window);
    return found;
}

} // namespace

class InstallerRunsTest : public QObject {
    Q_OBJECT

    QString m_language;

    // A window in the row's language whose runs reach the stand-ins and this download service.
    bool prepare(WindowRig &rig, const QString &origin) {
        QFETCH(QString, language);
        m_language = language;
        if (!rig.window)
            return false;
        rig.localization->setCurrentLanguage(language);
        rig.prepareRuns(origin);
        // The bundle's own picture heads the window.
        return QTest::qWaitFor([&] { return rig.shows(u"appIcon"_qs) && !rig.shows(u"appIconBadge"_qs); });
    }

    static QString deadOrigin() { return QStringLiteral("http://127.0.0.1:%1").arg(freePort()); }
    static InstallerAppInfo appInfo() {
        return {installerBundle() + QStringLiteral("/Contents/Resources/AppIcon.png"), QStringLiteral("1.0.0")};
    }

    void picture(WindowRig &rig, const QString &stage) {
        QTest::qWait(500); // slides, fades and scrolls have ended
        const QImage shot = rig.window->grabWindow();
        QCOMPARE(shot.size(), QSize(600, 450));
        QVERIFY(shot.save(QStringLiteral(VISTREL_SCREENSHOT_DIR "/%1-%2.png").arg(m_language, stage)));
        const QStringList problems = overflows(rig.window->contentItem(), rig.window);
        QVERIFY2(problems.isEmpty(), qPrintable(m_language + u' ' + stage + u'\n' + problems.join(u'\n')));
    }

    static void languages() {
        QTest::addColumn<QString>("language");
        for (const QString &code : LocalizationManager::supportedLanguages())
            QTest::newRow(qPrintable(code)) << code;
    }

private slots:
    void initTestCase() {
        // Shell command lines reach the stand-in as "launchctl", as in the program.
        const QByteArray folder = QFileInfo(launchctlTool()).absolutePath().toLocal8Bit();
        qputenv("PATH", folder + ':' + qgetenv("PATH"));
        QVERIFY(QDir().mkpath(QStringLiteral(VISTREL_SCREENSHOT_DIR)));
    }

    void refusedPortBringsTheWelcomeScreenBack_data() { languages(); }
    void refusedPortBringsTheWelcomeScreenBack() {
        TestHome home;
        WindowRig rig(home.path(), appInfo());
        QVERIFY(prepare(rig, deadOrigin()));
        picture(rig, u"1-welcome"_qs);
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::LocalHost));
        const QString port = QString::number(squatter.serverPort());
        rig.service->setSelectedPort(port);
        QQuickItem *menu = rig.find(u"languageMenu"_qs);
        QVERIFY(menu->isEnabled());

        QSignalSpy finished(rig.service.get(), &InstallationService::runFinished);
        rig.click(u"installButton"_qs);
        // The run starts on the installation screen, with the language menu locked.
        QVERIFY(rig.service->isInstalling());
        QTRY_VERIFY(rig.find(u"installationScreen"_qs));
        QVERIFY(!rig.find(u"welcomeScreen"_qs));
        QVERIFY(!menu->isEnabled());

        // Refused: the welcome screen and the error card under it; the options kept their values,
        // and the language may be changed again.
        QVERIFY(finished.wait(runTimeout));
        QTRY_VERIFY(rig.shows(u"welcomeScreen"_qs));
        QVERIFY(!rig.find(u"installationScreen"_qs));
        QTRY_VERIFY(rig.shows(u"errorCard"_qs));
        QCOMPARE(rig.text(u"errorMessage"_qs), rig.service->installationError().value());
        QCOMPARE(rig.text(u"errorTitle"_qs), rig.localization->localizedString("ui.installationError"));
        QVERIFY(sceneTop(rig.find(u"errorCard"_qs)) > sceneTop(rig.find(u"installButton"_qs)));
        QCOMPARE(rig.text(u"portField"_qs), port);
        QVERIFY(menu->isEnabled());
        picture(rig, u"2-refused"_qs);
    }

    void failedStepKeepsTheInstallationScreen_data() { languages(); }
    void failedStepKeepsTheInstallationScreen() {
        TestHome home;
        WindowRig rig(home.path(), appInfo());
        QVERIFY(prepare(rig, deadOrigin())); // nothing answers at the download service's address
        QSignalSpy finished(rig.service.get(), &InstallationService::runFinished);
        rig.click(u"installButton"_qs);
        QVERIFY(finished.wait(runTimeout));
        QVERIFY(rig.service->hasInstallationError());
        const QString error = rig.service->installationError().value();

        // The step that failed stays on screen, still turning, with the error card under it.
        QVERIFY(rig.shows(u"installationScreen"_qs));
        QVERIFY(!rig.find(u"welcomeScreen"_qs));
        QTRY_VERIFY(rig.shows(u"errorCard"_qs));
        QCOMPARE(rig.text(u"errorMessage"_qs), error);
        QVERIFY(sceneTop(rig.find(u"errorCard"_qs)) > sceneTop(rig.find(u"logView"_qs)) + 120);
        const QString title = rig.localization->localizedString("step.downloadTarvik.title");
        QCOMPARE(rig.text(u"stepTitle"_qs), title);
        QCOMPARE(rig.text(u"stepDescription"_qs), rig.localization->localizedString("step.downloadTarvik.description"));
        QVERIFY(rig.find(u"stepSymbol"_qs)->property("source").toString().contains(u"arrow.down.circle?"));
        QTRY_COMPARE(rig.find(u"progressBar"_qs)->property("position").toDouble(), 1.0 / 7);
        QVERIFY(!rig.shows(u"openButton"_qs));
        QVERIFY(!rig.find(u"languageMenu"_qs)->isEnabled());
        QVERIFY(rig.shows(u"stepSpinner"_qs));
        auto *spokes = rig.find(u"stepSpinner"_qs)->property("contentItem").value<QQuickItem *>();
        QVERIFY(spokes);
        const qreal angle = spokes->rotation();
        QTRY_VERIFY(spokes->rotation() != angle);

        // The log's last line is the failure, and the log view has followed it.
        const QStringList log = rig.service->installationLog();
        QCOMPARE(log.constLast(), u"❌ %1 failed: %2"_qs.arg(title, error));
        QQuickItem *logView = rig.find(u"logView"_qs);
        QTRY_VERIFY(logView->property("atYEnd").toBool());
        picture(rig, u"5-failed"_qs);

        // Copy puts exactly the lines, joined by single line feeds, on the clipboard.
        rig.click(u"copyButton"_qs);
        QCOMPARE(rig.platform.clipboard, QStringList{log.join(u'\n')});

        // A new line is followed; a rewritten last line (running progress) leaves the view where
        // the user put it.
        for (int i = 0; i < 10; ++i)
            rig.service->appendLog(QStringLiteral("line %1").arg(i));
        QTRY_VERIFY(logView->property("atYEnd").toBool());
        QTest::qWait(400); // the scroll has ended
        logView->setProperty("contentY", logView->property("originY").toReal() - 7);
        QTRY_VERIFY(logView->property("atYBeginning").toBool());
        rig.service->updateLastLog(u"Downloaded 0.1 MB of 0.4 MB (25%)"_qs);
        QTest::qWait(400);
        QVERIFY(logView->property("atYBeginning").toBool());
        rig.service->appendLog(u"last"_qs);
        QTRY_VERIFY(logView->property("atYEnd").toBool());
    }

    void completeRunOpensTheLauncher_data() { languages(); }
    void completeRunOpensTheLauncher() {
        TestHome home;
        DemoVendor vendor({QStringLiteral("--rate"), QStringLiteral("150000")}); // sends slowly
        QVERIFY(vendor.isRunning());
        WindowRig rig(home.path(), appInfo());
        QVERIFY(prepare(rig, vendor.origin()));

        // The open button exists only at the end.
        bool openButtonBeforeTheEnd = false;
        connect(rig.service.get(), &InstallationService::currentStepChanged, this,
                [&] { openButtonBeforeTheEnd |= !rig.service->isComplete() && rig.shows(u"openButton"_qs); });
        QSignalSpy finished(rig.service.get(), &InstallationService::runFinished);
        rig.click(u"installButton"_qs);
        QTRY_VERIFY_WITH_TIMEOUT(rig.service->installationLog().constLast().contains(u"(4") ||
                                     rig.service->installationLog().constLast().contains(u"(5"),
                                 runTimeout);
        picture(rig, u"3-downloading"_qs);
        QVERIFY(finished.wait(runTimeout));
        QVERIFY2(rig.service->isComplete(), qPrintable(rig.service->installationLog().join(u'\n')));
        QVERIFY(!openButtonBeforeTheEnd);

        QQuickItem *open = rig.find(u"openButton"_qs);
        QVERIFY(rig.shows(u"openButton"_qs) && open->isEnabled());
        QVERIFY(!rig.shows(u"stepSpinner"_qs));
        QVERIFY(!rig.shows(u"errorCard"_qs));
        QVERIFY(rig.find(u"stepSymbol"_qs)->property("source").toString().contains(u"checkmark.circle.fill"));
        QTRY_COMPARE(rig.find(u"progressBar"_qs)->property("position").toDouble(), 1.0);
        QCOMPARE(rig.text(u"stepTitle"_qs), rig.localization->localizedString("step.complete.title"));
        QVERIFY(!rig.find(u"languageMenu"_qs)->isEnabled());
        // The button is in view (the body scrolls to it when it does not fit).
        QTRY_VERIFY(open->mapToScene(QPointF(0, open->height())).y() <= rig.window->height());
        picture(rig, u"4-finished"_qs);

        rig.click(open);
        QCOMPARE(rig.platform.openedApplications, QStringList{u"com.qelvonet.tarvik.launcher"_qs});
        QCOMPARE(rig.service->installationLog().constLast(), u"🚀 Opening Vistrel..."_qs);
        QTRY_COMPARE(rig.platform.terminations, 1);
    }
};

QTEST_MAIN(InstallerRunsTest)
#include "tst_installerruns.moc"
