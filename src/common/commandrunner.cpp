#include "commandrunner.h"

#include "diagnostics.h"
#include "error.h"
#include "porttext.h"

#include <QCoreApplication>
#include <QCoro/QCoroSignal>
#include <QProcess>
#include <QSet>

#include <csignal>
#include <thread>

#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace vistrel {

namespace {

// Process groups of the children that run right now (each child leads its own).
QSet<pid_t> &runningGroups() {
    // Never destroyed: a coroutine frame may still end a child while the program exits.
    static auto *groups = new QSet<pid_t>;
    return *groups;
}

void signalGroup(pid_t group, int signal) {
    if (group > 0)
        ::kill(-group, signal);
}

// Keeps a child's group in the registry while it runs.
class RunningChild {
public:
    explicit RunningChild(pid_t group)
        : m_group(group) {
        static const bool hooked = [] {
            if (QCoreApplication *app = QCoreApplication::instance())
                QObject::connect(app, &QCoreApplication::aboutToQuit, app, &endAllChildren);
            return true;
        }();
        Q_UNUSED(hooked);
        runningGroups().insert(m_group);
    }
    ~RunningChild() { runningGroups().remove(m_group); }
    RunningChild(const RunningChild &) = delete;
    RunningChild &operator=(const RunningChild &) = delete;

private:
    pid_t m_group;
};

} // namespace

void endAllChildren() {
    const QSet<pid_t> groups = runningGroups();
    if (groups.isEmpty())
        return;
    for (const pid_t group : groups)
        signalGroup(group, SIGTERM);
    // The event loop is ending: no exit can be awaited, so the grace is a fixed short wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (const pid_t group : groups)
        signalGroup(group, SIGKILL);
}

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
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        // A group of its own, so that ending it reaches what a shell started too.
        ::setpgid(0, 0);
#ifdef Q_OS_LINUX
        // And death with us, also when we are killed outright (elsewhere ending with the program
        // on quitting has to do).
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        if (::getppid() != parent)
            ::_exit(127);
    });

    ProcessResult result;
    // Starting is a fork and exec: waiting for it is brief. The exit is awaited on the event loop.
    process.start(program, arguments, QIODevice::ReadOnly);
    result.started = process.waitForStarted(-1);
    if (!result.started) {
        result.launchError = process.errorString();
        co_return result;
    }
    // QProcess reads the pipe into its buffer as data arrives, so the child never stalls on a full pipe.
    const pid_t group = pid_t(process.processId());
    const RunningChild registered(group);
    if (process.state() != QProcess::NotRunning && !co_await qCoro(&process, &QProcess::finished, timeout)) {
        result.timedOut = true;
        signalGroup(group, SIGTERM);
        if (process.state() != QProcess::NotRunning && !co_await qCoro(&process, &QProcess::finished, terminationGrace))
            signalGroup(group, SIGKILL);
        process.waitForFinished(5000);
        // What the leader left behind in its group (a child that ignores SIGTERM) goes too.
        signalGroup(group, SIGKILL);
    }
    result.output = output == ChildOutput::CaptureStderr ? process.readAllStandardError() : process.readAll();
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    if (result.crashed && result.exitCode == 0)
        result.exitCode = -1;
    co_return result;
}

std::optional<Error> commandFailure(const ProcessResult &r, const QString &commandLine,
                                    std::chrono::milliseconds timeout) {
    if (!r.started)
        return Error(QStringLiteral("NSCocoaErrorDomain"), 4, r.launchError);
    if (r.timedOut)
        return Error(QStringLiteral("ShellError"), commandTimedOutCode,
                     QStringLiteral("The command did not finish in time (%1 s) and was ended: %2")
                         .arg(double(timeout.count()) / 1000.0)
                         .arg(commandLine));
    if (r.exitCode != 0)
        return Error(QStringLiteral("ShellError"), r.exitCode, decodeUtf8(r.output).value_or(QString()));
    return std::nullopt;
}

QCoro::Task<void> runCommand(QString program, QStringList arguments, std::chrono::milliseconds timeout) {
    const ProcessResult r = co_await runProcess(program, arguments, ChildOutput::CaptureMerged, QString(), timeout);
    if (std::optional<Error> failure = commandFailure(r, (QStringList{program} + arguments).join(u' '), timeout))
        throw *failure;
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
