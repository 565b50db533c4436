// Whole uninstall runs over real files, with the service-manager stand-in answering the bootout
// (nothing is loaded in these tests, so it always fails and the run must go on).
#include "fakeplatform.h"
#include "permissions.h"
#include "uninstallrun.h"

#include <QDir>
#include <QTest>

using namespace vistrel;
using namespace vistrel::test::uninstallrun;
namespace installation = vistrel::test::installation;

namespace {

bool present(const QString &path) {
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

// Test set-up only: takes away whatever is at path.
bool removeAny(const QString &path) {
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return !present(path) || QFile::remove(path);
}

} // namespace

class UninstallRunTest : public QObject {
    Q_OBJECT

private slots:

    void init() {
        m_home = std::make_unique<test::TestHome>();
        QVERIFY(m_home->isValid());
        m_platform.home = m_home->path();
        m_platform.launchctl = test::launchctlTool();
    }

    void cleanup() { m_home.reset(); }

    // Everything installed: the exact log, when each step and progress is shown, what goes and what stays.
    void fullRun() {
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        const QString bootout = failedBootoutOutput(home);
        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        QStringList events;
        QObject context;
        connect(service.get(), &UninstallService::currentStepChanged, &context, [&] {
            events << QStringLiteral("%1 at %2").arg(service->currentStep().caseName()).arg(service->log().size());
        });
        connect(service.get(), &UninstallService::progressChanged, &context,
                [&] { events << QStringLiteral("%1 at %2").arg(service->progress()).arg(service->log().size()); });

        QSignalSpy finished(service.get(), &UninstallService::runFinished);
        service->startUninstall();
        QVERIFY(service->isUninstalling());
        service->startUninstall(); // the window offers no second start; a stray one must not run twice
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(service->log(), fullLog(home, bootout, installation::serverEntries()));
        // Each step and its progress show right after the previous step's completion line.
        QCOMPARE(events, (QStringList{"removeLaunchAgent at 3", "1 at 3", "removeApplicationFiles at 6", "2 at 6",
                                      "removeLauncherApp at 14", "3 at 14", "cleanupLogs at 17", "4 at 17",
                                      "complete at 20", "5 at 20", "6 at 21"}));
        QVERIFY(service->isUninstalling() && !service->hasError());

        const QString root = paths::installRoot(home);
        for (const QString &name : installation::serverEntries())
            QVERIFY2(!present(root + u'/' + name), qPrintable(name));
        for (const QString &gone : {paths::launchAgentPlist(home), paths::launcherApp(home), paths::serverLog(home),
                                    paths::serverErrorLog(home)})
            QVERIFY2(!present(gone), qPrintable(gone));
        for (const QString &kept : installation::keptItems(home) +
                                       QStringList{paths::browserScript(home), root + QStringLiteral("/notes.txt")})
            QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
    }

    void emptyAccount() {
        const QString bootout = failedBootoutOutput(m_home->path());
        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        QVERIFY(runToEnd(*service));
        QStringList expected = stopLines(bootout) + launchAgentLines(false) + serverFileLines({}) + launcherLines({}) +
                               logLines(0) + QStringList{done(QStringLiteral("complete"))};
        expected.insert(1, QStringLiteral("Launch agent plist not found; stopping com.qelvo.vistrel by its label"));
        QCOMPARE(service->log(), expected);
        QCOMPARE(service->progress(), 6.0);
        QVERIFY(!service->hasError());
    }

    // Removals that fail stop the run; server files and logs are each tried first, with a warning.
    // Root ignores permission bits, so for the duration it is made to respect them.
    void failingRemovals_data() {
        QTest::addColumn<QString>("readOnly"); // relative to the home folder
        QTest::addColumn<int>("failedStep");
        QTest::newRow("plist folder read-only") << "Library/LaunchAgents" << int(UninstallStep::removeLaunchAgent);
        QTest::newRow("Applications read-only") << "Applications" << int(UninstallStep::removeLauncherApp);
        QTest::newRow("install root read-only")
            << "Library/Application Support/Vistrel" << int(UninstallStep::removeApplicationFiles);
        QTest::newRow("log folder read-only") << "Library/Logs" << int(UninstallStep::cleanupLogs);
    }

