#include "installationservice.h"

#include "common/fileoperations.h"
#include "downloadprogressdelegate.h"
#include "packageentries.h"

#include "common/bundleinfo.h"
#include "common/commandrunner.h"
#include "common/error.h"
#include "common/launchagent.h"
#include "common/paths.h"
#include "common/pause.h"
#include "common/plist.h"
#include "common/porttext.h"
#include "common/serverprobe.h"
#include "common/textformat.h"
#include "installer/localization/localizationmanager.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QCoro/QCoroFuture>
#include <QCoro/QCoroNetworkReply>
#include <QCoro/QCoroSignal>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QJSEngine>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTimer>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>

#include <chrono>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#ifndef VISTREL_DOWNLOAD_SERVICE_ORIGIN
#error "VISTREL_DOWNLOAD_SERVICE_ORIGIN must name the download service's origin"
#endif

namespace vistrel {

namespace {

using namespace std::chrono_literals;

const QString unzipProgram = QStringLiteral("/usr/bin/unzip");
// Unpacking gets the command limit plus this per MiB of package: only a hung unzip hits it.
constexpr auto unzipTimePerMiB = 1s;

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

// Where path really is once every link is followed; the deepest part that exists decides where
// the rest will be made. Empty when a link leads nowhere (writing would make its target).
QString realPath(QString path) {
    QString rest;
    while (!QFileInfo(path).isSymLink() && !QFileInfo::exists(path) && QFileInfo(path).absolutePath() != path) {
        rest.prepend(u'/' + QFileInfo(path).fileName());
        path = QFileInfo(path).absolutePath();
    }
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? QString() : real + rest;
}

// True when writing at path cannot land outside root through a link on the way (or at path).
bool staysInside(const QString &root, const QString &path) {
    const QString realRoot = realPath(root);
    const QString real = realPath(path);
    return !realRoot.isEmpty() && !real.isEmpty() && (real == realRoot || real.startsWith(realRoot + u'/'));
}

const QString outsideRoot = QStringLiteral("it leads outside the installation folder");

// Holds the per-home installation lock while it lives. The kernel drops it with the process, so a
// killed installer never leaves it behind.
class RunLock {
public:
    explicit RunLock(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        m_held = m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    }
    ~RunLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;
    bool held() const { return m_held; }

private:
    int m_fd;
    bool m_held = false;
};

} // namespace

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
    , m_timing(timing) {
    connect(this, &RunEngine::activeChanged, this, &InstallationService::isInstallingChanged);
    connect(this, &RunEngine::progressChanged, this, &InstallationService::installationProgressChanged);
    connect(this, &RunEngine::logChanged, this, &InstallationService::installationLogChanged);
    connect(this, &RunEngine::errorChanged, this, &InstallationService::installationErrorChanged);
    // A run cut short by quitting (window closed, a signal) leaves no package behind.
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &InstallationService::discardTemporaryPackage);
}

InstallationService::~InstallationService() {
    discardTemporaryPackage();
}

void InstallationService::discardTemporaryPackage() {
    if (!m_temporaryPackage.isEmpty())
        QFile::remove(m_temporaryPackage);
    m_temporaryPackage.clear();
}

QString InstallationService::runLockPath(const QString &home) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QByteArray key = QCryptographicHash::hash(QFile::encodeName(QDir::cleanPath(home)), QCryptographicHash::Sha1);
    return folder + QStringLiteral("/vistrel-install-") + QString::fromLatin1(key.toHex().left(16)) +
           QStringLiteral(".lock");
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

LaunchAgent InstallationService::launchAgent() const {
    return LaunchAgent(m_platform.launchctlPath(), paths::launchAgentPlist(m_platform.homeDirectory()),
                       ChildOutput::CaptureMerged, m_timing.commandTimeout);
}

QString InstallationService::installRoot() const {
    return paths::installRoot(m_platform.homeDirectory());
}

// --- cleanup of an earlier installation -------------------------------------------------------

