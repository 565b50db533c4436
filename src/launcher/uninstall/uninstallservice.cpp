#include "uninstallservice.h"

#include "common/commandrunner.h"
#include "common/error.h"
#include "common/fileoperations.h"
#include "common/launchagent.h"
#include "common/paths.h"
#include "common/runlock.h"
#include "platform/platform.h"

#include <QCoro/QCoroFuture>
#include <QFileInfo>
#include <QJSEngine>
#include <QtConcurrent/QtConcurrentRun>

namespace vistrel {

namespace {

// Removal of a large bundle can take a while: it runs on the thread pool, the event loop goes on.
QCoro::Task<FileOperationResult> removeInBackground(const QString &path) {
    QFuture<FileOperationResult> future = QtConcurrent::run(&removeIfPresent, path);
    co_return co_await future;
}

Error removalError(const FileOperationResult &result) {
    return Error(QStringLiteral("NSPOSIXErrorDomain"), result.errorCode, result.description);
}

// What the desktop was told about the installation goes with it (the platform's error text).
void throwIfDesktopLeft(const QString &error) {
    if (!error.isEmpty())
        throw Error(QStringLiteral("DesktopEntryError"), 1, error);
}

// What a step was asked to remove and could not: the run must not end as a success.
Error itemsLeftError(int errorCode, const QStringList &paths) {
    return Error(QStringLiteral("NSPOSIXErrorDomain"), errorCode,
                 QStringLiteral("These items could not be removed: %1").arg(paths.join(QStringLiteral(", "))));
}

} // namespace

std::shared_ptr<UninstallService> UninstallService::create(Platform &platform, Timing timing) {
    // Deferred deletion: the last reference may go from inside one of the object's own signals.
    std::shared_ptr<UninstallService> service(new UninstallService(ConstructionKey(), platform, timing),
                                              [](UninstallService *s) { s->deleteLater(); });
    QJSEngine::setObjectOwnership(service.get(), QJSEngine::CppOwnership);
    return service;
}

UninstallService::UninstallService(ConstructionKey, Platform &platform, Timing timing)
    : RunEngine(stepCount(), timing.stepPause)
    , m_platform(platform)
    , m_timing(timing) {
    const QString home = platform.homeDirectory();
    m_installPath = paths::installRoot(home);
    m_plistPath = paths::launchAgentPlist(home);
    m_launcherAppPath = paths::launcherApp(home);
    m_logPaths = {paths::serverLog(home), paths::serverErrorLog(home)};
    connect(this, &RunEngine::activeChanged, this, &UninstallService::isUninstallingChanged);
}

UninstallService::~UninstallService() = default;

QVariantList UninstallService::confirmationItemsForView() const {
    QVariantList rows;
    for (const UninstallItem &item : confirmationItems())
        rows.append(QVariant::fromValue(item));
    return rows;
}

QString UninstallService::stepName(int index) const {
    return UninstallStep(UninstallStep::Case(index)).caseName();
}

QCoro::Task<> UninstallService::perform() {
    const RunLock lock(runLockPath(m_platform.homeDirectory()));
    if (!lock.held()) {
        refuse(lock.refusal(QStringLiteral("Another uninstall or an installation is already running for this user. "
                                           "Wait until it has finished, then try again.")));
        co_return;
    }
    co_await runSteps();
}

QCoro::Task<> UninstallService::runStep(int index) {
    switch (UninstallStep::Case(index)) {
    case UninstallStep::stopService:
        co_await stopRunningService();
        break;
    case UninstallStep::removeLaunchAgent:
        co_await removeLaunchAgentPlist();
        break;
    case UninstallStep::removeApplicationFiles:
        co_await removeServerFiles();
        break;
    case UninstallStep::removeLauncherApp:
        co_await removeLauncherBundle();
        break;
    case UninstallStep::cleanupLogs:
        co_await removeLogFiles();
        break;
    case UninstallStep::complete:
        break;
    }
}

QCoro::Task<> UninstallService::stopRunningService() {
    appendLog(QStringLiteral("Stopping Vistrel service..."));
    const std::optional<QString> uid = co_await currentUserID();
    if (!uid) {
        appendLog(QStringLiteral("\u26A0\uFE0F Could not determine user ID, skipping service stop"));
        co_return;
    }
    const QString label = QString::fromUtf16(paths::launchAgentLabel);
    const LaunchAgent agent(m_platform.launchctlPath(), m_plistPath);
    const LaunchAgent::Target target = agent.reachableTarget();
    if (target == LaunchAgent::Target::Label) {
        // Without a plist that names it, the job is still reachable by its label.
        appendLog(QFileInfo::exists(m_plistPath)
                      ? QStringLiteral("Launch agent plist does not name %1; stopping it by its label").arg(label)
                      : QStringLiteral("Launch agent plist not found; stopping %1 by its label").arg(label));
    }
    const std::optional<Error> failure = (co_await agent.bootout(*uid, target)).failure();
    if (!failure) {
        appendLog(QStringLiteral("Service stopped successfully"));
        co_return;
    }
    const QString warning = failure->description();
    // A failed bootout is harmless only when the job is not loaded; a loaded one keeps running
    // (and is restarted) whatever is removed after it, so the run stops here.
    const bool stillLoaded = !(co_await agent.print(*uid)).failure();
    if (stillLoaded)
        throw Error(QStringLiteral("ShellError"), 1,
                    QStringLiteral("The service %1 is still running: %2").arg(label, warning.trimmed()));
    appendLog(QStringLiteral("\u26A0\uFE0F Service may not have been running: %1").arg(warning));
}

QCoro::Task<> UninstallService::removeLaunchAgentPlist() {
    appendLog(QStringLiteral("Removing launch agent configuration..."));
    const FileOperationResult result = co_await removeInBackground(m_plistPath);
    if (!result.ok)
        throw removalError(result);
    throwIfDesktopLeft(m_platform.removeAgentsAtLogin(QString::fromUtf16(paths::launchAgentLabel)));
    if (result.existed)
        appendLog(QStringLiteral("Launch agent plist removed"));
    else
        appendLog(QStringLiteral("Launch agent plist not found (already removed)"));
}

QCoro::Task<> UninstallService::removeServerFiles() {
    appendLog(QStringLiteral("Removing Vistrel application files..."));
    // Only these entries go; Media (the user's data), lang.txt, the browser script, anything else
    // and the install root itself stay.
    const QStringList candidates{
        m_installPath + QStringLiteral("/TarvikService.app"),
        m_installPath + QStringLiteral("/ffmpeg7"),
        m_installPath + QStringLiteral("/Plugins"),
        m_installPath + QStringLiteral("/tarvik-update.sh"),
        m_installPath + QStringLiteral("/Tarvik"),
    };
    const Removals removals =
        co_await removeEach(candidates, [this](const QString &path, const FileOperationResult &result) {
            if (result.ok)
                appendLog(QStringLiteral("Removed: %1").arg(QFileInfo(path).fileName()));
            else
                appendLog(QStringLiteral("\u26A0\uFE0F Could not remove %1: %2").arg(path, result.description));
        });
    // Every candidate is tried first; then what stayed fails the step.
    if (!removals.left.isEmpty())
        throw itemsLeftError(removals.leftError, removals.left);
    if (removals.removed > 0)
        appendLog(QStringLiteral("Application core files removed successfully. User data (Media/XML) was preserved."));
    else if (removals.found == 0)
        appendLog(QStringLiteral("Application files not found (already removed)"));
}

QCoro::Task<> UninstallService::removeLauncherBundle() {
    appendLog(QStringLiteral("Removing launcher app..."));
    // When the launcher runs from this bundle, the running process goes on without it.
    const FileOperationResult result = co_await removeInBackground(m_launcherAppPath);
    if (!result.ok)
        throw removalError(result);
    throwIfDesktopLeft(m_platform.removeFromApplicationMenu(QString::fromUtf16(paths::launcherBundleIdentifier)));
    if (result.existed)
        appendLog(QStringLiteral("Launcher app removed from: %1").arg(m_launcherAppPath));
    else
        appendLog(QStringLiteral("Launcher app not found (already removed)"));
}

QCoro::Task<> UninstallService::removeLogFiles() {
    appendLog(QStringLiteral("Cleaning up log files..."));
    const Removals removals =
        co_await removeEach(m_logPaths, [this](const QString &path, const FileOperationResult &result) {
            if (!result.ok)
                appendLog(QStringLiteral("\u26A0\uFE0F Could not remove log file: %1").arg(path));
        });
    if (removals.removed > 0)
        appendLog(QStringLiteral("Removed %1 log file(s)").arg(removals.removed));
    else if (removals.found == 0)
        appendLog(QStringLiteral("No log files found to remove"));
    if (!removals.left.isEmpty())
        throw itemsLeftError(removals.leftError, removals.left);
}

QCoro::Task<UninstallService::Removals>
UninstallService::removeEach(const QStringList &paths,
                             const std::function<void(const QString &, const FileOperationResult &)> &report) {
    Removals removals;
    for (const QString &path : paths) {
        const FileOperationResult result = co_await removeInBackground(path);
        if (result.ok && !result.existed)
            continue;
        ++removals.found;
        report(path, result);
        if (result.ok) {
            ++removals.removed;
        } else {
            removals.left << path;
            removals.leftError = removals.leftError ? removals.leftError : result.errorCode;
        }
    }
    co_return removals;
}

} // namespace vistrel
