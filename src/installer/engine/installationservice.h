#pragma once

#include "installationstep.h"
#include "stepcontext.h"

#include "common/runengine.h"
#include "common/timing.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

namespace vistrel {

class Platform;

// The installer's engine: a run's checks, the order of its steps, and the transaction around them;
// RunEngine runs the steps and publishes the state. Each step is an operation of its own that
// journals how to undo what it changes before it changes it. A step that fails, or an interrupted
// run, is undone newest first, and the previous installation runs again; once the new server
// answers, the run commits and lets go of what it replaced.
//
// The program owns it through create(): a running installation then holds a reference of its
// own, so the window may go away mid-run without the run touching a deleted object. An object
// made with the plain constructor must outlive every run it starts.
class InstallationService : public RunEngine {
    Q_OBJECT
    Q_PROPERTY(vistrel::installation::InstallationStep currentStep READ currentStep NOTIFY currentStepChanged)
    // What the installation screen shows of the current step.
    Q_PROPERTY(QString currentStepTitleKey READ currentStepTitleKey NOTIFY currentStepChanged)
    Q_PROPERTY(QString currentStepDescriptionKey READ currentStepDescriptionKey NOTIFY currentStepChanged)
    Q_PROPERTY(QString currentStepSymbol READ currentStepSymbol NOTIFY currentStepChanged)
    Q_PROPERTY(bool isComplete READ isComplete NOTIFY currentStepChanged)
    Q_PROPERTY(bool isInstalling READ isInstalling NOTIFY isInstallingChanged)
    Q_PROPERTY(int stepCount READ steps CONSTANT)
    Q_PROPERTY(double installationProgress READ installationProgress NOTIFY installationProgressChanged)
    Q_PROPERTY(QStringList installationLog READ installationLog NOTIFY installationLogChanged)
    // The error text, or undefined while no error stands (an error may have an empty text).
    Q_PROPERTY(QVariant installationError READ installationErrorValue NOTIFY installationErrorChanged)
    Q_PROPERTY(bool hasInstallationError READ hasInstallationError NOTIFY installationErrorChanged)
    // After a failed step: the key of the text that says what became of the installation from before.
    Q_PROPERTY(QString restoreNoteKey READ restoreNoteKey NOTIFY installationErrorChanged)
    Q_PROPERTY(bool useBetaVersion READ useBetaVersion WRITE setUseBetaVersion NOTIFY useBetaVersionChanged)
    Q_PROPERTY(QString selectedPort READ selectedPort WRITE setSelectedPort NOTIFY selectedPortChanged)
    // The verified port, or undefined until a verification has succeeded.
    Q_PROPERTY(QVariant finalPort READ finalPortValue NOTIFY finalPortChanged)
    Q_PROPERTY(bool hasFinalPort READ hasFinalPort NOTIFY finalPortChanged)

public:
    static constexpr int stepCount = int(allInstallationSteps.size());
    int steps() const { return stepCount; }

    // Deleted (deferred) when the last reference goes; C++ ownership for QML.
    static std::shared_ptr<InstallationService> create(Platform &platform, Timing timing = {});
    explicit InstallationService(Platform &platform, Timing timing = {}, QObject *parent = nullptr);
    ~InstallationService() override;

    // The installer bundle that carries the launcher in Contents/Resources/Vistrel.app. Empty (the
    // default) means the bundle around the running program.
    void setInstallerBundlePath(const QString &bundlePath) { m_installerBundlePath = bundlePath; }
    QString installerBundlePath() const;

    InstallationStep currentStep() const { return allInstallationSteps[std::size_t(currentIndex())]; }
    QString currentStepTitleKey() const { return vistrel::stepTitleKey(currentStep()); }
    QString currentStepDescriptionKey() const { return vistrel::stepDescriptionKey(currentStep()); }
    QString currentStepSymbol() const { return vistrel::stepSymbol(currentStep()); }
    bool isComplete() const { return currentStep() == InstallationStep::complete; }
    bool isInstalling() const { return isActive(); }
    double installationProgress() const { return progress(); }
    const QStringList &installationLog() const { return logLines(); }
    const std::optional<QString> &installationError() const { return error(); }
    bool hasInstallationError() const { return error().has_value(); }
    const QString &restoreNoteKey() const { return m_restoreNoteKey; }
    bool useBetaVersion() const { return m_useBetaVersion; }
    void setUseBetaVersion(bool useBeta);
    const QString &selectedPort() const { return m_selectedPort; }
    // Kept exactly as typed, also empty; only the run decides whether it is acceptable.
    void setSelectedPort(const QString &port);
    const std::optional<qint64> &finalPort() const { return m_finalPort; }
    bool hasFinalPort() const { return m_finalPort.has_value(); }

