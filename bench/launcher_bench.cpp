// Measures the launcher against references taken in the same run and prints table rows:
//
//  - start-up: the real launcher (its bundle's executable, its real window on the X display)
//    from process start to its first probe arriving at the demo server, against a minimal Qt
//    Quick window from process start to its first frame;
//  - steady state: the launcher's resident memory after 60 s of polling and the CPU time it used
//    in those 60 s, against the minimal window idling for the same 60 s;
//  - status change: the demo server, run by the service-manager stand-in, ended by a bootout;
//    the time from its exit to the launcher's model (the real ServiceManager, no window, with the
//    stand-in's runtime folder watched as on Linux) publishing Stopped, against the polling interval.
//
//   launcher_bench [--runs N] [--steady-seconds S] [--samples N]
//
// Needs an X display (bench/run starts a virtual one when there is none).
#include "launcher/localization/launcherlocalizationmanager.h"
#include "launcher/service/servicemanager.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

using namespace vistrel;
using namespace std::chrono_literals;

namespace {

void note(const QString &line) {
    std::fputs(qPrintable(line + u'\n'), stderr);
    std::fflush(stderr);
}

void row(const QString &measure, const QString &value, const QString &reference, const QString &referenceValue,
         const QString &ratio) {
    std::fputs(
        qPrintable(
            QStringLiteral("| %1 | %2 | %3 | %4 | %5 |\n").arg(measure, value, reference, referenceValue, ratio)),
        stdout);
    std::fflush(stdout);
}

QString ms(double value) {
    return QStringLiteral("%1 ms").arg(value, 0, 'f', 0);
}

QString ratio(double value, double reference) {
    if (reference <= 0)
        return QStringLiteral("–");
    // Two significant digits where two decimals would show nothing.
    const double r = value / reference;
    return r < 0.1 ? QStringLiteral("%1").arg(r, 0, 'g', 2) : QStringLiteral("%1").arg(r, 0, 'f', 2);
}

double median(QList<double> values) {
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs the event loop until done() holds or the time is up.
bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout.count())
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void waitFor(std::chrono::milliseconds duration) {
    QElapsedTimer clock;
    clock.start();
    waitUntil([&] { return clock.elapsed() >= duration.count(); }, duration + 1s);
}

bool portOpen(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    return socket.waitForConnected(200);
}

quint16 freePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// From /proc: resident memory in KiB, and the CPU time of all the process's threads in ms (the
// scheduler's nanosecond account; the tick-based utime and stime are too coarse for an idle
// minute).
struct Usage {
    long residentKiB = 0;
    double cpuMs = 0;
};

std::optional<Usage> usageOf(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    Usage usage;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            usage.residentKiB = line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (threads.isEmpty())
        return std::nullopt;
    qint64 ns = 0;
    for (const QString &thread : threads) {
        QFile schedstat(tasks + u'/' + thread + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly))
            ns += schedstat.readAll().split(' ').value(0).toLongLong();
    }
    usage.cpuMs = double(ns) / 1e6;
    return usage;
}

// A home folder with an installation the launcher can read: the demo package unpacked into the
// install root, the port file and the language file; a private service-manager domain.
struct Sandbox {
    QTemporaryDir dir;
    QString home;
    QString runtime;
    QString root;
    quint16 port = 0;

    bool make() {
        if (!dir.isValid())
            return false;
        home = dir.path() + QStringLiteral("/home");
        runtime = dir.path() + QStringLiteral("/runtime");
        root = home + QStringLiteral("/Library/Application Support/Vistrel");
        QDir().mkpath(root + QStringLiteral("/Media/XML"));
        QDir().mkpath(home + QStringLiteral("/Library/Logs"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcess unzip;
        unzip.start(QStringLiteral("/usr/bin/unzip"),
                    {QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral(VISTREL_BENCH_DEMO_PACKAGE),
                     QStringLiteral("-d"), root});
        if (!unzip.waitForFinished(60000) || unzip.exitCode() != 0)
            return false;
        port = freePort();
        return write(root + QStringLiteral("/Media/XML/port.txt"), QByteArray::number(port)) &&
               write(root + QStringLiteral("/lang.txt"), "en");
    }
    QString server() const { return root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik"); }
    QString plist() const { return home + QStringLiteral("/Library/LaunchAgents/com.qelvo.vistrel.plist"); }

    static bool write(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.remove(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.qpa.*=false"));
        return env;
    }
};

// The demo server run directly (not through the service manager), its request log read as it
// is written: the moment a request line arrives is the moment the request reached the server.
class ServerWatch {
public:
    explicit ServerWatch(const Sandbox &sandbox, const QElapsedTimer &clock)
        : m_clock(clock) {
        m_process.setWorkingDirectory(sandbox.root);
        m_process.setProcessEnvironment(sandbox.environment());
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
            while (m_process.canReadLine()) {
                const QByteArray line = m_process.readLine();
                if (line.contains("\"GET /\"") || line.contains("\"GET / ")) {
                    m_requests.append(m_clock.nsecsElapsed());
                }
            }
        });
        m_process.start(sandbox.server(), {});
    }
    ~ServerWatch() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
    const QList<qint64> &requests() const { return m_requests; }
    std::optional<qint64> firstRequestAfter(qint64 ns) const {
        for (qint64 t : m_requests)
            if (t >= ns)
                return t;
        return std::nullopt;
    }

private:
    const QElapsedTimer &m_clock;
    QProcess m_process;
    QList<qint64> m_requests;
};

class Program {
public:
    Program(const QString &path, const QStringList &args, const Sandbox &sandbox, const QElapsedTimer &clock)
        : m_clock(clock) {
        m_process.setProcessEnvironment(sandbox.environment());
        m_process.setWorkingDirectory(sandbox.home);
        m_process.setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
            while (m_process.canReadLine()) {
                if (m_process.readLine().startsWith("first-frame") && !m_firstFrame)
                    m_firstFrame = m_clock.nsecsElapsed();
            }
        });
        m_started = m_clock.nsecsElapsed();
        m_process.start(path, args);
    }
    ~Program() { end(); }
    void end() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    qint64 started() const { return m_started; }
    std::optional<qint64> firstFrame() const { return m_firstFrame; }
    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }

