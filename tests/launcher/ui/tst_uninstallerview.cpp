// The uninstaller sheet over real runs in a temporary home, in every language: what it shows in
// each phase (with a picture of each), what Cancel, Copy and Close do, and a fresh service each
// time it opens.
#include "installation.h"
#include "launcherrig.h"
#include "permissions.h"

#include "common/paths.h"
#include "common/runlock.h"
#include "testenv.h"

#include <QFileInfo>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// Every item the minimal installation writes.
QStringList installedItems(const QString &home) {
    QStringList items = installation::keptItems(home);
    for (const QString &entry : installation::serverEntries())
        items << paths::installRoot(home) + u'/' + entry;
    return items << paths::launchAgentPlist(home) << paths::serverLog(home) << paths::serverErrorLog(home)
                 << paths::launcherApp(home);
}

QStringList existing(const QStringList &paths) {
    QStringList present;
    for (const QString &path : paths) {
        if (QFileInfo::exists(path))
            present << path;
    }
    return present;
}

const QStringList phaseItems{"confirmationView", "uninstallProgressView", "successCard", "uninstallErrorCard",
                             "stepSpinner"};

} // namespace

class UninstallerViewTest : public QObject {
    Q_OBJECT

private slots:
    void everyPhaseInEveryLanguage_data() { addLanguageRows(); }

    void everyPhaseInEveryLanguage() {
        QFETCH(QByteArray, languageFile);
        QFETCH(QString, folder);
        Pictures pictures = launcherPictures(folder);
        RecordingLaunchctl launchctl;
        LauncherRig rig(languageFile);
        rig.platform.launchctl = launchctl.path();
        QVERIFY(rig.load());
        QVERIFY(installation::writeMinimal(rig.home()));

        // The confirmation lists what goes; Cancel closes the sheet and removes nothing.
        QVERIFY(rig.openSheet());
        QCOMPARE(rig.shownOf(phaseItems), QStringList{"confirmationView"});
        QVERIFY(rig.isShown("confirmationItem4") && !rig.isShown("confirmationItem5"));
        pictures.take(rig.sheet(), u"uninstall-confirmation"_qs);
        QVERIFY(rig.click("cancelButton"));
        QTRY_VERIFY(!rig.sheet());
        QTest::qWait(100);
        QCOMPARE(existing(installedItems(rig.home())), installedItems(rig.home()));
        QVERIFY(launchctl.calls().isEmpty());
        QCOMPARE(rig.uninstaller->currentService(), nullptr);

        // While another run holds the home, the confirmation comes back with the refusal below it.
        QVERIFY(rig.openSheet());
        std::optional<RunLock> otherRun(std::in_place, runLockPath(rig.home()));
        QVERIFY(rig.click("confirmUninstallButton"));
        QTRY_COMPARE(rig.shownOf(phaseItems), (QStringList{"confirmationView", "uninstallErrorCard"}));
        pictures.take(rig.sheet(), u"uninstall-refused"_qs, true);
        otherRun.reset();

        // A run held in its first step: the progress replaces the confirmation at once.
        launchctl.hold(true);
        QVERIFY(rig.click("confirmUninstallButton"));
        QCOMPARE(rig.shownOf(phaseItems), (QStringList{"uninstallProgressView", "stepSpinner"}));
        pictures.take(rig.sheet(), u"uninstall-progress"_qs);
        UninstallService *service = rig.uninstaller->currentService();
        QVERIFY(service);
        launchctl.hold(false);

        // While it runs, the success card shows exactly when the step is complete, and the card
        // and the bar show the step the service publishes.
        QQuickItem *bar = rig.item("stepProgress");
        while (service->isRunning()) {
            QTest::qWait(2);
            const bool complete = service->currentStep().isComplete();
            QCOMPARE(rig.isShown("successCard"), complete);
            QCOMPARE(rig.isShown("stepSpinner"), !complete);
            QCOMPARE(bar->property("value").toDouble(), service->progress());
        }
        QVERIFY(!service->hasError());
        QCOMPARE(bar->property("value").toDouble(), bar->property("to").toDouble());
        QCOMPARE(rig.shownOf(phaseItems), (QStringList{"uninstallProgressView", "successCard"}));
        QCOMPARE(existing(installedItems(rig.home())), installation::keptItems(rig.home()));
        QCOMPARE(launchctl.calls().size(), 1);

        // Every log line is listed, and the list has followed the last one.
        const QStringList log = service->log();
        QQuickItem *logView = rig.item("logView");
        QCOMPARE(logView->property("count").toInt(), log.size());
        const QString last = QStringLiteral("logLine%1").arg(log.size() - 1);
        QTRY_COMPARE(rig.text(last), log.constLast());
        QTRY_VERIFY(QRectF(0, 0, logView->width(), logView->height())
                        .contains(rig.item(last)->mapRectToItem(logView, rig.item(last)->boundingRect())));
        pictures.take(rig.sheet(), u"uninstall-complete"_qs);

        QVERIFY(rig.click("copyLogButton"));
        QCOMPARE(rig.platform.clipboard, QStringList{log.join(u'\n')});
        QVERIFY(rig.exitRequests.isEmpty());
        QVERIFY(rig.click("closeButton"));
        QCOMPARE(rig.exitRequests, QList<int>{0});

        // A run that fails: the launch agent's folder cannot be changed. The failed step stays,
        // spinner and all; the error card says why; no way on or out.
        const PermissionsEnforced enforced;
        QVERIFY2(enforced.isActive(), "cannot make permission bits bind this process");
        QVERIFY(installation::writeMinimal(rig.home()));
        rig.sheet()->close();
        QTRY_VERIFY(!rig.sheet());
        QVERIFY(rig.openSheet());
        QVERIFY(rig.uninstaller->currentService()->log().isEmpty()); // a fresh run, not the last one
        const ReadOnlyFolder locked(QFileInfo(paths::launchAgentPlist(rig.home())).absolutePath());
        launchctl.fail();
        QVERIFY(rig.click("confirmUninstallButton"));
        service = rig.uninstaller->currentService();
        QTRY_VERIFY_WITH_TIMEOUT(!service->isRunning(), 20000);
        QVERIFY(service->hasError());
        QTRY_COMPARE(rig.shownOf(phaseItems),
                     (QStringList{"uninstallProgressView", "uninstallErrorCard", "stepSpinner"}));
        QCOMPARE(rig.text("errorMessage"), service->errorText());
        QVERIFY(!rig.isShown("cancelButton") && !rig.isShown("closeButton"));
        QVERIFY(QFileInfo::exists(paths::launcherApp(rig.home())));
        pictures.take(rig.sheet(), u"uninstall-error"_qs);
        QVERIFY2(pictures.findings.isEmpty(), qPrintable(pictures.findings.join(u'\n')));
    }

