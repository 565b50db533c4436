#include "installationservice.h"

#include "downloadprogressdelegate.h"
#include "packageentries.h"

#include "common/commandrunner.h"
#include "common/error.h"
#include "common/paths.h"
#include "common/porttext.h"
#include "common/shellquote.h"
#include "installer/localization/localizationmanager.h"
#include "platform/platform.h"

#include <QCoro/QCoroNetworkReply>
#include <QCoro/QCoroTimer>
#include <QDir>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSaveFile>
#include <QThread>
#include <QUuid>

#include <chrono>
#include <filesystem>
#include <system_error>

#ifndef VISTREL_DOWNLOAD_SERVICE_ORIGIN
#error "VISTREL_DOWNLOAD_SERVICE_ORIGIN must name the download service's origin"
#endif

namespace vistrel {

namespace {

using namespace std::chrono_literals;

const QString unzipProgram = QStringLiteral("/usr/bin/unzip");
// Unpacking a large package on a slow disk takes a while; only a hung unzip should hit this.
constexpr auto unzipTimeout = 30min;

Error downloadError(int code, const QString &description) {
    return Error(QStringLiteral("DownloadError"), code, description);
}

Error extractionError(qint64 code) {
    return Error(QStringLiteral("ExtractionError"), code, QStringLiteral("Extraction failed."));
}

// Owns the location request's reply; see DownloadProgressDelegate for why it is deleted later.
struct LocationReply {
    QPointer<QNetworkReply> reply;
    ~LocationReply() {
        if (reply) {
            reply->abort();
            reply->deleteLater();
        }
    }
};

// Writes text as UTF-8 without byte-order mark or line break, replacing the file as a whole.
bool writeTextAtomically(const QString &path, const QString &text, QString *error) {
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

std::filesystem::path fsPath(const QString &path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

InstallationService::InstallationService(Platform &platform, Timing timing, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_timing(timing) {}

InstallationService::~InstallationService() = default;

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
    return m_installationError ? QVariant(*m_installationError) : QVariant();
}

QVariant InstallationService::finalPortValue() const {
    return m_finalPort ? QVariant(*m_finalPort) : QVariant();
}

void InstallationService::setCurrentStep(InstallationStep step) {
    if (m_currentStep == step)
        return;
    m_currentStep = step;
    emit currentStepChanged();
}

void InstallationService::setIsInstalling(bool installing) {
    if (m_isInstalling == installing)
        return;
    m_isInstalling = installing;
    emit isInstallingChanged();
}

void InstallationService::setInstallationProgress(double progress) {
    if (m_installationProgress == progress)
        return;
    m_installationProgress = progress;
    emit installationProgressChanged();
}

void InstallationService::setInstallationError(const std::optional<QString> &error) {
    if (m_installationError == error)
        return;
    m_installationError = error;
    emit installationErrorChanged();
}

void InstallationService::setFinalPort(const std::optional<qint64> &port) {
    if (m_finalPort == port)
        return;
    m_finalPort = port;
    emit finalPortChanged();
}

void InstallationService::clearLog() {
    if (m_installationLog.isEmpty())
        return;
    m_installationLog.clear();
    emit installationLogChanged();
}

void InstallationService::appendLog(const QString &line) {
    Q_ASSERT(thread() == QThread::currentThread());
    m_installationLog.append(line);
    emit installationLogChanged();
}

void InstallationService::updateLastLog(const QString &line) {
    Q_ASSERT(thread() == QThread::currentThread());
    if (m_installationLog.isEmpty())
        m_installationLog.append(line);
    else
        m_installationLog.last() = line;
    emit installationLogChanged();
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
    m_platform.setClipboardText(m_installationLog.join(u'\n'));
}

QString InstallationService::installRoot() const {
    return paths::installRoot(m_platform.homeDirectory());
}

// --- cleanup of an earlier installation -------------------------------------------------------

QCoro::Task<void> InstallationService::stopExistingServices() {
    appendLog(QStringLiteral("Stopping existing Vistrel services..."));
    const std::optional<QString> uid = co_await currentUserID();
    const QString domain = QStringLiteral("gui/") + uid.value_or(QString());
    const QString plist = paths::launchAgentPlist(m_platform.homeDirectory());

    const QString bootout = QStringLiteral("launchctl bootout ") + domain + u' ' + shellQuote(plist) +
                            QStringLiteral(" 2>/dev/null || true");
    const QString kill = QStringLiteral("pkill -9 Tarvik 2>/dev/null || true");
    // Nothing to stop is the usual case; no outcome of these matters.
    const QStringList commands{bootout, kill};
    for (const QString &command : commands) {
        try {
            co_await runShellCommand(command);
        } catch (const std::exception &) {
        }
    }
    co_await QCoro::sleepFor(m_timing.settleAfterStop);
}

// --- download -----------------------------------------------------------------------------

QString InstallationService::downloadServiceOrigin() const {
    QString origin = m_platform.userDefault(QStringLiteral("downloadServiceOrigin")).toString().trimmed();
    if (origin.isEmpty())
        origin = QStringLiteral(VISTREL_DOWNLOAD_SERVICE_ORIGIN);
    while (origin.endsWith(u'/'))
        origin.chop(1);
    return origin;
}

QUrl InstallationService::downloadLocationUrl(const QString &platformName, bool useBeta) const {
    return QUrl(downloadServiceOrigin() + QStringLiteral("/api/Tarvik/DownloadLocation5?platform=") + platformName +
                QStringLiteral("&useVersion=0&useBeta=") +
                (useBeta ? QStringLiteral("true") : QStringLiteral("false")));
}

QString InstallationService::cleanDownloadLocation(const QString &body) {
    QString location = body.trimmed();
    qsizetype start = 0;
    qsizetype end = location.size();
    const auto isQuote = [](QChar c) { return c == u'"' || c == u'\''; };
    while (start < end && isQuote(location[start]))
        ++start;
    while (end > start && isQuote(location[end - 1]))
        --end;
    return location.sliced(start, end - start);
}

bool InstallationService::isDownloadableUrl(const QString &location) {
    const QUrl url(location, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") && !url.host().isEmpty();
}

QCoro::Task<QString> InstallationService::requestDownloadLocation(QUrl serviceUrl) {
    LocationReply owner{m_network.get(QNetworkRequest(serviceUrl))};
    QNetworkReply *const reply = owner.reply;
    co_await qCoro(reply).waitForFinished();

    // An error page is not a location: say which status came back instead of parsing its body.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        throw downloadError(badLocationStatusCode,
                            QStringLiteral("The download service answered with HTTP status %1").arg(status.toInt()));
    if (reply->error() != QNetworkReply::NoError)
        throw Error(QStringLiteral("NetworkError"), reply->error(), reply->errorString());

    const std::optional<QString> body = decodeUtf8(reply->readAll());
    if (!body)
        throw downloadError(locationNotUtf8Code, QStringLiteral("Could not get download URL"));
    const QString location = cleanDownloadLocation(*body);
    if (!isDownloadableUrl(location))
        throw downloadError(invalidLocationCode, QStringLiteral("Invalid download URL: ") + location);
    co_return location;
}

QCoro::Task<void> InstallationService::downloadVistrel() {
    appendLog(QStringLiteral("Determining download URL..."));
    const QString architecture = co_await detectArchitecture();
    const QString platformName = architecture == u"arm64" ? QStringLiteral("OSXARM64") : QStringLiteral("OSX64");
    const bool useBeta = m_useBetaVersion;
    const QUrl serviceUrl = downloadLocationUrl(platformName, useBeta);
    appendLog(
        QStringLiteral("Requesting %1 version...").arg(useBeta ? QStringLiteral("beta") : QStringLiteral("stable")));

    const QString location = co_await requestDownloadLocation(serviceUrl);
    appendLog(QStringLiteral("Downloading from: ") + location);

    const QString packagePath = QDir::tempPath() + QStringLiteral("/Vistrel_") +
                                QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".zip");
    // One log write per distinct text: the text changes at most once per 0.1 MB.
    DownloadProgressDelegate delegate([this](double, const QString &text, bool) {
        if (m_installationLog.isEmpty() || m_installationLog.constLast() != text)
            updateLastLog(text);
    });
    const QUrl packageUrl(location, QUrl::StrictMode);
    co_await delegate.download(m_network, packageUrl, packagePath);
    co_await unpackPackage(packagePath);
}

// --- unpacking and file preparation ---------------------------------------------------------

QCoro::Task<void> InstallationService::unpackPackage(QString packagePath) {
    appendLog(QStringLiteral("Extracting files directly to installation directory..."));
    const QString root = installRoot();
    QDir().mkpath(root); // unzip creates it itself, or fails below

    // Nothing is unpacked until every entry is known to land inside the root.
    const PackageCheck check = co_await checkPackageEntries(unzipProgram, packagePath);
    if (check.outcome == PackageCheck::Outcome::Unreadable) {
        appendLog(QStringLiteral("ERROR: ") + check.message);
        throw extractionError(check.exitCode);
    }
    if (check.outcome == PackageCheck::Outcome::Unsafe) {
        appendLog(QStringLiteral("ERROR: The package has an entry outside the installation folder: ") + check.message);
        throw extractionError(unsafePackageCode);
    }

    const QStringList arguments{QStringLiteral("-o"), packagePath, QStringLiteral("-d"), root};
    const ProcessResult unzip =
        co_await runProcess(unzipProgram, arguments, ChildOutput::CaptureStderr, QString(), unzipTimeout);
    if (!unzip.started) {
        appendLog(QStringLiteral("Process failed to even start: ") +
                  Error(QStringLiteral("NSCocoaErrorDomain"), 4, unzip.launchError).fullDescription());
        throw extractionError(unzipNotStartedCode);
    }
    if (unzip.exitCode != 0 || unzip.crashed) {
        appendLog(QStringLiteral("ERROR: ") + decodeUtf8(unzip.output).value_or(QStringLiteral("Unknown error")));
        throw extractionError(unzip.exitCode);
    }
    QFile::remove(packagePath);
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
    const QString root = installRoot();
    appendLog(QStringLiteral("Applying permissions to Vistrel files..."));
    appendLog(QStringLiteral("Stripping Gatekeeper Quarantine flags..."));
    try {
        const QString strip = QStringLiteral("xattr -rd com.apple.quarantine ") + shellQuote(root) +
                              QStringLiteral(" 2>/dev/null || true");
        co_await runShellCommand(strip);
    } catch (const std::exception &) {
        appendLog(QStringLiteral("⚠️ Warning: Could not run quarantine strip."));
    }

    appendLog(QStringLiteral("Restoring execution permissions..."));
    const QString server = root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik");
    const QString relay = root + QStringLiteral("/TarvikService.app/Contents/MacOS/TURN/turnserver");
    constexpr auto executable = std::filesystem::perms(0755);
    std::error_code permissionError;
    if (QFileInfo::exists(server))
        std::filesystem::permissions(fsPath(server), executable, permissionError);
    else
        appendLog(QStringLiteral("⚠️ Warning: Tarvik binary not found at ") + server);
    // A failure on the server leaves the relay alone.
    if (!permissionError && QFileInfo::exists(relay))
        std::filesystem::permissions(fsPath(relay), executable, permissionError);
    if (permissionError)
        appendLog(QStringLiteral("⚠️ Error setting binary permissions: ") +
                  QString::fromLocal8Bit(permissionError.message()));

    try {
        const QString scripts =
            QStringLiteral("find ") + shellQuote(root) + QStringLiteral(" -name '*.sh' -exec chmod +x {} \\;");
        co_await runShellCommand(scripts);
    } catch (const std::exception &e) {
        const auto *error = dynamic_cast<const Error *>(&e);
        appendLog(QStringLiteral("⚠️ Error setting script permissions: ") +
                  (error ? error->description() : QString::fromLocal8Bit(e.what())));
    }

    appendLog(QStringLiteral("Creating default port configuration..."));
    const QString portText = m_selectedPort.isEmpty() ? QString::fromUtf16(paths::defaultPortText) : m_selectedPort;
    const QString portFile = paths::portFile(m_platform.homeDirectory());
    QString writeError;
    if (QDir().mkpath(QFileInfo(portFile).absolutePath()) && writeTextAtomically(portFile, portText, &writeError))
        appendLog(QStringLiteral("Port configured to: ") + portText);
    else
        appendLog(QStringLiteral("⚠️ Could not write port.txt file. The service will use its default port."));

    appendLog(QStringLiteral("Writing language configuration..."));
    const QString language = serverLanguageCode();
    if (writeTextAtomically(paths::languageFile(m_platform.homeDirectory()), language, &writeError))
        appendLog(QStringLiteral("Language set to: ") + language);
    else
        appendLog(QStringLiteral("⚠️ Could not write lang.txt file: ") + writeError);

    appendLog(QStringLiteral("Files ready at: ") + root);
}

} // namespace vistrel
