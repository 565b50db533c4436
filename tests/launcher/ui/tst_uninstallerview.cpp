// The uninstaller sheet over a real run in a temporary home: what it shows in each phase, what
// Cancel, Copy and Close do, and a fresh service each time it opens.
#include "fakeprograms.h"
#include "installation.h"
#include "launcherrig.h"
#include "permissions.h"

#include "common/paths.h"
#include "testenv.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test;

namespace {

// A launchctl on PATH for the uninstaller's shell command; it records its arguments.
class RecordingLaunchctl {
public:
    RecordingLaunchctl() {
        m_log = m_folder.path() + QStringLiteral("/calls");
        writeScript(m_folder.path() + QStringLiteral("/launchctl"), "echo \"$*\" >> '" + m_log.toUtf8() + "'\n");
        m_previousPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_folder.path()) + ':' + m_previousPath);
    }
    ~RecordingLaunchctl() { qputenv("PATH", m_previousPath); }
    QStringList calls() const {
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_folder;
    QString m_log;
    QByteArray m_previousPath;
};

QStringList existing(const QStringList &paths) {
    QStringList present;
    for (const QString &path : paths) {
        if (QFileInfo::exists(path))
            present.append(path);
    }
    return present;
}

// Every item the minimal installation writes.
QStringList installedItems(const QString &home) {
    const QString root = paths::installRoot(home);
    QStringList items = installation::keptItems(home);
    for (const QString &entry : installation::serverEntries())
        items.append(root + u'/' + entry);
    items << paths::launchAgentPlist(home) << paths::serverLog(home) << paths::serverErrorLog(home)
          << paths::launcherApp(home);
    return items;
}

const QStringList phaseItems{QStringLiteral("confirmationView"), QStringLiteral("uninstallProgressView"),
                             QStringLiteral("successCard"), QStringLiteral("uninstallErrorCard"),
                             QStringLiteral("stepSpinner")};

} // namespace

class UninstallerViewTest : public QObject {
    Q_OBJECT

    RecordingLaunchctl *m_launchctl = nullptr;

    bool openSheet(LauncherRig &rig) {
        rig.controller().notifications()->postShowUninstaller();
        return QTest::qWaitFor([&] { return rig.sheet() != nullptr; }) && QTest::qWaitForWindowExposed(rig.sheet());
    }

private slots:
    void init() { m_launchctl = new RecordingLaunchctl; }
    void cleanup() {
        delete m_launchctl;
        m_launchctl = nullptr;
    }