private:
    const QElapsedTimer &m_clock;
    QProcess m_process;
    qint64 m_started = 0;
    std::optional<qint64> m_firstFrame;
};

const QString launcherProgram = QStringLiteral(VISTREL_BENCH_LAUNCHER_BUNDLE "/Contents/MacOS/Vistrel");
const QString minimalProgram = QStringLiteral(VISTREL_BENCH_MINIMAL_WINDOW);

// --- start-up -----------------------------------------------------------------------------

bool benchStartup(int runs) {
    Sandbox sandbox;
    if (!sandbox.make())
        return false;
    QElapsedTimer clock;
    clock.start();
    ServerWatch server(sandbox, clock);
    if (!waitUntil([&] { return portOpen(sandbox.port); }, 10s)) {
        note(QStringLiteral("the demo server did not start"));
        return false;
    }
    QList<double> launcherMs;
    QList<double> minimalMs;
    for (int run = 0; run < runs; ++run) {
        {
            Program minimal(minimalProgram, {}, sandbox, clock);
            if (!waitUntil([&] { return minimal.firstFrame().has_value(); }, 60s)) {
                note(QStringLiteral("the minimal window showed no frame"));
                return false;
            }
            minimalMs.append(double(*minimal.firstFrame() - minimal.started()) / 1e6);
        }
        {
            Program launcher(launcherProgram, {}, sandbox, clock);
            std::optional<qint64> probe;
            if (!waitUntil(
                    [&] {
                        probe = server.firstRequestAfter(launcher.started());
                        return probe.has_value();
                    },
                    60s)) {
                note(QStringLiteral("the launcher sent no probe"));
                return false;
            }
            launcherMs.append(double(*probe - launcher.started()) / 1e6);
        }
        note(QStringLiteral("start-up run %1: launcher to first probe %2, minimal window to first frame %3")
                 .arg(run + 1)
                 .arg(ms(launcherMs.constLast()), ms(minimalMs.constLast())));
    }
    const double launcher = median(launcherMs);
    const double minimal = median(minimalMs);
    row(QStringLiteral("Launcher start → first probe at the demo server (real window, median of %1)").arg(runs),
        ms(launcher), QStringLiteral("minimal Qt Quick window start → first frame"), ms(minimal),
        ratio(launcher, minimal));
    return true;
}

// --- steady state ---------------------------------------------------------------------------