QCoro::Task<void> InstallationService::stopExistingServices() {
    appendLog(QStringLiteral("Stopping existing Vistrel services..."));
    const std::optional<QString> uid = co_await currentUserID();
    // Nothing to stop is the usual case; no outcome of these matters.
    co_await launchAgent().bootout(uid.value_or(QString()), LaunchAgent::Target::Plist);
    const QString pkill = QStringLiteral("/usr/bin/pkill");
    const QStringList kill{QStringLiteral("-9"), QStringLiteral("Tarvik")};
    co_await runProcess(pkill, kill, ChildOutput::CaptureMerged, QString(), m_timing.commandTimeout);
    co_await pauseFor(m_timing.settleAfterStop);
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
    const std::shared_ptr<bool> stalled =
        DownloadProgressDelegate::abortWhenStalled(reply, m_timing.transferInactivity);
    co_await qCoro(reply).waitForFinished();
    if (*stalled)
        throw DownloadProgressDelegate::stalledError(serviceUrl, m_timing.transferInactivity);

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
        if (logLines().isEmpty() || logLines().constLast() != text)
            replaceLastLog(text);
    });
    const QUrl packageUrl(location, QUrl::StrictMode);
    m_temporaryPackage = packagePath;
    co_await delegate.download(m_network, packageUrl, packagePath, m_timing.transferInactivity, installRoot());
    co_await unpackPackage(packagePath);
}

// --- unpacking and file preparation ---------------------------------------------------------

QCoro::Task<void> InstallationService::unpackPackage(QString packagePath) {
    appendLog(QStringLiteral("Extracting files directly to installation directory..."));
    const QString root = installRoot();
    QDir().mkpath(root); // unzip creates it itself, or fails below

    // Nothing is unpacked until every entry is known to land inside the root.
    const PackageCheck check = co_await checkPackageEntries(packagePath, root);
    // From here a failure keeps the package for a look; only an interruption removes it.
    if (check.outcome != PackageCheck::Outcome::Safe)
        m_temporaryPackage.clear();
    if (check.outcome == PackageCheck::Outcome::Unreadable) {
        appendLog(QStringLiteral("ERROR: ") + check.message);
        throw extractionError(check.exitCode);
    }
    if (check.outcome == PackageCheck::Outcome::Unsafe) {
        appendLog(QStringLiteral("ERROR: The package has an entry outside the installation folder: ") + check.message);
        throw extractionError(unsafePackageCode);
    }

    const QStringList arguments{QStringLiteral("-o"), packagePath, QStringLiteral("-d"), root};
    const auto limit = m_timing.commandTimeout + unzipTimePerMiB * (QFileInfo(packagePath).size() / (1 << 20));
    const ProcessResult unzip = co_await runProcess(unzipProgram, arguments, ChildOutput::CaptureStderr, QString(),
                                                    std::chrono::duration_cast<std::chrono::milliseconds>(limit));
    if (unzip.started && unzip.exitCode == 0 && !unzip.crashed && !unzip.timedOut) {
        discardTemporaryPackage();
        co_return;
    }
    m_temporaryPackage.clear();
    if (unzip.timedOut) {
        appendLog(QStringLiteral("ERROR: unzip did not finish in time and was ended."));
        throw extractionError(commandTimedOutCode);
    }
    if (!unzip.started) {
        appendLog(QStringLiteral("Process failed to even start: ") +
                  Error(QStringLiteral("NSCocoaErrorDomain"), 4, unzip.launchError).fullDescription());
        throw extractionError(unzipNotStartedCode);
    }
    appendLog(QStringLiteral("ERROR: ") + decodeUtf8(unzip.output).value_or(QStringLiteral("Unknown error")));
    throw extractionError(unzip.exitCode);
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
    // Where there is no xattr or nothing to strip, there is nothing to say; only a hang is.
    const QString xattr = QStringLiteral("/usr/bin/xattr");
    const QStringList strip{QStringLiteral("-rd"), QStringLiteral("com.apple.quarantine"), root};
    if ((co_await runProcess(xattr, strip, ChildOutput::CaptureMerged, QString(), m_timing.commandTimeout)).timedOut)
        appendLog(QStringLiteral("⚠️ Warning: Could not run quarantine strip."));

    appendLog(QStringLiteral("Restoring execution permissions..."));
    const QString server = root + QStringLiteral("/TarvikService.app/Contents/MacOS/Tarvik");
    const QString relay = root + QStringLiteral("/TarvikService.app/Contents/MacOS/TURN/turnserver");
    constexpr auto executable = std::filesystem::perms(0755);
    std::error_code permissionError;
    QString permissionProblem;
    // Permissions follow links: one that leads out of the root is not touched.
    const auto makeExecutable = [&](const QString &file) {
        if (!staysInside(root, file))
            permissionProblem = file + QStringLiteral(": ") + outsideRoot;
        else
            std::filesystem::permissions(fsPath(file), executable, permissionError);
        if (permissionError)
            permissionProblem = QString::fromLocal8Bit(permissionError.message());
        return permissionProblem.isEmpty();
    };
    bool permissionsOk = true;
    if (QFileInfo::exists(server))
        permissionsOk = makeExecutable(server);
    else
        appendLog(QStringLiteral("⚠️ Warning: Tarvik binary not found at ") + server);
    // A failure on the server leaves the relay alone.
    if (permissionsOk && QFileInfo::exists(relay))
        makeExecutable(relay);
    if (!permissionProblem.isEmpty())
        appendLog(QStringLiteral("⚠️ Error setting binary permissions: ") + permissionProblem);

    try {
        const QString find = QStringLiteral("/usr/bin/find");
        const QStringList scripts{root,
                                  QStringLiteral("-name"),
                                  QStringLiteral("*.sh"),
                                  QStringLiteral("-type"),
                                  QStringLiteral("f"),
                                  QStringLiteral("-exec"),
                                  QStringLiteral("chmod"),
                                  QStringLiteral("+x"),
                                  QStringLiteral("{}"),
                                  QStringLiteral(";")};
        co_await runCommand(find, scripts, m_timing.commandTimeout);
    } catch (const std::exception &e) {
        const auto *error = dynamic_cast<const Error *>(&e);
        appendLog(QStringLiteral("⚠️ Error setting script permissions: ") +
                  (error ? error->description() : QString::fromLocal8Bit(e.what())));
    }

    appendLog(QStringLiteral("Creating default port configuration..."));
    const QString portText = m_selectedPort.isEmpty() ? QString::fromUtf16(paths::defaultPortText) : m_selectedPort;
    const QString portFile = paths::portFile(m_platform.homeDirectory());
    QString writeError;
    if (staysInside(root, portFile) && QDir().mkpath(QFileInfo(portFile).absolutePath()) &&
        writeTextAtomically(portFile, portText, &writeError))
        appendLog(QStringLiteral("Port configured to: ") + portText);
    else
        appendLog(QStringLiteral("⚠️ Could not write port.txt file. The service will use its default port."));

    appendLog(QStringLiteral("Writing language configuration..."));
    const QString language = serverLanguageCode();
    const QString languageFile = paths::languageFile(m_platform.homeDirectory());
    QString languageError = outsideRoot;
    if (staysInside(root, languageFile) && writeTextAtomically(languageFile, language, &languageError))
        appendLog(QStringLiteral("Language set to: ") + language);
    else
        appendLog(QStringLiteral("⚠️ Could not write lang.txt file: ") + languageError);

    appendLog(QStringLiteral("Files ready at: ") + root);
}

