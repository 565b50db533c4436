#pragma once

#include "jobaccount.h"
#include "servicestatus.h"

#include "common/launchagent.h"
#include "common/timing.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class ServiceManagerTest;

namespace vistrel {

class LauncherLocalizationManager;
class Platform;

// The launcher's model of the server: its state, the HTTP health check, the polling timer and the
// Start, Stop and Restart controls.
//
// Everything runs on the main thread's event loop. Checks are not serialised: results are applied
// in the order they arrive. A task that outlives the manager (window closed) finishes its process
// work and publishes nothing.
class ServiceManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(vistrel::ServiceStatus status READ status NOTIFY statusChanged)
    Q_PROPERTY(QString statusName READ statusName NOTIFY statusChanged)
    Q_PROPERTY(QString statusTitle READ statusTitle NOTIFY statusTextsChanged)
    Q_PROPERTY(QString statusDetail READ statusDetail NOTIFY statusTextsChanged)
    Q_PROPERTY(bool hasStatusDetail READ hasStatusDetail NOTIFY statusChanged)
    Q_PROPERTY(QString statusColorRole READ statusColorRole NOTIFY statusChanged)
    Q_PROPERTY(bool statusShowsProgress READ statusShowsProgress NOTIFY statusChanged)
    Q_PROPERTY(bool isPollingActive READ isPollingActive NOTIFY isPollingActiveChanged)
    Q_PROPERTY(QDateTime lastStatusCheck READ lastStatusCheck NOTIFY lastStatusCheckChanged)
    Q_PROPERTY(vistrel::JobAccount *jobAccount READ jobAccount CONSTANT)

public:
    ServiceManager(Platform &platform, LauncherLocalizationManager &localization, Timing timing = {},
                   QObject *parent = nullptr);
    ~ServiceManager() override;

    // Published state.
    const ServiceStatus &status() const { return m_status; }
    void setStatus(const ServiceStatus &status);
    bool isPollingActive() const { return m_isPollingActive; }
    QDateTime lastStatusCheck() const { return m_lastStatusCheck; }

    // The status as the views show it.
    QString statusName() const { return m_status.name(); }
    QString statusTitle() const;
    QString statusDetail() const;
    bool hasStatusDetail() const;
    QString statusColorRole() const { return m_status.colorRoleName(); }
    bool statusShowsProgress() const { return m_status.showsProgress(); }
    // Why a loaded server does not answer, read after each check that found it silent.
    JobAccount *jobAccount() const { return m_jobAccount; }

    // Fixed at construction.
    const QString &tarvikInstallPath() const { return m_installPath; }
    const QString &tarvikPlistPath() const { return m_plistPath; }
    const Timing &timing() const { return m_timing; }
    // Start, Stop and Restart whose service-manager commands have not all run yet: the program
    // lets them finish before it ends, so that each started operation runs to its end.
    int operationsUnderWay() const { return m_operationsUnderWay; }
    // The port from the port file, read afresh: 8090 when it is missing, not a small regular
    // file, not UTF-8, not a signed 64-bit decimal after trimming, or outside 1-65535.
    qint64 currentPort() const;
    // Where the server is: the port the window shows while running, else currentPort.
    qint64 shownPort() const;

    // Full check: publishes checking, probes, publishes the result and restarts polling.
    Q_INVOKABLE void checkStatus();
    // Refresh: probes and applies the result by the state it finds then; the timer is left alone.
    Q_INVOKABLE void refreshStatus();
    // The same, awaitable: done once the result has been applied.
    QCoro::Task<void> checkStatusAsync();
    QCoro::Task<void> refreshStatusAsync();
    Q_INVOKABLE void startPolling();
    Q_INVOKABLE void stopPolling();
    Q_INVOKABLE void restartPolling();

    // The buttons of the main window.
    Q_INVOKABLE void start();   // starting, polling restarted, then startService
    Q_INVOKABLE void stop();    // stopping, polling restarted, then stopService
    Q_INVOKABLE void restart(); // starting only, then restartService

signals:
    void statusChanged();
    void statusTextsChanged();
    void isPollingActiveChanged();
    void lastStatusCheckChanged();
    // No operation is under way any more (see operationsUnderWay).
    void operationsFinished();

private:
    friend class ::ServiceManagerTest;

    // The interval of the polling timer; nothing while it is stopped.
    std::optional<std::chrono::milliseconds> pollingTimerInterval() const;
    // The program asked for the user id ("/usr/bin/id").
    void setIdProgram(const QString &program) {
        m_idProgram = program;
        m_jobAccount->setIdProgram(program);
    }

    // The launch agent commands. Failures land in status, never as exceptions.
    QCoro::Task<void> startService();   // bootstrap, then refresh
    QCoro::Task<void> stopService();    // bootout, refresh; still answering: error
    QCoro::Task<void> restartService(); // bootout (errors ignored), the restart gap, bootstrap
    QCoro::Task<void> runLaunchctl(QString command, bool ignoreErrors);

    using ServiceOperation = QCoro::Task<void> (ServiceManager::*)();
    // Publishes the transitional state, restarts polling (its interval follows that state) and
    // starts the operation as a task.
    void beginTransition(const ServiceStatus &state, ServiceOperation operation);

    struct LaunchctlOutcome;
    static LaunchctlOutcome outcomeOf(const LaunchctlCall &call);
    static QCoro::Task<LaunchctlOutcome> launchctl(LaunchAgent agent, QString idProgram, QString command);
    LaunchAgent launchAgent() const;
    static std::optional<QString> failureMessage(const LaunchctlOutcome &outcome, const QString &command);
    void report(const LaunchctlOutcome &outcome, const QString &command, bool ignoreErrors);
    // An operation's error, standing while checks find the server as the failure left it (running
    // or not); the user's next action or a check that finds otherwise replaces it.
    void showFailure(const QString &message, bool serverRunning);
    void applyRefreshResult(bool running, qint64 port);
    void pollingTick();
    void setPollingActive(bool active);
    void beginOperation() { ++m_operationsUnderWay; }
    void endOperation();
    void markCheckStarted();

    Platform &m_platform;
    LauncherLocalizationManager &m_localization;
    const Timing m_timing;
    const QString m_installPath;
    const QString m_plistPath;
    QString m_idProgram;
    std::shared_ptr<QNetworkAccessManager> m_network;

    ServiceStatus m_status;
    std::optional<bool> m_failureLeftRunning; // while an operation's error is shown (showFailure)
    bool m_isPollingActive = false;
    QDateTime m_lastStatusCheck;
    QTimer m_pollingTimer;
    JobAccount *m_jobAccount = nullptr;
    int m_operationsUnderWay = 0;
};

} // namespace vistrel
