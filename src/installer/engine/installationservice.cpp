#include "installationservice.h"

#include "installedfiles.h"
#include "launchagentsetup.h"
#include "launcherinstallation.h"
#include "packagedownload.h"
#include "packageunpacking.h"
#include "servicecleanup.h"
#include "serviceverification.h"

#include "common/bundleinfo.h"
#include "common/paths.h"
#include "common/pause.h"
#include "common/porttext.h"
#include "common/runlock.h"
#include "common/textformat.h"
#include "installer/localization/localizationmanager.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QCoro/QCoroFuture>
#include <QCoro/QCoroSignal>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHostAddress>
#include <QJSEngine>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace vistrel {

std::shared_ptr<InstallationService> InstallationService::create(Platform &platform, Timing timing) {
    // Deferred deletion: the last reference may go from inside one of the object's own signals.
    std::shared_ptr<InstallationService> service(new InstallationService(platform, timing),
                                                 [](InstallationService *s) { s->deleteLater(); });
    QJSEngine::setObjectOwnership(service.get(), QJSEngine::CppOwnership);
    return service;
}

InstallationService::InstallationService(Platform &platform, Timing timing, QObject *parent)
    : RunEngine(stepCount, timing.stepPause, parent)
    , m_platform(platform)
    , m_timing(timing)
    , m_context(
          platform, timing, [this](const QString &line) { appendLog(line); },
          [this](const QString &line) { replaceLastLog(line); }) {
    connect(this, &RunEngine::activeChanged, this, &InstallationService::isInstallingChanged);
    connect(this, &RunEngine::progressChanged, this, &InstallationService::installationProgressChanged);
    connect(this, &RunEngine::logChanged, this, &InstallationService::installationLogChanged);
    connect(this, &RunEngine::errorChanged, this, &InstallationService::installationErrorChanged);
    // A run cut short by quitting (window closed, a signal) leaves no package behind.
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, &m_context, &StepContext::discardTemporaryPackage);
}

InstallationService::~InstallationService() = default;

QString InstallationService::runLockPath(const QString &home) {
    return vistrel::runLockPath(home);
}

QString InstallationService::installerBundlePath() const {
    return m_installerBundlePath.isEmpty() ? mainBundlePath() : m_installerBundlePath;
}

// --- published state -------------------------------------------------------------------------

void InstallationService::setUseBetaVersion(bool useBeta) {
    if (m_useBetaVersion == useBeta)
        return;
    m_useBetaVersion = useBeta;
    emit useBetaVersionChanged();
}

void InstallationService::setSelectedPort(const QString &port) {
    if (m_selectedPort == port)
        return;
    m_selectedPort = port;
    emit selectedPortChanged();
}

QVariant InstallationService::installationErrorValue() const {
    return error() ? QVariant(*error()) : QVariant();
}

QVariant InstallationService::finalPortValue() const {
    return m_finalPort ? QVariant(*m_finalPort) : QVariant();
}

void InstallationService::setFinalPort(const std::optional<qint64> &port) {
    if (m_finalPort == port)
        return;
    m_finalPort = port;
    emit finalPortChanged();
}

namespace {
std::optional<InstallationStep> stepAt(int index) {
    if (index < 0 || index >= InstallationService::stepCount)
        return std::nullopt;
    return allInstallationSteps[std::size_t(index)];
}
} // namespace

QString InstallationService::stepTitleKey(int step) const {
    const auto known = stepAt(step);
    return known ? vistrel::stepTitleKey(*known) : QString();
}

QString InstallationService::stepDescriptionKey(int step) const {
    const auto known = stepAt(step);
    return known ? vistrel::stepDescriptionKey(*known) : QString();
}

QString InstallationService::stepSymbol(int step) const {
    const auto known = stepAt(step);
    return known ? vistrel::stepSymbol(*known) : QString();
}

void InstallationService::copyLogToPasteboard() {
    m_platform.setClipboardText(logLines().join(u'\n'));
}

// --- the steps ---------------------------------------------------------------------------------

QCoro::Task<void> InstallationService::stopExistingServices() {
    co_await ServiceCleanup(m_context).run();
}

