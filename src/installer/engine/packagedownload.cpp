#include "packagedownload.h"

#include "downloadprogressdelegate.h"
#include "installererrors.h"
#include "stepcontext.h"

#include "common/paths.h"
#include "common/porttext.h"
#include "common/smallfile.h"
#include "platform/platform.h"

#include <QCoro/QCoroNetworkReply>
#include <QDir>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUuid>

#ifndef VISTREL_DOWNLOAD_SERVICE_ORIGIN
#error "VISTREL_DOWNLOAD_SERVICE_ORIGIN must name the download service's origin"
#endif

namespace vistrel {

namespace {

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

} // namespace

QString PackageDownload::downloadServiceOrigin() const {
    QString origin = m_context.platform().userDefault(QStringLiteral("downloadServiceOrigin")).toString().trimmed();
    if (origin.isEmpty())
        origin = QStringLiteral(VISTREL_DOWNLOAD_SERVICE_ORIGIN);
    while (origin.endsWith(u'/'))
        origin.chop(1);
    return origin;
}

std::optional<QString> PackageDownload::originProblem(const QString &origin) {
    // A file: origin would read the location from a local file; a query would swallow the path.
    const QUrl url(origin.trimmed(), QUrl::StrictMode);
    if (isDownloadableUrl(origin.trimmed()) && !url.hasQuery() && !url.hasFragment())
        return std::nullopt;
    return QStringLiteral("\"%1\" is not a download service: give an http or https address with a host name.")
        .arg(printableExcerpt(origin));
}

QUrl PackageDownload::downloadLocationUrl(const QString &platformName) const {
    return QUrl(downloadServiceOrigin() + QStringLiteral("/api/Tarvik/DownloadLocation5?platform=") + platformName +
                QStringLiteral("&useVersion=0&useBeta=") +
                (m_useBeta ? QStringLiteral("true") : QStringLiteral("false")));
}

QString PackageDownload::cleanDownloadLocation(const QString &body) {
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

bool PackageDownload::isDownloadableUrl(const QString &location) {
    const QUrl url(location, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") && !url.host().isEmpty();
}

QCoro::Task<QString> PackageDownload::requestDownloadLocation(QUrl serviceUrl) {
    const std::chrono::milliseconds inactivity = m_context.timing().transferInactivity;
    LocationReply owner{m_context.network().get(QNetworkRequest(serviceUrl))};
    QNetworkReply *const reply = owner.reply;
    const std::shared_ptr<bool> stalled = DownloadProgressDelegate::abortWhenStalled(reply, inactivity);
    co_await qCoro(reply).waitForFinished();
    m_context.checkpoint();
    if (*stalled)
        throw DownloadProgressDelegate::stalledError(serviceUrl, inactivity);

    // An error page is not a location: say which status came back instead of parsing its body.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        throw installerError::download(
            installerError::badLocationStatus,
            QStringLiteral("The download service answered with HTTP status %1").arg(status.toInt()));
    if (reply->error() != QNetworkReply::NoError)
        throw Error(QStringLiteral("NetworkError"), reply->error(), reply->errorString());

    const std::optional<QString> body = decodeUtf8(reply->readAll());
    if (!body)
        throw installerError::download(installerError::locationNotUtf8, QStringLiteral("Could not get download URL"));
    const QString location = cleanDownloadLocation(*body);
    if (!isDownloadableUrl(location))
        throw installerError::download(installerError::invalidLocation,
                                       QStringLiteral("Invalid download URL: ") + location);
    co_return location;
}

QCoro::Task<DownloadedPackage> PackageDownload::run() {
    m_context.log(QStringLiteral("Determining download URL..."));
    const QString architecture = co_await detectArchitecture();
    m_context.checkpoint();
    const QString platformName = architecture == u"arm64" ? QStringLiteral("OSXARM64") : QStringLiteral("OSX64");
    if (const std::optional<QString> problem = originProblem(downloadServiceOrigin()))
        throw installerError::download(installerError::invalidOrigin,
                                       QStringLiteral("downloadServiceOrigin: ") + *problem);
    const QUrl serviceUrl = downloadLocationUrl(platformName);
    m_context.log(
        QStringLiteral("Requesting %1 version...").arg(m_useBeta ? QStringLiteral("beta") : QStringLiteral("stable")));

    const QString location = co_await requestDownloadLocation(serviceUrl);
    m_context.log(QStringLiteral("Downloading from: ") + location);

    const QString packagePath = QDir::tempPath() + QStringLiteral("/Vistrel_") +
                                QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".zip");
    // One log write per distinct text: the text changes at most once per 0.1 MB.
    StepContext &context = m_context;
    DownloadProgressDelegate delegate([&context, last = QString()](double, const QString &text, bool) mutable {
        if (std::exchange(last, text) != text)
            context.replaceLastLog(text);
    });
    const QUrl packageUrl(location, QUrl::StrictMode);
    m_context.setTemporaryPackage(packagePath);
    // The package is unpacked next to the installation before it takes its place.
    const QString staging = m_context.installRoot() + u'/' + QString::fromUtf16(paths::stagingFolderName);
    const PackageDigest digest = co_await delegate.download(m_context.network(), packageUrl, packagePath,
                                                            m_context.timing().transferInactivity, staging);
    m_context.checkpoint();
    co_return DownloadedPackage{packagePath, digest};
}

} // namespace vistrel
