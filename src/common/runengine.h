#pragma once

#include "common/logmodel.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>
#include <optional>

namespace vistrel {

// What both runs (installation, uninstall) share: the start guard, the steps one after the other
// with a "✅ … complete" or "❌ … failed: …" line and a pause after each good one, and the state
// the run's screen shows. A subclass gives the step bodies and their names.
//
// A run started from an object owned by a std::shared_ptr holds a reference of its own, so the
// window may let go of it mid-run; an object owned otherwise must outlive every run it starts.
// Everything runs on the main thread's event loop.
class RunEngine : public QObject, public std::enable_shared_from_this<RunEngine> {
    Q_OBJECT
    // The log for the views, as rows that are appended (or the last one rewritten).
    Q_PROPERTY(vistrel::LogModel *logModel READ logModel CONSTANT)

public:
    ~RunEngine() override;

    int currentIndex() const { return m_currentIndex; }
    // True from a start until the run is refused: the run's screen stays up also after its end.
    bool isActive() const { return m_active; }
    double progress() const { return m_progress; }
    const std::optional<QString> &error() const { return m_error; }
    bool isRunning() const { return m_running; }
    LogModel *logModel() { return &m_log; }
    const QStringList &logLines() const { return m_log.lines(); }

signals:
    void currentStepChanged();
    void activeChanged();
    void progressChanged();
    void errorChanged();
    // A line was added or the last one rewritten, or the log was cleared.
    void logChanged();
    void isRunningChanged();
    // The run started by start() has ended (finished, failed or refused).
    void runFinished();

protected:
    RunEngine(int stepCount, std::chrono::milliseconds stepPause, QObject *parent = nullptr);

    // Resets the published state and starts a run; returns at once. A call while a run is under
    // way is ignored (two runs would interleave their steps and logs); after a run has ended,
    // failed or not, a new one may start.
    void start();
    // The whole run: the steps, unless a subclass puts checks before them. Never throws.
    virtual QCoro::Task<> perform();
    // Every step in order, until one fails; progress is the step's position, then the count.
    QCoro::Task<> runSteps();
    virtual QCoro::Task<> runStep(int index) = 0;
    // The step's name in its result line, asked when the step has ended.
    virtual QString stepName(int index) const = 0;
    // After a failed step's line, before its error is published: what the run does about it.
    virtual QCoro::Task<> stepFailed(int index);
    // Ends a run that may not start: the error, and the screen before the run comes back.
    void refuse(const QString &error);

    // Main thread; a run calls them in the order its lines happen.
    void appendLog(const QString &line);
    void replaceLastLog(const QString &line);

private:
    QCoro::Task<> run(std::shared_ptr<RunEngine> keepAlive);
    void setCurrentIndex(int index);
    void setActive(bool active);
    void setProgress(double progress);
    void setError(const std::optional<QString> &error);

    const int m_stepCount;
    const std::chrono::milliseconds m_stepPause;
    int m_currentIndex = 0;
    bool m_active = false;
    double m_progress = 0.0;
    std::optional<QString> m_error;
    bool m_running = false;
    LogModel m_log;
};

} // namespace vistrel
