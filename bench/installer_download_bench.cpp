// Measures the installer against the plain reference, curl -o of the same package from the demo
// vendor on loopback followed by unzip, and prints table rows:
//
//  - a whole installation (VistrelInstaller --headless: the real program without a window,
//    all seven steps up to the server's answer) minus the fixed waits the behaviour prescribes,
//    counted from its log: the pause after each service stop, after each step, between
//    verification attempts, and the restart gap when the agent was still loaded;
//  - the engine's download and unpacking alone, and its peak resident memory;
//  - the server's downtime in an upgrade over that installation (the old server's last answer to
//    the new one's first), and in one that fails (a damaged package: the old server's last answer
//    to its first answer again), each against the whole time of the same run.
//
//   installer_download_bench [--size-mb N] [--runs N] [--keep]
//
// Each run gets a fresh home folder, temporary folder and service-manager domain in a scratch
// directory. The whole installation loads a job and ends server processes by name: run it under
// the services lock (bench/run does).
#include "common/timing.h"
#include "installer/engine/installationservice.h"

#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <QCoro/QCoroTask>

#include <QTcpSocket>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>

using namespace vistrel;

namespace {

// Just enough platform for the engine: a home folder and where the download service is.
class BenchPlatform : public Platform {
public:
    BenchPlatform(QString home, QString origin)
        : m_home(std::move(home))
        , m_origin(std::move(origin)) {}
    QString homeDirectory() const override { return m_home; }
    QString launchctlPath() const override { return QStringLiteral("/bin/false"); }
    bool openUrl(const QUrl &) override { return false; }
    bool openApplication(const QString &) override { return false; }
    int captureAuthorization(CaptureKind) const override { return capture::notDetermined; }
    QStringList preferredLanguages() const override { return {QStringLiteral("en")}; }
    QVariant userDefault(const QString &key) const override {
        return key == u"downloadServiceOrigin" ? QVariant(m_origin) : QVariant();
    }
    void setUserDefault(const QString &, const QVariant &) override {}
    void setClipboardText(const QString &) override {}
    void terminateApplication() override {}

private:
    QString m_home;
    QString m_origin;
};

void say(const QString &line) {
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

// Progress, kept apart from the table rows.
void note(const QString &line) {
    std::fputs(qPrintable(line + u'\n'), stderr);
    std::fflush(stderr);
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child mode: one downloadVistrel into home; prints "elapsed-ms <n> peak-rss-kib <n>" or the error.
int runCore(const QString &origin, const QString &home) {
    BenchPlatform platform(home, origin);
    InstallationService service(platform);
    std::optional<QString> failure;
    QElapsedTimer clock;
    clock.start();
    auto run = [&]() -> QCoro::Task<void> {
        try {
            co_await service.downloadVistrel();
        } catch (const std::exception &e) {
            failure = QString::fromLocal8Bit(e.what());
        }
    };
    QCoro::waitFor(run());
    const qint64 elapsed = clock.elapsed();
    if (failure) {
        say(QStringLiteral("error %1").arg(*failure));
        return 1;
    }
    say(QStringLiteral("elapsed-ms %1 peak-rss-kib %2").arg(elapsed).arg(peakResidentKiB()));
    return 0;
}

struct Timed {
    bool ok = false;
    qint64 ms = 0;
    QString output;
};

Timed runTimed(const QString &program, const QStringList &arguments, bool quietStdout = true) {
    QProcess process;
    if (quietStdout)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(quietStdout ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    const bool finished = process.waitForFinished(-1);
    Timed result;
    result.ms = clock.elapsed();
    result.ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    result.output = QString::fromUtf8(quietStdout ? process.readAllStandardError() : process.readAllStandardOutput());
    return result;
}

qint64 median(QList<qint64> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

// A whole installation by the headless installer into a fresh home; its time, and the fixed waits
// its log shows it went through.
struct WholeRun {
    bool ok = false;
    qint64 ms = 0;
    qint64 waitsMs = 0;
    QString output;
};

qint64 prescribedWaitsMs(const QStringList &log) {
    const Timing timing;
    qint64 waits = 0;
    int attempts = 0;
    for (const QString &line : log) {
        if (line == u"Stopping existing Vistrel services...")
            waits += timing.settleAfterStop.count();
        else if (line.startsWith(u"✅ ") && line.endsWith(u" complete"))
            waits += timing.stepPause.count();
        else if (line == u"Service may already be loaded. Restarting...")
            waits += timing.restartGap.count();
        else if (line.startsWith(u"Pinging service... (Attempt "))
            ++attempts;
    }
    // Every attempt but the one that was answered is followed by the pause.
    return waits + qint64(std::max(attempts - 1, 0)) * timing.verifyPause.count();
}

// A fresh home, temporary folder and service-manager domain for installations.
QProcessEnvironment sandbox(const QString &dir) {
    const QString home = dir + QStringLiteral("/whole-home");
    const QString tmp = dir + QStringLiteral("/whole-tmp");
    const QString runtime = dir + QStringLiteral("/whole-runtime");
    for (const QString &folder : {home, tmp, runtime}) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
    }
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("TMPDIR"), tmp);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    return environment;
}

WholeRun runWhole(const QProcessEnvironment &environment, const QString &origin, int port) {
    QProcess installer;
    installer.setProcessEnvironment(environment);
    installer.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    installer.start(QStringLiteral(VISTREL_BENCH_INSTALLER),
                    {QStringLiteral("--headless"), QStringLiteral("--download-service"), origin,
                     QStringLiteral("--port"), QString::number(port)});
    const bool finished = installer.waitForFinished(-1);
    WholeRun result;
    result.ms = clock.elapsed();
    result.output = QString::fromUtf8(installer.readAll());
    result.ok = finished && installer.exitStatus() == QProcess::NormalExit && installer.exitCode() == 0;
    result.waitsMs = prescribedWaitsMs(result.output.split(u'\n'));
    return result;
}

// The installation registered a job: unload it, so that nothing keeps running.
void unloadJob(const QProcessEnvironment &environment) {
    QProcess bootout;
    bootout.setProcessEnvironment(environment);
    bootout.setProcessChannelMode(QProcess::MergedChannels);
    bootout.start(
        QStringLiteral(VISTREL_BENCH_LAUNCHCTL),
        {QStringLiteral("bootout"), QStringLiteral("gui/%1").arg(::getuid()),
         environment.value(QStringLiteral("HOME")) + QStringLiteral("/Library/LaunchAgents/com.qelvo.vistrel.plist")});
    bootout.waitForFinished(120000);
}

// Asks the server on localhost every 10 ms, on a thread of its own, and keeps when it answered.
class AnswerWatch {
public:
    explicit AnswerWatch(int port)
        : m_thread([this, port] {
            while (!m_stop) {
                const bool answered = answers(port);
                const std::lock_guard lock(m_mutex);
                m_samples.append({m_clock.elapsed(), answered});
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }) {}
    ~AnswerWatch() {
        m_stop = true;
        m_thread.join();
    }
    // From the last answer before the server first stopped answering to the first answer after;
    // -1 when it never stopped, or never came back.
    qint64 downtimeMs() {
        const std::lock_guard lock(m_mutex);
        qint64 lastAnswer = -1;
        bool down = false;
        for (const auto &[at, answered] : m_samples) {
            if (answered && down)
                return lastAnswer < 0 ? -1 : at - lastAnswer;
            down = down || (!answered && lastAnswer >= 0);
            if (answered)
                lastAnswer = at;
        }
        return -1;
    }

private:
    static bool answers(int port) {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
        if (!socket.waitForConnected(200))
            return false;
        socket.write("GET / HTTP/1.0\r\nHost: localhost\r\n\r\n");
        return socket.waitForReadyRead(1000) && socket.readLine().contains(" 200 ");
    }

    QElapsedTimer m_clock = [] {
        QElapsedTimer clock;
        clock.start();
        return clock;
    }();
    std::atomic<bool> m_stop = false;
    std::mutex m_mutex;
    QList<std::pair<qint64, bool>> m_samples;
    std::thread m_thread;
};

// An upgrade over the installation in environment, watched: its whole time and the downtime.
struct Upgrade {
    bool ok = false; // it ended as expected (installed, or failed and restored)
    qint64 ms = 0;
    qint64 downtimeMs = -1;
};

Upgrade upgrade(const QProcessEnvironment &environment, const QString &origin, int port, bool shouldFail) {
    AnswerWatch watch(port);
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the old server answers first
    const WholeRun run = runWhole(environment, origin, port);
    // A failed upgrade ends once the old server answers again; the watch sees that too.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Upgrade result;
    result.ms = run.ms;
    result.downtimeMs = watch.downtimeMs();
    result.ok = run.ok != shouldFail && result.downtimeMs >= 0;
    if (!result.ok)
        note(QStringLiteral("the %1 upgrade did not end as it should:\n%2")
                 .arg(shouldFail ? QStringLiteral("failing") : QStringLiteral("good"), run.output));
    return result;
}

int freeLoopbackPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

QString milliseconds(qint64 value) {
    return QStringLiteral("%1 ms").arg(value);
}

QString ratioText(double value, double reference) {
    return reference > 0 ? QString::number(value / reference, 'f', 2) : QStringLiteral("–");
}

int runBench(int sizeMiB, int runs, bool keep) {
    QTemporaryDir scratch;
    scratch.setAutoRemove(!keep);
    if (!scratch.isValid())
        return 2;
    const QString dir = scratch.path();
    note(QStringLiteral("scratch: %1").arg(dir));

    const QString package = dir + QStringLiteral("/package-%1mb.zip").arg(sizeMiB);
    const Timed made = runTimed(QStringLiteral("bash"),
                                {QStringLiteral(VISTREL_BENCH_MAKE_PACKAGE), QStringLiteral(VISTREL_BENCH_DEMO_SERVER),
                                 package, QString::number(sizeMiB)});
    if (!made.ok) {
        note(QStringLiteral("could not make the package: %1").arg(made.output));
        return 1;
    }
    const qint64 packageBytes = QFileInfo(package).size();

    // The package as it is, and a copy with one byte of its padding flipped: unzip finds that
    // entry's checksum wrong.
    const QString damaged = dir + QStringLiteral("/damaged.zip");
    QFile::copy(package, damaged);
    QFile damage(damaged);
    damage.open(QIODevice::ReadWrite);
    damage.seek(damage.size() / 2);
    const char byte = char(damage.peek(1).at(0) ^ 0x40);
    damage.write(&byte, 1);
    damage.close();
    QProcess vendor;
    QProcess damagedVendor;
    QStringList origins;
    for (const auto &[process, served] : {std::pair{&vendor, package}, std::pair{&damagedVendor, damaged}}) {
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start(QStringLiteral(VISTREL_BENCH_DEMO_VENDOR), {QStringLiteral("--package"), served});
        if (!process->waitForStarted() || !process->waitForReadyRead(10000)) {
            note(QStringLiteral("the demo vendor did not start"));
            return 1;
        }
        origins.append(QString::fromUtf8(process->readLine()).trimmed());
    }
    const QString origin = origins[0];
    const QString damagedOrigin = origins[1];
    const QString locationUrl =
        origin + QStringLiteral("/api/Tarvik/DownloadLocation5?platform=OSX64&useVersion=0&useBeta=false");
    const Timed location = runTimed(QStringLiteral("curl"), {QStringLiteral("-sS"), locationUrl}, false);
    const QString packageUrl = location.output.trimmed();
    if (!location.ok || packageUrl.isEmpty()) {
        note(QStringLiteral("no package location from the vendor"));
        return 1;
    }

    QList<qint64> referenceMs;
    QList<qint64> coreMs;
    QList<qint64> wholeMs;
    QList<qint64> wholeWaitsMs;
    QList<qint64> goodDowntimeMs;
    QList<qint64> goodUpgradeMs;
    QList<qint64> failedDowntimeMs;
    QList<qint64> failedUpgradeMs;
    long corePeakKiB = 0;
    for (int run = 0; run < runs; ++run) {
        // Reference: curl -o, then unzip, both into fresh places.
        const QString refZip = dir + QStringLiteral("/reference.zip");
        const QString refRoot = dir + QStringLiteral("/reference-root");
        QFile::remove(refZip);
        QDir(refRoot).removeRecursively();
        const Timed curl =
            runTimed(QStringLiteral("curl"), {QStringLiteral("-sS"), QStringLiteral("-o"), refZip, packageUrl});
        const Timed unzip =
            runTimed(QStringLiteral("/usr/bin/unzip"), {QStringLiteral("-o"), refZip, QStringLiteral("-d"), refRoot});
        if (!curl.ok || !unzip.ok) {
            note(QStringLiteral("reference failed: %1 %2").arg(curl.output, unzip.output));
            return 1;
        }
        referenceMs.append(curl.ms + unzip.ms);

        // Installer core, in a fresh home and temporary folder.
        const QString home = dir + QStringLiteral("/home");
        const QString tmp = dir + QStringLiteral("/tmp");
        QDir(home).removeRecursively();
        QDir(tmp).removeRecursively();
        QDir().mkpath(home);
        QDir().mkpath(tmp);
        QProcess core;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), tmp);
        core.setProcessEnvironment(environment);
        core.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        core.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--core"), origin, home});
        core.waitForFinished(-1);
        // unzip's own progress lines come first; the result is the last line.
        const QStringList lines = QString::fromUtf8(core.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        const QStringList result = lines.isEmpty() ? QStringList() : lines.constLast().split(u' ');
        if (core.exitCode() != 0 || result.size() != 4 || result[0] != u"elapsed-ms") {
            note(QStringLiteral("installer core failed: %1").arg(lines.join(u'\n')));
            return 1;
        }
        coreMs.append(result[1].toLongLong());
        corePeakKiB = std::max(corePeakKiB, result[3].toLong());
        QDir(home).removeRecursively();

        // The whole installation, then a good upgrade and a failing one over it.
        const QProcessEnvironment installation = sandbox(dir);
        const int port = freeLoopbackPort();
        const WholeRun whole = runWhole(installation, origin, port);
        if (!whole.ok) {
            note(QStringLiteral("the whole installation failed:\n%1").arg(whole.output));
            unloadJob(installation);
            return 1;
        }
        const Upgrade good = upgrade(installation, origin, port, false);
        const Upgrade failed = upgrade(installation, damagedOrigin, port, true);
        unloadJob(installation);
        if (!good.ok || !failed.ok)
            return 1;
        goodDowntimeMs.append(good.downtimeMs);
        goodUpgradeMs.append(good.ms);
        failedDowntimeMs.append(failed.downtimeMs);
        failedUpgradeMs.append(failed.ms);
        wholeMs.append(whole.ms - whole.waitsMs);
        wholeWaitsMs.append(whole.waitsMs);
        note(QStringLiteral("run %1: reference %2 ms (curl %3 + unzip %4), installer core %5 ms, "
                            "whole installation %6 ms of which %7 ms prescribed waits; downtime %8 of %9 ms "
                            "(good upgrade), %10 of %11 ms (failing upgrade)")
                 .arg(run + 1)
                 .arg(referenceMs.constLast())
                 .arg(curl.ms)
                 .arg(unzip.ms)
                 .arg(coreMs.constLast())
                 .arg(whole.ms)
                 .arg(whole.waitsMs)
                 .arg(good.downtimeMs)
                 .arg(good.ms)
                 .arg(failed.downtimeMs)
                 .arg(failed.ms));
    }
    for (QProcess *running : {&vendor, &damagedVendor}) {
        running->terminate();
        running->waitForFinished(3000);
    }

    const qint64 reference = median(referenceMs);
    const qint64 core = median(coreMs);
    const qint64 whole = median(wholeMs);
    const QString size = QStringLiteral("%1 MiB package").arg(sizeMiB);
    const QString referenceName = QStringLiteral("curl -o + unzip of the same package");
    say(QStringLiteral("| Installer whole run minus its fixed waits (%1 s), %2, median of %3 | %4 | %5 | %6 | %7 |")
            .arg(double(median(wholeWaitsMs)) / 1000.0, 0, 'f', 2)
            .arg(size)
            .arg(runs)
            .arg(milliseconds(whole), referenceName, milliseconds(reference),
                 ratioText(double(whole), double(reference))));
    say(QStringLiteral("| Installer download + unpacking alone (engine in process), median of %1 | %2 | %3 | %4 | %5 |")
            .arg(runs)
            .arg(milliseconds(core), referenceName, milliseconds(reference),
                 ratioText(double(core), double(reference))));
    const auto downtimeRow = [&](const QString &what, const QList<qint64> &downtime, const QList<qint64> &runMs) {
        say(QStringLiteral("| Server downtime in %1, %2, median of %3 | %4 | the same upgrade's whole run | %5 | %6 |")
                .arg(what, size)
                .arg(runs)
                .arg(milliseconds(median(downtime)), milliseconds(median(runMs)),
                     ratioText(double(median(downtime)), double(median(runMs)))));
    };
    downtimeRow(QStringLiteral("a good upgrade (old server's last answer → new server's first)"), goodDowntimeMs,
                goodUpgradeMs);
    downtimeRow(QStringLiteral("a failed upgrade, damaged package (last answer → first answer again)"),
                failedDowntimeMs, failedUpgradeMs);
    const double peakMiB = double(corePeakKiB) / 1024.0;
    const double packageMiB = double(packageBytes) / 1048576.0;
    say(QStringLiteral("| Installer download + unpacking, peak resident memory | %1 MiB | package size | %2 MiB | %3 |")
            .arg(peakMiB, 0, 'f', 1)
            .arg(packageMiB, 0, 'f', 1)
            .arg(ratioText(peakMiB, packageMiB)));
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"--core")
        return runCore(args[2], args[3]);
    int sizeMiB = 100;
    int runs = 3;
    bool keep = false;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--size-mb" && i + 1 < args.size())
            sizeMiB = args[++i].toInt();
        else if (args[i] == u"--runs" && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == u"--keep")
            keep = true;
        else {
            note(QStringLiteral("usage: installer_download_bench [--size-mb N] [--runs N] [--keep]"));
            return 2;
        }
    }
    if (sizeMiB < 1 || runs < 1)
        return 2;
    return runBench(sizeMiB, runs, keep);
}
