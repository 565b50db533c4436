// Renders the main window in every state and the uninstaller in every phase, in five languages,
// saves the pictures for people to look at, and checks what a look would catch.
#include "fakeprograms.h"
#include "installation.h"
#include "launcherrig.h"
#include "permissions.h"
#include "viewchecks.h"

#include "common/paths.h"
#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;

namespace {

const QString screenshotRoot = QStringLiteral(VISTREL_SCREENSHOT_DIR);

// A launchctl stand-in on PATH for the uninstaller's shell command: it holds while a file exists,
// so a picture can be taken in the middle of a run, and fails when told (a warning line).
class HeldLaunchctl {
public:
    explicit HeldLaunchctl(const QString &folder)
        : m_hold(folder + QStringLiteral("/hold"))
        , m_fail(folder + QStringLiteral("/fail")) {
        writeScript(folder + QStringLiteral("/launchctl"),
                    "while [ -e '" + m_hold.toUtf8() +
                        "' ]; do sleep 0.02; done\n"
                        "if [ -e '" +
                        m_fail.toUtf8() +
                        "' ]; then echo 'Boot-out failed: 3: No such process'; exit 3; fi\n"
                        "exit 0\n");
        m_previousPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(folder) + ':' + m_previousPath);
    }
    ~HeldLaunchctl() {
        release();
        qputenv("PATH", m_previousPath);
    }
    void hold() { writeFile(m_hold, "hold"); }
    void release() { QFile::remove(m_hold); }
    void fail() { writeFile(m_fail, "fail"); }

private:
    QString m_hold;
    QString m_fail;
    QByteArray m_previousPath;
};

} // namespace

class LauncherScreenshotsTest : public QObject {
    Q_OBJECT

    QString m_folder;
    QStringList m_findings;

    LauncherRig::Options options(const QByteArray &languageFile) {
        LauncherRig::Options options;
        options.languageFile = languageFile;
        options.appInfo = LauncherAppInfo::fromBundle(launcherBundle());
        return options;
    }

    // allowScrolling: the state's content may be taller than the fixed window.
    void take(QQuickWindow *window, const QString &name, bool allowScrolling = false) {
        // Let bindings, layouts, pictures and the entrance animations settle.
        QTest::qWait(350);
        const QImage image = window->grabWindow();
        QVERIFY2(!image.isNull(), qPrintable(name));
        const QString path = m_folder + u'/' + name + QStringLiteral(".png");
        QVERIFY2(image.save(path), qPrintable(path));
        for (const QString &finding : rawKeysOnScreen(window))
            m_findings.append(name + QStringLiteral(": raw key ") + finding);
        for (const QString &finding : cutTexts(window))
            m_findings.append(name + QStringLiteral(": ") + finding);
        for (const QString &finding : missingSymbols(window))
            m_findings.append(name + QStringLiteral(": ") + finding);
        if (!allowScrolling) {
            for (const QString &area : scrollingAreas(window))
                m_findings.append(name + QStringLiteral(": does not fit, scrolls: ") + area);
        }
    }

    // The main window's content scrolled to its end, and a picture of that.
    void takeScrolledToEnd(LauncherRig &rig, const QString &name) {
        QQuickItem *scroller = rig.item(QStringLiteral("mainScroller"));
        QVERIFY(scroller);
        const qreal end = scroller->property("contentHeight").toReal() - scroller->height();
        scroller->setProperty("contentY", std::max<qreal>(0, end));
        take(rig.window(), name, true);
        scroller->setProperty("contentY", 0);
    }

private slots:
    void render_data() {
        QTest::addColumn<QByteArray>("languageFile");
        QTest::addColumn<QString>("folder");
        QTest::newRow("English") << QByteArray("en") << QStringLiteral("en");
        QTest::newRow("German") << QByteArray("de") << QStringLiteral("de");
        QTest::newRow("Japanese") << QByteArray("ja") << QStringLiteral("ja");
        QTest::newRow("Simplified Chinese") << QByteArray("zh-cn") << QStringLiteral("zh-Hans");
        QTest::newRow("Russian") << QByteArray("ru") << QStringLiteral("ru");
    }