// --- launcher copy --------------------------------------------------------------------------

namespace {

Error fileError(const FileOperationResult &result) {
    return Error(QStringLiteral("NSPOSIXErrorDomain"), result.errorCode, result.description);
}

Error installError(int code, const QString &description) {
    return Error(QStringLiteral("InstallError"), code, description);
}

// The launcher where the desktop lists programs. It works without a menu entry, so a failure
// is a warning line, not the step's end.
std::optional<QString> addLauncherToMenu(Platform &platform, const QString &launcher) {
    const QString error =
        platform.addToApplicationMenu(launcher, QStringLiteral("Start, stop and open the Tarvik surveillance server"),
                                      {QStringLiteral("AudioVideo"), QStringLiteral("Video")});
    if (error.isEmpty())
        return std::nullopt;
    return QStringLiteral("⚠️ Could not add Vistrel to the application menu: ") + error;
}

// Agents are loaded again at login by the service-manager tool of the installed launcher (the
// installer's own copy may be deleted once it has run).
std::optional<QString> loadAgentAtLogin(Platform &platform, const QString &home) {
    const QString launchctl = paths::launcherApp(home) + QStringLiteral("/Contents/Helpers/launchctl");
    const QString error = platform.loadAgentsAtLogin(QString::fromUtf16(paths::launchAgentLabel), launchctl);
    if (error.isEmpty())
        return std::nullopt;
    return QStringLiteral("⚠️ Could not set the service to start at login: ") + error;
}

} // namespace