    void failingRemovals() {
        QFETCH(QString, readOnly);
        QFETCH(int, failedStep);
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        const QString bootout = failedBootoutOutput(home);
        const QString root = paths::installRoot(home);
        const test::PermissionsEnforced enforced;
        if (!enforced.isActive())
            QSKIP("cannot make permission bits bind this process");
        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        {
            const test::ReadOnlyFolder folder(home + u'/' + readOnly);
            QVERIFY(runToEnd(*service));
        }

        const auto denied = [](const QString &name) {
            return QStringLiteral("“%1” couldn’t be removed: Permission denied").arg(name);
        };
        const auto left = [](const QStringList &paths) {
            return QStringLiteral("These items could not be removed: ") + paths.join(QStringLiteral(", "));
        };
        QStringList expected = stopLines(bootout);
        QString error;
        if (failedStep == UninstallStep::removeLaunchAgent) {
            error = denied(QStringLiteral("com.qelvo.vistrel.plist"));
            expected << QStringLiteral("Removing launch agent configuration...");
        } else {
            expected << launchAgentLines(true);
            QStringList stayed;
            if (readOnly.endsWith(u"Vistrel")) {
                // Found but not removed: neither the success line nor "not found".
                expected << QStringLiteral("Removing Vistrel application files...");
                for (const QString &name : installation::serverEntries()) {
                    expected << QStringLiteral("⚠️ Could not remove %1/%2: %3").arg(root, name, denied(name));
                    stayed << root + u'/' + name;
                }
                error = left(stayed);
            } else {
                expected << serverFileLines(installation::serverEntries());
            }
            if (failedStep == UninstallStep::removeLauncherApp) {
                error = denied(QStringLiteral("Vistrel.app"));
                expected << QStringLiteral("Removing launcher app...");
            } else if (error.isEmpty()) {
                expected << launcherLines(paths::launcherApp(home)) << QStringLiteral("Cleaning up log files...")
                         << QStringLiteral("⚠️ Could not remove log file: ") + paths::serverLog(home)
                         << QStringLiteral("⚠️ Could not remove log file: ") + paths::serverErrorLog(home);
                error = left({paths::serverLog(home), paths::serverErrorLog(home)});
            }
        }
        expected << QStringLiteral("❌ %1 failed: %2").arg(UninstallStep::allCases()[failedStep].caseName(), error);
        QCOMPARE(service->log(), expected);
        QCOMPARE(service->errorText(), error);
        QCOMPARE(service->progress(), double(failedStep));
        // Nothing after a failed step was touched.
        if (failedStep < UninstallStep::cleanupLogs)
            for (const QString &kept : {paths::launcherApp(home), paths::serverLog(home), paths::serverErrorLog(home)})
                QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
    }

    // Candidates that are links lose the link only; the user's data is never reached through one.
    void symlinkedCandidates() {
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        const QString root = paths::installRoot(home);
        const QString outside = home + QStringLiteral("/elsewhere");
        const QStringList outsideFiles{QStringLiteral("/Server.app/Contents/MacOS/Tarvik"),
                                       QStringLiteral("/MediaStore/XML/port.txt"),
                                       QStringLiteral("/MediaStore/Recordings/cam1.mp4"),
                                       QStringLiteral("/Launcher.app/Contents/MacOS/Vistrel"),
                                       QStringLiteral("/shared.log"),
                                       QStringLiteral("/agent.plist")};
        for (const QString &file : outsideFiles)
            QVERIFY(test::writeFile(outside + file, "the user's"));
        const auto link = [](const QString &target, const QString &path) {
            return removeAny(path) && QFile::link(target, path);
        };
        QVERIFY(link(outside + QStringLiteral("/Server.app"), root + QStringLiteral("/TarvikService.app")));
        QVERIFY(link(outside + QStringLiteral("/MediaStore"), root + QStringLiteral("/Media")));
        // A candidate that points into Media, and real candidate folders holding links out.
        QVERIFY(link(root + QStringLiteral("/Media"), root + QStringLiteral("/ffmpeg7")));
        QVERIFY(link(root + QStringLiteral("/Media"), root + QStringLiteral("/Plugins/media")));
        QVERIFY(link(outside + QStringLiteral("/MediaStore/XML"), root + QStringLiteral("/Tarvik/xml")));
        QVERIFY(link(outside + QStringLiteral("/Launcher.app"), paths::launcherApp(home)));
        QVERIFY(link(outside + QStringLiteral("/shared.log"), paths::serverLog(home)));
        QVERIFY(link(home + QStringLiteral("/nowhere"), paths::serverErrorLog(home))); // dangling
        QVERIFY(link(outside + QStringLiteral("/agent.plist"), paths::launchAgentPlist(home)));

        const QString bootout = failedBootoutOutput(home);
        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        QVERIFY(runToEnd(*service));
        QStringList expected = fullLog(home, bootout, installation::serverEntries());
        expected.insert(1,
                        QStringLiteral("Launch agent plist does not name com.qelvo.vistrel; stopping it by its label"));
        QCOMPARE(service->log(), expected);
        for (const QString &name : installation::serverEntries())
            QVERIFY2(!present(root + u'/' + name), qPrintable(name));
        for (const QString &gone : {paths::launcherApp(home), paths::serverLog(home), paths::serverErrorLog(home),
                                    paths::launchAgentPlist(home)})
            QVERIFY2(!present(gone), qPrintable(gone));
        // Media is still the same link, and everything behind every link is intact.
        QCOMPARE(QFileInfo(root + QStringLiteral("/Media")).symLinkTarget(), outside + QStringLiteral("/MediaStore"));
        for (const QString &file : outsideFiles)
            QVERIFY2(QFileInfo::exists(outside + file), qPrintable(file));
        QVERIFY(QFileInfo::exists(paths::languageFile(home)));
    }

private:
    std::unique_ptr<test::TestHome> m_home;
    test::FakePlatform m_platform;
};

QTEST_GUILESS_MAIN(UninstallRunTest)
#include "tst_uninstallrun.moc"