    void render() {
        QFETCH(QByteArray, languageFile);
        QFETCH(QString, folder);
        m_folder = screenshotRoot + u'/' + folder;
        m_findings.clear();
        QVERIFY(QDir(m_folder).removeRecursively() || !QFileInfo::exists(m_folder));
        QVERIFY(QDir().mkpath(m_folder));

        LauncherRig rig(options(languageFile));
        QVERIFY(rig.load());
        QCOMPARE(rig.localization().currentLanguage(), folder);
        ServiceManager &manager = rig.serviceManager();
        QVERIFY(manager.isPollingActive());

        const QList<std::pair<QString, ServiceStatus>> states{
            {QStringLiteral("main-running"), ServiceStatus::running(8090)},
            {QStringLiteral("main-stopped"), ServiceStatus::stopped()},
            {QStringLiteral("main-checking"), ServiceStatus::checking()},
            {QStringLiteral("main-starting"), ServiceStatus::starting()},
            {QStringLiteral("main-stopping"), ServiceStatus::stopping()},
            {QStringLiteral("main-error"),
             ServiceStatus::error(QStringLiteral("Failed to bootstrap service. Is it installed correctly?"))},
        };
        for (const auto &[name, status] : states) {
            manager.setStatus(status);
            take(rig.window(), name);
        }

        manager.setStatus(ServiceStatus::permissionsNeeded());
        rig.platform.videoAuthorization = capture::authorized;
        rig.platform.audioAuthorization = capture::restricted;
        manager.updatePermissionStatus();
        // The panel stands in for the 50-high controls; with it the content scrolls.
        take(rig.window(), QStringLiteral("main-permissions-needed"), true);
        takeScrolledToEnd(rig, QStringLiteral("main-permissions-needed-end"));
        rig.platform.audioAuthorization = capture::authorized;
        manager.updatePermissionStatus();
        take(rig.window(), QStringLiteral("main-permissions-granted"), true);
        takeScrolledToEnd(rig, QStringLiteral("main-permissions-granted-end"));
        manager.setStatus(ServiceStatus::running(8090));

        // The application menu, open.
        QVERIFY(rig.click(QStringLiteral("appMenuButton")));
        QTRY_VERIFY(rig.isShown(QStringLiteral("uninstallMenuItem")));
        take(rig.window(), QStringLiteral("main-menu"));
        QTest::keyClick(rig.window(), Qt::Key_Escape);
        QTRY_VERIFY(!rig.isShown(QStringLiteral("uninstallMenuItem")));

        // The uninstaller over a small installation, with a launchctl that can be held.
        QVERIFY(installation::writeMinimal(rig.home()));
        QTemporaryDir tools;
        HeldLaunchctl launchctl(tools.path());
        rig.controller().notifications()->postShowUninstaller();
        QTRY_VERIFY(rig.sheet());
        QVERIFY(QTest::qWaitForWindowExposed(rig.sheet()));
        take(rig.sheet(), QStringLiteral("uninstall-confirmation"));

        launchctl.hold();
        QVERIFY(rig.click(QStringLiteral("confirmUninstallButton")));
        QTRY_VERIFY(rig.isShown(QStringLiteral("uninstallProgressView")));
        take(rig.sheet(), QStringLiteral("uninstall-progress"));
        launchctl.release();
        UninstallService *service = rig.uninstaller().currentService();
        QVERIFY(service);
        QTRY_VERIFY_WITH_TIMEOUT(!service->isRunning(), 20000);
        QVERIFY(!service->hasError());
        take(rig.sheet(), QStringLiteral("uninstall-complete"));

        // A run that fails: the launch agent's folder cannot be changed.
        {
            const PermissionsEnforced enforced;
            if (enforced.isActive()) {
                QVERIFY(installation::writeMinimal(rig.home()));
                // A fresh sheet.
                rig.sheet()->close();
                QTRY_VERIFY(!rig.sheet());
                rig.controller().notifications()->postShowUninstaller();
                QTRY_VERIFY(rig.sheet());
                const ReadOnlyFolder locked(QFileInfo(paths::launchAgentPlist(rig.home())).absolutePath());
                launchctl.fail();
                QVERIFY(rig.click(QStringLiteral("confirmUninstallButton")));
                UninstallService *failing = rig.uninstaller().currentService();
                QTRY_VERIFY_WITH_TIMEOUT(!failing->isRunning(), 20000);
                QVERIFY(failing->hasError());
                take(rig.sheet(), QStringLiteral("uninstall-error"));
            } else {
                m_findings.append(QStringLiteral("uninstall-error: not rendered (permissions cannot bind)"));
            }
        }

        QVERIFY2(m_findings.isEmpty(), qPrintable(m_findings.join(u'\n')));
    }

    void renderWithoutIconPicture() {
        m_folder = screenshotRoot + QStringLiteral("/en");
        m_findings.clear();
        QVERIFY(QDir().mkpath(m_folder));
        LauncherRig rig; // a bundle without a picture: the header's symbol
        QVERIFY(rig.load());
        QVERIFY(rig.isShown(QStringLiteral("fallbackSymbol")));
        take(rig.window(), QStringLiteral("main-without-icon-picture"));
        QVERIFY2(m_findings.isEmpty(), qPrintable(m_findings.join(u'\n')));
    }
};

QTEST_MAIN(LauncherScreenshotsTest)
#include "tst_launcherscreenshots.moc"
