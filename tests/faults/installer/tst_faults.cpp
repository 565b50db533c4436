// Hostile conditions: transfers that stall, disks that fill, links left where files go, property
// lists that never end, commands that hang, a second window, a second run, signals mid-run.
#include "common/commandrunner.h"
#include "common/paths.h"
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

const QString installer = installerBundle() + u"/Contents/MacOS/VistrelInstaller"_s;

// A headless installation's command line after the program, and one run of it into home, with the
// package downloaded to tmp.
QStringList headless(const QString &origin, quint16 port) {
    return {u"--headless"_s, u"--download-service"_s, origin, u"--port"_s, QString::number(port)};
}
std::unique_ptr<QProcess> startRun(const TestHome &home, const QString &tmp, const QString &origin,
                                   quint16 port = freePort()) {
    return startIn(home.path(), tmp, installer, headless(origin, port));
}

// An installation that works, for the runs that must leave it so; made once.
struct Installed {
    TestHome home;
    DemoVendor vendor;
    quint16 port = freePort();
    std::unique_ptr<QProcess> run = startRun(home, QDir::tempPath(), vendor.origin(), port);
    bool made = run->waitForFinished(120000) && run->exitCode() == 0;
};

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

    void commandLinesThatWillNotRunTouchNothing_data() {
        QTest::addColumn<QString>("home"); // after the home's path, as printf(1) writes it
        // The uninstaller's with --uninstall, else the installer's after a whole command line.
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // {taken}: the download service's port
        const QString notAPort = u"--port: \"%1\" is not a port: give a whole number from 1 to 65535.\n"_s;
        for (const QString &port : {u"abc"_s, u"0"_s, u"-1"_s, u"65536"_s, u"8090 "_s, u"0x1f90"_s, QString()})
            QTest::addRow("port \"%s\"", qPrintable(port))
                << QString() << QStringList{u"--port"_s, port} << 2 << notAPort.arg(port);
        QTest::newRow("port another program listens on")
            << QString() << QStringList{u"--port"_s, u"{taken}"_s} << 2
            << u"--port: {taken} is already in use by another program: choose another port.\n"_s;
        QTest::newRow("file: origin") << QString() << QStringList{u"--download-service"_s, u"file:///etc"_s} << 2
                                      << u"--download-service: \"file:///etc\" is not a download service"_s;
        const QString longHost = u"http://%1.example"_s.arg(QString(10240, u'a'));
        QTest::newRow("10 KB host") << QString() << QStringList{u"--download-service"_s, longHost} << 2
                                    << u"aaaa…\" is not a download service"_s;
        for (const QString &help : {u"-h"_s, u"-?"_s, u"--help"_s, u"--help-all"_s}) {
            QTest::addRow("installer %s", qPrintable(help))
                << QString() << QStringList{u"--port"_s, u"abc"_s, u"--no-such-option"_s, help} << 0 << u"Usage: "_s;
            QTest::addRow("uninstaller %s", qPrintable(help))
                << QString() << QStringList{u"--uninstall"_s, u"--yes"_s, help} << 0 << u"Usage: "_s;
        }
        QTest::newRow("uninstall without --yes") << QString() << QStringList{u"--uninstall"_s} << 2 << u"--yes"_s;
        const QString odd = u"cannot hold the installation"_s;
        for (const QString &name : {u"\\377"_s, u"\\r"_s, u"\\177"_s, u"\\302\\205"_s, u"\\342\\200\\250"_s})
            QTest::addRow("home + %s", qPrintable(name)) << name << QStringList() << 2 << odd;
        QTest::newRow("uninstaller, home + \\377")
            << u"\\377"_s << QStringList{u"--uninstall"_s, u"--yes"_s} << 2 << odd;
    }
    void commandLinesThatWillNotRunTouchNothing() {
        QFETCH(QString, home);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        const Installed &installed = installation();
        QVERIFY(installed.made);
        const QString taken = QString::number(QUrl(installed.vendor.origin()).port());
        arguments.replaceInStrings(u"{taken}"_s, taken);
        const QString path = installed.home.path();
        const QMap<QString, QByteArray> before = snapshot(path, {u"Library/Logs"_s});
        const QStringList beside = entries(QFileInfo(path).path());
        const QStringList line = arguments.contains(u"--uninstall"_s)
                                     ? QStringList{paths::launcherApp(path) + u"/Contents/MacOS/Vistrel"_s}
                                     : QStringList{installer} + headless(installed.vendor.origin(), installed.port);
        // Through bash, so that the home may hold bytes that are not UTF-8.
        const auto run = startIn(path, QDir::tempPath(), u"/bin/bash"_s,
                                 QStringList{u"-c"_s, u"HOME=$HOME$(printf \"$1\") exec \"${@:2}\""_s, u"-"_s, home} +
                                     line + arguments);
        QVERIFY(run->waitForFinished(30000));
        const QString output = QString::fromUtf8(run->readAllStandardOutput() + run->readAllStandardError());
        QVERIFY2(output.contains(said.replace(u"{taken}"_s, taken)), qPrintable(output));
        QCOMPARE(run->exitCode(), status);
        // Not stopped (its log would say so), nothing written in the home or beside it.
        QVERIFY(portIsOpen(installed.port));
        QVERIFY(!readFile(paths::serverLog(path)).contains("stopped"));
        QCOMPARE(snapshot(path, {u"Library/Logs"_s}), before);
        QCOMPARE(entries(QFileInfo(path).path()), beside);
    }

    void closedOutputsEndNoRunAndOtherAgentsStay() {
        const Installed &installed = installation();
        QVERIFY(installed.made);
        const QString home = installed.home.path();
        // Another agent, loaded from a plist at our plist's path; ours is loaded too.
        const QString plist = paths::launchAgentPlist(home);
        const QString other = u"gui/%1/com.example.other"_s.arg(::getuid());
        QVERIFY(writeFile(plist, "<plist><dict><key>Label</key><string>com.example.other</string>"
                                 "<key>ProgramArguments</key><array><string>true</string></array></dict></plist>"));
        QCOMPARE(QProcess::execute(launchctlTool(), {u"bootstrap"_s, u"gui/%1"_s.arg(::getuid()), plist}), 0);
        const auto unload = qScopeGuard([&] { QProcess::execute(launchctlTool(), {u"bootout"_s, other}); });
        const quint16 port = freePort();
        // The reader of each program's log goes away after two lines.
        const QString script = u"\"$1\" --headless --download-service $2 --port $3 | head -n 2; echo ${PIPESTATUS[0]}\n"
                               "\"$4\" --uninstall --yes | head -n 2; echo ${PIPESTATUS[0]}"_s;
        const auto run = startIn(home, QDir::tempPath(), u"/bin/bash"_s,
                                 {u"-c"_s, script, u"-"_s, installer, installed.vendor.origin(), QString::number(port),
                                  paths::launcherApp(home) + u"/Contents/MacOS/Vistrel"_s});
        QVERIFY(run->waitForFinished(120000));
        const QList<QByteArray> out = run->readAllStandardOutput().split('\n');
        QVERIFY2(out.size() == 7 && out[2] == "0" && out[5] == "0", out.join('\n').constData());
        QVERIFY(!QFileInfo::exists(plist) && !QFileInfo::exists(paths::launcherApp(home)) && !portIsOpen(port));
        QCOMPARE(QProcess::execute(launchctlTool(), {u"print"_s, other}), 0);
        m_installed.reset();
    }

private:
    const Installed &installation() {
        if (!m_installed)
            m_installed = std::make_unique<Installed>();
        return *m_installed;
    }

    QTemporaryDir m_tmp;
    std::unique_ptr<Installed> m_installed;
};

QTEST_GUILESS_MAIN(InstallerFaultsTest)
#include "tst_faults.moc"