QCoro::Task<void> InstallationService::downloadVistrel() {
    const DownloadedPackage package = co_await PackageDownload(m_context, m_useBetaVersion).run();
    co_await PackageUnpacking(m_context).run(package);
}

QString InstallationService::serverLanguageCodeFor(const QString &installerLanguage) {
    static const QHash<QString, QString> codes = {
        {QStringLiteral("en"), QStringLiteral("en")},         {QStringLiteral("es"), QStringLiteral("es")},
        {QStringLiteral("fr"), QStringLiteral("fr")},         {QStringLiteral("de"), QStringLiteral("de")},
        {QStringLiteral("it"), QStringLiteral("it")},         {QStringLiteral("pt"), QStringLiteral("pt")},
        {QStringLiteral("ja"), QStringLiteral("ja")},         {QStringLiteral("zh-Hans"), QStringLiteral("zh-cn")},
        {QStringLiteral("zh-Hant"), QStringLiteral("zh-tw")}, {QStringLiteral("ru"), QStringLiteral("ru")},
    };
    return codes.value(installerLanguage, QStringLiteral("en"));
}

QString InstallationService::serverLanguageCode() const {
    return serverLanguageCodeFor(LocalizationManager(m_platform).currentLanguage());
}

QCoro::Task<void> InstallationService::prepareInstalledFiles() {
    co_await InstalledFiles(m_context, m_selectedPort, serverLanguageCode()).prepare();
}

QCoro::Task<void> InstallationService::installLauncherApp() {
    co_await LauncherInstallation(m_context, installerBundlePath()).run();
}

QString InstallationService::makeLaunchAgentPlist(const QString &executable, const QString &installRoot,
                                                  const QString &executableFolder, const QString &home) {
    return LaunchAgentSetup::plistText(executable, installRoot, executableFolder, home);
}

QCoro::Task<void> InstallationService::setupLaunchAgent() {
    co_await LaunchAgentSetup(m_context).run();
}

QCoro::Task<qint64> InstallationService::waitForService() {
    co_return co_await ServiceVerification(m_context, m_selectedPort).run();
}

// --- the run --------------------------------------------------------------------------------

std::optional<quint16> InstallationService::portForRun(const QString &portText) {
    // Only a decimal integer from 1 to 65535 is a port; an empty field is refused like any other text.
    const std::optional<qint64> port = parseSignedInt64(portText);
    if (!port || !isTcpPort(*port))
        return std::nullopt;
    return quint16(*port);
}

QCoro::Task<bool> InstallationService::somethingListensOn(quint16 port) {
    const QList<QHostAddress> loopbacks = {QHostAddress(QHostAddress::LocalHost),
                                           QHostAddress(QHostAddress::LocalHostIPv6)};
    for (const QHostAddress &address : loopbacks) {
        QTcpSocket socket;
        socket.connectToHost(address, port);
        // Until connected, refused, or out of time (waitForConnected would sit out a refusal).
        const QDeadlineTimer deadline(m_timing.verifyRequestTimeout);
        while (socket.state() != QAbstractSocket::ConnectedState &&
               socket.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired()) {
            const std::chrono::milliseconds left(deadline.remainingTime());
            co_await qCoro(&socket, &QAbstractSocket::stateChanged, left);
        }
        const bool connected = socket.state() == QAbstractSocket::ConnectedState;
        socket.abort();
        if (connected)
            co_return true;
    }
    co_return false;
}

QCoro::Task<std::optional<QString>> InstallationService::portRefusal() {
    const std::optional<quint16> port = portForRun(m_selectedPort);
    if (!port)
        co_return QStringLiteral("Invalid.");
    // Another program answering on the port would pass for our server at the end. Our own earlier
    // server is gone by now; a process just killed may take a moment to let go of its socket.
    bool taken = co_await somethingListensOn(*port);
    if (taken) {
        co_await m_context.pause(m_timing.settleAfterStop);
        taken = co_await somethingListensOn(*port);
    }
    m_context.checkpoint();
    if (!taken)
        co_return std::nullopt;
    co_return portInUseText(*port);
}

QString InstallationService::portInUseText(quint16 port) const {
    const LocalizationManager localization(m_platform);
    return formatText(localization.localizedString(QStringLiteral("ui.portInUse")), {QString::number(port)});
}

