#include "servicemanager.h"

#include "common/serverprobe.h"
#include "servicestatewatcher.h"

#include "common/commandrunner.h"
#include "common/launchagent.h"
#include "common/paths.h"
#include "common/pause.h"
#include "common/porttext.h"
#include "launcher/localization/launcherlocalizationmanager.h"
#include "platform/platform.h"

#include <QNetworkAccessManager>
#include <QTimer>
#include <QUrl>

namespace vistrel {

struct ServiceManager::LaunchctlOutcome {
    enum class Kind { NoUserId, LaunchFailed, Exited };
    Kind kind = Kind::Exited;
    QString launchError;
    int exitCode = 0;
};

ServiceManager::ServiceManager(Platform &platform, LauncherLocalizationManager &localization, Timing timing,
                               QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_localization(localization)
    , m_timing(timing)
    , m_installPath(paths::installRoot(platform.homeDirectory()))
    , m_plistPath(paths::launchAgentPlist(platform.homeDirectory()))
    , m_idProgram(QStringLiteral("/usr/bin/id"))
    , m_network(makeProbeNetwork())
    , m_lastStatusCheck(QDateTime::currentDateTime())
    , m_jobAccount(new JobAccount(platform, localization, this)) {
    connect(&m_localization, &LauncherLocalizationManager::currentLanguageChanged, this,
            &ServiceManager::statusTextsChanged);
    // Where the platform shows the service manager's changes, they count as a polling tick at once.
    auto *watcher = new ServiceStateWatcher(platform.serviceStateFile(), this);
    connect(watcher, &ServiceStateWatcher::changed, this, [this] {
        if (m_pollingTimer.isActive())
            pollingTick();
    });
    connect(&m_pollingTimer, &QTimer::timeout, this, &ServiceManager::pollingTick);
}

ServiceManager::~ServiceManager() = default;

// --- published state -------------------------------------------------------------------------

void ServiceManager::setStatus(const ServiceStatus &status) {
    m_failureLeftRunning.reset();
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged();
    emit statusTextsChanged();
}

QString ServiceManager::statusTitle() const {
    return m_status.statusTitle(m_localization.strings());
}

QString ServiceManager::statusDetail() const {
    return m_status.statusDetail(m_localization.strings()).value_or(QString());
}

bool ServiceManager::hasStatusDetail() const {
    return m_status.statusDetail(m_localization.strings()).has_value();
}

void ServiceManager::setPollingActive(bool active) {
    if (active == m_isPollingActive)
        return;
    m_isPollingActive = active;
    emit isPollingActiveChanged();
}

void ServiceManager::markCheckStarted() {
    m_lastStatusCheck = QDateTime::currentDateTime();
    emit lastStatusCheckChanged();
}

// --- monitor ----------------------------------------------------------------------------------

qint64 ServiceManager::currentPort() const {
    const qint64 port = readPortFile(m_installPath + QStringLiteral("/Media/XML/port.txt"));
    // The server's own rule: a port a socket cannot have means its default.
    return isTcpPort(port) ? port : paths::defaultPort;
}

qint64 ServiceManager::shownPort() const {
    return m_status.kind() == ServiceStatus::Case::Running ? m_status.port() : currentPort();
}

void ServiceManager::checkStatus() {
    checkStatusAsync();
}

QCoro::Task<void> ServiceManager::checkStatusAsync() {
    QPointer<ServiceManager> self(this);
    setStatus(ServiceStatus::checking());
    markCheckStarted();
    const qint64 port = currentPort();
    const bool running = co_await probeServer(m_network, port, m_timing.probeTimeout);
    if (!self)
        co_return;
    self->setStatus(running ? ServiceStatus::running(port) : ServiceStatus::stopped());
    self->m_jobAccount->followCheck(running);
    self->restartPolling();
}

void ServiceManager::refreshStatus() {
    refreshStatusAsync();
}

QCoro::Task<void> ServiceManager::refreshStatusAsync() {
    QPointer<ServiceManager> self(this);
    markCheckStarted();
    const qint64 port = currentPort();
    const bool running = co_await probeServer(m_network, port, m_timing.probeTimeout);
    if (self)
        self->applyRefreshResult(running, port);
}

void ServiceManager::applyRefreshResult(bool running, qint64 port) {
    m_jobAccount->followCheck(running);
    switch (m_status.kind()) {
    case ServiceStatus::Case::Stopping:
        // Stays until the server has really gone.
        if (!running)
            setStatus(ServiceStatus::stopped());
        break;
    case ServiceStatus::Case::Starting:
        // Stays until the server answers, however long that takes.
        if (running)
            setStatus(ServiceStatus::running(port));
        break;
    case ServiceStatus::Case::Error:
        if (m_failureLeftRunning == running)
            break;
        [[fallthrough]];
    default:
        setStatus(running ? ServiceStatus::running(port) : ServiceStatus::stopped());
        break;
    }
}

void ServiceManager::startPolling() {
    if (m_pollingTimer.isActive())
        return;
    setPollingActive(true);
    // The interval follows the state at the start and stays until polling restarts.
    m_pollingTimer.setInterval(m_status.pollingInterval(m_timing));
    m_pollingTimer.start();
}

void ServiceManager::stopPolling() {
    m_pollingTimer.stop();
    setPollingActive(false);
}

void ServiceManager::restartPolling() {
    stopPolling();
    startPolling();
}

std::optional<std::chrono::milliseconds> ServiceManager::pollingTimerInterval() const {
    if (!m_pollingTimer.isActive())
        return std::nullopt;
    return m_pollingTimer.intervalAsDuration();
}

void ServiceManager::pollingTick() {
    if (m_status.pollingTickActs())
        refreshStatus();
}

// --- control ----------------------------------------------------------------------------------

ServiceManager::LaunchctlOutcome ServiceManager::outcomeOf(const LaunchctlCall &call) {
    LaunchctlOutcome outcome;
    if (!call.result.started) {
        outcome.kind = LaunchctlOutcome::Kind::LaunchFailed;
        outcome.launchError = call.result.launchError;
    }
    outcome.exitCode = call.result.exitCode;
    return outcome;
}

QCoro::Task<ServiceManager::LaunchctlOutcome> ServiceManager::launchctl(LaunchAgent agent, QString idProgram,
                                                                        QString command) {
    const std::optional<QString> uid = co_await currentUserID(idProgram);
    if (!uid)
        co_return LaunchctlOutcome{LaunchctlOutcome::Kind::NoUserId, {}, 0};
    // A bootout reaches the job by label when the plist is gone or names another job; bootstrap
    // needs the plist.
    if (command == u"bootout")
        co_return outcomeOf(co_await agent.bootout(*uid, agent.reachableTarget()));
    co_return outcomeOf(co_await agent.bootstrap(*uid));
}

LaunchAgent ServiceManager::launchAgent() const {
    // The tool's own output goes where ours goes.
    return LaunchAgent(m_platform.launchctlPath(), m_plistPath, ChildOutput::Inherit);
}

std::optional<QString> ServiceManager::failureMessage(const LaunchctlOutcome &outcome, const QString &command) {
    switch (outcome.kind) {
    case LaunchctlOutcome::Kind::NoUserId:
        return QStringLiteral("Could not determine current user ID.");
    case LaunchctlOutcome::Kind::LaunchFailed:
        return QStringLiteral("Failed to run launchctl: ") + outcome.launchError;
    case LaunchctlOutcome::Kind::Exited:
        break;
    }
    if (outcome.exitCode != 0)
        return QStringLiteral("Failed to %1 service. Is it installed correctly?").arg(command);
    return std::nullopt;
}

void ServiceManager::report(const LaunchctlOutcome &outcome, const QString &command, bool ignoreErrors) {
    if (ignoreErrors)
        return;
    const std::optional<QString> message = failureMessage(outcome, command);
    if (!message)
        return;
    // A failed bootstrap leaves the server not running; a failed bootout, running.
    showFailure(*message, command == u"bootout");
    // Without a user id the timer is left as it is.
    if (outcome.kind != LaunchctlOutcome::Kind::NoUserId)
        restartPolling();
}

QCoro::Task<void> ServiceManager::runLaunchctl(QString command, bool ignoreErrors) {
    QPointer<ServiceManager> self(this);
    const LaunchctlOutcome outcome = co_await launchctl(launchAgent(), m_idProgram, command);
    if (self)
        self->report(outcome, command, ignoreErrors);
}

void ServiceManager::endOperation() {
    if (--m_operationsUnderWay == 0)
        emit operationsFinished();
}

QCoro::Task<void> ServiceManager::startService() {
    QPointer<ServiceManager> self(this);
    beginOperation();
    co_await runLaunchctl(QStringLiteral("bootstrap"), false);
    if (!self)
        co_return;
    self->endOperation();
    self->refreshStatus();
}

QCoro::Task<void> ServiceManager::stopService() {
    QPointer<ServiceManager> self(this);
    const QString command = QStringLiteral("bootout");
    beginOperation();
    const LaunchctlOutcome outcome = co_await launchctl(launchAgent(), m_idProgram, command);
    if (!self)
        co_return;
    self->endOperation();
    co_await self->refreshStatusAsync();
    // A stop ends: a server that still answers after the command means it failed, and the user
    // gets the error with Retry instead of "Stopping" for good. The timer is left as it is.
    if (self && self->m_status == ServiceStatus::stopping())
        self->showFailure(
            failureMessage(outcome, command)
                .value_or(QStringLiteral("Failed to %1 service. Is it installed correctly?").arg(command)),
            true);
}

void ServiceManager::showFailure(const QString &message, bool serverRunning) {
    setStatus(ServiceStatus::error(message));
    m_failureLeftRunning = serverRunning;
}

QCoro::Task<void> ServiceManager::restartService() {
    QPointer<ServiceManager> self(this);
    // Everything the sequence needs is taken now: once the bootout has run, the bootstrap must
    // follow even when the window has closed meanwhile, or the service would stay unloaded.
    const LaunchAgent agent = launchAgent();
    const QString idProgram = m_idProgram;
    const std::chrono::milliseconds gap = m_timing.restartGap;
    const QString bootstrap = QStringLiteral("bootstrap");
    beginOperation();
    // Each command asks for the user id, as Start and Stop do; the bootout's errors are ignored.
    if (const std::optional<QString> uid = co_await currentUserID(idProgram))
        co_await agent.bootout(*uid, agent.reachableTarget());
    co_await pauseFor(gap);
    const LaunchctlOutcome outcome = co_await launchctl(agent, idProgram, bootstrap);
    if (!self)
        co_return;
    self->report(outcome, bootstrap, false);
    self->endOperation();
}

void ServiceManager::beginTransition(const ServiceStatus &state, ServiceOperation operation) {
    setStatus(state);
    restartPolling();
    (this->*operation)();
}

void ServiceManager::start() {
    beginTransition(ServiceStatus::starting(), &ServiceManager::startService);
}

void ServiceManager::stop() {
    beginTransition(ServiceStatus::stopping(), &ServiceManager::stopService);
}

void ServiceManager::restart() {
    setStatus(ServiceStatus::starting());
    restartService();
}

} // namespace vistrel
