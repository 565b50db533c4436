// Upgrades are transactions: whatever goes wrong with a reinstall, the installation from before
// runs again on its port, byte for byte, with the user's data untouched, and nothing of the run
// stays in the home or the temporary folder; a good upgrade leaves the new release. Real faults:
// the vendor gone, a damaged or lying package, a server that cannot start, the installer killed
// mid-unpack (the launcher's start recovers) or signalled while it verifies.
#include "common/paths.h"
#include "common/serverprobe.h"
#include "enginetesthelpers.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace vistrel;
using namespace vistrel::test;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

enum Fault { InProcess, KillMidUnpack, TermWhileVerifying };

// The home as the tests compare it: the server's logs, which launchd writes, aside.
QMap<QString, QByteArray> tree(const QString &home) {
    return snapshot(home, {u"Library/Logs"_s});
}

bool answers(quint16 port) {
    return QCoro::waitFor(probeServer(makeProbeNetwork(), port, 1000ms));
}

bool run(World &world, quint16 port) {
    world.service->setSelectedPort(QString::number(port));
    QSignalSpy finished(world.service.get(), &InstallationService::runFinished);
    world.service->startInstallation();
    return finished.wait(120000);
}

// A release to offer, made in folder: "demo", "next" (one file more), "exits" (its server exits
// at once), "damaged" (a byte of its one entry flipped), "big" (unzip takes a while).
QString release(const QString &kind, const QString &folder) {
    const QString zip = folder + u'/' + kind + u".zip"_s;
    const QString extra = kind == u"next"  ? u"TarvikService.app/Contents/Resources/release.txt"_s
                          : kind == u"big" ? u"zeros"_s
                                           : QString();
    if (kind == u"demo")
        return demoPackage();
    if (kind == u"exits" || kind == u"damaged") {
        const QByteArray server = kind == u"exits" ? "#!/bin/sh\nexit 3\n" : readFile(demoServerProgram());
        const QString made = makePackage(folder, {{u"TarvikService.app/Contents/MacOS/Tarvik"_s, server, 0755}});
        QByteArray bytes = readFile(made);
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x40); // inside the entry's data
        return kind == u"exits" ? made : writeFile(zip, bytes) ? zip : QString();
    }
    const QString add = u"cp \"$1\" \"$2\" && cd \"${2%/*}\" && if [ \"$3\" = zeros ]; then truncate -s 400M zeros; "
                        "else mkdir -p \"${3%/*}\" && echo 2 > \"$3\"; fi && zip -q -1 \"$2\" \"$3\""_s;
    return QProcess::execute(u"bash"_s, {u"-c"_s, add, u"-"_s, demoPackage(), zip, extra}) == 0 ? zip : QString();
}

} // namespace

class UpgradesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;

