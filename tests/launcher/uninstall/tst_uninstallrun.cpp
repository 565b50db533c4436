// Whole uninstall runs over real files, with the service-manager stand-in answering the bootout
// (nothing is loaded in these tests, so it always fails and the run must go on).
#include "launcher/uninstall/uninstallservice.h"

#include "common/paths.h"
#include "fakeplatform.h"
#include "installation.h"
#include "permissions.h"
#include "testenv.h"
#include "uninstallrun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSignalSpy>
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

// Every published change and log line, in the order observers see them.
class EventRecorder {
public:
    explicit EventRecorder(UninstallService &service) {
        QObject::connect(&service, &UninstallService::currentStepChanged, &m_context,
                         [this, &service] { events << QStringLiteral("step ") + service.currentStep().caseName(); });
        QObject::connect(&service, &UninstallService::progressChanged, &m_context,
                         [this, &service] { events << QStringLiteral("progress %1").arg(service.progress()); });
        QObject::connect(&service, &UninstallService::logChanged, &m_context, [this, &service] {
            if (!service.log().isEmpty())
                events << QStringLiteral("log ") + service.log().constLast();
        });
        QObject::connect(&service, &UninstallService::errorChanged, &m_context,
                         [this, &service] { events << QStringLiteral("error ") + service.errorText(); });
    }
    QStringList events;

private:
    QObject m_context;
};

} // namespace

class UninstallRunTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { putLaunchctlOnPath(); }

    void init() {
        m_home = std::make_unique<test::TestHome>();
        QVERIFY(m_home->isValid());
        m_platform.home = m_home->path();
    }
    void cleanup() { m_home.reset(); }

    // Everything installed: the exact log, the order of every change, what goes and what stays.
    void fullRun() {
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        const QString bootout = failedBootoutOutput(home);
        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        EventRecorder recorder(*service);

        QSignalSpy finished(service.get(), &UninstallService::runFinished);
        service->startUninstall();
        QVERIFY(service->isUninstalling());
        service->startUninstall(); // the window offers no second start; a stray one must not run twice
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.size(), 1);

        const QStringList expectedLog = stopLines(bootout) + launchAgentLines(true) +
                                        serverFileLines(installation::serverEntries()) +
                                        launcherLines(paths::launcherApp(home)) + logLines(2) + completeLine();
        QCOMPARE(service->log(), expectedLog);

        // Each step is shown before its lines, its completion line comes before the next step.
        QStringList expectedEvents;
        qsizetype line = 0;
        for (const UninstallStep step : UninstallStep::allCases()) {
            if (step.index() > 0)
                expectedEvents << QStringLiteral("step ") + step.caseName()
                               << QStringLiteral("progress %1").arg(step.index());
            do
                expectedEvents << QStringLiteral("log ") + expectedLog.at(line);
            while (expectedLog.at(line++) != done(step.caseName()));
        }
        expectedEvents << QStringLiteral("progress 6");
        QCOMPARE(recorder.events, expectedEvents);

        QCOMPARE(service->currentStep(), UninstallStep(UninstallStep::complete));
        QCOMPARE(service->progress(), 6.0);
        QVERIFY(service->isUninstalling());
        QVERIFY(!service->hasError());

        const QString root = paths::installRoot(home);
        for (const QString &name : installation::serverEntries())
            QVERIFY2(!present(root + u'/' + name), qPrintable(name));
        for (const QString &gone : {paths::launchAgentPlist(home), paths::launcherApp(home), paths::serverLog(home),
                                    paths::serverErrorLog(home)})
            QVERIFY2(!present(gone), qPrintable(gone));
        for (const QString &kept : installation::keptItems(home) +
                                       QStringList{paths::browserScript(home), root + QStringLiteral("/notes.txt")})
            QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
        QCOMPARE(QFile(paths::portFile(home)).size(), 4);
    }

    void emptyAccount() {
        const QString home = m_home->path();
        const QString bootout = failedBootoutOutput(home);
        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        QVERIFY(runToEnd(*service));
        QCOMPARE(service->log(), stopLines(bootout) + launchAgentLines(false) + serverFileLines({}) +
                                     launcherLines({}) + logLines(0) + completeLine());
        QCOMPARE(service->progress(), 6.0);
        QVERIFY(!service->hasError());
    }

    // Partial installations: which server entries and which log files are there.
    void partialInstallations_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("logs");
        const QStringList all = installation::serverEntries();
        const QString log = QStringLiteral("vistrel.log");
        const QString errorLog = QStringLiteral("vistrel.error.log");
        QTest::newRow("only Plugins and ffmpeg7") << QStringList{"Plugins", "ffmpeg7"} << QStringList{log, errorLog};
        QTest::newRow("only the error log") << all << QStringList{errorLog};
        QTest::newRow("only the main log") << all << QStringList{log};
        QTest::newRow("only the update script, no logs") << QStringList{"tarvik-update.sh"} << QStringList{};
    }

    void partialInstallations() {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, logs);
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        const QString root = paths::installRoot(home);
        QStringList removedInOrder;
        for (const QString &name : installation::serverEntries()) {
            if (entries.contains(name))
                removedInOrder << name;
            else
                QVERIFY(removeAny(root + u'/' + name));
        }
        for (const QString &path : {paths::serverLog(home), paths::serverErrorLog(home)})
            if (!logs.contains(QFileInfo(path).fileName()))
                QVERIFY(QFile::remove(path));

        const QString bootout = failedBootoutOutput(home);
        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        QVERIFY(runToEnd(*service));
        QCOMPARE(service->log(), stopLines(bootout) + launchAgentLines(true) + serverFileLines(removedInOrder) +
                                     launcherLines(paths::launcherApp(home)) + logLines(int(logs.size())) +
                                     completeLine());
        for (const QString &kept : installation::keptItems(home))
            QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
    }

    // Removals that fail. The plist and the launcher stop the run; server files and logs only
    // warn. Root ignores permission bits, so for the duration it is made to respect them.
    void failingRemovals_data() {
        QTest::addColumn<QString>("readOnly"); // relative to the home folder
        QTest::addColumn<int>("failedStep");   // -1: the run completes
        QTest::newRow("plist folder read-only") << "Library/LaunchAgents" << int(UninstallStep::removeLaunchAgent);
        QTest::newRow("Applications read-only") << "Applications" << int(UninstallStep::removeLauncherApp);
        QTest::newRow("install root read-only") << "Library/Application Support/Vistrel" << -1;
        QTest::newRow("log folder read-only") << "Library/Logs" << -1;
    }

    void failingRemovals() {
        QFETCH(QString, readOnly);
        QFETCH(int, failedStep);
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        const QString bootout = failedBootoutOutput(home);
        const QString root = paths::installRoot(home);
        const QString plist = paths::launchAgentPlist(home);
        const QString launcher = paths::launcherApp(home);
        const QStringList logFiles{paths::serverLog(home), paths::serverErrorLog(home)};

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
        QStringList expected = stopLines(bootout);
        if (failedStep == UninstallStep::removeLaunchAgent) {
            const QString error = denied(QStringLiteral("com.qelvo.vistrel.plist"));
            expected << QStringLiteral("Removing launch agent configuration...")
                     << QStringLiteral("❌ removeLaunchAgent failed: ") + error;
            QCOMPARE(service->log(), expected);
            QCOMPARE(service->errorText(), error);
            QCOMPARE(service->currentStep(), UninstallStep(UninstallStep::removeLaunchAgent));
            QCOMPARE(service->progress(), 1.0);
            // Nothing after the failed step was touched.
            for (const QString &kept : QStringList{plist, launcher, root + QStringLiteral("/Plugins")} + logFiles)
                QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
        } else if (failedStep == UninstallStep::removeLauncherApp) {
            const QString error = denied(QStringLiteral("Vistrel.app"));
            expected << launchAgentLines(true) << serverFileLines(installation::serverEntries())
                     << QStringLiteral("Removing launcher app...")
                     << QStringLiteral("❌ removeLauncherApp failed: ") + error;
            QCOMPARE(service->log(), expected);
            QCOMPARE(service->errorText(), error);
            QCOMPARE(service->currentStep(), UninstallStep(UninstallStep::removeLauncherApp));
            QCOMPARE(service->progress(), 3.0);
            for (const QString &kept : QStringList{launcher} + logFiles)
                QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
        } else if (readOnly.endsWith(u"Vistrel")) {
            QStringList warnings{QStringLiteral("Removing Vistrel application files...")};
            for (const QString &name : installation::serverEntries())
                warnings << QStringLiteral("⚠️ Could not remove %1/%2: %3").arg(root, name, denied(name));
            // Found but not removed: neither the success line nor "not found".
            warnings << done(QStringLiteral("removeApplicationFiles"));
            expected << launchAgentLines(true) << warnings << launcherLines(launcher) << logLines(2) << completeLine();
            QCOMPARE(service->log(), expected);
            QVERIFY(!service->hasError());
            QCOMPARE(service->progress(), 6.0);
        } else {
            expected << launchAgentLines(true) << serverFileLines(installation::serverEntries())
                     << launcherLines(launcher) << QStringLiteral("Cleaning up log files...")
                     << QStringLiteral("⚠️ Could not remove log file: ") + logFiles[0]
                     << QStringLiteral("⚠️ Could not remove log file: ") + logFiles[1]
                     << done(QStringLiteral("cleanupLogs")) << completeLine();
            QCOMPARE(service->log(), expected);
            QVERIFY(!service->hasError());
            QCOMPARE(service->progress(), 6.0);
            for (const QString &kept : logFiles)
                QVERIFY(QFileInfo::exists(kept));
        }
    }

    // Candidates that are links lose the link only; the user's data is never reached through one.
    void symlinkedCandidates() {
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        const QString root = paths::installRoot(home);
        const QString outside = home + QStringLiteral("/elsewhere");
        // The real things live outside the installation.
        QVERIFY(test::writeFile(outside + QStringLiteral("/Server.app/Contents/MacOS/Tarvik"), "server"));
        QVERIFY(test::writeFile(outside + QStringLiteral("/MediaStore/XML/port.txt"), "8123"));
        QVERIFY(test::writeFile(outside + QStringLiteral("/MediaStore/Recordings/cam1.mp4"), "footage"));
        QVERIFY(test::writeFile(outside + QStringLiteral("/Launcher.app/Contents/MacOS/Vistrel"), "app"));
        QVERIFY(test::writeFile(outside + QStringLiteral("/shared.log"), "other program's log"));
        QVERIFY(test::writeFile(outside + QStringLiteral("/agent.plist"), "<plist/>"));

        const auto replaceWithLink = [](const QString &target, const QString &path) {
            return removeAny(path) && QFile::link(target, path);
        };
        QVERIFY(replaceWithLink(outside + QStringLiteral("/Server.app"), root + QStringLiteral("/TarvikService.app")));
        QVERIFY(replaceWithLink(outside + QStringLiteral("/MediaStore"), root + QStringLiteral("/Media")));
        // A candidate that points into Media, and a real candidate folder holding a link to it.
        QVERIFY(replaceWithLink(root + QStringLiteral("/Media"), root + QStringLiteral("/ffmpeg7")));
        QVERIFY(QFile::link(root + QStringLiteral("/Media"), root + QStringLiteral("/Plugins/media")));
        QVERIFY(QFile::link(outside + QStringLiteral("/MediaStore/XML"), root + QStringLiteral("/Tarvik/xml")));
        QVERIFY(replaceWithLink(outside + QStringLiteral("/Launcher.app"), paths::launcherApp(home)));
        QVERIFY(replaceWithLink(outside + QStringLiteral("/shared.log"), paths::serverLog(home)));
        QVERIFY(replaceWithLink(outside + QStringLiteral("/agent.plist"), paths::launchAgentPlist(home)));

        const QString bootout = failedBootoutOutput(home);
        const auto service = UninstallService::create(m_platform, Timing{}.scaled(25));
        QVERIFY(runToEnd(*service));
        QCOMPARE(service->log(), stopLines(bootout) + launchAgentLines(true) +
                                     serverFileLines(installation::serverEntries()) +
                                     launcherLines(paths::launcherApp(home)) + logLines(2) + completeLine());

        for (const QString &name : installation::serverEntries())
            QVERIFY2(!present(root + u'/' + name), qPrintable(name));
        QVERIFY(!present(paths::launcherApp(home)));
        QVERIFY(!present(paths::serverLog(home)));
        QVERIFY(!present(paths::launchAgentPlist(home)));
        // Media is still the same link, and everything behind every link is intact.
        QCOMPARE(QFileInfo(root + QStringLiteral("/Media")).symLinkTarget(), outside + QStringLiteral("/MediaStore"));
        for (const QString &kept :
             {outside + QStringLiteral("/Server.app/Contents/MacOS/Tarvik"),
              outside + QStringLiteral("/MediaStore/XML/port.txt"),
              outside + QStringLiteral("/MediaStore/Recordings/cam1.mp4"),
              outside + QStringLiteral("/Launcher.app/Contents/MacOS/Vistrel"), outside + QStringLiteral("/shared.log"),
              outside + QStringLiteral("/agent.plist"), paths::portFile(home), paths::languageFile(home)})
            QVERIFY2(QFileInfo::exists(kept), qPrintable(kept));
    }

    // The window lets go of its service while the run is under way: the run still ends normally
    // and only then is the service deleted.
    void ownerReleasedMidRun() {
        const QString home = m_home->path();
        QVERIFY(installation::writeMinimal(home));
        auto service = UninstallService::create(m_platform, Timing{}.scaled(10));
        QStringList log;
        QPointer<UninstallService> watch(service.get());
        QObject context;
        connect(service.get(), &UninstallService::logChanged, &context, [&log, &watch] { log = watch->log(); });
        QSignalSpy destroyed(service.get(), &QObject::destroyed);

        service->startUninstall();
        service.reset();
        QVERIFY(watch); // still alive: the run holds it
        QVERIFY(destroyed.wait(30000));
        QVERIFY(!watch);
        QCOMPARE(log.constLast(), done(QStringLiteral("complete")));
        QVERIFY(!present(paths::launcherApp(home)));
        QVERIFY(!present(paths::installRoot(home) + QStringLiteral("/TarvikService.app")));
    }

private:
    std::unique_ptr<test::TestHome> m_home;
    test::FakePlatform m_platform;
};

QTEST_GUILESS_MAIN(UninstallRunTest)
#include "tst_uninstallrun.moc"
