#include "stepcontext.h"

#include "common/paths.h"
#include "common/serverprobe.h"
#include "common/smallfile.h"
#include "platform/platform.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QTimer>

#include <coroutine>

#include <sys/stat.h>

namespace vistrel {

namespace {

// The largest file whose bytes a journal keeps (settings, plist, desktop entries, icons).
constexpr qint64 recordedFileLimit = 1024 * 1024;

bool present(const QString &path) {
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// Ends after duration, or on the context's interruption (queued: the interrupter finishes first).
struct InterruptiblePause {
    StepContext *context;
    std::chrono::milliseconds duration;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) const {
        struct State {
            bool resumed = false;
            QMetaObject::Connection onInterruption;
        };
        auto state = std::make_shared<State>();
        const auto resume = [handle, state] {
            if (std::exchange(state->resumed, true))
                return;
            QObject::disconnect(state->onInterruption);
            handle.resume();
        };
        QTimer::singleShot(duration, Qt::PreciseTimer, context, resume);
        state->onInterruption =
            QObject::connect(context, &StepContext::interruptionRequested, context, resume, Qt::QueuedConnection);
    }
    void await_resume() const noexcept {}
};

} // namespace

StepContext::StepContext(Platform &platform, Timing timing, LineSink log, LineSink replaceLastLog)
    : m_platform(platform)
    , m_timing(timing)
    , m_log(std::move(log))
    , m_replaceLastLog(std::move(replaceLastLog))
    , m_probeNetwork(makeProbeNetwork()) {}

StepContext::~StepContext() {
    discardTemporaryPackage();
}

QString StepContext::home() const {
    return m_platform.homeDirectory();
}

QString StepContext::installRoot() const {
    return paths::installRoot(home());
}

LaunchAgent StepContext::launchAgent() const {
    return LaunchAgent(m_platform.launchctlPath(), paths::launchAgentPlist(home()), ChildOutput::CaptureMerged,
                       m_timing.commandTimeout);
}

void StepContext::record(const QList<UndoRecord> &records) {
    if (const std::optional<QString> failure = m_journal.append(records))
        throw Error(QStringLiteral("InstallError"), journalCode,
                    QStringLiteral("Could not save the installation journal: ") + *failure);
}

std::optional<UndoRecord> StepContext::folderRecord(const QString &folder) {
    // The outermost folder that is missing: removing it (while nothing is in it) removes them all.
    QString missing;
    for (QString path = QFileInfo(folder).absoluteFilePath(); !present(path); path = QFileInfo(path).absolutePath()) {
        missing = path;
        if (QFileInfo(path).isRoot())
            break;
    }
    return missing.isEmpty() ? std::nullopt : std::optional(UndoRecord::removeFolder(missing));
}

UndoRecord StepContext::fileRecord(const QString &path) {
    // What cannot be read back (a FIFO, a folder, something large) counts as not there.
    return UndoRecord::restoreFile(path, present(path) ? readSmallFile(path, recordedFileLimit) : std::nullopt);
}

FileOperationResult StepContext::makeFolder(const QString &folder) {
    if (const std::optional<UndoRecord> made = folderRecord(folder))
        record({*made});
    return createFolder(folder);
}

void StepContext::setTemporaryPackage(const QString &path) {
    if (const std::optional<QString> failure = m_journal.setPackage(path))
        throw Error(QStringLiteral("InstallError"), journalCode,
                    QStringLiteral("Could not save the installation journal: ") + *failure);
    m_temporaryPackage = path;
}

void StepContext::discardTemporaryPackage() {
    if (!m_temporaryPackage.isEmpty())
        QFile::remove(m_temporaryPackage);
    m_temporaryPackage.clear();
}

void StepContext::interrupt(bool endWork) {
    m_interrupted = true;
    // Children first: a transfer aborted below resumes its step at once, and what that step's
    // failure starts (the undo's commands) must not be ended with them.
    if (endWork)
        endAllChildren();
    emit interruptionRequested();
    for (QNetworkAccessManager *network : {&m_network, m_probeNetwork.get()}) {
        for (QNetworkReply *reply : network->findChildren<QNetworkReply *>())
            reply->abort();
    }
}

Error StepContext::interruptedError() {
    return Error(QStringLiteral("InstallError"), interruptedCode, QStringLiteral("The installation was interrupted."));
}

void StepContext::checkpoint() const {
    if (m_interrupted)
        throw interruptedError();
}

QCoro::Task<void> StepContext::pause(std::chrono::milliseconds duration) {
    checkpoint();
    co_await InterruptiblePause{this, duration};
    checkpoint();
}

QCoro::Task<ProcessResult> StepContext::process(QString program, QStringList arguments, ChildOutput output,
                                                std::chrono::milliseconds timeout) {
    checkpoint();
    const ProcessResult result = co_await runProcess(program, arguments, output, QString(), timeout);
    checkpoint();
    co_return result;
}

QCoro::Task<void> StepContext::command(QString program, QStringList arguments) {
    const ProcessResult result =
        co_await process(program, arguments, ChildOutput::CaptureMerged, m_timing.commandTimeout);
    if (std::optional<Error> failure =
            commandFailure(result, (QStringList{program} + arguments).join(u' '), m_timing.commandTimeout))
        throw *failure;
}

} // namespace vistrel