QCoro::Task<void> InstallationService::installLauncherApp() {
    appendLog(QStringLiteral("Installing Vistrel Launcher app..."));
    const QString bundle = installerBundlePath();
    const QString source = bundle + QStringLiteral("/Contents/Resources/Vistrel.app");
    if (bundle.isEmpty() || !QFileInfo(source).isDir())
        throw installError(launcherMissingCode, QStringLiteral("Launcher app not found in installer bundle."));

    const QString target = paths::launcherApp(m_platform.homeDirectory());
    const FileOperationResult folder = createFolder(QFileInfo(target).absolutePath());
    if (!folder.ok)
        throw fileError(folder);

    // A bundle is many files: remove and copy on the thread pool, so the window keeps drawing.
    QFuture<FileOperationResult> removal = QtConcurrent::run(&removeIfPresent, target);
    const FileOperationResult removed = co_await removal;
    if (!removed.ok)
        throw fileError(removed);
    if (removed.existed)
        appendLog(QStringLiteral("Removed existing launcher app"));

    QFuture<FileOperationResult> copy = QtConcurrent::run(&copyBundle, source, target);
    const FileOperationResult copied = co_await copy;
    if (!copied.ok)
        throw fileError(copied);

    const QString chmod = QStringLiteral("/bin/chmod");
    const QStringList executable{QStringLiteral("+x"), target + QStringLiteral("/Contents/MacOS/Vistrel")};
    co_await runCommand(chmod, executable, m_timing.commandTimeout);
    if (const std::optional<QString> warning = addLauncherToMenu(m_platform, target))
        appendLog(*warning);
    appendLog(QStringLiteral("Launcher app installed to: ") + target);
}

// --- launch agent ---------------------------------------------------------------------------

QString InstallationService::makeLaunchAgentPlist(const QString &executable, const QString &installRoot,
                                                  const QString &executableFolder, const QString &home) {
    const QString libraryPath = executableFolder + QStringLiteral("/ffmpeg7/lib:") + executableFolder +
                                QStringLiteral(":/usr/local/lib:/opt/homebrew/lib");
    // Paths are escaped: a home folder with & or < would otherwise make a plist that does not parse.
    const QStringList lines = {
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"),
        QStringLiteral("<plist version=\"1.0\">"),
        QStringLiteral("<dict>"),
        QStringLiteral("    <key>Label</key>"),
        QStringLiteral("    <string>") + QString::fromUtf16(paths::launchAgentLabel) + QStringLiteral("</string>"),
        QStringLiteral("    <key>ProcessType</key>"),
        QStringLiteral("    <string>Interactive</string>"),
        QStringLiteral("    <key>Nice</key>"),
        QStringLiteral("    <integer>-10</integer>"),
        QStringLiteral("    <key>LowPriorityIO</key>"),
        QStringLiteral("    <false/>"),
        QStringLiteral("    <key>ProgramArguments</key>"),
        QStringLiteral("    <array>"),
        QStringLiteral("        <string>") + xmlEscape(executable) + QStringLiteral("</string>"),
        QStringLiteral("    </array>"),
        QStringLiteral("    <key>NSHighResolutionCapable</key>"),
        QStringLiteral("    <string>True</string>"),
        QStringLiteral("    <key>EnvironmentVariables</key>"),
        QStringLiteral("    <dict>"),
        QStringLiteral("        <key>PATH</key>"),
        QStringLiteral("        <string>/usr/bin:/bin:/usr/sbin:/sbin</string>"),
        QStringLiteral("        <key>DYLD_LIBRARY_PATH</key>"),
        QStringLiteral("        <string>") + xmlEscape(libraryPath) + QStringLiteral("</string>"),
        QStringLiteral("    </dict>"),
        QStringLiteral("    <key>RunAtLoad</key><true/>"),
        QStringLiteral("    <key>KeepAlive</key><true/>"),
        QStringLiteral("    <key>StandardOutPath</key><string>") + xmlEscape(paths::serverLog(home)) +
            QStringLiteral("</string>"),
        QStringLiteral("    <key>StandardErrorPath</key><string>") + xmlEscape(paths::serverErrorLog(home)) +
            QStringLiteral("</string>"),
        QStringLiteral("    <key>WorkingDirectory</key><string>") + xmlEscape(installRoot) +
            QStringLiteral("</string> "),
        QStringLiteral("</dict>"),
        QStringLiteral("</plist>"),
    };
    return lines.join(u'\n');
}

