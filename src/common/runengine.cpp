#include "runengine.h"

#include "common/pause.h"
#include "common/stepfailure.h"

#include <QThread>

namespace vistrel {

using namespace std::chrono_literals;

RunEngine::RunEngine(int stepCount, std::chrono::milliseconds stepPause, QObject *parent)
    : QObject(parent)
    , m_stepCount(stepCount)
    , m_stepPause(stepPause) {}

RunEngine::~RunEngine() = default;

void RunEngine::start() {
    if (m_running)
        return;
    m_running = true;
    emit isRunningChanged();
    setActive(true);
    setProgress(0.0);
    if (!m_log.lines().isEmpty()) {
        m_log.clear();
        emit logChanged();
    }
    setError(std::nullopt);
    setCurrentIndex(0);
    run(weak_from_this().lock());
}

QCoro::Task<> RunEngine::run(std::shared_ptr<RunEngine> keepAlive) {
    Q_UNUSED(keepAlive); // held until this frame ends
    co_await perform();
    // Callers hear of the end from the event loop, also when the run was refused at once.
    co_await pauseFor(0ms);
    m_running = false;
    emit isRunningChanged();
    emit runFinished();
}

QCoro::Task<> RunEngine::perform() {
    return runSteps();
}

QCoro::Task<> RunEngine::runSteps() {
    for (int index = 0; index < m_stepCount; ++index) {
        setCurrentIndex(index);
        setProgress(double(index));
        const std::optional<QString> failure = co_await failureOf(runStep(index));
        const QString name = stepName(index);
        if (failure) {
            appendLog(QStringLiteral("\u274C %1 failed: %2").arg(name, *failure));
            co_await stepFailed(index);
            setError(failure);
            co_return;
        }
        appendLog(QStringLiteral("\u2705 %1 complete").arg(name));
        co_await pauseFor(m_stepPause);
    }
    setProgress(double(m_stepCount));
}

QCoro::Task<> RunEngine::stepFailed(int index) {
    Q_UNUSED(index);
    co_return;
}

void RunEngine::refuse(const QString &error) {
    setError(error);
    setActive(false);
}

void RunEngine::appendLog(const QString &line) {
    Q_ASSERT(thread() == QThread::currentThread());
    m_log.append(line);
    emit logChanged();
}

void RunEngine::replaceLastLog(const QString &line) {
    Q_ASSERT(thread() == QThread::currentThread());
    m_log.replaceLast(line);
    emit logChanged();
}

void RunEngine::setCurrentIndex(int index) {
    if (m_currentIndex == index)
        return;
    m_currentIndex = index;
    emit currentStepChanged();
}

void RunEngine::setActive(bool active) {
    if (m_active == active)
        return;
    m_active = active;
    emit activeChanged();
}

void RunEngine::setProgress(double progress) {
    if (m_progress == progress)
        return;
    m_progress = progress;
    emit progressChanged();
}

void RunEngine::setError(const std::optional<QString> &error) {
    if (m_error == error)
        return;
    m_error = error;
    emit errorChanged();
}

} // namespace vistrel