bool benchSteady(int seconds) {
    Sandbox sandbox;
    if (!sandbox.make())
        return false;
    QElapsedTimer clock;
    clock.start();
    ServerWatch server(sandbox, clock);
    if (!waitUntil([&] { return portOpen(sandbox.port); }, 10s))
        return false;
    Program launcher(launcherProgram, {}, sandbox, clock);
    Program minimal(minimalProgram, {QStringLiteral("--stay")}, sandbox, clock);
    std::optional<qint64> firstProbe;
    if (!waitUntil(
            [&] {
                firstProbe = server.firstRequestAfter(launcher.started());
                return firstProbe.has_value() && minimal.firstFrame().has_value();
            },
            60s)) {
        note(QStringLiteral("the launcher or the minimal window did not come up"));
        return false;
    }
    const auto launcherStart = usageOf(launcher.pid());
    const auto minimalStart = usageOf(minimal.pid());
    const qint64 launcherFrom = *firstProbe;
    const qint64 minimalFrom = *minimal.firstFrame();
    note(QStringLiteral("steady state: %1 s of polling...").arg(seconds));
    const qint64 span = qint64(seconds) * 1000000000;
    std::optional<Usage> launcherEnd;
    std::optional<Usage> minimalEnd;
    waitUntil(
        [&] {
            const qint64 now = clock.nsecsElapsed();
            if (!minimalEnd && now - minimalFrom >= span)
                minimalEnd = usageOf(minimal.pid());
            if (!launcherEnd && now - launcherFrom >= span)
                launcherEnd = usageOf(launcher.pid());
            return launcherEnd && minimalEnd;
        },
        std::chrono::seconds(seconds + 30));
    if (!launcherStart || !minimalStart || !launcherEnd || !minimalEnd || !launcher.running()) {
        note(QStringLiteral("could not read the processes' usage"));
        return false;
    }
    const qsizetype probes = std::count_if(server.requests().cbegin(), server.requests().cend(),
                                           [&](qint64 t) { return t >= launcherFrom && t < launcherFrom + span; });
    const double launcherMiB = double(launcherEnd->residentKiB) / 1024.0;
    const double minimalMiB = double(minimalEnd->residentKiB) / 1024.0;
    row(QStringLiteral("Launcher resident memory after %1 s of polling").arg(seconds),
        QStringLiteral("%1 MiB").arg(launcherMiB, 0, 'f', 1),
        QStringLiteral("minimal Qt Quick window after the same %1 s").arg(seconds),
        QStringLiteral("%1 MiB").arg(minimalMiB, 0, 'f', 1), ratio(launcherMiB, minimalMiB));
    const double launcherCpu = launcherEnd->cpuMs - launcherStart->cpuMs;
    const double minimalCpu = minimalEnd->cpuMs - minimalStart->cpuMs;
    const auto cpu = [](double value) { return QStringLiteral("%1 ms").arg(value, 0, 'f', 1); };
    row(QStringLiteral("Launcher CPU time in those %1 s (%2 probes)").arg(seconds).arg(probes), cpu(launcherCpu),
        QStringLiteral("minimal Qt Quick window, same %1 s").arg(seconds), cpu(minimalCpu),
        ratio(launcherCpu, minimalCpu));
    return true;
}

// --- status change --------------------------------------------------------------------------

// What the launcher's models need of the system, for a home folder of our choosing.
class BenchPlatform : public Platform {
public:
    BenchPlatform(QString home, QString stateFile)
        : m_home(std::move(home))
        , m_stateFile(std::move(stateFile)) {}
    QString homeDirectory() const override { return m_home; }
    QString launchctlPath() const override { return QStringLiteral(VISTREL_BENCH_LAUNCHCTL); }
    QString serviceStateFile() const override { return m_stateFile; }
    bool openUrl(const QUrl &) override { return false; }
    bool openApplication(const QString &) override { return false; }
    int captureAuthorization(CaptureKind) const override { return capture::authorized; }
    QStringList preferredLanguages() const override { return {QStringLiteral("en")}; }
    QVariant userDefault(const QString &) const override { return {}; }
    void setUserDefault(const QString &, const QVariant &) override {}
    void setClipboardText(const QString &) override {}
    void terminateApplication() override {}

private:
    QString m_home;
    QString m_stateFile;
};

bool launchctl(const Sandbox &sandbox, const QString &command) {
    QProcess process;
    process.setProcessEnvironment(sandbox.environment());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(VISTREL_BENCH_LAUNCHCTL),
                  {command, QStringLiteral("gui/%1").arg(::getuid()), sandbox.plist()});
    return process.waitForFinished(120000) && process.exitCode() == 0;
}

std::optional<qint64> serverPid(const Sandbox &sandbox) {
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == sandbox.server())
            return pid;
    }
    return std::nullopt;
}