    // For the installation screen: the step's table keys and symbol name. QML hands enumeration
    // values over as numbers; one outside the steps gives an empty text.
    Q_INVOKABLE QString stepTitleKey(int step) const;
    Q_INVOKABLE QString stepDescriptionKey(int step) const;
    Q_INVOKABLE QString stepSymbol(int step) const;
    // Puts the log, lines joined by single line feeds, on the clipboard.
    Q_INVOKABLE void copyLogToPasteboard();

    // See RunEngine::start().
    Q_INVOKABLE void startInstallation() { start(); }
    // The body of one run: initial cleanup, port checks, then the seven steps. Never throws.
    QCoro::Task<void> performInstallation();
    // Ends the run under way: its step stops, what ran is undone (the previous service is loaded
    // again, not waited for), and the run finishes. False when no run is going.
    bool interrupt();
    // The last run was ended by interrupt().
    bool interrupted() const { return m_interrupted; }
    // Opens the installed launcher and quits a moment later; nothing more when it is not found.
    // Once the launcher has been started, further calls do nothing.
    Q_INVOKABLE void openLauncherApp();
    // Step operations, each awaited by a run (or on its own, journaled in memory).
    // Boots out an earlier launch agent and kills a running server; never fails.
    QCoro::Task<void> stopExistingServices();
    // Asks the download service for the package, streams it to a temporary file, unpacks it and
    // moves it into the install root. Throws vistrel::Error.
    QCoro::Task<void> downloadVistrel();
    // Quarantine strip, permissions, port and language files; problems become warning lines.
    QCoro::Task<void> prepareInstalledFiles();
    // Copies the launcher from the installer bundle to ~/Applications, replacing an earlier copy.
    QCoro::Task<void> installLauncherApp();
    // Writes the launch agent plist and loads it, reloading an agent that is still loaded.
    QCoro::Task<void> setupLaunchAgent();
    // Polls the server on localhost until it answers 200; returns its port.
    QCoro::Task<qint64> waitForService();

    // See LaunchAgentSetup::plistText.
    static QString makeLaunchAgentPlist(const QString &executable, const QString &installRoot,
                                        const QString &executableFolder, const QString &home);
    // The port a run installs for: the typed text as a strict decimal integer from 1 to 65535,
    // nothing when the text is refused (an empty text included).
    static std::optional<quint16> portForRun(const QString &portText);
    // Before anything is stopped: something answers on port, and it is not our own server (our job
    // is not loaded, or the installed port file names another port). Our own server's port is only
    // known to be free once the server is stopped.
    QCoro::Task<bool> portTakenByAnotherProgram(quint16 port);
    // See vistrel::runLockPath.
    static QString runLockPath(const QString &home);
    // The language file's code for the installer's language ("zh-Hans" -> "zh-cn", ...).
    static QString serverLanguageCodeFor(const QString &installerLanguage);
    // serverLanguageCodeFor the language a fresh LocalizationManager starts in (the stored choice).
    QString serverLanguageCode() const;

signals:
    void isInstallingChanged();
    void installationProgressChanged();
    void installationLogChanged();
    void installationErrorChanged();
    void useBetaVersionChanged();
    void selectedPortChanged();
    void finalPortChanged();

private:
    QVariant installationErrorValue() const;
    QVariant finalPortValue() const;

    void setFinalPort(const std::optional<qint64> &port);

    // The text that refuses the run (port not accepted or taken); nothing when it may go on.
    QCoro::Task<std::optional<QString>> portRefusal();
    QString portInUseText(quint16 port) const;
    // Undoes the run's journal. After a failed step (not an interruption) it waits for the
    // previous server to answer, and sets the restore note.
    QCoro::Task<void> undoRun(bool afterFailure);
    // The new server answers: the journal goes, then what the run replaced.
    QCoro::Task<void> commit();

    QCoro::Task<void> perform() override { return performInstallation(); }
    QCoro::Task<void> runStep(int index) override;
    QCoro::Task<void> stepFailed(int index) override;
    QString stepName(int index) const override;
    // True when something accepts connections on the port at 127.0.0.1 or ::1.
    QCoro::Task<bool> somethingListensOn(quint16 port);

    Platform &m_platform;
    Timing m_timing;
    StepContext m_context;
    QString m_installerBundlePath;
    bool m_openingLauncher = false;
    bool m_interrupted = false;
    bool m_undoing = false;
    bool m_hadInstallation = false; // the install root was there when the run began
    QString m_restoreNoteKey;

    bool m_useBetaVersion = false;
    QString m_selectedPort = QStringLiteral("8090");
    std::optional<qint64> m_finalPort;
};

} // namespace vistrel
