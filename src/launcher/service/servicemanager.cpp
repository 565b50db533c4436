#include "servicemanager.h"

#include "common/serverprobe.h"
#include "servicestatewatcher.h"

#include "common/commandrunner.h"
#include "common/diagnostics.h"
#include "common/launchagent.h"
#include "common/paths.h"
#include "common/pause.h"
#include "common/porttext.h"
#include "launcher/localization/launcherlocalizationmanager.h"
#include "platform/platform.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QProcess>
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
    auto *watcher = new ServiceStateWatcher(platform.serviceStateFolder(), this);
    connect(watcher, &ServiceStateWatcher::changed, this, [this] {
        if (m_pollingTimer)
            pollingTick();
    });
}

ServiceManager::~ServiceManager() = default;

// --- published state -------------------------------------------------------------------------

void ServiceManager::setStatus(const ServiceStatus &status) {
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

bool ServiceManager::permissionsGranted() const {
    return m_cameraStatus == capture::authorized && m_micStatus == capture::authorized;
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
    default:
        setStatus(running ? ServiceStatus::running(port) : ServiceStatus::stopped());
        break;
    }
}

void ServiceManager::startPolling() {
    if (m_pollingTimer)
        return;
    setPollingActive(true);
    // The interval follows the state at creation and stays for the timer's life.
    m_pollingTimer = new QTimer(this);
    m_pollingTimer->setInterval(m_status.pollingInterval(m_timing));
    connect(m_pollingTimer, &QTimer::timeout, this, &ServiceManager::pollingTick);
    m_pollingTimer->start();
}

void ServiceManager::stopPolling() {
    delete m_pollingTimer;
    m_pollingTimer = nullptr;
    setPollingActive(false);
}

void ServiceManager::restartPolling() {
    stopPolling();
    startPolling();
}

std::optional<std::chrono::milliseconds> ServiceManager::pollingTimerInterval() const {
    if (!m_pollingTimer)
        return std::nullopt;
    return m_pollingTimer->intervalAsDuration();
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
    setStatus(ServiceStatus::error(*message));
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

QCoro::Task<void> ServiceManager::startService() {
    QPointer<ServiceManager> self(this);
    const QString command = QStringLiteral("bootstrap");
    co_await runLaunchctl(command, false);
    if (self)
        self->refreshStatus();
}

QCoro::Task<void> ServiceManager::stopService() {
    QPointer<ServiceManager> self(this);
    const QString command = QStringLiteral("bootout");
    const LaunchctlOutcome outcome = co_await launchctl(launchAgent(), m_idProgram, command);
    if (!self)
        co_return;
    co_await self->refreshStatusAsync();
    // A stop ends: a server that still answers after the command means it failed, and the user
    // gets the error with Retry instead of "Stopping" for good. The timer is left as it is.
    if (self && self->m_status == ServiceStatus::stopping())
        self->setStatus(ServiceStatus::error(
            failureMessage(outcome, command)
                .value_or(QStringLiteral("Failed to %1 service. Is it installed correctly?").arg(command))));
}

QCoro::Task<void> ServiceManager::restartService() {
    QPointer<ServiceManager> self(this);
    // Everything the sequence needs is taken now: once the bootout has run, the bootstrap must
    // follow even when the window has closed meanwhile, or the service would stay unloaded.
    const LaunchAgent agent = launchAgent();
    const QString idProgram = m_idProgram;
    const std::chrono::milliseconds gap = m_timing.restartGap;
    const QString bootstrap = QStringLiteral("bootstrap");
    ++m_restartsUnderWay;

    const std::optional<QString> uid = co_await currentUserID(idProgram);
    LaunchctlOutcome outcome{LaunchctlOutcome::Kind::NoUserId, {}, 0};
    if (uid)
        outcome = outcomeOf(co_await agent.restart(*uid, gap));
    if (!self)
        co_return;
    self->report(outcome, bootstrap, false);
    if (--self->m_restartsUnderWay == 0)
        emit self->restartsFinished();
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

// --- web interface ----------------------------------------------------------------------------

void ServiceManager::openWebInterface() {
    printLine(QStringLiteral("🚀 Attempting to launch browser..."));
    const QString installRoot = paths::installRoot(m_platform.homeDirectory());
    const QString script = installRoot + QStringLiteral("/open_browser_macos.sh");
    if (!QFileInfo::exists(script)) {
        printLine(QStringLiteral("❌ Could not find script at: ") + script);
        openDefaultBrowserFallback();
        return;
    }
    printLine(QStringLiteral("✅ Script found. Preparing to execute."));
    // Not waited for: the script outlives the launcher, which quits shortly.
    QProcess process;
    process.setProgram(QStringLiteral("/bin/bash"));
    process.setArguments({script});
    process.setWorkingDirectory(installRoot);
    if (!process.startDetached()) {
        printLine(QStringLiteral("❌ Failed to run script: ") + process.errorString());
        openDefaultBrowserFallback();
        return;
    }
    printLine(QStringLiteral("✅ Launch script executed successfully."));
    scheduleTermination();
}

void ServiceManager::openDefaultBrowserFallback() {
    // Where the server is: the port the window shows, else the one it would use.
    const qint64 port = m_status.kind() == ServiceStatus::Case::Running ? m_status.port() : currentPort();
    const QUrl url(QStringLiteral("http://localhost:%1").arg(port));
    printLine(QStringLiteral(" Falling back to default browser with port %1...").arg(port));
    openInBrowserAndQuit(url);
}

void ServiceManager::openInBrowserAndQuit(const QUrl &url) {
    m_platform.openUrl(url);
    scheduleTermination();
}

void ServiceManager::scheduleTermination() {
    Platform *platform = &m_platform;
    QTimer::singleShot(m_timing.quitDelay, Qt::PreciseTimer, this, [platform] { platform->terminateApplication(); });
}

// --- capture authorization --------------------------------------------------------------------

void ServiceManager::updatePermissionStatus() {
    setCameraStatus(m_platform.captureAuthorization(CaptureKind::Video));
    setMicStatus(m_platform.captureAuthorization(CaptureKind::Audio));
}

void ServiceManager::setCameraStatus(int status) {
    if (status == m_cameraStatus)
        return;
    const bool granted = permissionsGranted();
    m_cameraStatus = status;
    emit cameraStatusChanged();
    if (granted != permissionsGranted())
        emit permissionsGrantedChanged();
}

void ServiceManager::setMicStatus(int status) {
    if (status == m_micStatus)
        return;
    const bool granted = permissionsGranted();
    m_micStatus = status;
    emit micStatusChanged();
    if (granted != permissionsGranted())
        emit permissionsGrantedChanged();
}

void ServiceManager::openPrivacySettings(const QString &kind) {
    const QUrl url(kind == u"camera"
                       ? QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Camera")
                       : QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_Microphone"));
    if (!url.isValid())
        return;
    m_platform.openUrl(url);
}

QString ServiceManager::permissionStatusKey(int status) {
    switch (status) {
    case capture::authorized:
        return QStringLiteral("permissions.granted");
    case capture::denied:
        return QStringLiteral("permissions.denied");
    case capture::restricted:
        return QStringLiteral("permissions.restricted");
    default:
        return QStringLiteral("permissions.notSet");
    }
}

} // namespace vistrel