QCoro::Task<bool> InstallationService::portTakenByAnotherProgram(quint16 port) {
    if (!co_await somethingListensOn(port))
        co_return false;
    const QString home = m_platform.homeDirectory();
    if (readPortFile(paths::portFile(home)) != port)
        co_return true;
    const std::optional<QString> uid = co_await currentUserID();
    co_return !uid || (co_await m_context.launchAgent().print(*uid)).failure();
}

QCoro::Task<void> InstallationService::performInstallation() {
    const QString home = m_platform.homeDirectory();
    // Before anything, the run lock included: every path of the run is made from the home.
    if (const std::optional<QString> problem = paths::homeFolderProblem(home)) {
        refuse(*problem);
        co_return;
    }
    // Two runs into one home would stop each other's server and overwrite each other's files.
    const RunLock lock(vistrel::runLockPath(home));
    if (!lock.held()) {
        refuse(lock.refusal(QStringLiteral("Another installation or an uninstall is already running for this user. "
                                           "Wait until it has finished, then try again.")));
        co_return;
    }
    m_interrupted = false;
    m_restoreNoteKey.clear();
    m_context.resetInterruption();
    // A run that was killed left its journal: what it changed goes back before anything else.
    const auto log = [this](const QString &line) { appendLog(line); };
    m_undoing = true;
    const std::optional<RollbackOutcome> recovered = co_await recoverJournal(home, m_platform.launchctlPath(), log);
    m_undoing = false;
    // What it could not put back still waits where its journal says: nothing may touch that.
    if (recovered && !recovered->complete) {
        refuse(QStringLiteral("An installation that did not finish could not be undone completely; "
                              "nothing else was changed. The log says what is missing."));
        co_return;
    }
    // Without a journal, what a run keeps for itself is left over from one that committed.
    const QString root = paths::installRoot(home);
    for (const QString &leftover :
         {root + u'/' + QString::fromUtf16(paths::stagingFolderName),
          root + u'/' + QString::fromUtf16(paths::previousFolderName), paths::previousLauncherApp(home)})
        removeIfPresent(leftover);
    m_hadInstallation = QFileInfo::exists(root);
    m_context.setJournal(UndoJournal(paths::installJournal(home)));

    appendLog(QStringLiteral("Initial system check..."));
    std::optional<QString> refusal;
    try {
        // Another program's port is refused before the running server is stopped for nothing.
        const std::optional<quint16> port = portForRun(m_selectedPort);
        if (port && co_await portTakenByAnotherProgram(*port)) {
            refusal = portInUseText(*port);
        } else {
            co_await stopExistingServices();
            refusal = co_await portRefusal();
        }
    } catch (const Error &e) {
        refusal = e.description();
    }
    if (refusal) {
        // The service stopped above runs again; the welcome screen comes back at once.
        co_await undoRun(false);
        refuse(*refusal);
        co_return;
    }
    co_await runSteps();
}

QString InstallationService::stepName(int index) const {
    // A fresh manager: the language the user chose last, also if it changed during the run.
    return stepTitle(allInstallationSteps[std::size_t(index)], LocalizationManager(m_platform));
}

QCoro::Task<void> InstallationService::runStep(int index) {
    try {
        switch (allInstallationSteps[std::size_t(index)]) {
        case InstallationStep::stopServices:
            co_await stopExistingServices();
            break;
        case InstallationStep::downloadTarvik:
            co_await downloadVistrel();
            break;
        case InstallationStep::installTarvik:
            co_await prepareInstalledFiles();
            break;
        case InstallationStep::installLauncher:
            co_await installLauncherApp();
            break;
        case InstallationStep::setupService:
            co_await setupLaunchAgent();
            break;
        case InstallationStep::verifyService: {
            const qint64 port = co_await waitForService();
            setFinalPort(port); // before the step's success line
            co_await commit();
            break;
        }
        case InstallationStep::complete:
            break;
        }
    } catch (const Error &) {
        // A transfer or a child ended by the interruption fails in its own words; the run says why.
        m_context.checkpoint();
        throw;
    }
}

