#pragma once

#include "common/runengine.h"
#include "common/timing.h"
#include "launcher/uninstall/uninstallitem.h"
#include "launcher/uninstall/uninstallstep.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <QCoro/QCoroTask>

#include <functional>
#include <memory>
#include <optional>

namespace vistrel {

class Platform;
struct FileOperationResult;

// Removes the installation from the user's account in six steps and publishes the run for the
// uninstaller window: the current step, a progress count out of six, a log and the error that
// stopped it. The user's data (Media), the language file and the install root itself stay.
//
// Always owned through std::shared_ptr (see create()): a running uninstall holds a reference, so
// the window may drop its own at any time and the run still ends normally.
class UninstallService : public RunEngine {
    Q_OBJECT
    Q_PROPERTY(vistrel::UninstallStep currentStep READ currentStep NOTIFY currentStepChanged)
    Q_PROPERTY(bool isUninstalling READ isUninstalling NOTIFY isUninstallingChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(QStringList log READ log NOTIFY logChanged)
    Q_PROPERTY(QString error READ errorText NOTIFY errorChanged)
    Q_PROPERTY(bool hasError READ hasError NOTIFY errorChanged)
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
    Q_PROPERTY(int stepCount READ stepCount CONSTANT)
    Q_PROPERTY(QVariantList confirmationItems READ confirmationItemsForView CONSTANT)
    Q_PROPERTY(QString tarvikInstallPath READ tarvikInstallPath CONSTANT)
    Q_PROPERTY(QString tarvikPlistPath READ tarvikPlistPath CONSTANT)
    Q_PROPERTY(QString launcherAppPath READ launcherAppPath CONSTANT)
    Q_PROPERTY(QStringList logPaths READ logPaths CONSTANT)

    struct ConstructionKey {
        explicit ConstructionKey() = default;
    };

public:
    // The paths come from the platform's home folder once, here; nothing on disk is touched.
    // The object has C++ ownership for QML; it is deleted (deferred) when the last reference goes.
    static std::shared_ptr<UninstallService> create(Platform &platform, Timing timing = {});
    UninstallService(ConstructionKey, Platform &platform, Timing timing);
    ~UninstallService() override;

    UninstallStep currentStep() const { return UninstallStep::Case(currentIndex()); }
    bool isUninstalling() const { return isActive(); }
    const QStringList &log() const { return logLines(); }
    QString errorText() const { return error().value_or(QString()); }
    bool hasError() const { return error().has_value(); }

    // The total the progress bar measures against.
    static constexpr int stepCount() { return UninstallStep::caseCount; }
    static QList<UninstallItem> confirmationItems() { return UninstallItem::confirmationList(); }
    QVariantList confirmationItemsForView() const;

    const QString &tarvikInstallPath() const { return m_installPath; }
    const QString &tarvikPlistPath() const { return m_plistPath; }
    const QString &launcherAppPath() const { return m_launcherAppPath; }
    const QStringList &logPaths() const { return m_logPaths; }

    // See RunEngine::start().
    Q_INVOKABLE void startUninstall() { start(); }

signals:
    void isUninstallingChanged();

private:
    // The steps, under the home's run lock: a second uninstall or an installation meanwhile is refused.
    QCoro::Task<> perform() override;
    QCoro::Task<> runStep(int index) override;
    QString stepName(int index) const override;

    QCoro::Task<> stopRunningService();
    QCoro::Task<> removeLaunchAgentPlist();
    QCoro::Task<> removeServerFiles();
    QCoro::Task<> removeLauncherBundle();
    QCoro::Task<> removeLogFiles();
    // What removing a list of paths found, removed and left (with the first failure's error code).
    struct Removals {
        int found = 0;
        int removed = 0;
        QStringList left;
        int leftError = 0;
    };
    // Removes each path, never through a link; report hears of every path that was there.
    QCoro::Task<Removals> removeEach(const QStringList &paths,
                                     const std::function<void(const QString &, const FileOperationResult &)> &report);

    Platform &m_platform;
    Timing m_timing;
    QString m_installPath;
    QString m_plistPath;
    QString m_launcherAppPath;
    QStringList m_logPaths;
};

} // namespace vistrel