bool benchStatusChange(int samples) {
    Sandbox sandbox;
    if (!sandbox.make())
        return false;
    // The launch agent as the installer writes it: the service manager keeps the server alive.
    const QString logs = sandbox.home + QStringLiteral("/Library/Logs/");
    const QString plist =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<plist version=\"1.0\"><dict>\n"
                       "<key>Label</key><string>com.qelvo.vistrel</string>\n"
                       "<key>ProgramArguments</key><array><string>%1</string></array>\n"
                       "<key>WorkingDirectory</key><string>%2</string>\n"
                       "<key>RunAtLoad</key><true/>\n<key>KeepAlive</key><true/>\n"
                       "<key>StandardOutPath</key><string>%3vistrel.log</string>\n"
                       "<key>StandardErrorPath</key><string>%3vistrel.error.log</string>\n"
                       "</dict></plist>\n")
            .arg(sandbox.server().toHtmlEscaped(), sandbox.root.toHtmlEscaped(), logs.toHtmlEscaped());
    QDir().mkpath(QFileInfo(sandbox.plist()).absolutePath());
    if (!Sandbox::write(sandbox.plist(), plist.toUtf8()))
        return false;
    qputenv("XDG_RUNTIME_DIR", sandbox.runtime.toLocal8Bit());

    // As the launcher runs on Linux: polling, and the stand-in's runtime folder watched.
    BenchPlatform platform(sandbox.home,
                           sandbox.runtime + QStringLiteral("/vistrel-launchctl/job-com.qelvo.vistrel.json"));
    LauncherLocalizationManager localization(platform);
    ServiceManager manager(platform, localization);
    QElapsedTimer clock;
    clock.start();
    std::optional<qint64> stoppedAt;
    QObject::connect(&manager, &ServiceManager::statusChanged, [&] {
        if (manager.status().is(ServiceStatus::Case::Stopped) && !stoppedAt)
            stoppedAt = clock.nsecsElapsed();
    });
    const auto running = [&] { return manager.status().is(ServiceStatus::Case::Running); };

    QList<double> latencies;
    std::chrono::milliseconds interval{};
    bool ok = true;
    for (int sample = 0; sample < samples && ok; ++sample) {
        if (!launchctl(sandbox, QStringLiteral("bootstrap")) ||
            !waitUntil([&] { return portOpen(sandbox.port); }, 30s)) {
            note(QStringLiteral("the service did not start"));
            ok = false;
            break;
        }
        // As the main window does when it is shown.
        manager.checkStatus();
        manager.startPolling();
        if (!waitUntil(running, 30s)) {
            note(QStringLiteral("the launcher's model did not see the server running"));
            ok = false;
            break;
        }
        interval = manager.status().pollingInterval(manager.timing());
        // The exit falls anywhere in the polling period.
        waitFor(std::chrono::milliseconds(QRandomGenerator::global()->bounded(int(interval.count()))));
        const auto pid = serverPid(sandbox);
        const int pidfd = pid ? int(::syscall(SYS_pidfd_open, pid_t(*pid), 0)) : -1;
        if (pidfd < 0) {
            note(QStringLiteral("cannot watch the server process"));
            ok = false;
            break;
        }
        std::optional<qint64> exitedAt;
        QSocketNotifier exitNotifier(pidfd, QSocketNotifier::Read);
        QObject::connect(&exitNotifier, &QSocketNotifier::activated, [&] {
            if (!exitedAt)
                exitedAt = clock.nsecsElapsed();
            exitNotifier.setEnabled(false);
        });
        stoppedAt.reset();
        QProcess bootout;
        bootout.setProcessEnvironment(sandbox.environment());
        bootout.setStandardOutputFile(QProcess::nullDevice());
        bootout.setStandardErrorFile(QProcess::nullDevice());
        bootout.start(QStringLiteral(VISTREL_BENCH_LAUNCHCTL),
                      {QStringLiteral("bootout"), QStringLiteral("gui/%1").arg(::getuid()), sandbox.plist()});
        const bool seen = waitUntil([&] { return exitedAt && stoppedAt; }, interval + 30s);
        bootout.waitForFinished(120000);
        ::close(pidfd);
        if (!seen) {
            note(QStringLiteral("the launcher's model did not show Stopped"));
            ok = false;
            break;
        }
        latencies.append(double(*stoppedAt - *exitedAt) / 1e6);
        note(QStringLiteral("status change sample %1: %2").arg(sample + 1).arg(ms(latencies.constLast())));
        manager.stopPolling();
    }
    launchctl(sandbox, QStringLiteral("bootout"));
    if (!ok)
        return false;
    const double med = median(latencies);
    const double worst = *std::max_element(latencies.cbegin(), latencies.cend());
    row(QStringLiteral("Server exit (bootout) → launcher model shows Stopped, runtime folder watched (median of %1; "
                       "worst %2)")
            .arg(samples)
            .arg(ms(worst)),
        ms(med), QStringLiteral("polling interval"), ms(double(interval.count())),
        ratio(med, double(interval.count())));
    return true;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    int runs = 5;
    int seconds = 60;
    int samples = 10;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--runs" && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == u"--steady-seconds" && i + 1 < args.size())
            seconds = args[++i].toInt();
        else if (args[i] == u"--samples" && i + 1 < args.size())
            samples = args[++i].toInt();
        else {
            note(QStringLiteral("usage: launcher_bench [--runs N] [--steady-seconds S] [--samples N]"));
            return 2;
        }
    }
    if (runs < 1 || seconds < 1 || samples < 1)
        return 2;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        note(QStringLiteral("launcher_bench: needs an X display (bench/run starts a virtual one)"));
        return 2;
    }
    const bool ok = benchStartup(runs) && benchSteady(seconds) && benchStatusChange(samples);
    return ok ? 0 : 1;
}
