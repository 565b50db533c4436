// Renders the installer's window in every language at each stage of a run (welcome, refused
// port, downloading, finished, failed step), saves the pictures for a person to look at, and
// checks that nothing is cut off or pushed out of the fixed window.
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

// What does not fit: texts cut short or wider than their box, and items reaching past the
// window's sides.
QStringList overflows(QQuickItem *item, const QQuickWindow *window) {
    QStringList found;
    if (!item->isVisible() || item->opacity() <= 0.0)
        return found;
    const QString name =
        item->objectName().isEmpty() ? QString::fromLatin1(item->metaObject()->className()) : item->objectName();
    if (item->inherits("QQuickText")) {
        const QString text = item->property("text").toString();
        if (item->property("truncated").toBool())
            found << name + QStringLiteral(" is cut short: ") + text;
        const bool wraps = item->property("wrapMode").toInt() != 0;
        const bool elides = item->property("elide").toInt() != 3; // Text.ElideNone
        if (!wraps && !elides && item->property("contentWidth").toReal() > item->width() + 1)
            found << name + QStringLiteral(" is wider than its box: ") + text;
    }
    if (item->width() > 0) {
        const QRectF box = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
        if (box.left() < -0.5 || box.right() > window->width() + 0.5)
            found << name + QStringLiteral(" reaches past the window's side");
    }
    for (QQuickItem *child : item->childItems())
        found << overflows(child, window);
    return found;
}

} // namespace

class InstallerScreenshotsTest : public QObject {
    Q_OBJECT

    QDir m_folder;

    void save(WindowRig &rig, const QString &language, const QString &stage) {
        QTest::qWait(500); // slides, fades and scrolls have ended
        const QImage shot = rig.grab();
        QCOMPARE(shot.size(), QSize(600, 450));
        QVERIFY(shot.save(m_folder.filePath(language + u'-' + stage + QStringLiteral(".png"))));
        const QStringList problems = overflows(rig.window->contentItem(), rig.window);
        QVERIFY2(problems.isEmpty(), qPrintable(language + u' ' + stage + u'\n' + problems.join(u'\n')));
    }

    // The installer bundle's own picture, as the program shows it.
    static InstallerAppInfo appInfo() {
        return {installerBundle() + QStringLiteral("/Contents/Resources/AppIcon.png"), QStringLiteral("1.0.0")};
    }

    static void prepare(WindowRig &rig, const QString &language, const QString &origin) {
        rig.localization->setCurrentLanguage(language);
        rig.platform.launchctl = launchctlTool();
        rig.platform.defaults.insert(QStringLiteral("downloadServiceOrigin"), origin);
        rig.service->setInstallerBundlePath(installerBundle());
        rig.service->setSelectedPort(QString::number(freePort()));
    }

private slots:
    void initTestCase() {
        const QByteArray folder = QFileInfo(launchctlTool()).absolutePath().toLocal8Bit();
        qputenv("PATH", folder + ':' + qgetenv("PATH"));
        QVERIFY(QDir().mkpath(QStringLiteral(VISTREL_SCREENSHOT_DIR)));
        m_folder.setPath(QStringLiteral(VISTREL_SCREENSHOT_DIR));
    }

    void everyStage_data() {
        QTest::addColumn<QString>("language");
        for (const QString &code : LocalizationManager::supportedLanguages())
            QTest::newRow(qPrintable(code)) << code;
    }

    void everyStage() {
        QFETCH(QString, language);
        {
            // Welcome, then refused because another program holds the port (the longest error).
            TestHome home;
            WindowRig rig(home.path(), Timing{}.scaled(10), appInfo());
            QVERIFY(rig.isLoaded());
            prepare(rig, language, QStringLiteral("http://127.0.0.1:%1").arg(freePort()));
            save(rig, language, QStringLiteral("1-welcome"));

            QTcpServer squatter;
            QVERIFY(squatter.listen(QHostAddress::LocalHost));
            rig.service->setSelectedPort(QString::number(squatter.serverPort()));
            QSignalSpy finished(rig.service.get(), &InstallationService::runFinished);
            rig.click(rig.find(QStringLiteral("installButton")));
            QVERIFY(finished.wait(runTimeout));
            QVERIFY(!rig.service->isInstalling());
            save(rig, language, QStringLiteral("2-refused"));
        }
        {
            // Downloading (the vendor sends slowly), then finished.
            TestHome home;
            DemoVendor vendor({QStringLiteral("--rate"), QStringLiteral("150000")});
            QVERIFY(vendor.isRunning());
            WindowRig rig(home.path(), Timing{}.scaled(10), appInfo());
            QVERIFY(rig.isLoaded());
            prepare(rig, language, vendor.origin());
            QSignalSpy finished(rig.service.get(), &InstallationService::runFinished);
            rig.click(rig.find(QStringLiteral("installButton")));
            QTRY_VERIFY_WITH_TIMEOUT(rig.service->installationLog().constLast().contains(QStringLiteral("(4")) ||
                                         rig.service->installationLog().constLast().contains(QStringLiteral("(5")),
                                     runTimeout);
            save(rig, language, QStringLiteral("3-downloading"));
            QVERIFY(finished.wait(runTimeout));
            QVERIFY2(rig.service->isComplete(), qPrintable(rig.service->installationLog().join(u'\n')));
            save(rig, language, QStringLiteral("4-finished"));
        }
        {
            // A step that fails: nothing answers at the download service's address.
            TestHome home;
            WindowRig rig(home.path(), Timing{}.scaled(10), appInfo());
            QVERIFY(rig.isLoaded());
            prepare(rig, language, QStringLiteral("http://127.0.0.1:%1").arg(freePort()));
            QSignalSpy finished(rig.service.get(), &InstallationService::runFinished);
            rig.click(rig.find(QStringLiteral("installButton")));
            QVERIFY(finished.wait(runTimeout));
            QVERIFY(rig.service->hasInstallationError());
            save(rig, language, QStringLiteral("5-failed"));
        }
    }
};

QTEST_MAIN(InstallerScreenshotsTest)
#include "tst_installerscreenshots.moc"
