// Measures the installer core's download-and-unpack of a large package from the demo vendor on
// loopback against the plain reference: curl -o of the same file, then unzip. Prints a table.
//
//   installer_download_bench [--size-mb N] [--runs N] [--keep]
//
// The installer core runs in a child process of this program (so that its peak resident memory
// is its own), with a home folder and temporary folder in a scratch directory.
#include "installer/engine/installationservice.h"

#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <QCoro/QCoroTask>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <optional>

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

int runBench(int sizeMiB, int runs, bool keep) {
    QTemporaryDir scratch;
    scratch.setAutoRemove(!keep);
    if (!scratch.isValid())
        return 2;
    const QString dir = scratch.path();
    say(QStringLiteral("scratch: %1").arg(dir));

    const QString package = dir + QStringLiteral("/package-%1mb.zip").arg(sizeMiB);
    const Timed made = runTimed(QStringLiteral("bash"),
                                {QStringLiteral(VISTREL_BENCH_MAKE_PACKAGE), QStringLiteral(VISTREL_BENCH_DEMO_SERVER),
                                 package, QString::number(sizeMiB)});
    if (!made.ok) {
        say(QStringLiteral("could not make the package: %1").arg(made.output));
        return 1;
    }
    const qint64 packageBytes = QFileInfo(package).size();

    QProcess vendor;
    vendor.setStandardErrorFile(QProcess::nullDevice());
    vendor.start(QStringLiteral(VISTREL_BENCH_DEMO_VENDOR), {QStringLiteral("--package"), package});
    if (!vendor.waitForStarted() || !vendor.waitForReadyRead(10000)) {
        say(QStringLiteral("the demo vendor did not start"));
        return 1;
    }
    const QString origin = QString::fromUtf8(vendor.readLine()).trimmed();
    const QString locationUrl =
        origin + QStringLiteral("/api/Tarvik/DownloadLocation5?platform=OSX64&useVersion=0&useBeta=false");
    const Timed location = runTimed(QStringLiteral("curl"), {QStringLiteral("-sS"), locationUrl}, false);
    const QString packageUrl = location.output.trimmed();
    if (!location.ok || packageUrl.isEmpty()) {
        say(QStringLiteral("no package location from the vendor"));
        return 1;
    }

    QList<qint64> referenceMs;
    QList<qint64> coreMs;
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
            say(QStringLiteral("reference failed: %1 %2").arg(curl.output, unzip.output));
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
            say(QStringLiteral("installer core failed: %1").arg(lines.join(u'\n')));
            return 1;
        }
        coreMs.append(result[1].toLongLong());
        corePeakKiB = std::max(corePeakKiB, result[3].toLong());
        say(QStringLiteral("run %1: reference %2 ms (curl %3 + unzip %4), installer core %5 ms")
                .arg(run + 1)
                .arg(referenceMs.constLast())
                .arg(curl.ms)
                .arg(unzip.ms)
                .arg(coreMs.constLast()));
    }
    vendor.terminate();
    vendor.waitForFinished(3000);

    const qint64 reference = median(referenceMs);
    const qint64 core = median(coreMs);
    const double ratio = reference > 0 ? double(core) / double(reference) : 0.0;
    say(QString());
    say(QStringLiteral("package: %1 MiB (%2 bytes), %3 runs, medians").arg(sizeMiB).arg(packageBytes).arg(runs));
    say(QStringLiteral("| measure                              | value      | aim       |"));
    say(QStringLiteral("|--------------------------------------|------------|-----------|"));
    say(QStringLiteral("| reference: curl -o + unzip           | %1 ms |           |").arg(reference, 7));
    say(QStringLiteral("| installer core: download + unpack    | %1 ms |           |").arg(core, 7));
    say(QStringLiteral("| ratio core / reference               | %1    | <= 1.20   |").arg(ratio, 7, 'f', 2));
    say(QStringLiteral("| installer core peak resident memory  | %1 MiB | < 100 MiB |")
            .arg(double(corePeakKiB) / 1024.0, 6, 'f', 1));
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
            say(QStringLiteral("usage: installer_download_bench [--size-mb N] [--runs N] [--keep]"));
            return 2;
        }
    }
    if (sizeMiB < 1 || runs < 1)
        return 2;
    return runBench(sizeMiB, runs, keep);
}