private slots:
    void everyUpgradeEndsWithAServerThatRuns_data() {
        QTest::addColumn<QString>("offered"); // the release the vendor offers; empty: no vendor
        QTest::addColumn<QStringList>("vendorArguments");
        QTest::addColumn<bool>("upgrade"); // an installation runs before
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("error"); // how the run's error starts; empty: it succeeds
        QTest::newRow("download service gone") << "" << QStringList() << true << +InProcess << "Connection refused";
        QTest::newRow("damaged package") << "damaged" << QStringList() << true << +InProcess
                                         << "The package is damaged: TarvikService.app/Contents/MacOS/Tarvik ";
        QTest::newRow("digest that does not match")
            << "demo" << QStringList{"--wrong-digest"} << true << +InProcess << "The package does not match the digest";
        QTest::newRow("server exits at once")
            << "exits" << QStringList() << true << +InProcess << "Service failed to start in time.";
        QTest::newRow("first installation fails")
            << "exits" << QStringList() << false << +InProcess << "Service failed to start in time.";
        QTest::newRow("good upgrade") << "next" << QStringList() << true << +InProcess << "";
        QTest::newRow("killed mid-unpack, the launcher starts")
            << "big" << QStringList() << true << +KillMidUnpack << "";
        QTest::newRow("SIGTERM while verifying") << "exits" << QStringList() << true << +TermWhileVerifying << "";
    }
    void everyUpgradeEndsWithAServerThatRuns() {
        QFETCH(QString, offered);
        QFETCH(QStringList, vendorArguments);
        QFETCH(bool, upgrade);
        QFETCH(int, fault);
        QFETCH(QString, error);
        const DemoVendor previous;
        World world(previous.origin());
        QTemporaryDir tmp; // the home's own is elsewhere
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        world.service->setInstallerBundlePath(installerBundle());
        const QString home = world.home.path();
        const quint16 port = freePort();
        if (upgrade) {
            QVERIFY(run(world, port) && world.service->isComplete());
            QVERIFY(writeFile(world.root() + u"/Media/recordings/cam1.mp4"_s, "frames") &&
                    writeFile(world.root() + u"/Media/XML/settings.xml"_s, "<cameras/>"));
        }
        QMap<QString, QByteArray> expected = tree(home);
        const QString package = release(offered.isEmpty() ? u"demo"_s : offered, m_scratch.path());
        QVERIFY(!package.isEmpty());
        const DemoVendor vendor(vendorArguments << u"--package"_s << package);
        const QString origin = offered.isEmpty() ? u"http://127.0.0.1:%1"_s.arg(freePort()) : vendor.origin();

        if (fault == InProcess) {
            Timing timing = Timing{}.scaled(10);
            timing.verifyAttempts = 4;
            world.platform.defaults.insert(u"downloadServiceOrigin"_s, origin);
            world.service = InstallationService::create(world.platform, timing);
            world.service->setInstallerBundlePath(installerBundle());
            QVERIFY(run(world, port));
            const QString failure = world.service->installationError().value_or(QString());
            QVERIFY2(error.isEmpty() ? failure.isEmpty() : failure.startsWith(error), qPrintable(failure));
            const QString note = error.isEmpty() ? "" : upgrade ? "ui.restoredRunning" : "ui.installationRemoved";
            QCOMPARE(world.service->restoreNoteKey(), note);
        } else {
            const QStringList arguments{u"--headless"_s, u"--download-service"_s, origin, u"--port"_s,
                                        QString::number(port)};
            const auto installer =
                startIn(home, tmp.path(), installerBundle() + u"/Contents/MacOS/VistrelInstaller"_s, arguments);
            const qint64 pid = installer->processId();
            if (fault == KillMidUnpack) {
                QTRY_VERIFY_WITH_TIMEOUT(procFile(newestChild(pid), u"cmdline"_s).contains("\0-d\0"_ba), 30000);
                ::kill(pid_t(pid), SIGKILL);
                QVERIFY(installer->waitForFinished(5000));
                QVERIFY(QFileInfo::exists(paths::installJournal(home)));
                const auto launcher =
                    startIn(home, tmp.path(), paths::launcherApp(home) + u"/Contents/MacOS/Vistrel"_s, {});
                QByteArray said;
                QTRY_VERIFY_WITH_TIMEOUT((said += launcher->readAllStandardOutput()).contains("is back."), 20000);
                launcher->terminate();
                QVERIFY(launcher->waitForFinished(5000));
            } else {
                QByteArray said;
                QTRY_VERIFY_WITH_TIMEOUT((said += installer->readAllStandardOutput()).contains("Pinging service"),
                                         60000);
                ::kill(pid_t(pid), SIGTERM);
                QVERIFY(installer->waitForFinished(2000)); // what a signal allows
                QCOMPARE(installer->exitCode(), 128 + SIGTERM);
            }
        }
        if (offered == u"next")
            expected.insert(u"Library/Application Support/Vistrel/TarvikService.app/Contents/Resources/release.txt"_s,
                            "2\n");
        if (upgrade)
            QTRY_VERIFY_WITH_TIMEOUT(answers(port), 15000);
        QCOMPARE(tree(home), expected);
        QCOMPARE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(UpgradesTest)
#include "tst_upgrades.moc"
