// Hostile conditions: transfers that stall, disks that fill, links left where files go, property
// lists that never end, commands that hang, a second window, a second run, signals mid-run.
#include "common/commandrunner.h"
#include "common/plist.h"
#include "common/singleinstance.h"
#include "enginetesthelpers.h"

#include "await.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// The download step of world's engine, with the inactivity limit shortened to 0.3 s.
std::optional<Error> download(World &world) {
    Timing timing;
    timing.transferInactivity = 300ms;
    world.service = InstallationService::create(world.platform, timing);
    return runStep(world.service->downloadVistrel());
}

QStringList entries(const QString &folder) {
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System, QDir::Name);
}

constexpr int signalDeadlineMs = 2000; // a signalled run must be gone by then

// One run of the headless installer into home, with the package downloaded to tmp.
std::unique_ptr<QProcess> startRun(const TestHome &home, const QString &tmp, const QString &origin) {
    return startIn(home.path(), tmp, installerBundle() + u"/Contents/MacOS/VistrelInstaller"_s,
                   {u"--headless"_s, u"--download-service"_s, origin, u"--port"_s, QString::number(freePort())});
}

} // namespace

class InstallerFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { qputenv("TMPDIR", QFile::encodeName(m_tmp.path())); }

    void stalledTransfersEndWithAClearError_data() {
        QTest::addColumn<bool>("stallLocation");
        QTest::newRow("location request, before answering") << true;
        QTest::newRow("package, mid-body") << false; // a byte a second: gaps beyond the limit
    }
    void stalledTransfersEndWithAClearError() {
        QFETCH(bool, stallLocation);
        QTcpServer silent; // the system accepts its connections; it never answers
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const DemoVendor vendor({u"--rate"_s, u"1"_s});
        World world(stallLocation ? u"http://127.0.0.1:%1"_s.arg(silent.serverPort()) : vendor.origin());
        const auto error = download(world);
        QVERIFY(error && error->domain() == u"DownloadError"_s && error->code() == 5);
        QCOMPARE(error->description().left(46), u"No data arrived from 127.0.0.1 for 0.3 seconds"_s);
        QCOMPARE(QDir(m_tmp.path()).entryList({u"Vistrel_*"_s}), QStringList());
    }

    void slowButMovingDownloadGoesOn() {
        const DemoVendor vendor({u"--rate"_s, u"400000"_s}); // over a second, far beyond the limit
        World world(vendor.origin());
        QCOMPARE(download(world), std::nullopt);
    }

    // Each side of the space rule: the temporary folder holds the package, the install root's disk
    // its unpacking, and one disk holding both needs room for both.
    void diskSpaceRule_data() {
        QTest::addColumn<int>("tmpDisk");  // MiB of a disk of its own; 0: the big disk
        QTest::addColumn<int>("rootDisk"); // likewise; -1: the temporary folder's disk
        QTest::addColumn<int>("packageKiB");
        QTest::addColumn<QStringList>("vendorArguments");
        QTest::addColumn<QString>("message"); // what the error says; empty: it fits
        const QString both = u"the package and unpacking it needs"_s;
        QTest::newRow("one disk, room for both") << 4 << -1 << 1536 << QStringList() << QString();
        QTest::newRow("one disk, room for one") << 4 << -1 << 2560 << QStringList() << both;
        QTest::newRow("two disks, the package alone") << 3 << 0 << 2560 << QStringList() << QString();
        QTest::newRow("temporary disk too small") << 2 << 0 << 2560 << QStringList() << u"the package needs"_s;
        QTest::newRow("root's disk too small") << 0 << 2 << 2560 << QStringList() << u"unpacking the package"_s;
        QTest::newRow("size unknown") << 1 << 0 << 2048 << QStringList{u"--no-content-length"_s}
                                      << u"No space left on device"_s;
    }
    void diskSpaceRule() {
        QFETCH(int, tmpDisk);
        QFETCH(int, rootDisk);
        QFETCH(int, packageKiB);
        QFETCH(QStringList, vendorArguments);
        QFETCH(QString, message);
        // Noise does not compress: the package is as large as what it unpacks to.
        QByteArray noise(packageKiB << 10, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        const DemoVendor vendor(QStringList{u"--package"_s, makePackage(m_tmp.path(), {{u"noise"_s, noise}})} +
                                vendorArguments);
        World world(vendor.origin());
        QTemporaryDir tmpMount;
        QStringList mounted; // gone before the home and the folders they are mounted on
        const auto unmount = qScopeGuard([&] {
            for (const QString &folder : mounted)
                QProcess::execute(u"umount"_s, {u"-l"_s, folder});
        });
        const auto mount = [&](const QString &folder, int mib) {
            const bool ok = QDir().mkpath(folder) &&
                            QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=%1m"_s.arg(mib),
                                                           u"tmpfs"_s, folder}) == 0;
            if (ok)
                mounted.append(folder);
            return ok;
        };
        const QString tmp = tmpDisk ? tmpMount.path() : m_tmp.path();
        // The install root lies below ~/Library: its disk is the one mounted there.
        const QString library = world.home.path() + u"/Library"_s;
        if ((tmpDisk && !mount(tmp, tmpDisk)) || (rootDisk > 0 && !mount(library, rootDisk)))
            QSKIP("no tmpfs can be mounted here (that needs root): the disk-space cases are not tried");
        if (rootDisk < 0 && !QFile::link(tmp, library))
            QFAIL("cannot put the install root on the temporary folder's disk");
        qputenv("TMPDIR", QFile::encodeName(tmp));
        const auto error = download(world);
        if (message.isEmpty())
            QVERIFY2(!error, error ? qPrintable(error->description()) : "");
        else
            QVERIFY2(error && error->description().contains(message), error ? qPrintable(error->description()) : "");
        QCOMPARE(QDir(tmp).entryList({u"Vistrel_*"_s}), QStringList());
    }

    void fileStepsDoNotWriteThroughLeftoverLinks() {
        World world;
        // A sibling whose name starts like the root's is outside it too.
        const QString outside = world.root() + u"2/"_s;
        const QString macos = world.root() + u"/TarvikService.app/Contents/MacOS"_s;
        QVERIFY(QDir().mkpath(outside + u"Media"_s) && QDir().mkpath(macos));
        QVERIFY(writeFile(outside + u"victim"_s, "#!/bin/sh\n") && writeFile(outside + u"victim.sh"_s, "#!/bin/sh\n"));
        QVERIFY(QFile::link(outside + u"Media"_s, world.root() + u"/Media"_s));
        QVERIFY(QFile::link(outside + u"lang.txt"_s, world.root() + u"/lang.txt"_s));
        QVERIFY(QFile::link(outside + u"victim.sh"_s, world.root() + u"/run.sh"_s));
        QVERIFY(QFile::link(outside + u"victim"_s, macos + u"/Tarvik"_s));
        await(world.service->prepareInstalledFiles());
        QCOMPARE(entries(outside), (QStringList{u"Media"_s, u"victim"_s, u"victim.sh"_s}));
        QCOMPARE(entries(outside + u"Media"_s), QStringList());
        QCOMPARE((modeOf(outside + u"victim"_s) | modeOf(outside + u"victim.sh"_s)) & 0111, 0);
        QCOMPARE(world.service->installationLog().filter(u"⚠️"_s).size(), 3); // binary, port, language
    }

    void hostilePlistsAreRefusedNeverCrash() {
        // Mutations of a real plist: each is read or refused with a reason, none crashes or hangs.
        const QByteArray original = readFile(installerBundle() + u"/Contents/Info.plist"_s);
        QRandomGenerator random(12);
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = original;
            for (int edits = 1 + random.bounded(4); edits > 0; --edits) {
                const qsizetype at = random.bounded(bytes.size());
                const qsizetype length = random.bounded(std::min<qsizetype>(40, bytes.size() - at)) + 1;
                const int kind = random.bounded(3);
                if (kind == 0)
                    bytes[at] = char(random.bounded(256));
                else if (kind == 1)
                    bytes.remove(at, length);
                else
                    bytes.insert(at, bytes.mid(at, length).repeated(1 + random.bounded(2000)));
            }
            QString reason;
            QVERIFY2(parsePlist(bytes, &reason) || !reason.isEmpty(), bytes.constData());
        }
    }

    void hungCommandsEndWithTheirChildren() {
        // The shell and its child both ignore SIGTERM: only SIGKILL ends them.
        const QString pidFile = m_tmp.filePath(u"pid"_s);
        const auto error = runStep(runCommand(
            u"/bin/bash"_s, {u"-c"_s, u"trap '' TERM; sleep 60 & echo $! > '%1'; wait"_s.arg(pidFile)}, 300ms));
        QVERIFY(error && error->domain() == u"ShellError"_s);
        QVERIFY2(error->description().contains(u"did not finish in time"_s), qPrintable(error->description()));
        const qint64 sleeper = readFile(pidFile).trimmed().toLongLong();
        QVERIFY(sleeper > 0);
        const QString stat = u"/proc/%1/stat"_s.arg(sleeper);
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(stat) || readFile(stat).contains(") Z "), 2000);
    }

    void secondWindowHandsOverToTheFirst() {
        TestHome home; // a runtime folder of its own
        SingleInstance first(u"faults"_s);
        QVERIFY(!first.handOverToRunningInstance());
        QSignalSpy raised(&first, &SingleInstance::activationRequested);
        QVERIFY(SingleInstance(u"faults"_s).handOverToRunningInstance());
        QVERIFY(raised.wait(5000));

        // A socket left by a killed program is taken over; anything else in its place is left alone.
        // Either way a later start finds the first.
        const QString bind = u"import socket,sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])"_s;
        for (const QString &left : {u"socket"_s, u"folder"_s}) {
            SingleInstance later(left);
            QVERIFY(left == u"folder" ? QDir().mkpath(later.socketPath() + u"/x"_s)
                                      : QProcess::execute(u"python3"_s, {u"-c"_s, bind, later.socketPath()}) == 0);
            QVERIFY(!later.handOverToRunningInstance());
            QVERIFY(SingleInstance(left).handOverToRunningInstance());
        }
    }

    void secondRunIsRefusedAndAKilledOneBlocksNothing() {
        TestHome home;
        QTemporaryDir tmp;
        const DemoVendor vendor({u"--rate"_s, u"50000"_s}); // several seconds of download
        const auto first = startRun(home, tmp.path(), vendor.origin());
        QByteArray seen;
        QTRY_VERIFY_WITH_TIMEOUT((seen += first->readAllStandardOutput()).contains("Downloading from"), 30000);

        const auto second = startRun(home, tmp.path(), vendor.origin());
        QVERIFY(second->waitForFinished(10000) && second->exitCode() == 1);
        QVERIFY(second->readAllStandardError().contains("Another installation or an uninstall is already running"));
        QCOMPARE(second->readAllStandardOutput(), QByteArray()); // it touched nothing
        // Nor an uninstall, from another session with a runtime folder of its own.
        const TestHome otherSession;
        const auto uninstall = startIn(home.path(), tmp.path(), launcherBundle() + u"/Contents/MacOS/Vistrel"_s,
                                       {u"--uninstall"_s, u"--yes"_s});
        QVERIFY(uninstall->waitForFinished(10000) && uninstall->exitCode() == 1);
        QVERIFY(uninstall->readAllStandardError().contains("Another uninstall or an installation is already running"));

        first->kill();
        QVERIFY(first->waitForFinished(5000));
        const auto third = startRun(home, tmp.path(), vendor.origin());
        QTRY_VERIFY_WITH_TIMEOUT((seen += third->readAllStandardOutput()).contains("Requesting stable"), 30000);
    }

    void signalEndsTheRunAndWhatItStarted_data() {
        QTest::addColumn<bool>("midUnpack");
        QTest::newRow("mid-download") << false;
        QTest::newRow("mid-unpack") << true;
    }
    void signalEndsTheRunAndWhatItStarted() {
        QFETCH(bool, midUnpack);
        TestHome home;
        QTemporaryDir tmp;
        // Many zeros pack small and take unzip a while.
        const QString package = tmp.filePath(u"big.zip"_s);
        const QString make =
            u"cp \"$1\" \"$2\" && cd \"${2%/*}\" && truncate -s 400M zeros && zip -q -1 \"$2\" zeros"_s;
        QCOMPARE(QProcess::execute(u"bash"_s, {u"-c"_s, make, u"-"_s, demoPackage(), package}), 0);
        QVERIFY(QFile::remove(tmp.filePath(u"zeros"_s)));
        const DemoVendor vendor(midUnpack ? QStringList{u"--package"_s, package}
                                          : QStringList{u"--rate"_s, u"50000"_s});
        const auto run = startRun(home, tmp.path(), vendor.origin());
        qint64 unzip = 0;
        if (midUnpack) {
            QTRY_VERIFY_WITH_TIMEOUT(
                procFile(unzip = newestChild(run->processId()), u"cmdline"_s).contains("\0-o\0"_ba), 30000);
        } else {
            QByteArray seen;
            QTRY_VERIFY_WITH_TIMEOUT((seen += run->readAllStandardOutput()).contains("Downloading from"), 30000);
        }
        ::kill(pid_t(run->processId()), SIGTERM);
        QVERIFY(run->waitForFinished(signalDeadlineMs));
        QCOMPARE(run->exitCode(), 128 + SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(procFile(unzip, u"stat"_s).isEmpty() || procFile(unzip, u"stat"_s).contains(") Z "),
                                 1000);
        QCOMPARE(QDir(tmp.path()).entryList({u"Vistrel_*"_s}, QDir::Files), QStringList());
    }

private:
    QTemporaryDir m_tmp;
};

QTEST_GUILESS_MAIN(InstallerFaultsTest)
#include "tst_faults.moc"