    void confirmationListsWhatGoes() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(openSheet(rig));
        QCOMPARE(rig.shownOf(phaseItems), QStringList{"confirmationView"});
        QCOMPARE(rig.text(QStringLiteral("uninstallerTitleLabel")), QStringLiteral("Uninstall Vistrel"));
        QCOMPARE(rig.text(QStringLiteral("confirmationTitleLabel")),
                 QStringLiteral("Are you sure you want to uninstall Vistrel?"));
        QStringList rows;
        for (int i = 0; i < 6; ++i) {
            if (rig.isShown(QStringLiteral("confirmationItem%1").arg(i)))
                rows.append(rig.text(QStringLiteral("confirmationItem%1Label").arg(i)));
        }
        QCOMPARE(rows, (QStringList{"Stop the running service", "Remove launch agent configuration",
                                    "Delete application files", "Remove launcher app", "Clean up log files"}));
        QCOMPARE(rig.text(QStringLiteral("cancelButton")), QStringLiteral("Cancel"));
        QCOMPARE(rig.text(QStringLiteral("confirmUninstallButton")), QStringLiteral("Uninstall Vistrel"));
    }

    void cancelClosesAndRemovesNothing() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(installation::writeMinimal(rig.home()));
        const QStringList before = existing(installedItems(rig.home()));
        QCOMPARE(before, installedItems(rig.home()));
        QVERIFY(openSheet(rig));

        QVERIFY(rig.click(QStringLiteral("cancelButton")));
        QTRY_VERIFY(!rig.sheet());
        QTest::qWait(100);
        QCOMPARE(existing(installedItems(rig.home())), before);
        QVERIFY(m_launchctl->calls().isEmpty());
        QCOMPARE(rig.uninstaller().currentService(), nullptr);
        // The main window is usable again.
        QVERIFY(rig.isShown(QStringLiteral("uninstallButton")));
    }

    void everyOpeningHasAFreshService() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(openSheet(rig));
        QVERIFY(rig.click(QStringLiteral("confirmUninstallButton")));
        UninstallService *first = rig.uninstaller().currentService();
        QTRY_VERIFY_WITH_TIMEOUT(!first->isRunning(), 20000);
        QVERIFY(!first->log().isEmpty());
        rig.sheet()->close();
        QTRY_VERIFY(!rig.sheet());

        QVERIFY(openSheet(rig));
        QCOMPARE(rig.uninstaller().servicesCreated(), 2);
        UninstallService *second = rig.uninstaller().currentService();
        QVERIFY(second->log().isEmpty());
        QCOMPARE(second->currentStep().value(), UninstallStep::stopService);
        QCOMPARE(rig.shownOf(phaseItems), QStringList{"confirmationView"});
    }

    void runFromConfirmationToSuccess() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(installation::writeMinimal(rig.home()));
        QVERIFY(openSheet(rig));

        QVERIFY(rig.click(QStringLiteral("confirmUninstallButton")));
        // The progress replaces the confirmation at once.
        QCOMPARE(rig.shownOf(phaseItems), (QStringList{"uninstallProgressView", "stepSpinner"}));
        UninstallService *service = rig.uninstaller().currentService();
        QVERIFY(service);

        // While it runs, the success card shows exactly when the step is complete, and the card
        // and the bar show the step the service publishes.
        QStringList titles;
        while (service->isRunning()) {
            QTest::qWait(2);
            const bool complete = service->currentStep().isComplete();
            QCOMPARE(rig.isShown(QStringLiteral("successCard")), complete);
            QCOMPARE(rig.isShown(QStringLiteral("stepSpinner")), !complete);
            QCOMPARE(rig.item(QStringLiteral("uninstallProgressBar"))->property("value").toDouble(),
                     service->progress());
            const QString title = rig.text(QStringLiteral("stepTitleLabel"));
            if (titles.isEmpty() || titles.constLast() != title)
                titles.append(title);
        }
        QCOMPARE(titles, (QStringList{"Stopping Service", "Removing Launch Agent", "Removing Application Files",
                                      "Removing Launcher App", "Cleaning Up Logs", "Uninstall Complete"}));
        QVERIFY(!service->hasError());
        QCOMPARE(rig.item(QStringLiteral("uninstallProgressBar"))->property("value").toDouble(), 6.0);
        QCOMPARE(rig.item(QStringLiteral("uninstallProgressBar"))->property("to").toDouble(), 6.0);
        QCOMPARE(rig.shownOf(phaseItems), (QStringList{"uninstallProgressView", "successCard"}));
        QCOMPARE(rig.text(QStringLiteral("successLabel")),
                 QStringLiteral("✅ Vistrel has been successfully uninstalled"));
        QCOMPARE(existing(installedItems(rig.home())), installation::keptItems(rig.home()));
        QCOMPARE(m_launchctl->calls().size(), 1);

        // Every log line is listed, and the list has followed the last one.
        QQuickItem *logView = rig.item(QStringLiteral("logView"));
        QCOMPARE(logView->property("count").toInt(), int(service->log().size()));
        const QString last = QStringLiteral("logLine%1").arg(service->log().size() - 1);
        QTRY_VERIFY(rig.item(last));
        QCOMPARE(rig.text(last), service->log().constLast());
        QTRY_VERIFY([&] {
            QQuickItem *line = rig.item(last);
            const QRectF shown = logView->mapRectToScene(QRectF(0, 0, logView->width(), logView->height()));
            return shown.contains(line->mapRectToScene(QRectF(0, 0, line->width(), line->height())));
        }());

        QVERIFY(rig.click(QStringLiteral("copyLogButton")));
        QCOMPARE(rig.platform.clipboard.size(), 1);
        const QString copied = rig.platform.clipboard.constLast();
        QCOMPARE(copied.split(u'\n'), service->log());
        QVERIFY(!copied.endsWith(u'\n'));

        QVERIFY(rig.exitRequests.isEmpty());
        QVERIFY(rig.click(QStringLiteral("closeButton")));
        QCOMPARE(rig.exitRequests, QList<int>{0});
    }

    void progressWithoutARun() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(openSheet(rig));
        rig.item(QStringLiteral("uninstallerView"))->setProperty("showingConfirmation", false);

        QCOMPARE(rig.shownOf(phaseItems), (QStringList{"uninstallProgressView", "stepSpinner"}));
        QCOMPARE(rig.text(QStringLiteral("stepTitleLabel")), QStringLiteral("Stopping Service"));
        QCOMPARE(rig.item(QStringLiteral("uninstallProgressBar"))->property("value").toDouble(), 0.0);
        QCOMPARE(rig.item(QStringLiteral("logView"))->property("count").toInt(), 0);
        QVERIFY(rig.click(QStringLiteral("copyLogButton")));
        QCOMPARE(rig.platform.clipboard, QStringList{QString()});
        QVERIFY(m_launchctl->calls().isEmpty());
    }

    void copyJoinsWithSingleLineFeeds_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QStringList{} << QString();
        QTest::newRow("one") << QStringList{"✅ stopService complete"} << "✅ stopService complete";
        QTest::newRow("three") << QStringList{"a", "b", "c"} << "a\nb\nc";
        QTest::newRow("empty line kept") << QStringList{"a", "", "c"} << "a\n\nc";
    }

    void copyJoinsWithSingleLineFeeds() {
        QFETCH(QStringList, lines);
        QFETCH(QString, text);
        FakePlatform platform;
        UninstallerController controller(platform);
        controller.copyLog(lines);
        QCOMPARE(platform.clipboard, QStringList{text});
    }

    void failedRunShowsTheErrorCard() {
        const PermissionsEnforced enforced;
        if (!enforced.isActive())
            QSKIP("cannot make permission bits bind this process");
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(installation::writeMinimal(rig.home()));
        QVERIFY(openSheet(rig));
        const ReadOnlyFolder locked(QFileInfo(paths::launchAgentPlist(rig.home())).absolutePath());

        QVERIFY(rig.click(QStringLiteral("confirmUninstallButton")));
        UninstallService *service = rig.uninstaller().currentService();
        QTRY_VERIFY_WITH_TIMEOUT(!service->isRunning(), 20000);
        QVERIFY(service->hasError());

        // The failed step stays, spinner and all; the error card says why; no way on or out.
        QTRY_COMPARE(rig.shownOf(phaseItems),
                     (QStringList{"uninstallProgressView", "uninstallErrorCard", "stepSpinner"}));
        QCOMPARE(rig.text(QStringLiteral("stepTitleLabel")), QStringLiteral("Removing Launch Agent"));
        QCOMPARE(rig.text(QStringLiteral("uninstallErrorLabel")), QStringLiteral("Uninstall Error"));
        QCOMPARE(rig.text(QStringLiteral("uninstallErrorMessageLabel")), service->errorText());
        QVERIFY(!rig.isShown(QStringLiteral("cancelButton")));
        QVERIFY(!rig.isShown(QStringLiteral("closeButton")));
        QVERIFY(QFileInfo::exists(paths::launcherApp(rig.home())));
    }

    void runOutlivesTheSheet() {
        LauncherRig rig;
        QVERIFY(rig.load());
        QVERIFY(installation::writeMinimal(rig.home()));
        QVERIFY(openSheet(rig));
        QVERIFY(rig.click(QStringLiteral("confirmUninstallButton")));
        QPointer<UninstallService> service = rig.uninstaller().currentService();

        rig.sheet()->close();
        QTRY_VERIFY(!rig.sheet());
        QCOMPARE(rig.uninstaller().currentService(), nullptr);
        // The run goes on to its end, then the service goes.
        QTRY_VERIFY_WITH_TIMEOUT(service.isNull(), 20000);
        QCOMPARE(existing(installedItems(rig.home())), installation::keptItems(rig.home()));
    }
};

QTEST_MAIN(UninstallerViewTest)
#include "tst_uninstallerview.moc"