QCoro::Task<void> InstallationService::stepFailed(int index) {
    Q_UNUSED(index);
    co_await undoRun(true);
}

QCoro::Task<void> InstallationService::undoRun(bool afterFailure) {
    m_undoing = true;
    const auto undone = qScopeGuard([this] { m_undoing = false; });
    UndoJournal &journal = m_context.journal();
    const bool previousWasLoaded = journal.contains(UndoRecord::Kind::Load);
    if (!journal.records().isEmpty())
        appendLog(QStringLiteral("Undoing the installation..."));
    const auto log = [this](const QString &line) { appendLog(line); };
    const RollbackOutcome outcome =
        co_await rollBack(journal.records(), m_platform.launchctlPath(), log, m_timing.commandTimeout);
    if (m_interrupted)
        m_context.discardTemporaryPackage();
    if (outcome.complete)
        journal.clear();
    else
        appendLog(
            QStringLiteral("⚠️ Not everything could be put back; the next start of the installer tries again."));
    m_context.setJournal(UndoJournal());

    // Only a failed step's error card says what became of the installation: a refused run shows
    // the welcome screen, an interrupted one is on its way out.
    if (!afterFailure || m_interrupted)
        co_return;
    if (!outcome.complete) {
        m_restoreNoteKey = QStringLiteral("ui.restoreIncomplete");
    } else if (!m_hadInstallation) {
        m_restoreNoteKey = QStringLiteral("ui.installationRemoved");
    } else if (!previousWasLoaded) {
        m_restoreNoteKey = QStringLiteral("ui.restoredStopped");
    } else {
        // The previous server reads its port file, else takes the default port.
        ServiceVerification verification(m_context, QString());
        QString portText;
        const std::optional<qint64> port = verification.installedPort(&portText);
        appendLog(QStringLiteral("Waiting for the previous service to answer on port %1...").arg(portText));
        bool answers = false;
        try {
            answers = port && co_await verification.answers(*port);
        } catch (const Error &) {
            appendLog(QStringLiteral("The installer is closing; the previous service goes on starting without it."));
            co_return;
        }
        appendLog(answers
                      ? QStringLiteral("✅ The previous service answers again on port %1.").arg(portText)
                      : QStringLiteral("⚠️ The previous service is loaded again but does not answer on port %1.")
                            .arg(portText));
        m_restoreNoteKey = answers ? QStringLiteral("ui.restoredRunning") : QStringLiteral("ui.restoredNotAnswering");
    }
}

QCoro::Task<void> InstallationService::commit() {
    const QString home = m_platform.homeDirectory();
    // Should the journal stay, what it would put back must stay too: never half of each release.
    const bool committed = m_context.journal().clear();
    m_context.setJournal(UndoJournal());
    if (!committed) {
        appendLog(QStringLiteral("⚠️ Could not remove the installation journal; the replaced files stay."));
        co_return;
    }
    // A big bundle is many files: removed on the thread pool, so the window keeps drawing.
    for (const QString &previous : {paths::installRoot(home) + u'/' + QString::fromUtf16(paths::previousFolderName),
                                    paths::previousLauncherApp(home)}) {
        QFuture<FileOperationResult> removal = QtConcurrent::run(&removeIfPresent, previous);
        if (const FileOperationResult removed = co_await removal; !removed.ok)
            appendLog(QStringLiteral("⚠️ Could not remove the replaced files: ") + removed.description);
    }
}

bool InstallationService::interrupt() {
    if (!isRunning())
        return false;
    m_interrupted = true;
    // While undoing, only the wait for the previous server ends: the undo itself runs to its end.
    m_context.interrupt(!m_undoing);
    return true;
}

void InstallationService::openLauncherApp() {
    // The installer is on its way out: a second press would start a second launcher.
    if (m_openingLauncher)
        return;
    appendLog(QStringLiteral("🚀 Opening Vistrel..."));
    if (!m_platform.openApplication(QString::fromUtf16(paths::launcherBundleIdentifier)))
        return; // not installed (or not startable): the installer stays open
    m_openingLauncher = true;
    QTimer::singleShot(m_timing.quitDelay, this, [this] { m_platform.terminateApplication(); });
}

} // namespace vistrel
