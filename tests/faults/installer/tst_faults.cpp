// Hostile conditions met inside one process: transfers that stall, disks that fill, packages whose
// links lead out, property lists that never end, commands that hang, a second window.
#include "common/commandrunner.h"
#include "common/paths.h"
#include "common/plist.h"
#include "common/singleinstance.h"
#include "enginetesthelpers.h"
#include "platform/systemplatform.h"

#include "await.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <unistd.h>

using namespace vistrel;
using namespace vistrel::test;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr auto stallLimit = 300ms; // the inactivity limit the tests give the engine

// Answers the location request with a package URL of its own. It stalls the location answer,
// or sends the package's head and part of its body and then nothing.
class StallingServer : public QTcpServer {
public:
    explicit StallingServer(bool stallLocation) {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this, stallLocation] {
            QTcpSocket *socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, stallLocation] {
                const bool location = socket->readAll().contains("DownloadLocation5");
                const QByteArray url = origin().toLatin1() + "/p.zip";
                if (location && !stallLocation)
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(url.size()) + "\r\n\r\n" +
                                  url);
                else if (!location)
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + QByteArray(1000, 'x'));
            });
        });
    }
    QString origin() const { return u"http://127.0.0.1:%1"_s.arg(serverPort()); }
};

// A small file system of its own, where the machine lets us mount one.
struct SmallDisk {
    QTemporaryDir dir;
    bool mounted =
        QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=1m"_s, u"tmpfs"_s, dir.path()}) == 0;
    ~SmallDisk() {
        if (mounted)
            QProcess::execute(u"umount"_s, {u"-l"_s, dir.path()});
    }
};

QString deepPlist(int levels) {
    return "<?xml version=\"1.0\"?><plist version=\"1.0\">"_L1 + u"<array>"_s.repeated(levels) +
           u"</array>"_s.repeated(levels) + "</plist>"_L1;
}

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

bool processGone(qint64 pid) {
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    return !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
}

} // namespace

class InstallerFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(m_tmp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
    }

    void stalledTransfersEndWithAClearError_data() {
        QTest::addColumn<bool>("stallLocation");
        QTest::newRow("location request, before answering") << true;
        QTest::newRow("package, mid-body") << false;
    }
    void stalledTransfersEndWithAClearError() {
        QFETCH(bool, stallLocation);
        StallingServer server(stallLocation);
        World world(server.origin());
        Timing timing;
        timing.transferInactivity = stallLimit;
        InstallationService service(world.platform, timing);
        const auto error = runStep(service.downloadVistrel());
        QVERIFY(error);
        QCOMPARE(error->domain(), u"DownloadError"_s);
        QCOMPARE(error->code(), 5);
        QVERIFY2(error->description().startsWith(u"No data arrived from 127.0.0.1 for 0.3 seconds"_s),
                 qPrintable(error->description()));
        QCOMPARE(QDir(m_tmp.path()).entryList(QDir::Files), QStringList());
    }

    void slowButMovingDownloadGoesOn() {
        const DemoVendor vendor({u"--rate"_s, u"400000"_s}); // some seconds, far longer than the limit
        World world(vendor.origin());
        Timing timing;
        timing.transferInactivity = stallLimit;
        InstallationService service(world.platform, timing);
        QCOMPARE(runStep(service.downloadVistrel()), std::nullopt);
    }

    void fullDiskIsNamed_data() {
        QTest::addColumn<QStringList>("vendorArguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("size announced") << QStringList() << u"Not enough disk space in "_s;
        QTest::newRow("size unknown") << QStringList{u"--no-content-length"_s} << u"No space left on device"_s;
    }
    void fullDiskIsNamed() {
        QFETCH(QStringList, vendorArguments);
        QFETCH(QString, message);
        SmallDisk disk;
        if (!disk.mounted)
            QSKIP("no tmpfs can be mounted here (that needs root): the full-disk cases are not tried");
        qputenv("TMPDIR", QFile::encodeName(disk.dir.path()));
        // Two MiB that do not compress, in a package that cannot fit the one MiB disk.
        const QString package = makePackage(m_tmp.path(), {{u"noise.bin"_s, randomBytes(2 << 20)}});
        const DemoVendor vendor(QStringList{u"--package"_s, package} + vendorArguments);
        World world(vendor.origin());
        const auto error = runStep(world.service->downloadVistrel());
        QVERIFY(error);
        QVERIFY2(error->description().contains(message), qPrintable(error->description()));
        QCOMPARE(QDir(disk.dir.path()).entryList(QDir::Files), QStringList());
    }

    void linksLeadingOutAreRefusedBeforeUnpacking_data() {
        QTest::addColumn<QList<PackageFile>>("files");
        QTest::addColumn<QString>("leftover"); // a link an earlier installation left, to outside
        QTest::addColumn<QString>("entry");
        const auto link = [](const QString &path, const QByteArray &target) {
            return PackageFile{path, target, 0777, true};
        };
        QTest::newRow("chain up") << QList<PackageFile>{link(u"x/l1"_s, ".."), link(u"x/l2"_s, "l1/..")} << QString()
                                  << u"x/l2"_s;
        QTest::newRow("through a link to itself")
            << QList<PackageFile>{link(u"d/c"_s, "."), link(u"d/e"_s, "c/../.."), {u"d/f.txt"_s, "f"}} << QString()
            << u"d/e"_s;
        QTest::newRow("folder left as a link") << QList<PackageFile>{{u"TarvikService.app/Contents/x.txt"_s, "x"}}
                                               << u"TarvikService.app"_s << u"TarvikService.app/Contents/x.txt"_s;
    }
    void linksLeadingOutAreRefusedBeforeUnpacking() {
        QFETCH(QList<PackageFile>, files);
        QFETCH(QString, leftover);
        QFETCH(QString, entry);
        const DemoVendor vendor({u"--package"_s, makePackage(m_tmp.path(), files)});
        World world(vendor.origin());
        const QString outside = world.home.path() + u"/outside"_s;
        QVERIFY(QDir().mkpath(outside) && QDir().mkpath(world.root()));
        if (!leftover.isEmpty())
            QVERIFY(QFile::link(outside, world.root() + u'/' + leftover));
        const auto error = runStep(world.service->downloadVistrel());
        QVERIFY(error);
        QCOMPARE(error->domain(), u"ExtractionError"_s);
        QVERIFY(world.service->installationLog().filter(entry).size() == 1);
        QCOMPARE(QDir(outside).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QCOMPARE(QDir(world.root()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 leftover.isEmpty() ? QStringList() : QStringList{leftover});
    }

    void fileStepsDoNotWriteThroughLeftoverLinks() {
        World world;
        const QString outside = world.home.path() + u"/outside/"_s;
        const QString macos = world.root() + u"/TarvikService.app/Contents/MacOS"_s;
        QVERIFY(QDir().mkpath(outside + u"Media"_s) && QDir().mkpath(macos));
        QVERIFY(writeFile(outside + u"victim"_s, "#!/bin/sh\n") && writeFile(outside + u"victim.sh"_s, "#!/bin/sh\n"));
        QVERIFY(QFile::link(outside + u"Media"_s, world.root() + u"/Media"_s));
        QVERIFY(QFile::link(outside + u"lang.txt"_s, world.root() + u"/lang.txt"_s));
        QVERIFY(QFile::link(outside + u"victim.sh"_s, world.root() + u"/run.sh"_s));
        QVERIFY(QFile::link(outside + u"victim"_s, macos + u"/Tarvik"_s));
        await(world.service->prepareInstalledFiles());
        QCOMPARE(QDir(outside).entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name),
                 (QStringList{u"Media"_s, u"victim"_s, u"victim.sh"_s}));
        QCOMPARE(QDir(outside + u"Media"_s).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QCOMPARE(modeOf(outside + u"victim"_s) & 0111, 0);
        QCOMPARE(modeOf(outside + u"victim.sh"_s) & 0111, 0);
        QCOMPARE(world.service->installationLog().filter(u"⚠️"_s).size(), 3); // binary, port, language
    }

    void hostilePlistsAreRefusedNeverCrash() {
        // The stand-in service manager refuses the file with a reason.
        TestHome home;
        const QString plist = home.path() + u"/deep.plist"_s;
        QVERIFY(writeFile(plist, deepPlist(50000).toUtf8()));
        QProcess launchctl;
        launchctl.start(launchctlTool(), {u"bootstrap"_s, u"gui/%1"_s.arg(::getuid()), plist});
        QVERIFY(launchctl.waitForFinished(10000));
        QCOMPARE(launchctl.exitStatus(), QProcess::NormalExit);
        const QString said = QString::fromUtf8(launchctl.readAllStandardError());
        QVERIFY2(said.startsWith(u"Bootstrap failed: 5: Input/output error\n"_s) && said.contains(u"nested deeper"_s),
                 qPrintable(said));

        // Looking an application up passes over a bundle whose Info.plist is refused.
        QVERIFY(writeFile(home.path() + u"/Applications/A.app/Contents/Info.plist"_s, deepPlist(50000).toUtf8()));
        QVERIFY(QDir().mkpath(home.path() + u"/Applications/B.app/Contents"_s));
        QVERIFY(QFile::copy(launcherBundle() + u"/Contents/Info.plist"_s,
                            home.path() + u"/Applications/B.app/Contents/Info.plist"_s));
        QCOMPARE(
            SystemPlatform::findApplicationBundle(home.path(), QString::fromUtf16(paths::launcherBundleIdentifier)),
            home.path() + u"/Applications/B.app"_s);

        // Mutations of a real plist: each is read or refused with a reason, none crashes or hangs.
        QFile own(installerBundle() + u"/Contents/Info.plist"_s);
        QVERIFY(own.open(QIODevice::ReadOnly));
        const QByteArray original = own.readAll();
        QRandomGenerator random(12);
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = original;
            for (int edits = 1 + random.bounded(4); edits > 0; --edits) {
                const qsizetype at = random.bounded(bytes.size());
                const qsizetype length = random.bounded(std::min<qsizetype>(40, bytes.size() - at)) + 1;
                switch (random.bounded(3)) {
                case 0:
                    bytes[at] = char(random.bounded(256));
                    break;
                case 1:
                    bytes.remove(at, length);
                    break;
                default:
                    bytes.insert(at, bytes.mid(at, length).repeated(1 + random.bounded(2000)));
                    break;
                }
            }
            QString reason;
            if (!parsePlist(bytes, &reason))
                QVERIFY2(!reason.isEmpty(), bytes.constData());
        }
    }

    void hungCommandsEndWithTheirChildren() {
        // The shell and its child both ignore SIGTERM: only SIGKILL ends them.
        const QString pidFile = m_tmp.filePath(u"pid"_s);
        QElapsedTimer clock;
        clock.start();
        const auto error =
            runStep(runShellCommand(u"trap '' TERM; sleep 60 & echo $! > '%1'; wait"_s.arg(pidFile), 300ms));
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(error);
        QCOMPARE(error->domain(), u"ShellError"_s);
        QVERIFY2(error->description().contains(u"did not finish in time"_s), qPrintable(error->description()));
        const qint64 sleeper = readAll(pidFile).trimmed().toLongLong();
        QVERIFY(sleeper > 0);
        QTRY_VERIFY_WITH_TIMEOUT(processGone(sleeper), 2000);
    }

    void secondWindowHandsOverToTheFirst() {
        TestHome home; // a runtime folder of its own
        SingleInstance first(u"faults"_s);
        QVERIFY(!first.handOverToRunningInstance());
        QSignalSpy raised(&first, &SingleInstance::activationRequested);
        QVERIFY(SingleInstance(u"faults"_s).handOverToRunningInstance());
        QVERIFY(raised.wait(5000));

        // A socket left by a killed program blocks nobody.
        SingleInstance later(u"stale"_s);
        QCOMPARE(QProcess::execute(u"python3"_s,
                                   {u"-c"_s, u"import socket,sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])"_s,
                                    later.socketPath()}),
                 0);
        QVERIFY(!later.handOverToRunningInstance());
        QVERIFY(SingleInstance(u"stale"_s).handOverToRunningInstance());
    }

private:
    QTemporaryDir m_tmp;
};

QTEST_GUILESS_MAIN(InstallerFaultsTest)
#include "tst_faults.moc"