QCoro::Task<void> InstallationService::setupLaunchAgent() {
    appendLog(QStringLiteral("Configuring user-level service (LaunchAgent)..."));
    const QString home = m_platform.homeDirectory();
    const QString root = paths::installRoot(home);
    const QString executableFolder = root + QStringLiteral("/TarvikService.app/Contents/MacOS");
    const QString executable = executableFolder + QStringLiteral("/Tarvik");
    const QString plist = paths::launchAgentPlist(home);

    const FileOperationResult folder = createFolder(QFileInfo(plist).absolutePath());
    if (!folder.ok)
        throw fileError(folder);
    QString writeError;
    if (!writeTextAtomically(plist, makeLaunchAgentPlist(executable, root, executableFolder, home), &writeError))
        throw Error(
            QStringLiteral("NSCocoaErrorDomain"), 512,
            QStringLiteral("\u201C%1\u201D couldn\u2019t be saved: %2").arg(QFileInfo(plist).fileName(), writeError));
    appendLog(QStringLiteral("User service configured at ") + plist);
    if (const std::optional<QString> warning = loadAgentAtLogin(m_platform, home))
        appendLog(*warning);
    appendLog(QStringLiteral("Loading and starting service..."));

    const std::optional<QString> uid = co_await currentUserID();
    if (!uid || uid->isEmpty())
        throw installError(noUserIdCode, QStringLiteral("Could not determine current user ID."));
    const LaunchAgent agent = launchAgent();
    // Usually a failure means an agent with this label is still loaded; the restart settles it.
    if (!(co_await agent.bootstrap(*uid)).failure()) {
        appendLog(QStringLiteral("✅ Service started successfully."));
        co_return;
    }

    appendLog(QStringLiteral("Service may already be loaded. Restarting..."));
    if (const std::optional<Error> failure = (co_await agent.restart(*uid, m_timing.restartGap)).failure())
        throw *failure; // this failure is the step's
    appendLog(QStringLiteral("✅ Service restarted successfully."));
}

// --- verification ---------------------------------------------------------------------------

QCoro::Task<qint64> InstallationService::waitForService() {
    // The port file as the server reads it; the typed port only when the file cannot be read.
    std::optional<QString> fromFile;
    if (const std::optional<QByteArray> bytes = readWholeFile(paths::portFile(m_platform.homeDirectory())))
        fromFile = decodeUtf8(*bytes);
    const QString portText = fromFile                   ? fromFile->trimmed()
                             : m_selectedPort.isEmpty() ? QString::fromUtf16(paths::defaultPortText)
                                                        : m_selectedPort;
    // A number that is no TCP port (an old file's -1 or 70000) gives no address to probe either.
    const std::optional<qint64> port = parseSignedInt64(portText);
    if (!port || !isTcpPort(*port))
        throw installError(invalidPortCode, QStringLiteral("Invalid port number: ") + portText);

    const int attempts = m_timing.verifyAttempts;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        appendLog(QStringLiteral("Pinging service... (Attempt %1/%2)").arg(attempt).arg(attempts));
        if (co_await probeServer(m_probeNetwork, *port, m_timing.verifyRequestTimeout)) {
            appendLog(QStringLiteral("Service is online!"));
            co_return *port;
        }
        co_await pauseFor(m_timing.verifyPause);
    }
    throw installError(serviceTimeoutCode,
                       QStringLiteral("Service failed to start in time. Check logs at ~/Library/Logs/vistrel.log"));
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

QCoro::Task<void> InstallationService::performInstallation() {
    // Two runs into one home would stop each other's server and overwrite each other's files.
    const RunLock lock(runLockPath(m_platform.homeDirectory()));
    if (!lock.held()) {
        refuse(QStringLiteral("Another installation is already running for this user. "
                              "Wait until it has finished, then try again."));
        co_return;
    }
    appendLog(QStringLiteral("Initial system check..."));
    co_await stopExistingServices();

    const std::optional<quint16> port = portForRun(m_selectedPort);
    if (!port) {
        refuse(QStringLiteral("Invalid."));
        co_return;
    }
    // Another program answering on the port would pass for our server at the end. Our own earlier
    // server is gone by now; a process just killed may take a moment to let go of its socket.
    bool taken = co_await somethingListensOn(*port);
    if (taken) {
        co_await pauseFor(m_timing.settleAfterStop);
        taken = co_await somethingListensOn(*port);
    }
    if (taken) {
        const LocalizationManager localization(m_platform);
        const QString portText = QString::number(*port);
        refuse(formatText(localization.localizedString(QStringLiteral("ui.portInUse")), {portText}));
        co_return;
    }

    co_await runSteps();
}

QString InstallationService::stepName(int index) const {
    // A fresh manager: the language the user chose last, also if it changed during the run.
    return stepTitle(allInstallationSteps[std::size_t(index)], LocalizationManager(m_platform));
}

QCoro::Task<void> InstallationService::runStep(int index) {
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
        break;
    }
    case InstallationStep::complete:
        break;
    }
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
