#include "commandrunner.h"

#include "diagnostics.h"
#include "error.h"
#include "porttext.h"

#include <QCoro/QCoroSignal>
#include <QProcess>

namespace vistrel {

QCoro::Task<ProcessResult> runProcess(QString program, QStringList arguments, ChildOutput output,
                                      QString workingDirectory, std::chrono::milliseconds timeout) {
    QProcess process;
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    switch (output) {
    case ChildOutput::Inherit:
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        break;
    case ChildOutput::CaptureStdout:
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        break;
    case ChildOutput::CaptureMerged:
        process.setProcessChannelMode(QProcess::MergedChannels);
        break;
    case ChildOutput::CaptureStderr:
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        break;
    }
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);

    ProcessResult result;
    // Starting is a fork and exec: waiting for it is brief. The exit is awaited on the event loop.
    process.start(program, arguments, QIODevice::ReadOnly);
    result.started = process.waitForStarted(-1);
    if (!result.started) {
        result.launchError = process.errorString();
        co_return result;
    }
    // QProcess reads the pipe into its buffer as data arrives, so the child never stalls on a full pipe.
    if (process.state() != QProcess::NotRunning) {
        if (timeout.count() < 0) {
            co_await qCoro(&process, &QProcess::finished);
        } else if (!co_await qCoro(&process, &QProcess::finished, timeout)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    result.output = output == ChildOutput::CaptureStderr ? process.readAllStandardError() : process.readAll();
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    if (result.crashed && result.exitCode == 0)
        result.exitCode = -1;
    co_return result;
}

QCoro::Task<void> runShellCommand(QString command) {
    // (Literals are built outside the co_await expression: g++ 12 miscompiles them inside it.)
    const QString bash = QStringLiteral("/bin/bash");
    const QStringList arguments{QStringLiteral("-c"), command};
    const ProcessResult r = co_await runProcess(bash, arguments);
    if (!r.started)
        throw Error(QStringLiteral("NSCocoaErrorDomain"), 4, r.launchError);
    if (r.exitCode != 0)
        throw Error(QStringLiteral("ShellError"), r.exitCode, decodeUtf8(r.output).value_or(QString()));
}

QCoro::Task<std::optional<QString>> currentUserID(QString idProgram) {
    const QStringList arguments{QStringLiteral("-u")};
    const ProcessResult r = co_await runProcess(idProgram, arguments, ChildOutput::CaptureStdout);
    if (!r.started) {
        printLine(QStringLiteral("Failed to get user ID: %1")
                      .arg(Error(QStringLiteral("NSCocoaErrorDomain"), 4, r.launchError).fullDescription()));
        co_return std::nullopt;
    }
    const std::optional<QString> text = decodeUtf8(r.output);
    if (!text)
        co_return std::nullopt;
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty())
        co_return std::nullopt;
    co_return trimmed;
}

QString architectureFromUname(const std::optional<QByteArray> &output) {
    if (!output)
        return QStringLiteral("x86_64");
    const std::optional<QString> text = decodeUtf8(*output);
    return text && text->trimmed() == u"arm64" ? QStringLiteral("arm64") : QStringLiteral("x86_64");
}

QCoro::Task<QString> detectArchitecture(QString unameProgram) {
    const QStringList arguments{QStringLiteral("-m")};
    const ProcessResult r = co_await runProcess(unameProgram, arguments, ChildOutput::CaptureStdout);
    co_return architectureFromUname(r.started ? std::optional<QByteArray>(r.output) : std::nullopt);
}

} // namespace vistrel
