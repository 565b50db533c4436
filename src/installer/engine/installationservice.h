#pragma once

#include "installationstep.h"

#include "common/launchagent.h"
#include "common/runengine.h"
#include "common/serverprobe.h"
#include "common/timing.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

namespace vistrel {

class Platform;

// The installer's engine: the checks before a run and the work of each step; RunEngine runs them
// and publishes the state. Step operations are coroutines that a run awaits one after the other.
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
    Q_PROPERTY(bool useBetaVersion READ useBetaVersion WRITE setUseBetaVersion NOTIFY useBetaVersionChanged)
    Q_PROPERTY(QString selectedPort READ selectedPort WRITE setSelectedPort NOTIFY selectedPortChanged)
    // The verified port, or undefined until a verification has succeeded.
    Q_PROPERTY(QVariant finalPort READ finalPortValue NOTIFY finalPortChanged)
    Q_PROPERTY(bool hasFinalPort READ hasFinalPort NOTIFY finalPortChanged)

public:
    static constexpr int stepCount = int(allInstallationSteps.size());
    int steps() const { return stepCount; }
    // Codes of the errors this engine raises beyond the unpacker's own exit statuses.
    static constexpr int locationNotUtf8Code = 1;   // DownloadError
    static constexpr int invalidLocationCode = 2;   // DownloadError
    static constexpr int badLocationStatusCode = 4; // DownloadError (the package's own status also uses 4)
    static constexpr int unzipNotStartedCode = -1;  // ExtractionError
    static constexpr int unsafePackageCode = -2;    // ExtractionError
    static constexpr int noUserIdCode = 99;         // InstallError
    static constexpr int invalidPortCode = 100;     // InstallError
    static constexpr int serviceTimeoutCode = 101;  // InstallError
    static constexpr int launcherMissingCode = 102; // InstallError

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
    // Opens the installed launcher and quits a moment later; nothing more when it is not found.
    // Once the launcher has been started, further calls do nothing.
    Q_INVOKABLE void openLauncherApp();
    // Step operations, each awaited by a run.
    // Boots out an earlier launch agent and kills a running server; never fails.
    QCoro::Task<void> stopExistingServices();
    // Asks the download service for the package, streams it to a temporary file and unpacks it
    // into the install root. Throws vistrel::Error.
    QCoro::Task<void> downloadVistrel();
    // Quarantine strip, permissions, port and language files; problems become warning lines.
    QCoro::Task<void> prepareInstalledFiles();
    // Copies the launcher from the installer bundle to ~/Applications, replacing an earlier copy.
    QCoro::Task<void> installLauncherApp();
    // Writes the launch agent plist and loads it, reloading an agent that is still loaded.
    QCoro::Task<void> setupLaunchAgent();
    // Polls the server on localhost until it answers 200; returns its port.
    QCoro::Task<qint64> waitForService();

    // The launch agent plist, byte for byte; every inserted path is XML-escaped (a home folder
    // without & < > " ' gives the paths exactly as they are).
    static QString makeLaunchAgentPlist(const QString &executable, const QString &installRoot,
                                        const QString &executableFolder, const QString &home);
    // The port a run installs for: the typed text as a strict decimal integer from 1 to 65535,
    // nothing when the text is refused (an empty text included).
    static std::optional<quint16> portForRun(const QString &portText);

    // The lock a run holds for the home folder (in the user's runtime folder): a second run of any
    // kind while one is going is refused.
    static QString runLockPath(const QString &home);

    // The download service's origin: the user default "downloadServiceOrigin" when set, else the
    // origin this build was configured with.
    QString downloadServiceOrigin() const;
    // The location request for a platform value ("OSX64", "OSXARM64") and channel.
    QUrl downloadLocationUrl(const QString &platformName, bool useBeta) const;
    // The body's text without white space, then without quotes, at both ends.
    static QString cleanDownloadLocation(const QString &body);
    // An absolute http(s) URL with a host; anything else cannot be downloaded.
    static bool isDownloadableUrl(const QString &location);
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

    QCoro::Task<QString> requestDownloadLocation(QUrl serviceUrl);
    QCoro::Task<void> unpackPackage(QString packagePath);
    // Removes the package a run is still downloading or unpacking.
    void discardTemporaryPackage();
    QString installRoot() const;
    // The service-manager client for our job, with the command limit.
    LaunchAgent launchAgent() const;

    QCoro::Task<void> perform() override { return performInstallation(); }
    QCoro::Task<void> runStep(int index) override;
    QString stepName(int index) const override;
    // True when something accepts connections on the port at 127.0.0.1 or ::1.
    QCoro::Task<bool> somethingListensOn(quint16 port);
    Platform &m_platform;
    Timing m_timing;
    QNetworkAccessManager m_network;
    // The verification's probes: loopback, never through a proxy.
    std::shared_ptr<QNetworkAccessManager> m_probeNetwork = makeProbeNetwork();
    QString m_installerBundlePath;
    bool m_openingLauncher = false;
    QString m_temporaryPackage; // while a run downloads or unpacks it

    bool m_useBetaVersion = false;
    QString m_selectedPort = QStringLiteral("8090");
    std::optional<qint64> m_finalPort;
};

} // namespace vistrel