    void oneRunAtATimeAndTheNextOpeningIsFresh() {
        RecordingLaunchctl launchctl;
        LauncherRig rig;
        rig.platform.launchctl = launchctl.path();
        QVERIFY(rig.load());
        QVERIFY(installation::writeMinimal(rig.home()));
        QVERIFY(rig.openSheet());
        launchctl.hold(true);
        QVERIFY(rig.click("confirmUninstallButton"));
        QPointer<UninstallService> run = rig.uninstaller->currentService();
        QVERIFY(run && run->isRunning());
        // While it runs, neither window closes, and the menu, the shortcut and the button bring
        // up no second run.
        QVERIFY(!rig.sheet()->close());
        QVERIFY(!rig.window()->close());
        rig.controller->notifications()->postShowUninstaller();
        QTest::keySequence(rig.window(), QKeySequence(u"Ctrl+Shift+U"_qs));
        rig.click("uninstallButton");
        QCOMPARE(rig.uninstaller->newService(), run.data());
        QCOMPARE(rig.uninstaller->servicesCreated(), 1);
        launchctl.hold(false);
        QTRY_VERIFY_WITH_TIMEOUT(!run->isRunning(), 20000);
        QCOMPARE(launchctl.calls().size(), 1);
        QCOMPARE(existing(installedItems(rig.home())), installation::keptItems(rig.home()));
        rig.sheet()->close();
        QTRY_VERIFY(run.isNull()); // the next opening makes a fresh one (see everyPhaseInEveryLanguage)
    }
};

QTEST_MAIN(UninstallerViewTest)
#include "tst_uninstallerview.moc"
